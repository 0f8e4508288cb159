// The shell's folder browser, worked through its real window from a second
// thread. Folders to preselect lie on drive C:, where the browser finds them.
#include <gtest/gtest.h>

#include <thread>

#include "run/shared_state.h"
#include "ui/ui.h"
#include "win32_window_driver.h"

namespace {

constexpr const char* kSourceTitle = "Auswahl Quell Verzeichnis ";
constexpr const char* kTargetTitle = "Auswahl Ziel Verzeichnis ";

// The visible dialog that shows this instruction text.
HWND FindBrowser(const char* instruction) {
  struct Search {
    const char* text;
    HWND found;
  } search{instruction, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        Search* search = reinterpret_cast<Search*>(data);
        char className[64];
        GetClassNameA(window, className, sizeof className);
        if (strcmp(className, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        EnumChildWindows(
            window,
            [](HWND child, LPARAM data) -> BOOL {
              Search* search = reinterpret_cast<Search*>(data);
              if (driver::Caption(child) == search->text) search->found = GetParent(child);
              return search->found == nullptr;
            },
            data);
        return search->found == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class ShellBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryA("C:\\tavro-browser", nullptr);
    CreateDirectoryA("C:\\tavro-browser\\Fotos", nullptr);
  }

  // Shows the browser on this thread while the user works it from another.
  int Choose(const char* title, FolderKind kind, const std::function<void(HWND)>& user) {
    std::thread worker([&] {
      HWND browser = nullptr;
      if (driver::WaitUntil([&] { return (browser = FindBrowser(title)) != nullptr; }))
        user(browser);
      else
        ADD_FAILURE() << "the browser never showed";
    });
    int chosen = ChooseFolder(nullptr, title, buffer_, kind);
    worker.join();
    return chosen;
  }

  char buffer_[kFolderSize];
};

TEST_F(ShellBrowser, OpensCentredOnTheRememberedFolderAndOkReturnsIt) {
  strcpy(buffer_, "C:\\tavro-browser\\Fotos\\");
  int chosen = Choose(kSourceTitle, kSourceFolder, [](HWND browser) {
    Sleep(300);  // let the browser settle where it is put
    RECT window;
    GetWindowRect(browser, &window);
    int width = window.right - window.left, height = window.bottom - window.top;
    EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    CreateDirectoryA(TAVRO_SCREENSHOT_DIR, nullptr);
    driver::SaveScreenshot(browser, TAVRO_SCREENSHOT_DIR "/folder-browser-windows.bmp");
    driver::Press(browser, IDOK);
  });
  EXPECT_EQ(chosen, 1);
  EXPECT_STREQ(buffer_, "C:\\tavro-browser\\Fotos\\");
}

TEST_F(ShellBrowser, TheTargetsNewStyleBrowserReturnsTheRememberedFolder) {
  strcpy(buffer_, "C:\\tavro-browser\\");
  int chosen = Choose(kTargetTitle, kTargetFolder, [](HWND browser) {
    Sleep(300);
    driver::Press(browser, IDOK);
  });
  EXPECT_EQ(chosen, 1);
  EXPECT_STREQ(buffer_, "C:\\tavro-browser\\");
}

TEST_F(ShellBrowser, ADriveRootKeepsASingleBackslash) {
  strcpy(buffer_, "C:\\");
  int chosen = Choose(kSourceTitle, kSourceFolder, [](HWND browser) {
    Sleep(300);
    driver::Press(browser, IDOK);
  });
  EXPECT_EQ(chosen, 1);
  EXPECT_STREQ(buffer_, "C:\\");
}

TEST_F(ShellBrowser, CancelLeavesTheBufferAsItWas) {
  strcpy(buffer_, "C:\\tavro-browser\\Fotos\\");
  EXPECT_EQ(Choose(kSourceTitle, kSourceFolder, [](HWND browser) { driver::Press(browser, IDCANCEL); }), 0);
  EXPECT_STREQ(buffer_, "C:\\tavro-browser\\Fotos\\");
  strcpy(buffer_, "C:\\no such folder\\");
  EXPECT_EQ(Choose(kTargetTitle, kTargetFolder, [](HWND browser) { driver::Key(browser, VK_ESCAPE); }), 0);
  EXPECT_STREQ(buffer_, "C:\\no such folder\\");
}

}  // namespace
