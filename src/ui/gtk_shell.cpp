// Opening a folder in the desktop's default file browser; where there is
// none, nothing happens.
#include <gio/gio.h>

#include "linux_backends.h"

void GtkOpenFolderInBrowser(WindowHandle, const char* folder) {
  gchar* uri = g_filename_to_uri(folder, nullptr, nullptr);
  if (uri == nullptr) return;
  g_app_info_launch_default_for_uri(uri, nullptr, nullptr);
  g_free(uri);
}
