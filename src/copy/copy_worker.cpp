// Stand-in until the copy run is built: ends at once and closes the dialog.
#include "copy_worker.h"

#include "run/shared_state.h"
#include "ui/ui.h"

void CopyWorker(void* dialog) {
  CopyRunning = 0;
  SendDialogCommand(dialog, kCommandCancel);
  rt::EndThread();
}
