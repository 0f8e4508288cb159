// The copy worker over real folders, behind the scripted progress dialog.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>

#include "copy/copy_worker.h"
#include "copy_run.h"
#include "list_helpers.h"
#include "platform/test_hooks.h"
#include "run/run.h"
#include "run/shared_state.h"
#include "scripted_ui.h"
#include "test_files.h"

namespace {

using Strings = std::vector<std::string>;

TEST(TargetNames, FollowTheSequenceAndDatePattern) {
  snprintf(TargetFolder, kFolderSize, "T%c", testfs::kSeparator);
  char name[300];
  // The third file in date order, a.txt, of 7 May 2001 at 14:05.
  ASSERT_TRUE(ComposeTargetName(name, sizeof name, 2, Packed(2001, 5, 7, 14, 5, 36), "a.txt"));
  EXPECT_EQ(std::string(name + 2), "00002_2001_05_07_14_05_a.txt");
  ASSERT_TRUE(ComposeTargetName(name, sizeof name, 123456, Packed(2107, 12, 31, 23, 59, 58), "b"));
  EXPECT_EQ(std::string(name + 2), "123456_2107_12_31_23_59_b");  // five digits are the least
}

TEST(TargetNames, ANameThatDoesNotFitIsNotCutShort) {
  std::string folder(250, 'f');
  snprintf(TargetFolder, kFolderSize, "%s", folder.c_str());
  char name[300];
  EXPECT_TRUE(ComposeTargetName(name, sizeof name, 0, Packed(2001, 1, 1, 0, 0, 0), "x.jpg"));
  EXPECT_FALSE(ComposeTargetName(name, sizeof name, 0, Packed(2001, 1, 1, 0, 0, 0), std::string(30, 'n').c_str()));
  EXPECT_STREQ(name, "");
}

TEST(ProgressRange, HoldsTheTrueBoundBeyondSixteenBits) {
  EXPECT_EQ(ProgressHighBound(0), 65535u);  // 0 - 1 taken to 16 bits
  EXPECT_EQ(ProgressHighBound(1), 0u);
  EXPECT_EQ(ProgressHighBound(5), 4u);
  EXPECT_EQ(ProgressHighBound(65536), 65535u);
  EXPECT_EQ(ProgressHighBound(65537), 65536u);
  EXPECT_EQ(ProgressHighBound(1000000), 999999u);
}

TEST_F(CopyRun, CopiesEveryFileUnderItsNewNameAndReportsProgress) {
  PackedDateTime day = Packed(2001, 5, 7, 14, 5, 0);
  ListFiles({{"b.jpg", day}, {"a.jpg", day}, {"c.jpg", Packed(2002, 1, 2, 3, 4, 0)}});
  testfs::SetTimes(source_ + "c.jpg", testfs::UnixTime(2020, 1, 1, 0, 0, 0), testfs::UnixTime(2002, 1, 2, 1, 4, 0));
  RunDialog();
  // Equal stamps keep their list order and get consecutive numbers.
  EXPECT_EQ(testfs::Names(target_), (Strings{"00000_2001_05_07_14_05_b.jpg", "00001_2001_05_07_14_05_a.jpg",
                                             "00002_2002_01_02_03_04_c.jpg"}));
  EXPECT_EQ(testfs::ReadFile(target_ + "00001_2001_05_07_14_05_a.jpg"), "content of a.jpg");
  EXPECT_EQ(testfs::WriteTime(target_ + "00002_2002_01_02_03_04_c.jpg"), testfs::UnixTime(2002, 1, 2, 1, 4, 0));
  EXPECT_EQ(script::Events(),
            (Strings{"dialog", "range|0|2", "position|0", "caption|Copy File No: 1 of 3", "position|1",
                     "caption|Copy File No: 2 of 3", "position|2", "caption|Copy File No: 3 of 3",
                     "open|" + target_, "command|2"}));
  EXPECT_EQ(CopyRunning, 0);
}

TEST_F(CopyRun, AnEmptyListCopiesNothingButStillOpensTheTarget) {
  RunDialog();
  EXPECT_EQ(script::Events(), (Strings{"dialog", "range|0|65535", "open|" + target_, "command|2"}));
  EXPECT_TRUE(testfs::Names(target_).empty());
}

TEST_F(CopyRun, ReplacesAnExistingNameButNeverAReadOnlyOrHiddenOne) {
  ListFiles({{"a", Packed(2001, 1, 1, 0, 0, 0)}, {"b", Packed(2001, 1, 1, 0, 0, 0)},
             {"c", Packed(2001, 1, 1, 0, 0, 0)}});
  testfs::WriteFile(target_ + "00000_2001_01_01_00_00_a", "old a");
  testfs::WriteFile(target_ + "00001_2001_01_01_00_00_b", "old b");
  testfs::MakeReadOnly(target_ + "00001_2001_01_01_00_00_b");
  std::string hidden = testfs::MakeHiddenFile(target_, "00002_2001_01_01_00_00_c");
  RunDialog();
  EXPECT_EQ(testfs::ReadFile(target_ + "00000_2001_01_01_00_00_a"), "content of a");
  EXPECT_EQ(testfs::ReadFile(target_ + "00001_2001_01_01_00_00_b"), "old b");
  if (hidden == "00002_2001_01_01_00_00_c") {  // where hiding keeps the name
    EXPECT_EQ(testfs::ReadFile(target_ + hidden), "hidden");
  }
}

// A copy cut off (a crash, a logoff, a kill) must not stand under its name:
// whoever looks while it is written never sees a part of it there.
TEST_F(CopyRun, ACopyStandsUnderItsNameOnlyWhenComplete) {
  const std::string big(64 << 20, 'x'), copy = target_ + "00000_2010_01_01_10_00_big.mov";
  testfs::WriteFile(source_ + "big.mov", big);
  BuildList({{"big.mov", Packed(2010, 1, 1, 10, 0, 0)}});
  std::atomic<bool> done{false};
  std::atomic<long long> seen{-1};
  std::thread watcher([&] {
    while (!done) {
      std::error_code error;
      uintmax_t size = std::filesystem::file_size(copy, error);
      if (!error && size != big.size()) seen = static_cast<long long>(size);
    }
  });
  RunDialog();
  done = true;
  watcher.join();
  EXPECT_EQ(seen, -1) << "seen under its name with " << seen << " bytes";
  EXPECT_EQ(testfs::Names(target_), Strings{"00000_2010_01_01_10_00_big.mov"});
  EXPECT_EQ(std::filesystem::file_size(copy), big.size());
}

TEST_F(CopyRun, AFileThatCannotBeCopiedIsPassedOver) {
  ListFiles({{"gone", Packed(2001, 1, 1, 0, 0, 0)}, {"here", Packed(2001, 1, 1, 0, 0, 0)}});
  testfs::RemoveTree(source_);
  testfs::MakeFolder(source_.substr(0, source_.size() - 1));
  testfs::WriteFile(source_ + "here", "here");
  RunDialog();
  EXPECT_EQ(testfs::Names(target_), Strings{"00001_2001_01_01_00_00_here"});
}

// Every listed file that is not copied is told, with the system's reason,
// in one error box after the copy; the others are copied all the same.
TEST_F(CopyRun, EveryFileThatCannotBeCopiedIsReportedWithItsReason) {
  PackedDateTime day = Packed(2001, 1, 1, 0, 0, 0);
  std::string longName(240, 'n');  // its new name passes the file system's 255 bytes
  ListFiles({{"gone", day}, {"kept", day}, {"locked", day}, {longName, day}, {"copied", day}});
  testfs::RemoveTree(source_);
  testfs::MakeFolder(source_.substr(0, source_.size() - 1));
  for (const char* name : {"kept", "locked", "copied"}) testfs::WriteFile(source_ + name, name);
  testfs::WriteFile(source_ + longName, "long");
  testfs::WriteFile(target_ + "00002_2001_01_01_00_00_locked", "old");
  testfs::MakeReadOnly(target_ + "00002_2001_01_01_00_00_locked");
  RunDialog();
  EXPECT_EQ(testfs::ReadFile(target_ + "00001_2001_01_01_00_00_kept"), "kept");
  EXPECT_EQ(testfs::ReadFile(target_ + "00004_2001_01_01_00_00_copied"), "copied");
  EXPECT_TRUE(ReportRunFailures());
  // One box with the error icon and OK, its text in lines.
  Strings boxes = script::EventsStartingWith("message|");
  const std::string head = "message|Fehler|", tail = "|1|error|1";
  ASSERT_EQ(boxes.size(), 1u);
  ASSERT_EQ(boxes[0].compare(0, head.size(), head), 0);
  ASSERT_EQ(boxes[0].compare(boxes[0].size() - tail.size(), tail.size(), tail), 0);
  std::string text = boxes[0].substr(head.size(), boxes[0].size() - head.size() - tail.size());
  Strings lines;
  for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, (end = text.find('\n', start)) - start));
  ASSERT_EQ(lines.size(), 4u) << text;
  EXPECT_EQ(lines[0], "3 of 5 files could not be copied:");
  const char* names[] = {"gone: ", "locked: ", nullptr};
  for (int i = 0; names[i] != nullptr; i++) {
    EXPECT_EQ(lines[i + 1].compare(0, strlen(names[i]), names[i]), 0) << lines[i + 1];
    EXPECT_GT(lines[i + 1].size(), strlen(names[i]) + 3) << "a reason in words";
  }
  EXPECT_EQ(lines[3].compare(0, longName.size() + 2, longName + ": "), 0);
}

