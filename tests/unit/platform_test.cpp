// The operating-system services the program relies on, over real files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/test_hooks.h"
#include "platform/text.h"
#include "run/run.h"
#include "test_files.h"

namespace {

TEST(FormatText, ComposesExactlyOrNotAtAll) {
  char buffer[40];
  ASSERT_TRUE(FormatText(buffer, sizeof buffer, "%05u_%04u_%02u|%i|%s", 7u, 2001u, 5u, -3, "a.txt"));
  EXPECT_STREQ(buffer, "00007_2001_05|-3|a.txt");
  ASSERT_TRUE(FormatText(buffer, sizeof buffer, "%05u", 1234567u));
  EXPECT_STREQ(buffer, "1234567");  // a minimum width, not a limit

  char small[8];
  memset(small, 'x', sizeof small);
  EXPECT_TRUE(FormatText(small, sizeof small, "%s", "1234567"));  // exactly fits with its zero
  EXPECT_FALSE(FormatText(small, sizeof small, "%s", "12345678"));
  EXPECT_STREQ(small, "");  // never a cut-short text
}

TEST(MemoryBlocks, AreZeroFilledAndKeepTheirContent) {
  BlockHandle block = AllocBlock(64);
  ASSERT_NE(block, nullptr);
  unsigned char* bytes = static_cast<unsigned char*>(LockBlock(block));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 64; i++) EXPECT_EQ(bytes[i], 0) << i;
  strcpy(reinterpret_cast<char*>(bytes), "kept");
  UnlockBlock(block);
  EXPECT_STREQ(static_cast<char*>(LockBlock(block)), "kept");
  UnlockBlock(block);
  EXPECT_TRUE(FreeBlock(block));
}

TEST(MemoryBlocks, FaultsStrikeExactlyTheChosenCall) {
  SetBlockFaults(3, 2);
  BlockHandle first = AllocBlock(8), second = AllocBlock(8), third = AllocBlock(8), fourth = AllocBlock(8);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(second, nullptr);
  EXPECT_EQ(third, nullptr);
  EXPECT_NE(fourth, nullptr);
  EXPECT_TRUE(FreeBlock(first));
  EXPECT_FALSE(FreeBlock(second));  // the second free fails
  EXPECT_TRUE(FreeBlock(second));   // and only that one
  EXPECT_TRUE(FreeBlock(fourth));
  SetBlockFaults(0, 0);
}

class DirectorySearch : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = testfs::NewFolder(); }
  void TearDown() override { testfs::RemoveTree(folder_); }

  std::vector<std::string> Found(unsigned mask, const std::string& wildcard = "*.*") {
    std::vector<std::string> names;
    rt::FindRecord record;
    if (rt::FindFirstEntry((folder_ + wildcard).c_str(), &record, mask) != 0) return names;
    do names.push_back(record.name);
    while (rt::FindNextEntry(&record) == 0);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string folder_;
};

TEST_F(DirectorySearch, MaskZeroFindsOrdinaryFilesOnly) {
  testfs::WriteFile(folder_ + "a.txt", "a");
  testfs::WriteFile(folder_ + "b", "b");
  testfs::WriteFile(folder_ + "locked.txt", "r");
  testfs::MakeReadOnly(folder_ + "locked.txt");
  testfs::MakeFolder(folder_ + "sub");
  testfs::MakeHiddenFile(folder_, "secret");
  testfs::MakeSystemEntry(folder_, "system");
  EXPECT_EQ(Found(0), (std::vector<std::string>{"a.txt", "b", "locked.txt"}));
  EXPECT_EQ(Found(rt::FA_DIREC), (std::vector<std::string>{"a.txt", "b", "locked.txt", "sub"}));
}

TEST_F(DirectorySearch, ReportsTheModificationTimeAsFatWordsAndEndsCleanly) {
  testfs::WriteFile(folder_ + "x", "x");
  testfs::SetTimes(folder_ + "x", testfs::UnixTime(2020, 1, 1, 0, 0, 0),
                   testfs::UnixTime(2001, 5, 7, 12, 5, 31));
  rt::FindRecord record;
  ASSERT_EQ(rt::FindFirstEntry((folder_ + "*.*").c_str(), &record, 0), 0);
  // The tests run two hours east of UTC: 12:05:31 UTC is 14:05:30 local.
  EXPECT_EQ(record.date, ((2001 - 1980) << 9) | (5 << 5) | 7);
  EXPECT_EQ(record.time, (14 << 11) | (5 << 5) | 15);
  EXPECT_NE(rt::FindNextEntry(&record), 0);
  EXPECT_NE(rt::FindNextEntry(&record), 0);  // stays ended
  rt::EndEntrySearch(&record);
}

