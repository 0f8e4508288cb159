// The run from start to end, driven through the scripted user interface over
// real folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "filelist/filelist.h"
#include "platform/test_hooks.h"
#include "run/run.h"
#include "run/shared_state.h"
#include "scripted_ui.h"
#include "test_files.h"

namespace {

using script::FolderAnswer;
using Strings = std::vector<std::string>;

class RunSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* zone = getenv("TZ");
    if (zone == nullptr || strcmp(zone, "XST-2") != 0) GTEST_SKIP() << "the tests run with TZ=XST-2";
    script::Reset();
    source_ = testfs::NewFolder();
    target_ = testfs::NewFolder();
    // photo2 is the older one, so it comes first.
    testfs::WriteFile(source_ + "photo1.jpg", "1");
    testfs::SetTimes(source_ + "photo1.jpg", testfs::UnixTime(2022, 1, 1, 0, 0, 0),
                     testfs::UnixTime(2003, 8, 9, 21, 59, 59));
    testfs::WriteFile(source_ + "photo2.jpg", "2");
    testfs::SetTimes(source_ + "photo2.jpg", testfs::UnixTime(2022, 1, 1, 0, 0, 0),
                     testfs::UnixTime(2001, 5, 7, 12, 5, 0));
  }

  // The names of the two copies, two hours east of UTC.
  static constexpr const char* kCopy1 = "00001_2003_08_09_23_59_photo1.jpg";
  static constexpr const char* kCopy2 = "00000_2001_05_07_14_05_photo2.jpg";
  void TearDown() override {
    if (source_.empty()) return;
    testfs::RemoveTree(source_);
    testfs::RemoveTree(target_);
  }

  // A target holding one of everything that clearing must tell apart.
  void FillTarget() {
    testfs::WriteFile(target_ + "old1.jpg", "o");
    testfs::WriteFile(target_ + "old2.jpg", "o");
    testfs::WriteFile(target_ + "locked.jpg", "r");
    testfs::MakeReadOnly(target_ + "locked.jpg");
    testfs::MakeFolder(target_ + "sub");
    testfs::WriteFile(target_ + "sub" + testfs::kSeparator + "inner.jpg", "i");
    hidden_ = testfs::MakeHiddenFile(target_, "hidden.jpg");
    system_ = testfs::MakeSystemEntry(target_, "system.jpg");
  }

  int Run() {
    int code = RunProgram(nullptr);
    EXPECT_EQ(FileList, nullptr) << "the list is released at the end of every run";
    EXPECT_EQ(WorkerThread, nullptr) << "a started worker is waited for";
    return code;
  }

  std::string source_, target_, hidden_, system_;
};

TEST_F(RunSequence, StartsFromTheRememberedFoldersOrTheDefault) {
  script::AnswerFolders({{false, ""}});
  Run();
  EXPECT_EQ(script::Events(),
            Strings{std::string("choose|Auswahl Quell Verzeichnis |") + DefaultFolder() + "|source"});

  script::Reset();
  script::StoreSetting("SourcePath", source_);
  script::StoreSetting("TargetPath", target_);
  script::AnswerFolders({{true, source_}, {false, ""}});
  Run();
  EXPECT_EQ(script::EventsStartingWith("choose|"),
            (Strings{"choose|Auswahl Quell Verzeichnis |" + source_ + "|source",
                     "choose|Auswahl Ziel Verzeichnis |" + target_ + "|target"}));
}

TEST_F(RunSequence, CancelInTheSourceBrowserEndsBeforeAnythingIsReadOrWritten) {
  script::AnswerFolders({{false, ""}});
  FileCount = -1;  // the scan would set it
  Run();
  EXPECT_EQ(FileCount, -1);
  EXPECT_TRUE(script::EventsStartingWith("write|").empty());
  EXPECT_TRUE(script::EventsStartingWith("dialog").empty());
}

TEST_F(RunSequence, CancelInTheTargetBrowserKeepsTheSourceAndCopiesNothing) {
  script::StoreSetting("TargetPath", "remembered");
  script::AnswerFolders({{true, source_}, {false, ""}});
  Run();
  EXPECT_EQ(FileCount, 2);  // the source was scanned
  EXPECT_EQ(script::EventsStartingWith("write|"), Strings{"write|SourcePath|" + source_});
  std::string target;
  ASSERT_TRUE(script::StoredSetting("TargetPath", &target));
  EXPECT_EQ(target, "remembered");
  EXPECT_TRUE(script::EventsStartingWith("message|").empty());
  EXPECT_TRUE(script::EventsStartingWith("dialog").empty());
}

TEST_F(RunSequence, TheClearPromptNamesTheTargetAndCancelStopsTheRun) {
  FillTarget();
  script::AnswerFolders({{true, source_}, {true, target_}});
  script::AnswerMessages({kAnswerCancel});
  Run();
  EXPECT_EQ(script::EventsStartingWith("write|"),
            (Strings{"write|SourcePath|" + source_, "write|TargetPath|" + target_}));
  // Yes, No and Cancel with the question icon; the first button is the default.
  EXPECT_EQ(script::EventsStartingWith("message|"),
            Strings{"message|?!|Clear Target Directory:\n" + target_ + "|3|question|1"});
  EXPECT_TRUE(script::EventsStartingWith("dialog").empty());
  EXPECT_TRUE(testfs::Exists(target_ + "old1.jpg"));
}