TEST_F(CopyRun, TheReportNamesTenFilesAndCountsTheRest) {
  std::vector<ListItem> items;
  for (int i = 0; i < 13; i++) items.push_back({"missing" + std::to_string(i), Packed(2001, 1, 1, 0, 0, 0)});
  BuildList(items);
  RunDialog();
  ASSERT_TRUE(ReportRunFailures());
  std::string box = script::EventsStartingWith("message|Fehler|13 of 13 files could not be copied:\nmissing0: ")[0];
  EXPECT_NE(box.find("\nmissing9: "), std::string::npos);
  EXPECT_EQ(box.find("missing10"), std::string::npos);
  EXPECT_NE(box.find("\n... and 3 more|1|error|1"), std::string::npos);
}

TEST_F(CopyRun, AStopTakesEffectBetweenTwoFiles) {
  ListFiles({{"a", Packed(2001, 1, 1, 0, 0, 0)}, {"b", Packed(2001, 1, 2, 0, 0, 0)},
             {"c", Packed(2001, 1, 3, 0, 0, 0)}});
  script::SetProgressMode(script::kStopAtPosition, 1);  // while the second file is in hand
  RunDialog();
  EXPECT_EQ(testfs::Names(target_), (Strings{"00000_2001_01_01_00_00_a", "00001_2001_01_02_00_00_b"}));
  // The target is still opened after a stop; a file not begun is no failure.
  EXPECT_EQ(script::EventsStartingWith("open|"), Strings{"open|" + target_});
  EXPECT_FALSE(ReportRunFailures());
}

