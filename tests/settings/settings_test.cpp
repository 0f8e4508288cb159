// The two remembered folders in the platform's real store.
#include <gtest/gtest.h>

#include "platform/os.h"
#include "run/run.h"
#include "run/shared_state.h"
#include "scripted_ui.h"
#include "settings/settings.h"
#include "settings_store.h"
#include "test_files.h"

// Here the scripted run's settings are the real store.
void script::ClearSettings() { store::Clear(); }

namespace {

class FolderSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    store::Clear();
    script::Reset();
  }
  void TearDown() override { store::Clear(); }

  std::string Read(const char* name) {
    char buffer[kFolderSize];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(ReadFolderSetting(name, buffer, DefaultFolder()), buffer);
    return buffer;
  }
};

TEST_F(FolderSettings, AFirstRunGivesTheDefault) {
  EXPECT_EQ(Read("SourcePath"), DefaultFolder());
  EXPECT_EQ(Read("TargetPath"), DefaultFolder());
}

TEST_F(FolderSettings, AWrittenFolderReadsBackExactly) {
  std::string source = testfs::NewFolder();
  std::string odd = source + " two  spaces\\back#semi;colon=equals" + testfs::kSeparator;
  WriteFolderSetting("SourcePath", source.c_str());
  WriteFolderSetting("TargetPath", odd.c_str());
  EXPECT_EQ(Read("SourcePath"), source);  // trailing separator included
  EXPECT_EQ(Read("TargetPath"), odd);
  std::string stored;
  ASSERT_TRUE(store::Stored("SourcePath", &stored));
  EXPECT_EQ(stored, source);
  // Writing one value leaves the other alone.
  WriteFolderSetting("SourcePath", DefaultFolder());
  EXPECT_EQ(Read("TargetPath"), odd);
  testfs::RemoveTree(source);
}

TEST_F(FolderSettings, AnOversizedValueGivesTheDefaultNotAFolderCutShort) {
  store::PutText("TargetPath", std::string(300, 'a') + testfs::kSeparator);
  EXPECT_EQ(Read("TargetPath"), DefaultFolder());
  store::PutText("TargetPath", std::string(268, 'a') + testfs::kSeparator);  // fits exactly
  EXPECT_EQ(Read("TargetPath"), std::string(268, 'a') + testfs::kSeparator);
}

TEST_F(FolderSettings, ARunCancelledInTheTargetBrowserStoresOnlyTheSource) {
  std::string source = testfs::NewFolder();
  WriteFolderSetting("TargetPath", "remembered target");
  script::AnswerFolders({{true, source}, {false, ""}});
  RunProgram(nullptr);
  std::string stored;
  ASSERT_TRUE(store::Stored("SourcePath", &stored));
  EXPECT_EQ(stored, source);
  ASSERT_TRUE(store::Stored("TargetPath", &stored));
  EXPECT_EQ(stored, "remembered target");
  // The browsers opened on what was stored before.
  EXPECT_EQ(script::EventsStartingWith("choose|"),
            (std::vector<std::string>{std::string("choose|Auswahl Quell Verzeichnis |") + DefaultFolder() + "|source",
                                      "choose|Auswahl Ziel Verzeichnis |remembered target|target"}));
  testfs::RemoveTree(source);
}

}  // namespace
