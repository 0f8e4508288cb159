// The folder browser on Windows: the shell's browser, centred on the screen,
// opened on the remembered folder.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

#include "platform/text.h"
#include "run/shared_state.h"
#include "ui.h"

namespace {

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM parameter, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    int screenWidth = GetDeviceCaps(display, HORZRES);
    int screenHeight = GetDeviceCaps(display, VERTRES);
    RECT window;
    GetWindowRect(browser, &window);
    int width = window.right - window.left, height = window.bottom - window.top;
    SetWindowPos(browser, HWND_TOP, (screenWidth - width) / 2, (screenHeight - height) / 2, 0, 0, SWP_NOSIZE);
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, data);
    DeleteDC(display);
  } else if (message == BFFM_SELCHANGED) {
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter), path))
      SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
  }
  return 0;
}

// The chosen item's 8-bit path, or false when it has none or the 8-bit path
// does not name exactly this item. Where the code page cannot hold a letter of
// the path, the shell gives a best fit ("Osaka" for a folder whose name begins
// with an O with macron), which can name another existing folder: the one the
// clear prompt would then empty.
bool ExactFolderPath(PCIDLIST_ABSOLUTE item, char* path) {
  wchar_t widePath[MAX_PATH];
  if (!SHGetPathFromIDListA(item, path) || !SHGetPathFromIDListW(item, widePath)) return false;
  wchar_t back[MAX_PATH + 1];
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, back, MAX_PATH + 1) == 0) return false;
  return wcscmp(back, widePath) == 0;
}

}  // namespace

int ChooseFolder(WindowHandle owner, const char* title, char* buffer, FolderKind kind) {
  // The new-style browser is built from COM objects on this thread.
  static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)com;
  char displayName[MAX_PATH];
  BROWSEINFOA description = {};
  description.hwndOwner = static_cast<HWND>(owner);
  description.pszDisplayName = displayName;
  description.lpszTitle = title;
  description.ulFlags = kind == kSourceFolder ? BIF_RETURNONLYFSDIRS
                                              : BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE;
  description.lpfn = BrowseCallback;
  description.lParam = reinterpret_cast<LPARAM>(buffer);
  description.iImage = 0;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&description);
  if (item == nullptr) return 0;
  char path[MAX_PATH];
  bool hasPath = ExactFolderPath(item, path);
  CoTaskMemFree(item);
  if (!hasPath) return 0;
  // A drive root comes with its backslash already ("C:\"); every other folder
  // gets one added.
  char chosen[kFolderSize];
  if (!FormatText(chosen, sizeof chosen, "%s\\", path)) return 0;
  if (chosen[3] == '\\') chosen[3] = '\0';
  memcpy(buffer, chosen, strlen(chosen) + 1);
  return 1;
}
