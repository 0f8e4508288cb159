// What only the settings file can go through.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/os.h"
#include "settings/settings.h"
#include "settings_store.h"
#include "test_files.h"

namespace {

std::string Read(const char* name) {
  char buffer[270];
  ReadFolderSetting(name, buffer, DefaultFolder());
  return buffer;
}

TEST(SettingsFile, AFileThatCannotBeParsedGivesTheDefaults) {
  store::Clear();
  store::PutText("SourcePath", "/ok/");
  std::string file = std::string(getenv("XDG_CONFIG_HOME")) + "Tavro/settings.ini";
  testfs::WriteFile(file, std::string("\x01\x02[[[not a key file\n\xff\xfe", 22));
  EXPECT_EQ(Read("SourcePath"), DefaultFolder());
  // Writing replaces the broken file with a good one.
  WriteFolderSetting("SourcePath", "/photos/");
  EXPECT_EQ(Read("SourcePath"), "/photos/");
  store::Clear();
}

TEST(SettingsFile, APipeInItsPlaceCountsAsAbsentAndHoldsNothingUp) {
  store::Clear();
  std::string folder = std::string(getenv("XDG_CONFIG_HOME")) + "Tavro/";
  testfs::MakeFolder(folder);
  testfs::MakeSystemEntry(folder, "settings.ini");  // a pipe nobody writes to
  EXPECT_EQ(Read("SourcePath"), DefaultFolder());
  WriteFolderSetting("SourcePath", "/photos/");
  EXPECT_EQ(Read("SourcePath"), "/photos/");
  store::Clear();
}

TEST(SettingsFile, IsReplacedWholeAndLeavesNoTemporaryFile) {
  store::Clear();
  WriteFolderSetting("SourcePath", "/a/");
  WriteFolderSetting("TargetPath", "/b/");
  std::string folder = std::string(getenv("XDG_CONFIG_HOME")) + "Tavro/";
  EXPECT_EQ(testfs::Names(folder), std::vector<std::string>{"settings.ini"});
  store::Clear();
}

TEST(SettingsFile, ANameThatIsNotUtf8ReadsBack) {
  store::Clear();
  std::string latin1 = "/fotos/m\xfcnchen/";
  WriteFolderSetting("SourcePath", latin1.c_str());
  EXPECT_EQ(Read("SourcePath"), latin1);
  store::Clear();
}

TEST(SettingsFile, WithoutAPlaceToStoreNothingIsWrittenAndTheDefaultStays) {
  store::Clear();
  std::string config = getenv("XDG_CONFIG_HOME");
  testfs::WriteFile(config + "Tavro", "a file where the folder should be");
  WriteFolderSetting("SourcePath", "/x/");
  EXPECT_EQ(Read("SourcePath"), DefaultFolder());
  testfs::RemoveTree(config + "Tavro");
}

}  // namespace
