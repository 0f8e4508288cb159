// The folder offered on a first run: the home folder, else the root.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/os.h"
#include "test_files.h"

namespace {

std::string WithHome(const char* home) {
  std::string kept = getenv("HOME") ? getenv("HOME") : "";
  if (home != nullptr)
    setenv("HOME", home, 1);
  else
    unsetenv("HOME");
  std::string folder = DefaultFolder();
  setenv("HOME", kept.c_str(), 1);
  return folder;
}

TEST(DefaultFolder, IsTheHomeFolderWithOneSeparatorElseTheRoot) {
  std::string base = testfs::NewFolder();
  std::string home = base + "home";
  testfs::MakeFolder(home);
  testfs::WriteFile(base + "file", "x");
  // The longest home that fits a remembered folder with its separator: 268 bytes.
  std::string longest = base.substr(0, base.size() - 1);
  while (longest.size() < 268) {
    longest += "/" + std::string(std::min<size_t>(200, 268 - longest.size() - 1), 'd');
    testfs::MakeFolder(longest);
  }
  testfs::MakeFolder(longest + "e");
  struct passwd* account = getpwuid(getuid());
  std::string accountHome = account && account->pw_dir[0] == '/' ? std::string(account->pw_dir) + "/" : "/";

  EXPECT_EQ(WithHome(home.c_str()), home + "/");
  EXPECT_EQ(WithHome((home + "//").c_str()), home + "/");
  EXPECT_EQ(WithHome("/"), "/");
  EXPECT_EQ(WithHome(longest.c_str()), longest + "/");
  EXPECT_EQ(WithHome((longest + "e").c_str()), "/") << "too long to remember";
  EXPECT_EQ(WithHome((base + "file").c_str()), "/") << "no folder";
  EXPECT_EQ(WithHome((base + "missing").c_str()), "/");
  EXPECT_EQ(WithHome("home"), "/") << "a relative path";
  EXPECT_EQ(WithHome(""), accountHome);
  EXPECT_EQ(WithHome(nullptr), accountHome);
  testfs::RemoveTree(base);
}

}  // namespace
