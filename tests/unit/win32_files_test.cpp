// Windows' own side of the safety rules: the probe's path length, and the
// sweep of the copies that ended runs left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/os.h"
#include "platform/test_hooks.h"
#include "run/run.h"
#include "test_files.h"

namespace {

// A target so deep that the probe's path passes MAX_PATH cannot be told
// apart from the source: that must never count as another folder.
TEST(SameFolder, AProbeTooLongForItsPathCannotTell) {
  std::string source = testfs::NewFolder(), top = testfs::NewFolder(), target = top;
  // 235 to 240 characters: a folder the system makes, but no probe's path fits in it.
  while (target.size() < 235) {
    target += std::string(std::min<size_t>(40, 239 - target.size()), 'd') + "\\";
    testfs::MakeFolder(target);
  }
  ASSERT_TRUE(testfs::Exists(target)) << target.size();
  EXPECT_EQ(CompareFolders(source.c_str(), target.c_str()), kCannotTell);
  EXPECT_EQ(CompareFolders(source.c_str(), source.c_str()), kSameFolder);
  testfs::RemoveTree(source);
  testfs::RemoveTree(top);
}

TEST(Leftovers, OnlyThoseOfEndedRunsGo) {
  std::string folder = testfs::NewFolder();
  auto make = [&](const std::string& name, DWORD attributes) {
    testfs::WriteFile(folder + name, "half a copy");
    SetFileAttributesA((folder + name).c_str(), attributes);
  };
  make(".tavro-copy-aB3dE5fG7hJ9", FILE_ATTRIBUTE_HIDDEN);
  make(".tavro-copy-r3adr3adr3ad", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  make(".tavro-probe-000000000000", FILE_ATTRIBUTE_HIDDEN);
  make(".tavro-copy-notes.txt", FILE_ATTRIBUTE_NORMAL);  // not the program's own
  make(".tavro-copy-0pen0pen0pen", FILE_ATTRIBUTE_HIDDEN);
  // A run still going holds its copy open, sharing no deletion.
  HANDLE held = CreateFileA((folder + ".tavro-copy-0pen0pen0pen").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  RemoveLeftoverCopies(folder.c_str());  // all of them made just now
  EXPECT_EQ(testfs::Names(folder).size(), 5u);
  SetLeftoverClockForTests(2 * kLeftoverSeconds);
  RemoveLeftoverCopies(folder.c_str());
  SetLeftoverClockForTests(0);
  CloseHandle(held);
  EXPECT_EQ(testfs::Names(folder), (std::vector<std::string>{".tavro-copy-0pen0pen0pen", ".tavro-copy-notes.txt"}));
  testfs::RemoveTree(folder);
}

}  // namespace
