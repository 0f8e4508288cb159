// The GTK session that the Linux dialogs share.
#pragma once

// Starts GTK once; false when no display can be opened.
bool EnsureGtk();
