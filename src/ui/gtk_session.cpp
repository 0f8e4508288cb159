#include "gtk_session.h"

#include <gtk/gtk.h>

bool EnsureGtk() {
  static const bool ready = [] {
    if (!gtk_init_check(nullptr, nullptr)) return false;
    // The icon the package installs, named, for window managers and panels
    // that take a window's icon from the window rather than the menu entry.
    gtk_window_set_default_icon_name("tavro");
    return true;
  }();
  return ready;
}
