// What only the registry can go through.
#include <windows.h>

#include <gtest/gtest.h>

#include "settings/settings.h"
#include "settings_store.h"

namespace store {
void PutBytes(const std::string& name, const std::string& bytes, DWORD type);
}

namespace {

std::string Read(const char* name) {
  char buffer[270];
  ReadFolderSetting(name, buffer, "C:\\");
  return buffer;
}

TEST(Registry, AValueWithoutItsTerminatorGivesTheDefault) {
  store::Clear();
  // Read as the stored text, it would lose its last character to the terminator.
  store::PutBytes("SourcePath", "D:\\photos\\", REG_BINARY);
  EXPECT_EQ(Read("SourcePath"), "C:\\");
  // Some systems add the missing terminator to a text value as they read it;
  // what comes back is then the whole text, never one cut short.
  store::PutBytes("SourcePath", "D:\\photos\\", REG_SZ);
  std::string read = Read("SourcePath");
  EXPECT_TRUE(read == "C:\\" || read == "D:\\photos\\") << read;
  store::PutBytes("SourcePath", "", REG_SZ);
  EXPECT_EQ(Read("SourcePath"), "C:\\");
  store::Clear();
}

TEST(Registry, TheTypeOfAWellFormedValueIsNotLookedAt) {
  store::Clear();
  store::PutBytes("TargetPath", std::string("D:\\photos\\") + std::string(1, '\0'), REG_BINARY);
  EXPECT_EQ(Read("TargetPath"), "D:\\photos\\");
  store::Clear();
}

}  // namespace