TEST_F(RunSequence, YesDeletesOnlyTheTargetsOrdinaryWritableFiles) {
  FillTarget();
  script::AnswerFolders({{true, source_}, {true, target_}});
  script::AnswerMessages({kAnswerYes});
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(script::EventsStartingWith("dialog"), Strings{"dialog"});
  Strings left = testfs::Names(target_);
  Strings expected{"locked.jpg", "sub", hidden_, system_, kCopy1, kCopy2};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
  EXPECT_TRUE(testfs::Exists(target_ + "sub" + testfs::kSeparator + "inner.jpg"));
  EXPECT_EQ(testfs::Names(source_), (Strings{"photo1.jpg", "photo2.jpg"}));
}

TEST_F(RunSequence, NoKeepsTheTargetAndGoesOnToTheCopy) {
  FillTarget();
  script::AnswerFolders({{true, source_}, {true, target_}});
  script::AnswerMessages({kAnswerNo});
  Run();
  EXPECT_EQ(script::EventsStartingWith("dialog"), Strings{"dialog"});
  EXPECT_TRUE(testfs::Exists(target_ + "old1.jpg"));
  EXPECT_TRUE(testfs::Exists(target_ + "old2.jpg"));
}

TEST_F(RunSequence, FilesLeftOutAreToldAfterTheCopyAndTheRunEndsWithSix) {
  testfs::WriteFile(target_ + kCopy2, "older copy");
  testfs::MakeReadOnly(target_ + kCopy2);
  script::AnswerFolders({{true, source_}, {true, target_}});
  script::AnswerMessages({kAnswerNo, kAnswerOk});
  EXPECT_EQ(Run(), 6);
  Strings events = script::Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2], "command|2") << "the box comes once the worker has ended";
  const std::string told = "message|Fehler|1 of 2 files could not be copied:\nphoto2.jpg: ";
  EXPECT_EQ(events.back().compare(0, told.size(), told), 0) << events.back();
  EXPECT_EQ(testfs::ReadFile(target_ + kCopy1), "1");
}

// The copies are on the disk before the run says it is done; what the disk
// reports then is told like any other failure.
TEST_F(RunSequence, AFailureToPutTheCopiesOnTheDiskIsTold) {
  script::AnswerFolders({{true, source_}, {true, target_}});
  script::AnswerMessages({kAnswerNo, kAnswerOk});
  SetFlushErrorForTests(5);
  int code = Run();
  SetFlushErrorForTests(kNoError);
  EXPECT_EQ(code, 6);
  Strings told = script::EventsStartingWith("message|Fehler|The copies could not all be written to the disk: ");
  EXPECT_EQ(told.size(), 1u);
  EXPECT_EQ(script::Events()[script::Events().size() - 2], "command|2") << "told once the copy has ended";
}

TEST_F(RunSequence, ClearingAMissingTargetDoesNothing) {
  std::string missing = target_ + "missing" + testfs::kSeparator;
  script::AnswerFolders({{true, source_}, {true, missing}});
  script::AnswerMessages({kAnswerYes});
  Run();
  EXPECT_FALSE(testfs::Exists(missing));
  EXPECT_EQ(script::EventsStartingWith("dialog"), Strings{"dialog"});
}

TEST_F(RunSequence, AnEmptySourceStillAsksForTheTargetAndShowsTheDialog) {
  std::string empty = testfs::NewFolder();
  script::AnswerFolders({{true, empty}, {true, target_}});
  script::AnswerMessages({kAnswerNo});
  Run();
  EXPECT_EQ(FileCount, 0);
  EXPECT_EQ(script::EventsStartingWith("dialog"), Strings{"dialog"});
  testfs::RemoveTree(empty);
}

TEST_F(RunSequence, ACommandBeforeTheCopyStartsEndsWithoutAWorker) {
  script::AnswerFolders({{true, source_}, {true, target_}});
  script::AnswerMessages({kAnswerNo});
  script::SetProgressMode(script::kCommandBeforeStart);
  Run();
  EXPECT_EQ(CopyRunning, 0);
  EXPECT_TRUE(script::EventsStartingWith("command|").empty());
}

TEST_F(RunSequence, ClearingTheSourceFolderItselfDeletesNothing) {
  // The same folder spelled another way: the files were listed but not copied.
  testfs::MakeFolder(source_ + "sub");
  std::string sameFolder = source_ + "sub" + testfs::kSeparator + ".." + testfs::kSeparator;
  script::AnswerFolders({{true, source_}, {true, sameFolder}});
  script::AnswerMessages({kAnswerYes});
  Run();
  // The copies join the originals in the same folder.
  EXPECT_EQ(testfs::Names(source_), (Strings{kCopy2, kCopy1, "photo1.jpg", "photo2.jpg", "sub"}));
}

TEST_F(RunSequence, ClearingPassesOverAPathTooLongForItsBuffer) {
  if (!testfs::LongPathsWork()) GTEST_SKIP() << "paths over 300 characters cannot be made here";
  std::string deep = target_ + std::string(200, 'd') + testfs::kSeparator;
  testfs::MakeFolder(deep);
  std::string longName(120, 'n');
  testfs::WriteFile(deep + longName, "keep");
  testfs::WriteFile(deep + "short", "delete");
  script::AnswerFolders({{true, source_}, {true, deep}});
  script::AnswerMessages({kAnswerYes});
  Run();
  EXPECT_EQ(testfs::Names(deep), (Strings{kCopy2, kCopy1, longName}));
}

}  // namespace
