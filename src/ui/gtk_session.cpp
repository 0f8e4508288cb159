#include "gtk_session.h"

#include <gtk/gtk.h>

bool EnsureGtk() {
  static const bool ready = gtk_init_check(nullptr, nullptr);
  return ready;
}
