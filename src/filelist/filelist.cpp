#include "filelist.h"

BlockHandle FileList = nullptr;
int32_t FileCount = 0;

void ReleaseFileList() {
  BlockHandle node = FileList;
  while (node != nullptr) {
    FileEntry* entry = static_cast<FileEntry*>(LockBlock(node));
    if (entry == nullptr) break;  // not a live node: nothing more can be reached
    BlockHandle name = entry->name;
    BlockHandle next = entry->next;
    UnlockBlock(node);
    bool last = next == node;
    if (name != nullptr && !FreeBlock(name)) ReportFatalError(kFreeNameFailed);
    if (!FreeBlock(node)) ReportFatalError(kFreeNodeFailed);
    node = last ? nullptr : next;
  }
  FileList = nullptr;
  ForgetListedFiles();
}
