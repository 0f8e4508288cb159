// The folder offered on a first run: the home folder, else the root.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/os.h"
#include "test_files.h"

TEST(DefaultFolder, IsTheHomeFolderWithOneSeparatorElseTheRoot) {
  std::string base = testfs::NewFolder(), kept = getenv("HOME");
  std::string longest = base + std::string(268 - base.size(), 'd');  // 269 bytes with its separator
  testfs::MakeFolder(longest);
  testfs::MakeFolder(longest + "e");
  testfs::WriteFile(base + "file", "x");
  for (auto [home, expected] : {std::pair<std::string, std::string>{base + "//", base}, {"/", "/"},
                                {longest, longest + "/"}, {longest + "e", "/"}, {base + "file", "/"},
                                {base + "missing", "/"}, {"relative", "/"}}) {
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(DefaultFolder(), expected) << home;
  }
  setenv("HOME", kept.c_str(), 1);
  testfs::RemoveTree(base);
}
