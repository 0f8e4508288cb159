// The folder browser on Windows: the shell's browser, centred on the screen,
// opened on the remembered folder.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cwchar>

#include "platform/text.h"
#include "platform/win32_names.h"
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
    // A remembered folder that is gone (a stick pulled out) must not leave the
    // Desktop selected, nor one of its ancestors, either of which one Enter
    // would confirm and the clear prompt then offer to empty: the computer is
    // selected instead, which no file-system folder browser confirms.
    DWORD remembered = GetFileAttributesA(reinterpret_cast<const char*>(data));
    PIDLIST_ABSOLUTE computer = nullptr;
    if (remembered != INVALID_FILE_ATTRIBUTES && (remembered & FILE_ATTRIBUTE_DIRECTORY))
      SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    else if (SHGetSpecialFolderLocation(browser, CSIDL_DRIVES, &computer) == S_OK)
      SendMessageA(browser, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer));
    if (computer != nullptr) CoTaskMemFree(computer);
    SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, data);
    DeleteDC(display);
  } else if (message == BFFM_SELCHANGED) {
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter), path))
      SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
  }
  return 0;
}

enum ChosenPath { kPathTaken, kNoFolderPath, kPathNotInCodePage, kPathTooLong };

// The chosen item's folder with one trailing backslash, when it has a path
// that fits and that the 8-bit path names exactly. Where the code page
// cannot hold a letter of the path, the shell gives a best fit ("Osaka" for a
// folder whose name begins with an O with macron), which can name another
// existing folder: the one the clear prompt would then empty.
ChosenPath ChosenFolder(PCIDLIST_ABSOLUTE item, char* folder, char* shown, size_t shownSize) {
  wchar_t widePath[MAX_PATH];
  char path[MAX_PATH];
  if (!SHGetPathFromIDListW(item, widePath)) return kNoFolderPath;
  ShownName(widePath, shown, shownSize);
  wchar_t back[MAX_PATH + 1];
  if (!SHGetPathFromIDListA(item, path) || MultiByteToWideChar(CP_ACP, 0, path, -1, back, MAX_PATH + 1) == 0 ||
      wcscmp(back, widePath) != 0)
    return kPathNotInCodePage;
  // A drive root comes with its backslash already ("C:\"); every other folder
  // gets one added.
  if (!FormatText(folder, kFolderSize, "%s\\", path)) return kPathTooLong;
  if (folder[3] == '\\') folder[3] = '\0';
  return kPathTaken;
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
  // A folder that cannot be used is told, and the browser shown again.
  for (;;) {
    PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&description);
    if (item == nullptr) return 0;
    char chosen[kFolderSize], shown[kFolderSize], text[kFolderSize + 160];
    ChosenPath path = ChosenFolder(item, chosen, shown, sizeof shown);
    CoTaskMemFree(item);
    if (path == kNoFolderPath) return 0;
    if (path == kPathTaken) {
      memcpy(buffer, chosen, strlen(chosen) + 1);
      return 1;
    }
    FormatText(text, sizeof text, "This folder cannot be used: %s\n%s",
               path == kPathTooLong ? "its path is too long." : "its name cannot be written in this system's code page.",
               shown);
    ShowMessageBox(text, "Fehler", kButtonsOk, kIconError, 1);
  }
}
