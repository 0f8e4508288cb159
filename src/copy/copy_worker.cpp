#include "copy_worker.h"

#include <cstring>
#include <string>
#include <unordered_set>

#include "platform/text.h"
#include "run/shared_state.h"
#include "ui/ui.h"

namespace {
// When the target is the source folder itself, a new name can equal the name
// of another listed file (left there by an earlier run); replacing it would
// destroy a source file before it is copied. These names are kept apart.
std::unordered_set<std::string> ListedNamesInTarget() {
  std::unordered_set<std::string> names;
  if (!IsSameFolder(SourceFolder, TargetFolder)) return names;
  for (BlockHandle node = FileList; node != nullptr;) {
    FileEntry* entry = static_cast<FileEntry*>(LockBlock(node));
    names.insert(static_cast<const char*>(LockBlock(entry->name)));
    UnlockBlock(entry->name);
    BlockHandle next = entry->next;
    UnlockBlock(node);
    node = next == node ? nullptr : next;
  }
  return names;
}

// Copies one listed file under its new name. Paths that do not fit their
// buffers are passed over like a failed copy, never cut short.
void CopyOne(unsigned sequence, const FileEntry& entry, const char* name,
             const std::unordered_set<std::string>& protectedNames) {
  char source[300], target[300];
  if (!FormatText(source, sizeof source, "%s%s", SourceFolder, name)) return;
  if (!ComposeTargetName(target, sizeof target, sequence, entry.stamp, name)) return;
  if (!protectedNames.empty() && protectedNames.count(target + strlen(TargetFolder)) != 0) return;
  CopyWholeFile(source, target);
}
}  // namespace

void CopyWorker(void* dialog) {
  SetProgressRange(dialog, 0, ProgressHighBound(FileCount));
  const std::unordered_set<std::string> protectedNames = ListedNamesInTarget();
  unsigned sequence = 0;
  BlockHandle node = FileList;
  // The stop test comes before each file; a stop never interrupts a copy.
  while (node != nullptr && CopyRunning == 1) {
    SetProgressPosition(dialog, sequence);
    char caption[300];
    FormatText(caption, sizeof caption, "Copy File No: %u of %u", sequence + 1, static_cast<unsigned>(FileCount));
    SetDialogCaption(dialog, caption);
    FileEntry* entry = static_cast<FileEntry*>(LockBlock(node));
    const char* name = static_cast<const char*>(LockBlock(entry->name));
    CopyOne(sequence, *entry, name, protectedNames);
    sequence++;
    UnlockBlock(entry->name);
    BlockHandle next = entry->next;
    UnlockBlock(node);
    node = next == node ? nullptr : next;
  }
  CopyRunning = 0;
  OpenFolderInBrowser(dialog, TargetFolder);
  SendDialogCommand(dialog, kCommandCancel);
  rt::EndThread();
}
