// Finding and working the program's real windows from a second thread, as a
// user would: read what they show, press their buttons and keys.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace driver {

// Waits until the condition holds; false after the timeout.
bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 10000);
// The visible dialog window with this caption, or nullptr.
HWND FindDialog(const char* caption);
// How many visible dialog windows have this caption.
int CountDialogs(const char* caption);
std::string Caption(HWND window);
// The text of the first static control, such as a message box's question.
std::string StaticText(HWND dialog);
// The progress bar's range and position.
void BarRange(HWND dialog, int* low, int* high);
int BarPosition(HWND dialog);
// Presses a dialog's button as a click would.
void Press(HWND dialog, int buttonId);
// Sends a key as the dialog's message loop would receive it.
void Key(HWND dialog, WPARAM key);
// Saves what the window shows as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path);

}  // namespace driver
