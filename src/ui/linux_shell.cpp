// Opening the target folder at the end: in the desktop's file browser, or in
// the terminal by printing its path.
#include "linux_backends.h"

void OpenFolderInBrowser(WindowHandle owner, const char* folder) {
  if (UsingTerminal())
    TerminalOpenFolderInBrowser(folder);
  else
    GtkOpenFolderInBrowser(owner, folder);
}

void EndUserInterface() {
  if (!UsingTerminal()) GtkShowUnopenedFolder();
}
