// The folder browser on Linux, worked through its real window.
#include <gtest/gtest.h>

#include <cstring>

#include "gtk_window_driver.h"
#include "run/shared_state.h"
#include "test_files.h"
#include "ui/gtk_session.h"
#include "ui/ui.h"

namespace {

using driver::Step;
constexpr const char* kSourceTitle = "Auswahl Quell Verzeichnis ";
constexpr const char* kTargetTitle = "Auswahl Ziel Verzeichnis ";

class FolderBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!EnsureGtk()) GTEST_SKIP() << "no display";
    folder_ = testfs::NewFolder();
    testfs::MakeFolder(folder_ + "Fotos");
  }
  void TearDown() override {
    if (!folder_.empty()) testfs::RemoveTree(folder_);
  }

  // Shows the browser on the buffer while the steps work it.
  int Choose(const char* title, FolderKind kind, std::vector<Step> steps) {
    driver::Start(std::move(steps), driver::CloseEverything);
    int chosen = ChooseFolder(nullptr, title, buffer_, kind);
    EXPECT_TRUE(driver::Finished());
    return chosen;
  }

  // Waits until the browser shows the folder (it loads it in the background), then checks it.
  static Step Inspect(const char* title, const std::string& shown, std::function<void(GtkWindow*)> check) {
    return [=] {
      GtkWindow* browser = driver::FindWindow(title);
      if (browser == nullptr || CurrentFolder(browser) != shown) return false;
      check(browser);
      return true;
    };
  }

  static Step Press(const char* title, const char* button) {
    return [=] {
      GtkWindow* browser = driver::FindWindow(title);
      GtkWidget* widget = browser ? driver::FindButton(browser, button) : nullptr;
      if (widget) driver::Click(widget);
      return widget != nullptr;
    };
  }

  static std::string CurrentFolder(GtkWindow* browser) {
    gchar* folder = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(browser));
    std::string text = folder ? folder : "";
    g_free(folder);
    return text;
  }

  std::string folder_;
  char buffer_[kFolderSize];
};

TEST_F(FolderBrowser, OpensOnTheRememberedFolderAndOkReturnsItWithOneSeparator) {
  std::string remembered = folder_ + "Fotos/";
  snprintf(buffer_, sizeof buffer_, "%s", remembered.c_str());
  int chosen = Choose(kSourceTitle, kSourceFolder,
                      {Inspect(kSourceTitle, folder_ + "Fotos",
                               [&](GtkWindow* browser) {
                                 // Only the target's browser makes new folders.
                                 EXPECT_FALSE(gtk_file_chooser_get_create_folders(GTK_FILE_CHOOSER(browser)));
                                 g_mkdir_with_parents(TAVRO_SCREENSHOT_DIR, 0755);
                                 driver::SaveScreenshot(browser, TAVRO_SCREENSHOT_DIR "/folder-browser-linux.png");
                               }),
                       [] {
                         GtkWindow* browser = driver::FindWindow(kSourceTitle);
                         if (browser) driver::Key(browser, GDK_KEY_Return);
                         return browser != nullptr;
                       }});
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(std::string(buffer_), remembered);
}

TEST_F(FolderBrowser, TheTargetsBrowserMakesNewFoldersAndTheRootKeepsOneSeparator) {
  snprintf(buffer_, sizeof buffer_, "/");
  int chosen = Choose(kTargetTitle, kTargetFolder,
                      {Inspect(kTargetTitle, "/",
                               [](GtkWindow* browser) {
                                 EXPECT_TRUE(gtk_file_chooser_get_create_folders(GTK_FILE_CHOOSER(browser)));
                               }),
                       Press(kTargetTitle, "OK")});
  EXPECT_EQ(chosen, 1);
  EXPECT_STREQ(buffer_, "/");
}

TEST_F(FolderBrowser, CancelLeavesTheBufferAsItWas) {
  snprintf(buffer_, sizeof buffer_, "%sFotos/", folder_.c_str());
  std::string before = buffer_;
  EXPECT_EQ(Choose(kSourceTitle, kSourceFolder, {Press(kSourceTitle, "Cancel")}), 0);
  EXPECT_EQ(std::string(buffer_), before);
  // A remembered folder that is gone: the browser opens all the same.
  snprintf(buffer_, sizeof buffer_, "%sgone/", folder_.c_str());
  EXPECT_EQ(Choose(kTargetTitle, kTargetFolder,
                   {[] {
                     GtkWindow* browser = driver::FindWindow(kTargetTitle);
                     if (browser) driver::Key(browser, GDK_KEY_Escape);
                     return browser != nullptr;
                   }}),
            0);
  EXPECT_EQ(std::string(buffer_), folder_ + "gone/");
}

}  // namespace