TEST_F(DirectorySearch, FatWordsFollowTheCalendarToTheEndsOfTheirRange) {
  struct Case {
    int year;
    unsigned month, day, hour, minute, second;
    bool fits;
  } cases[] = {
      {1980, 1, 1, 0, 0, 0, true},     {1969, 12, 31, 23, 59, 59, false}, {2000, 2, 29, 12, 34, 56, true},
      {2000, 3, 1, 0, 0, 1, true},     {2004, 12, 31, 23, 59, 59, true},  {2100, 2, 28, 23, 59, 59, true},
      {2100, 3, 1, 0, 0, 0, true},     {2105, 7, 15, 6, 30, 0, true},     {2106, 2, 7, 6, 28, 16, true},
      {2107, 12, 31, 23, 59, 58, true}, {2108, 1, 1, 0, 0, 0, false},
  };
  testfs::WriteFile(folder_ + "x", "x");
  for (const Case& c : cases) {
    testfs::SetTimes(folder_ + "x", testfs::UnixTime(2020, 1, 1, 0, 0, 0),
                     testfs::UnixTime(c.year, c.month, c.day, c.hour, c.minute, c.second));
    FileTimes times;
    uint16_t date = 0, time = 0;
    ASSERT_TRUE(ReadFileTimes((folder_ + "x").c_str(), &times));
    ASSERT_EQ(ToFatDateTime(times.write, &date, &time), c.fits) << c.year << "-" << c.month << "-" << c.day;
    if (!c.fits) continue;
    EXPECT_EQ(date, ((c.year - 1980) << 9) | (c.month << 5) | c.day) << c.year << "-" << c.month << "-" << c.day;
    EXPECT_EQ(time, (c.hour << 11) | (c.minute << 5) | (c.second / 2)) << c.hour << ":" << c.minute;
  }
}

TEST_F(DirectorySearch, AMissingOrEmptyFolderMatchesNothing) {
  rt::FindRecord record;
  EXPECT_NE(rt::FindFirstEntry((folder_ + "missing" + testfs::kSeparator + "*.*").c_str(), &record, 0), 0);
  EXPECT_NE(rt::FindFirstEntry((folder_ + "*.*").c_str(), &record, rt::FA_DIREC), 0);
}

TEST_F(DirectorySearch, AWildcardNarrowsTheMatches) {
  testfs::WriteFile(folder_ + "one.jpg", "1");
  testfs::WriteFile(folder_ + "two.png", "2");
  EXPECT_EQ(Found(0, "*.jpg"), std::vector<std::string>{"one.jpg"});
}

TEST(FileOperations, DeletingRefusesReadOnlyFiles) {
  std::string folder = testfs::NewFolder();
  testfs::WriteFile(folder + "plain", "p");
  testfs::WriteFile(folder + "locked", "l");
  testfs::MakeReadOnly(folder + "locked");
  EXPECT_TRUE(DeleteOrdinaryFile((folder + "plain").c_str()));
  EXPECT_FALSE(DeleteOrdinaryFile((folder + "locked").c_str()));
  EXPECT_FALSE(DeleteOrdinaryFile((folder + "missing").c_str()));
  EXPECT_FALSE(testfs::Exists(folder + "plain"));
  EXPECT_TRUE(testfs::Exists(folder + "locked"));
  testfs::RemoveTree(folder);
}

TEST(FileOperations, SameFolderComparesIdentityNotText) {
  std::string folder = testfs::NewFolder();
  testfs::MakeFolder(folder + "sub");
  std::string other = testfs::NewFolder();
  std::string roundabout = folder + "sub" + testfs::kSeparator + ".." + testfs::kSeparator;
  EXPECT_EQ(CompareFolders(folder.c_str(), roundabout.c_str()), kSameFolder);
  EXPECT_EQ(CompareFolders(folder.c_str(), other.c_str()), kOtherFolder);
  EXPECT_EQ(CompareFolders(folder.c_str(), (folder + "missing").c_str()), kCannotTell);
  EXPECT_EQ(testfs::Names(other), std::vector<std::string>{}) << "the probe is gone";
  testfs::RemoveTree(folder);
  testfs::RemoveTree(other);
}

void SetFlag(void* argument) {
  *static_cast<int*>(argument) = 42;
  rt::EndThread();
}

TEST(Threads, AStartedThreadCanBeWaitedFor) {
  int flag = 0;
  rt::ThreadHandle thread = rt::BeginThread(SetFlag, 0, &flag);
  ASSERT_NE(thread, nullptr);
  rt::WaitForThread(thread);
  EXPECT_EQ(flag, 42);
}

}  // namespace
