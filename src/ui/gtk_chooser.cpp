// The folder browser on Linux: the desktop's own chooser where it offers one
// (through the portal), else GTK's, opened on the remembered folder.
#include <gtk/gtk.h>

#include <cstring>

#include "gtk_session.h"
#include "platform/text.h"
#include "run/shared_state.h"
#include "linux_backends.h"

int GtkChooseFolder(WindowHandle, const char* title, char* buffer, FolderKind kind) {
  if (!EnsureGtk()) return 0;
  GtkFileChooserNative* chooser =
      gtk_file_chooser_native_new(title, nullptr, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_OK", "_Cancel");
  GtkFileChooser* files = GTK_FILE_CHOOSER(chooser);
  gtk_file_chooser_set_local_only(files, TRUE);
  gtk_file_chooser_set_create_folders(files, kind == kTargetFolder);
  // A remembered folder that no longer exists leaves the chooser where it starts by itself.
  if (g_file_test(buffer, G_FILE_TEST_IS_DIR)) gtk_file_chooser_set_current_folder(files, buffer);
  int chosen = 0;
  if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
    gchar* path = gtk_file_chooser_get_filename(files);
    char folder[kFolderSize];
    // Exactly one trailing separator; a path that does not fit is refused,
    // never cut short.
    bool root = path != nullptr && strcmp(path, "/") == 0;
    if (path != nullptr && g_file_test(path, G_FILE_TEST_IS_DIR) &&
        FormatText(folder, sizeof folder, root ? "%s" : "%s/", path)) {
      memcpy(buffer, folder, strlen(folder) + 1);
      chosen = 1;
    }
    g_free(path);
  }
  g_object_unref(chooser);
  while (gtk_events_pending()) gtk_main_iteration();
  return chosen;
}
