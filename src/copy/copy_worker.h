// The copy worker: the second thread, which copies the ordered files into the
// target folder under their sequence-and-date names.
#pragma once

#include <cstddef>

#include "filelist/filelist.h"

// The thread's body; the argument is the progress dialog's window.
void CopyWorker(void* dialog);

// Composes TargetFolder + "NNNNN_YYYY_MM_DD_hh_mm_" + name; false when it
// does not fit the buffer (nothing cut short is ever used).
bool ComposeTargetName(char* buffer, size_t size, unsigned sequence, PackedDateTime stamp, const char* name);

// The progress bar's high bound for a count of files: count - 1 taken to 16
// bits while that holds the true bound (so an empty list gives 65535), the
// full count - 1 beyond 65536 files.
unsigned ProgressHighBound(int32_t count);
