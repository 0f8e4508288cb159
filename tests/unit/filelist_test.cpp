// The scan, the stamps, the release of the list and its fatal errors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "list_helpers.h"
#include "platform/test_hooks.h"
#include "run/shared_state.h"
#include "scripted_ui.h"
#include "test_files.h"

namespace {

using testfs::UnixTime;

class FileListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* zone = getenv("TZ");
    if (zone == nullptr || strcmp(zone, "XST-2") != 0) GTEST_SKIP() << "the tests run with TZ=XST-2";
    folder_ = testfs::NewFolder();
    snprintf(SourceFolder, kFolderSize, "%s", folder_.c_str());
    script::Reset();
  }
  void TearDown() override {
    ReleaseFileList();
    if (!folder_.empty()) testfs::RemoveTree(folder_);
  }

  // A file whose three times are long past, so that its stamp is known.
  void OldFile(const std::string& name, int64_t access, int64_t write) {
    testfs::WriteFile(folder_ + name, name);
    testfs::SetCreationTime(folder_ + name, UnixTime(2030, 1, 1, 0, 0, 0));
    testfs::SetTimes(folder_ + name, access, write);
  }

  std::string folder_;
};

TEST_F(FileListTest, TheStampIsTheEarliestTimeInLocalTime) {
  // A file copied in from elsewhere keeps its old write time.
  OldFile("copied", UnixTime(2024, 3, 1, 10, 0, 0), UnixTime(2001, 5, 7, 12, 5, 59));
  EXPECT_EQ(GetFileStamp("copied"), Packed(2001, 5, 7, 14, 5, 58));
  // An older access time wins over the write time.
  OldFile("read", UnixTime(1999, 12, 31, 22, 30, 0), UnixTime(2003, 1, 1, 0, 0, 0));
  EXPECT_EQ(GetFileStamp("read"), Packed(2000, 1, 1, 0, 30, 0));
}

// A last access kept as a date only (a FAT card's, shown as local midnight)
// does not wipe out the time of day that the write time gives.
TEST_F(FileListTest, AnAccessKeptAsADateLeavesTheTimeOfDay) {
  const int64_t write = UnixTime(2001, 5, 7, 12, 23, 0);  // 14:23 local
  const PackedDateTime writeStamp = Packed(2001, 5, 7, 14, 23, 0);
  const struct {
    const char* fileSystem;  // nullptr: the test folder's own
    int64_t access;
    PackedDateTime stamp;
  } cases[] = {
      {nullptr, UnixTime(2001, 5, 6, 22, 0, 0), writeStamp},                 // local midnight, the same day
      {nullptr, UnixTime(2001, 5, 3, 22, 0, 0), Packed(2001, 5, 4, 0, 0, 0)},  // midnight of an earlier day
      {nullptr, UnixTime(2001, 5, 7, 7, 0, 0), Packed(2001, 5, 7, 9, 0, 0)},  // 09:00 kept to the full resolution
      {"FAT32", UnixTime(2001, 5, 7, 7, 0, 0), writeStamp},                  // FAT keeps the date alone
      {"FAT", UnixTime(2001, 5, 7, 7, 0, 0), writeStamp},
      {"FAT32", UnixTime(2001, 5, 4, 7, 0, 0), Packed(2001, 5, 4, 9, 0, 0)},  // an earlier day still counts
      {"exFAT", UnixTime(2001, 5, 7, 7, 0, 0), Packed(2001, 5, 7, 9, 0, 0)},  // full access times
      {"NTFS", UnixTime(2001, 5, 7, 7, 0, 0), Packed(2001, 5, 7, 9, 0, 0)},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(std::string(test.fileSystem ? test.fileSystem : "own") + " " + std::to_string(test.access));
    OldFile("photo.jpg", test.access, write);
    SetFileSystemNameForTests(test.fileSystem);
    ScanSourceFolder(SourceFolder);
    SetFileSystemNameForTests(nullptr);
    EXPECT_EQ(ReadList(), (std::vector<ListItem>{{"photo.jpg", test.stamp}}));
  }
}

TEST_F(FileListTest, AnOlderCreationTimeWinsWhereThePlatformKeepsOne) {
  testfs::WriteFile(folder_ + "made", "m");
  testfs::SetTimes(folder_ + "made", UnixTime(2010, 1, 1, 0, 0, 0), UnixTime(2010, 1, 1, 0, 0, 0));
  if (!testfs::SetCreationTime(folder_ + "made", UnixTime(1995, 6, 1, 8, 0, 0)))
    GTEST_SKIP() << "creation times cannot be set here";
  EXPECT_EQ(GetFileStamp("made"), Packed(1995, 6, 1, 10, 0, 0));
}

TEST_F(FileListTest, NoStampOutsideTheFatYearsOrForAMissingFile) {
  OldFile("in1980", UnixTime(1980, 6, 1, 0, 0, 0), UnixTime(2001, 1, 1, 0, 0, 0));
  OldFile("in1975", UnixTime(1975, 6, 1, 0, 0, 0), UnixTime(2001, 1, 1, 0, 0, 0));
  EXPECT_EQ(GetFileStamp("in1980"), 0u);  // year field 0 counts as no stamp
  EXPECT_EQ(GetFileStamp("in1975"), 0u);
  EXPECT_EQ(GetFileStamp("missing"), 0u);
}

