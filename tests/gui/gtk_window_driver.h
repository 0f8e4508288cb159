// Finding and working the program's real GTK windows, as a user would. The
// script runs on the main thread, one step at a time, inside whatever loop
// the program is running, so GTK is only ever touched from that thread.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

namespace driver {

// A step answers true when it is done; it is called again every few
// milliseconds until then. A script fails when a step takes too long.
typedef std::function<bool()> Step;

// Starts working through the steps from the main loop. After a timeout the
// rescue runs, which must bring the program's loops to an end.
void Start(std::vector<Step> steps, std::function<void()> rescue, int timeoutMilliseconds = 15000);
// A rescue that answers every open dialog and closes every window.
void CloseEverything();
// Whether the whole script ran, giving its last steps a moment to run after
// the program's own loop has ended; false also after a timeout.
bool Finished();

// The visible top-level window with this title, or nullptr.
GtkWindow* FindWindow(const char* title);
int CountWindows(const char* title);
std::string Title(GtkWindow* window);
// The first widget of a type inside the window, or nullptr.
GtkWidget* FindChild(GtkWindow* window, GType type);
GtkWidget* FindButton(GtkWindow* window, const char* label);
// A user's actions. Each happens from the main loop right after the current
// step, since an action may open a dialog whose loop runs until it is answered.
// Delivers a key press to the window as the keyboard would.
void Key(GtkWindow* window, guint keyval);
void Click(GtkWidget* button);
// Closes the window as its close box would.
void Close(GtkWindow* window);
// Saves what the window shows as a PNG file.
bool SaveScreenshot(GtkWindow* window, const std::string& path);

}  // namespace driver
