// The shell's folder browser, worked through its real window from a second
// thread. Folders to preselect lie on drive C:, where the browser finds them.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <initializer_list>
#include <string>
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

// Wine's browser finds a folder by an ID that holds the folder's last access
// time, and the first listing of a folder made or changed since it was last
// listed moves that time: the folder that the browser looks for is then not
// the one it lists. Listing each new folder once beforehand settles it.
void ListOnce(const wchar_t* folder) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((std::wstring(folder) + L"\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  while (FindNextFileW(search, &entry)) {
  }
  FindClose(search);
}

class ShellBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeFolders({L"C:\\tavro-browser", L"C:\\tavro-browser\\Fotos"});
  }

  static void MakeFolders(std::initializer_list<const wchar_t*> folders) {
    for (const wchar_t* folder : folders) CreateDirectoryW(folder, nullptr);
    for (const wchar_t* folder : folders) ListOnce(folder);
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

// A remembered folder that is gone leaves nothing selected that OK could
// confirm: not the Desktop, nor an ancestor of the folder.
TEST_F(ShellBrowser, AMissingRememberedFolderLeavesNothingToConfirm) {
  strcpy(buffer_, "C:\\tavro-browser\\gone\\");
  int chosen = Choose(kTargetTitle, kTargetFolder, [](HWND browser) {
    Sleep(300);
    driver::Press(browser, IDOK);
    // Where OK is refused the browser stays: then it is cancelled.
    Sleep(300);
    if (IsWindow(browser) && IsWindowVisible(browser)) driver::Press(browser, IDCANCEL);
  });
  EXPECT_EQ(chosen, 0);
  EXPECT_STREQ(buffer_, "C:\\tavro-browser\\gone\\");
}

// A folder whose name the code page cannot hold would come back as the best
// fit of its path: another folder, which exists. It is refused with a word,
// and the browser comes again.
TEST_F(ShellBrowser, AFolderTheCodePageCannotNameIsRefusedAndAskedForAgain) {
  if (GetACP() == CP_UTF8) GTEST_SKIP() << "a UTF-8 code page holds every name";
  MakeFolders({L"C:\\tavro-browser\\Osaka", L"C:\\tavro-browser\\\u014csaka", L"C:\\tavro-browser"});
  const struct {
    const wchar_t* selected;
    int chosen;
    const char* buffer;
  } cases[] = {
      {L"C:\\tavro-browser\\Osaka", 1, "C:\\tavro-browser\\Osaka\\"},
      {L"C:\\tavro-browser\\\u014csaka", 0, "C:\\tavro-browser\\"},
  };
  for (const auto& test : cases) {
    strcpy(buffer_, "C:\\tavro-browser\\");
    std::string told;
    // The user selects the folder in the tree, then presses OK.
    int chosen = Choose(kSourceTitle, kSourceFolder, [&](HWND browser) {
      Sleep(300);
      SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(test.selected));
      driver::Press(browser, IDOK);
      HWND box = nullptr, again = nullptr;
      if (test.chosen == 1 || !driver::WaitUntil([&] { return (box = driver::FindDialog("Fehler")) != nullptr; }))
        return;
      told = driver::StaticText(box);
      driver::Press(box, IDOK);
      if (driver::WaitUntil([&] { return (again = FindBrowser(kSourceTitle)) != nullptr; }))
        driver::Press(again, IDCANCEL);
      else
        ADD_FAILURE() << "the browser did not come again";
    });
    EXPECT_EQ(chosen, test.chosen) << test.buffer;
    EXPECT_STREQ(buffer_, test.buffer);
    if (test.chosen == 0) {
      EXPECT_EQ(told, "This folder cannot be used: its name cannot be written in this system's code page.\n"
                      "C:\\tavro-browser\\?saka");
    }
  }
}

}  // namespace
