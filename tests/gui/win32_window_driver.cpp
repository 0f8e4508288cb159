#include "win32_window_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

namespace driver {

namespace {
struct Search {
  const char* caption;
  HWND found;
  int count;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
  Search* search = reinterpret_cast<Search*>(data);
  char className[64];
  GetClassNameA(window, className, sizeof className);
  if (strcmp(className, "#32770") == 0 && IsWindowVisible(window) && Caption(window) == search->caption) {
    if (search->found == nullptr) search->found = window;
    search->count++;
  }
  return TRUE;
}

BOOL CALLBACK FirstStatic(HWND child, LPARAM data) {
  char className[64];
  GetClassNameA(child, className, sizeof className);
  if (strcmp(className, "Static") == 0 && GetWindowTextLengthA(child) > 0) {
    *reinterpret_cast<std::string*>(data) = Caption(child);
    return FALSE;
  }
  return TRUE;
}
}  // namespace

bool WaitUntil(const std::function<bool()>& condition, int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 10) {
    if (condition()) return true;
    Sleep(10);
  }
  return condition();
}

HWND FindDialog(const char* caption) {
  Search search{caption, nullptr, 0};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int CountDialogs(const char* caption) {
  Search search{caption, nullptr, 0};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search.count;
}

std::string Caption(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string StaticText(HWND dialog) {
  std::string text;
  EnumChildWindows(dialog, FirstStatic, reinterpret_cast<LPARAM>(&text));
  return text;
}

void BarRange(HWND dialog, int* low, int* high) {
  PBRANGE range{};
  SendDlgItemMessageA(dialog, 101, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  *low = range.iLow;
  *high = range.iHigh;
}

int BarPosition(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, 101, PBM_GETPOS, 0, 0)); }

void Press(HWND dialog, int buttonId) { PostMessageA(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0); }

void Key(HWND dialog, WPARAM key) {
  PostMessageA(dialog, WM_KEYDOWN, key, 1);
  PostMessageA(dialog, WM_KEYUP, key, 0xC0000001);
}

bool SaveScreenshot(HWND window, const std::string& path) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  int stride = (width * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<size_t>(stride) * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  fwrite(&header, sizeof header, 1, file);
  fwrite(&info, sizeof info, 1, file);
  fwrite(pixels.data(), 1, pixels.size(), file);
  return fclose(file) == 0;
}

}  // namespace driver
