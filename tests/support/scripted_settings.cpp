// The scripted run's settings store: the two folders in memory.
#include <cstdio>
#include <map>
#include <mutex>

#include "run/shared_state.h"
#include "scripted_ui.h"
#include "settings/settings.h"

namespace {
std::mutex mutex;
std::map<std::string, std::string> settings;
}  // namespace

namespace script {

void ClearSettings() {
  std::lock_guard<std::mutex> guard(mutex);
  settings.clear();
}

void StoreSetting(const std::string& name, const std::string& value) {
  std::lock_guard<std::mutex> guard(mutex);
  settings[name] = value;
}

bool StoredSetting(const std::string& name, std::string* value) {
  std::lock_guard<std::mutex> guard(mutex);
  auto found = settings.find(name);
  if (found == settings.end()) return false;
  *value = found->second;
  return true;
}

}  // namespace script

char* ReadFolderSetting(const char* valueName, char* buffer, const char* defaultText) {
  std::string value;
  const char* text = script::StoredSetting(valueName, &value) ? value.c_str() : defaultText;
  snprintf(buffer, kFolderSize, "%s", text);
  return buffer;
}

void WriteFolderSetting(const char* valueName, const char* text) {
  script::Record(std::string("write|") + valueName + "|" + text);
  script::StoreSetting(valueName, text);
}
