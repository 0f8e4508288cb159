#include <cstring>

#include "filelist.h"
#include "platform/text.h"
#include "run/run_report.h"
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
// The search has looked at the file already and hands its times on.
void FillNode(BlockHandle node, const rt::FindRecord& found) {
  BlockHandle name = NewNameBlock(found.name);
  PackedDateTime stamp = found.timesKnown ? StampFromTimes(found.times) : GetFileStamp(found.name);
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
  SourceError = kNoError;
  ForgetListedFiles();
  NoteFileSystem(folder);
  char pattern[kFolderSize + 4];
  rt::FindRecord found{};
  // Files that cannot be listed (a name the code page cannot write, an entry
  // that cannot be looked at) come too, to be told.
  int more = FormatText(pattern, sizeof pattern, "%s*.*", folder) ? rt::FindFirstEntry(pattern, &found, rt::kFaultyEntries)
                                                                  : -1;
  BlockHandle last = nullptr;
  for (; more == 0; more = rt::FindNextEntry(&found)) {
    if (found.entryError != kNoError) {
      RecordFailure(found.name, found.entryError, true);
      continue;
    }
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
  }
  SourceError = found.error;
  SortByStamp();
}
