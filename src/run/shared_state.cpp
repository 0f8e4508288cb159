#include "shared_state.h"

char SourceFolder[kFolderSize];
char TargetFolder[kFolderSize];
std::atomic<int32_t> CopyRunning{0};
rt::ThreadHandle WorkerThread = nullptr;
