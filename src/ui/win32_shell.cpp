// Opening a folder in the shell's file browser.
#include <windows.h>
#include <shellapi.h>

#include "ui.h"

void OpenFolderInBrowser(WindowHandle owner, const char* folder) {
  ShellExecuteA(static_cast<HWND>(owner), nullptr, folder, nullptr, nullptr, SW_SHOWNORMAL);
}
