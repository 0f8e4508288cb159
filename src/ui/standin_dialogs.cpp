// Stand-ins until the folder browser and the progress dialog are built: the
// remembered folder is taken as chosen, and the worker runs without a window.
#include "copy/copy_worker.h"
#include "run/shared_state.h"
#include "ui.h"

int ChooseFolder(WindowHandle, const char*, char* buffer, FolderKind) { return buffer[0] != '\0'; }

void RunProgressDialog(InstanceHandle) {
  CopyRunning = 1;
  WorkerThread = rt::BeginThread(CopyWorker, 0, nullptr);
}

void SetProgressRange(WindowHandle, unsigned, unsigned) {}
void SetProgressPosition(WindowHandle, unsigned) {}
void SetDialogCaption(WindowHandle, const char*) {}
void SendDialogCommand(WindowHandle, int) {}
