// The two remembered folders in a key file of their own,
// ${XDG_CONFIG_HOME:-$HOME/.config}/Tavro/settings.ini, group Tavro. A file
// that cannot be read or understood means the defaults.
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "run/shared_state.h"
#include "settings.h"

namespace {
constexpr const char* kGroup = "Tavro";

// Looked up on every call, so that the place follows the environment.
std::string SettingsFolder() {
  const char* config = getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/Tavro";
  const char* home = getenv("HOME");
  if (home == nullptr || home[0] == '\0') return std::string();
  return std::string(home) + "/.config/Tavro";
}

constexpr off_t kLargestSettings = 1 << 20;

// The content of the settings file, when it is an ordinary file of a
// sensible size. Opened without blocking: a pipe or a device in its place
// would otherwise hold the program before it has shown anything.
bool ReadSettingsFile(const std::string& path, std::string* content) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kLargestSettings;
  if (ok) {
    content->resize(static_cast<size_t>(info.st_size));
    ssize_t got = read(fd, &(*content)[0], content->size());
    ok = got == info.st_size;
  }
  close(fd);
  return ok;
}

// The settings file, loaded; an empty key file when there is none or it is unreadable.
GKeyFile* LoadSettings(const std::string& path) {
  GKeyFile* settings = g_key_file_new();
  std::string content;
  if (!path.empty() && ReadSettingsFile(path, &content) &&
      g_key_file_load_from_data(settings, content.data(), content.size(), G_KEY_FILE_KEEP_COMMENTS, nullptr))
    return settings;
  g_key_file_free(settings);
  return g_key_file_new();
}
// Undoes the key file's escapes (\s \n \t \r \\). Read as raw bytes, since a
// folder's name need not be UTF-8, which the key file's own string reading demands.
std::string Unescape(const char* value) {
  std::string text;
  for (const char* c = value; *c; c++) {
    if (*c != '\\' || c[1] == '\0') {
      text += *c;
      continue;
    }
    switch (*++c) {
      case 's': text += ' '; break;
      case 'n': text += '\n'; break;
      case 't': text += '\t'; break;
      case 'r': text += '\r'; break;
      default: text += *c; break;
    }
  }
  return text;
}
}  // namespace

char* ReadFolderSetting(const char* valueName, char* buffer, const char* defaultText) {
  snprintf(buffer, kFolderSize, "%s", defaultText);
  std::string folder = SettingsFolder();
  if (folder.empty()) return buffer;
  GKeyFile* settings = LoadSettings(folder + "/settings.ini");
  gchar* raw = g_key_file_get_value(settings, kGroup, valueName, nullptr);
  std::string value = raw ? Unescape(raw) : std::string();
  g_free(raw);
  // An empty or oversized value (which would be cut short) leaves the default.
  if (!value.empty() && value.size() < static_cast<size_t>(kFolderSize) && value.find('\0') == std::string::npos)
    memcpy(buffer, value.c_str(), value.size() + 1);
  g_key_file_free(settings);
  return buffer;
}

void WriteFolderSetting(const char* valueName, const char* text) {
  std::string folder = SettingsFolder();
  if (folder.empty() || g_mkdir_with_parents(folder.c_str(), 0700) != 0) return;
  std::string path = folder + "/settings.ini";
  GKeyFile* settings = LoadSettings(path);
  g_key_file_set_string(settings, kGroup, valueName, text);
  // Written to a temporary file and renamed into place: a crash never leaves
  // a half-written file.
  g_key_file_save_to_file(settings, path.c_str(), nullptr);
  g_key_file_free(settings);
}
