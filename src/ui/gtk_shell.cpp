// Opening a folder in the desktop's default file browser. Where there is
// none, the folder's path is shown once the run is over, so that the person
// still learns where the copies went.
#include <gio/gio.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "linux_backends.h"

namespace {
std::mutex unopenedMutex;
std::string unopened;  // the folder no file browser opened; guarded by unopenedMutex
}  // namespace

// Called on the copy worker's thread: it only launches and notes.
void GtkOpenFolderInBrowser(WindowHandle, const char* folder) {
  gchar* uri = g_filename_to_uri(folder, nullptr, nullptr);
  bool opened = uri != nullptr && g_app_info_launch_default_for_uri(uri, nullptr, nullptr);
  g_free(uri);
  if (opened) return;
  std::lock_guard<std::mutex> guard(unopenedMutex);
  unopened = folder;
}

void GtkShowUnopenedFolder() {
  std::string folder;
  {
    std::lock_guard<std::mutex> guard(unopenedMutex);
    folder.swap(unopened);
  }
  if (folder.empty()) return;
  fprintf(stderr, "tavro: no file browser opened the target folder %s\n", folder.c_str());
  std::string text = "No file browser could open the target folder:\n" + folder;
  GtkShowMessageBox(text.c_str(), "Target Folder", kButtonsOk, kIconError, 1);
}
