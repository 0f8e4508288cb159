// The registry key of the test's own Wine prefix.
#include <windows.h>

#include "settings_store.h"

namespace store {

void Clear() { RegDeleteKeyA(HKEY_CURRENT_USER, "Tavro"); }

void PutBytes(const std::string& name, const std::string& bytes, DWORD type) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Tavro", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0) return;
  RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                 static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
}

void PutText(const std::string& name, const std::string& text) {
  PutBytes(name, text + std::string(1, '\0'), REG_SZ);
}

bool Stored(const std::string& name, std::string* text) {
  char data[1024];
  DWORD size = sizeof data, type = 0;
  if (RegGetValueA(HKEY_CURRENT_USER, "Tavro", name.c_str(), RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_SZ || size == 0 || data[size - 1] != '\0') return false;
  *text = data;
  return true;
}

}  // namespace store
