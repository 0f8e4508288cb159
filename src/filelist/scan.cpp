#include <cstring>

#include "filelist.h"
#include "platform/text.h"
#include "run/shared_state.h"

namespace {
// Allocates a name block holding the name; the scan cannot go on without it.
BlockHandle NewNameBlock(const char* name) {
  size_t length = strlen(name);
  BlockHandle block = AllocBlock(length + 1);
  if (block == nullptr) ReportFatalError(kNameAllocFailed);
  char* text = static_cast<char*>(LockBlock(block));
  memcpy(text, name, length + 1);
  UnlockBlock(block);
  return block;
}

// Fills a new node with its name and stamp; it links to itself as the last.
void FillNode(BlockHandle node, const rt::FindRecord& found) {
  BlockHandle name = NewNameBlock(found.name);
  PackedDateTime stamp = GetFileStamp(found.name);
  if (stamp == 0) stamp = (static_cast<PackedDateTime>(found.date) << 16) | found.time;
  FileEntry* entry = static_cast<FileEntry*>(LockBlock(node));
  entry->name = name;
  entry->next = node;
  entry->stamp = stamp;
  UnlockBlock(node);
}
}  // namespace

void ScanSourceFolder(const char* folder) {
  FileCount = 0;
  FileList = nullptr;
  ForgetListedFiles();
  NoteFileSystem(folder);
  char pattern[kFolderSize + 4];
  rt::FindRecord found;
  if (!FormatText(pattern, sizeof pattern, "%s*.*", folder) || rt::FindFirstEntry(pattern, &found, 0) != 0) {
    SortByStamp();
    return;
  }
  BlockHandle last = nullptr;
  do {
    FileCount++;
    BlockHandle node = AllocBlock(sizeof(FileEntry));
    if (node == nullptr) ReportFatalError(last == nullptr ? kFirstNodeAllocFailed : kNodeAllocFailed);
    if (last == nullptr) {
      FileList = node;
    } else {
      FileEntry* previous = static_cast<FileEntry*>(LockBlock(last));
      previous->next = node;
      UnlockBlock(last);
    }
    FillNode(node, found);
    last = node;
  } while (rt::FindNextEntry(&found) == 0);
  SortByStamp();
}
