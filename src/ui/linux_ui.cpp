// The user-interface seam on Linux: windows where a display can be opened,
// else the same run in the terminal.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "gtk_session.h"
#include "linux_backends.h"
#include "terminal_bytes.h"
#include "terminal_keys.h"
#include "terminal_screen.h"

namespace {
enum Choice { kUndecided, kWindows, kTerminal };
Choice choice = kUndecided;

// Why no windows can be opened, for the message; nullptr when they can.
const char* MissingDisplay() {
  const char* x11 = getenv("DISPLAY");
  const char* wayland = getenv("WAYLAND_DISPLAY");
  if ((x11 == nullptr || *x11 == '\0') && (wayland == nullptr || *wayland == '\0'))
    return "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
  return EnsureGtk() ? nullptr : "no display (the one set cannot be opened)";
}

bool Terminal() {
  if (choice == kUndecided) StartUserInterface();
  return choice == kTerminal;
}
}  // namespace

bool UsingTerminal() { return choice == kTerminal; }

bool StartUserInterface() {
  const char* missing = MissingDisplay();
  if (missing == nullptr) {
    choice = kWindows;
    return true;
  }
  if (OpenScreen()) {
    choice = kTerminal;
    KeepTerminalState();
    UseUtf8Characters();
    return true;
  }
  fprintf(stderr, "tavro: %s and %s\n", missing,
          isatty(STDIN_FILENO) ? "the terminal of standard input cannot be written to"
                               : "no terminal on standard input to ask on");
  return false;
}

MessageAnswer ShowMessageBox(const char* text, const char* caption, MessageButtons buttons, MessageIcon icon,
                             int defaultButton) {
  return Terminal() ? TerminalShowMessageBox(text, caption, buttons, icon, defaultButton)
                    : GtkShowMessageBox(text, caption, buttons, icon, defaultButton);
}

int ChooseFolder(WindowHandle owner, const char* title, char* buffer, FolderKind kind) {
  return Terminal() ? TerminalChooseFolder(title, buffer, kind) : GtkChooseFolder(owner, title, buffer, kind);
}

void RunProgressDialog(InstanceHandle instance) {
  if (Terminal())
    TerminalRunProgressDialog();
  else
    GtkRunProgressDialog(instance);
}

// The worker's messages go to the interface that the run chose at its start.
void SetProgressRange(WindowHandle dialog, unsigned low, unsigned high) {
  if (choice == kTerminal)
    TerminalSetProgressRange(low, high);
  else
    GtkSetProgressRange(dialog, low, high);
}

void SetProgressPosition(WindowHandle dialog, unsigned position) {
  if (choice == kTerminal)
    TerminalSetProgressPosition(position);
  else
    GtkSetProgressPosition(dialog, position);
}

void SetDialogCaption(WindowHandle dialog, const char* text) {
  if (choice == kTerminal)
    TerminalSetDialogCaption(text);
  else
    GtkSetDialogCaption(dialog, text);
}

void SendDialogCommand(WindowHandle dialog, int command) {
  if (choice == kTerminal)
    TerminalSendDialogCommand(command);
  else
    GtkSendDialogCommand(dialog, command);
}
