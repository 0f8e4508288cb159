// The settings file, in a configuration folder of the test's own.
#include <glib.h>
#include <glib/gstdio.h>

#include <cstdlib>
#include <string>

#include "settings_store.h"
#include "test_files.h"

namespace store {

namespace {
std::string ConfigHome() {
  static const std::string home = [] {
    std::string folder = testfs::NewFolder();
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    return folder;
  }();
  return home;
}

std::string File() { return ConfigHome() + "Tavro/settings.ini"; }
}  // namespace

void Clear() { testfs::RemoveTree(ConfigHome() + "Tavro"); }

void PutText(const std::string& name, const std::string& text) {
  g_mkdir_with_parents((ConfigHome() + "Tavro").c_str(), 0700);
  testfs::WriteFile(File(), "[Tavro]\n" + name + "=" + text + "\n");
}

bool Stored(const std::string& name, std::string* text) {
  GKeyFile* file = g_key_file_new();
  bool found = false;
  if (g_key_file_load_from_file(file, File().c_str(), G_KEY_FILE_NONE, nullptr)) {
    gchar* value = g_key_file_get_string(file, "Tavro", name.c_str(), nullptr);
    if (value != nullptr) {
      *text = value;
      found = true;
    }
    g_free(value);
  }
  g_key_file_free(file);
  return found;
}

}  // namespace store