TEST_F(CopyRun, InTheSourceFolderItselfNoListedFileIsReplaced) {
  snprintf(TargetFolder, kFolderSize, "%s", source_.c_str());
  // An earlier run into the same folder left a copy, which is now listed too;
  // spelled in other case it is the same file where names ignore case.
  // Without memory to tell listed files apart, none is replaced either.
  for (const char* earlier : {"00000_2001_01_01_00_00_a", "00000_2001_01_01_00_00_A"})
    for (long failAt : {0, 1}) {
      if (!testfs::kNamesIgnoreCase && std::string(earlier).back() == 'A') continue;  // not the same file here
      SCOPED_TRACE(std::string(earlier) + (failAt ? " without memory" : ""));
      ListFiles({{"a", Packed(2001, 1, 1, 0, 0, 0)}, {earlier, Packed(2001, 1, 1, 0, 0, 0)}});
      SetBlockFaults(failAt, 0);
      RunDialog();
      SetBlockFaults(0, 0);
      EXPECT_EQ(testfs::ReadFile(source_ + earlier), std::string("content of ") + earlier);
      EXPECT_EQ(testfs::ReadFile(source_ + "00001_2001_01_01_00_00_" + earlier), std::string("content of ") + earlier);
      ReleaseFileList();
      testfs::RemoveTree(source_);
      testfs::MakeFolder(source_.substr(0, source_.size() - 1));
    }
}

TEST_F(CopyRun, ANameTooLongForItsBufferIsPassedOver) {
  if (!testfs::LongPathsWork()) GTEST_SKIP() << "paths over 300 characters cannot be made here";
  std::string deep = target_ + std::string(240, 'd') + testfs::kSeparator;
  testfs::MakeFolder(deep);
  snprintf(TargetFolder, kFolderSize, "%s", deep.c_str());
  ListFiles({{std::string(40, 'n'), Packed(2001, 1, 1, 0, 0, 0)}, {"short", Packed(2001, 1, 1, 0, 0, 0)}});
  RunDialog();
  EXPECT_EQ(testfs::Names(deep), Strings{"00001_2001_01_01_00_00_short"});
}

TEST_F(CopyRun, MoreFilesThanSixteenBitsHoldKeepTheTrueRange) {
  std::vector<ListItem> items(70000, ListItem{"missing", Packed(2001, 1, 1, 0, 0, 0)});
  BuildList(items);
  RunDialog();
  EXPECT_EQ(script::EventsStartingWith("range|"), Strings{"range|0|69999"});
  EXPECT_EQ(script::EventsStartingWith("position|").back(), "position|69999");
}

TEST(CopyStop, AConfirmedStopLetsTheFileInHandCompleteAndTheRunWaitsForIt) {
  script::Reset();
  std::string source = testfs::NewFolder(), target = testfs::NewFolder();
  std::string big(48 << 20, 'x');
  testfs::WriteFile(source + "big.bin", big);
  testfs::SetTimes(source + "big.bin", testfs::UnixTime(2020, 1, 1, 0, 0, 0), testfs::UnixTime(2001, 1, 1, 0, 0, 0));
  testfs::WriteFile(source + "small.bin", "small");
  testfs::SetTimes(source + "small.bin", testfs::UnixTime(2020, 1, 1, 0, 0, 0), testfs::UnixTime(2002, 1, 1, 0, 0, 0));
  script::AnswerFolders({{true, source}, {true, target}});
  script::AnswerMessages({kAnswerNo});
  script::SetProgressMode(script::kStopAtPosition, 0);  // the dialog ends before the big copy begins
  RunProgram(nullptr);
  // By the time the run is over the worker has completed the big file, opened
  // the target and ended; the small file was never begun.
  Strings names = testfs::Names(target);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(testfs::ReadFile(target + names[0]).size(), big.size());
  Strings events = script::Events();
  EXPECT_EQ(events.back(), "command|2");
  EXPECT_EQ(script::EventsStartingWith("open|"), Strings{"open|" + target});
  EXPECT_EQ(FileList, nullptr);
  testfs::RemoveTree(source);
  testfs::RemoveTree(target);
}

}  // namespace
