// The program's seam to the user interface: the folder browser, the progress
// dialog and what the copy worker does to it, message boxes and the file
// browser. Windows and GTK each implement it; the tests have a scripted one.
#pragma once

// Opaque handles of the platform's windows and of the program instance.
typedef void* WindowHandle;
typedef void* InstanceHandle;

// ---- Message boxes -----------------------------------------------------------

enum MessageButtons { kButtonsOk, kButtonsYesNo, kButtonsYesNoCancel };
enum MessageIcon { kIconError, kIconQuestion };
enum MessageAnswer { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

// Shows a box with no owner window; defaultButton counts the buttons from 1.
// Closing the box answers Cancel where there is one, else No, else OK.
MessageAnswer ShowMessageBox(const char* text, const char* caption, MessageButtons buttons,
                             MessageIcon icon, int defaultButton);

// ---- Folder browser ------------------------------------------------------------

enum FolderKind { kSourceFolder, kTargetFolder };

// Shows a folder browser preselecting the buffer's folder. On success writes
// the chosen folder with one trailing separator into the buffer (kFolderSize
// characters) and answers 1; else answers 0 and leaves the buffer alone.
int ChooseFolder(WindowHandle owner, const char* title, char* buffer, FolderKind kind);

// ---- Progress dialog -----------------------------------------------------------

// Shows the modal progress dialog, which starts the copy worker; returns when
// the dialog has ended (the worker may still finish its file).
void RunProgressDialog(InstanceHandle instance);

constexpr int kCommandOk = 1;
constexpr int kCommandCancel = 2;

// What the copy worker does to the dialog, from its own thread. Each reaches
// the dialog through the main thread, and does nothing once it has ended.
void SetProgressRange(WindowHandle dialog, unsigned low, unsigned high);
void SetProgressPosition(WindowHandle dialog, unsigned position);
void SetDialogCaption(WindowHandle dialog, const char* text);
void SendDialogCommand(WindowHandle dialog, int command);

// Opens the folder in the desktop's file browser; a failure is passed over.
void OpenFolderInBrowser(WindowHandle owner, const char* folder);
