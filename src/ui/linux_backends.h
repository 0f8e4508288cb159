// The two user interfaces of the Linux program: GTK windows where a display
// can be opened, the terminal where not. linux_ui.cpp chooses one at start.
#pragma once

#include "ui.h"

// Decides between windows and terminal. False, after a one-line message,
// when there is neither a display nor a terminal.
bool StartUserInterface();
// Whether the run goes on in the terminal.
bool UsingTerminal();
// Puts the terminal back as the program found it; safe inside a signal handler.
void RestoreTerminalState();
// Shows what is left to show once the run is over: in windows, the target
// folder that no file browser could open.
void EndUserInterface();

MessageAnswer GtkShowMessageBox(const char* text, const char* caption, MessageButtons buttons, MessageIcon icon,
                                int defaultButton);
int GtkChooseFolder(WindowHandle owner, const char* title, char* buffer, FolderKind kind);
void GtkRunProgressDialog(InstanceHandle instance);
void GtkSetProgressRange(WindowHandle dialog, unsigned low, unsigned high);
void GtkSetProgressPosition(WindowHandle dialog, unsigned position);
void GtkSetDialogCaption(WindowHandle dialog, const char* text);
void GtkSendDialogCommand(WindowHandle dialog, int command);
// Notes a folder that no file browser could open (on the worker's thread);
// GtkShowUnopenedFolder then shows its path in a message box.
void GtkOpenFolderInBrowser(WindowHandle owner, const char* folder);
void GtkShowUnopenedFolder();

MessageAnswer TerminalShowMessageBox(const char* text, const char* caption, MessageButtons buttons,
                                     MessageIcon icon, int defaultButton);
int TerminalChooseFolder(const char* title, char* buffer, FolderKind kind);
void TerminalRunProgressDialog();
void TerminalSetProgressRange(unsigned low, unsigned high);
void TerminalSetProgressPosition(unsigned position);
void TerminalSetDialogCaption(const char* text);
void TerminalSendDialogCommand(int command);
void TerminalOpenFolderInBrowser(const char* folder);
