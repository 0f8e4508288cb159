#include "gtk_session.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include "platform/posix_temporary.h"
#include "run/run.h"

namespace {
// A display that goes away (its server ended, the connection broke) ends the
// program as a signal does, but with a status of its own: GDK's own ending
// would give 1, which means a failure of the file list.
int OnDisplayLost(Display*) {
  static const char message[] = "tavro: the connection to the display was lost\n";
  [[maybe_unused]] ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
  DiscardCopyInProgress();
  _exit(kExitDisplayLost);
}
}  // namespace

bool EnsureGtk() {
  static const bool ready = [] {
    if (!gtk_init_check(nullptr, nullptr)) return false;
    // The icon the package installs, named, for window managers and panels
    // that take a window's icon from the window rather than the menu entry.
    gtk_window_set_default_icon_name("tavro");
    if (GDK_IS_X11_DISPLAY(gdk_display_get_default())) XSetIOErrorHandler(OnDisplayLost);
    return true;
  }();
  return ready;
}
