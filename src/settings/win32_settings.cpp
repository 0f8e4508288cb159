// The two remembered folders in the registry, key Tavro directly under
// HKEY_CURRENT_USER, as REG_SZ values with their terminating zero.
#include <windows.h>

#include <cstring>

#include "run/shared_state.h"
#include "settings.h"

namespace {
constexpr const char* kKey = "Tavro";

void CopyDefault(char* buffer, const char* defaultText) {
  size_t length = strlen(defaultText);
  if (length >= static_cast<size_t>(kFolderSize)) length = kFolderSize - 1;
  memcpy(buffer, defaultText, length);
  buffer[length] = '\0';
}
}  // namespace

char* ReadFolderSetting(const char* valueName, char* buffer, const char* defaultText) {
  CopyDefault(buffer, defaultText);
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return buffer;
  char stored[kFolderSize];
  DWORD size = sizeof stored;
  // The value's type is not looked at. A value whose last byte is not its
  // terminator (written by another program) would lose its last character to
  // the terminator and name a folder cut short: the default stands instead.
  if (RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(stored), &size) ==
          ERROR_SUCCESS &&
      size >= 1 && stored[size - 1] == '\0')
    memcpy(buffer, stored, size);
  RegCloseKey(key);
  return buffer;
}

void WriteFolderSetting(const char* valueName, const char* text) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(strlen(text) + 1));
  RegFlushKey(key);
  RegCloseKey(key);
}
