// The process-wide state that the run, the scan, the dialog and the copy
// worker share. The main thread writes the folders before the progress dialog
// starts; afterwards the worker only reads them.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/os.h"

constexpr int kFolderSize = 270;

extern char SourceFolder[kFolderSize];
extern char TargetFolder[kFolderSize];

// 1 while the copy is to go on, else 0; read and written whole by both threads.
extern std::atomic<int32_t> CopyRunning;

// The copy worker's thread, nullptr until the progress dialog starts it.
extern rt::ThreadHandle WorkerThread;