TEST_F(FileListTest, APathTooLongForItsBufferGivesNoStampInsteadOfAnotherFilesStamp) {
  if (!testfs::LongPathsWork()) GTEST_SKIP() << "paths over 300 characters cannot be made here";
  std::string deep = folder_ + std::string(200, 'd');
  testfs::MakeFolder(deep);
  deep += testfs::kSeparator;
  std::string name(150, 'n');
  testfs::WriteFile(deep + name, "x");
  testfs::SetTimes(deep + name, UnixTime(2001, 1, 1, 0, 0, 0), UnixTime(2001, 1, 1, 0, 0, 0));
  // The truncated path would be deep + 100 n's: make it exist with other times.
  testfs::WriteFile(deep + std::string(312 - 1 - deep.size(), 'n'), "decoy");
  snprintf(SourceFolder, kFolderSize, "%s", deep.c_str());
  EXPECT_EQ(GetFileStamp(name.c_str()), 0u);
}

TEST_F(FileListTest, TheScanListsOrdinaryFilesInDateOrder) {
  OldFile("late", UnixTime(2020, 1, 1, 0, 0, 0), UnixTime(2005, 1, 1, 10, 0, 0));
  OldFile("early", UnixTime(2020, 1, 1, 0, 0, 0), UnixTime(2001, 5, 7, 12, 5, 0));
  OldFile("middle", UnixTime(2020, 1, 1, 0, 0, 0), UnixTime(2003, 1, 1, 10, 0, 0));
  // Its earliest time lies in 1980, so the search's write time stands in.
  OldFile("old-access", UnixTime(1980, 3, 3, 0, 0, 0), UnixTime(2004, 2, 2, 10, 0, 0));
  testfs::MakeFolder(folder_ + "subfolder");
  testfs::MakeHiddenFile(folder_, "hidden");
  testfs::MakeSystemEntry(folder_, "system");
  ScanSourceFolder(SourceFolder);
  EXPECT_EQ(FileCount, 4);
  EXPECT_EQ(ReadList(), (std::vector<ListItem>{{"early", Packed(2001, 5, 7, 14, 5, 0)},
                                               {"middle", Packed(2003, 1, 1, 12, 0, 0)},
                                               {"old-access", Packed(2004, 2, 2, 12, 0, 0)},
                                               {"late", Packed(2005, 1, 1, 12, 0, 0)}}));
}

TEST_F(FileListTest, AnEmptyOrMissingFolderGivesAnEmptyList) {
  ScanSourceFolder(SourceFolder);
  EXPECT_EQ(FileCount, 0);
  EXPECT_EQ(FileList, nullptr);
  std::string missing = folder_ + "missing" + testfs::kSeparator;
  ScanSourceFolder(missing.c_str());
  EXPECT_EQ(FileCount, 0);
  EXPECT_EQ(FileList, nullptr);
}

TEST_F(FileListTest, ReleaseGivesBackEveryNodeAndKeepsTheCount) {
  ReleaseFileList();  // empty: nothing happens
  EXPECT_EQ(FileList, nullptr);
  BuildList({{"only", 5}});
  // One node that links to itself: its two blocks are all that is freed.
  SetBlockFaults(0, 3);
  ReleaseFileList();
  SetBlockFaults(0, 0);
  EXPECT_EQ(FileList, nullptr);
  EXPECT_EQ(FileCount, 1);
  BuildList({{"a", 1}, {"b", 2}, {"c", 3}});
  ReleaseFileList();
  EXPECT_EQ(FileList, nullptr);
  EXPECT_EQ(FileCount, 3);
}

// Every memory failure of the list ends the program with its own code.
class FatalErrors : public FileListTest {
 protected:
  void SetUp() override {
    FileListTest::SetUp();
    if (IsSkipped()) return;
    testfs::WriteFile(folder_ + "one", "1");
    testfs::WriteFile(folder_ + "two", "2");
  }
};

TEST_F(FatalErrors, AllocationFailuresDuringTheScan) {
  // The scan allocates the first node, its name, the second node, its name.
  EXPECT_EXIT((SetBlockFaults(1, 0), ScanSourceFolder(SourceFolder)), ::testing::ExitedWithCode(3),
              "message box Fehler, error icon, OK, default 1: Fehler No 3");
  EXPECT_EXIT((SetBlockFaults(3, 0), ScanSourceFolder(SourceFolder)), ::testing::ExitedWithCode(4),
              "message box Fehler, error icon, OK, default 1: Fehler No 4");
  EXPECT_EXIT((SetBlockFaults(2, 0), ScanSourceFolder(SourceFolder)), ::testing::ExitedWithCode(5),
              "message box Fehler, error icon, OK, default 1: Fehler No 5");
  EXPECT_EXIT((SetBlockFaults(4, 0), ScanSourceFolder(SourceFolder)), ::testing::ExitedWithCode(5),
              "Fehler No 5");
}

TEST_F(FatalErrors, FreeingFailuresDuringTheRelease) {
  ScanSourceFolder(SourceFolder);
  ASSERT_EQ(FileCount, 2);
  // The release frees a name block, then its node, for each node in turn.
  EXPECT_EXIT((SetBlockFaults(0, 1), ReleaseFileList()), ::testing::ExitedWithCode(1),
              "message box Fehler, error icon, OK, default 1: Fehler No 1");
  EXPECT_EXIT((SetBlockFaults(0, 2), ReleaseFileList()), ::testing::ExitedWithCode(2),
              "message box Fehler, error icon, OK, default 1: Fehler No 2");
  EXPECT_EXIT((SetBlockFaults(0, 4), ReleaseFileList()), ::testing::ExitedWithCode(2), "Fehler No 2");
}

TEST_F(FatalErrors, TheReportShowsAnErrorBoxWithTheCode) {
  EXPECT_EXIT(ReportFatalError(4), ::testing::ExitedWithCode(4),
              "message box Fehler, error icon, OK, default 1: Fehler No 4");
}

}  // namespace
