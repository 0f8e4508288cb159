// The copy worker: the second thread, which copies the ordered files.
#pragma once

// The thread's body; the argument is the progress dialog's window.
void CopyWorker(void* dialog);
