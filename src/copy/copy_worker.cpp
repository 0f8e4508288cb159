#include "copy_worker.h"

#include <cstdio>

#include "platform/text.h"
#include "run/shared_state.h"
#include "ui/ui.h"

CopyFailure CopyFailures[kFailuresShown];
unsigned CopyFailureCount = 0;

namespace {
// A copy may replace a file of its target name, but never one of the listed
// files, which may not have been copied yet: a source file in the target
// folder itself, or one that a source link leads to, under whatever name.
bool MayReplace(const FileIdentity& existing, void*) { return !IsListedFile(existing); }

void RecordFailure(const char* name, FileError error) {
  if (CopyFailureCount < kFailuresShown) {
    CopyFailure& failure = CopyFailures[CopyFailureCount];
    snprintf(failure.name, sizeof failure.name, "%s", name);
    DescribeFileError(error, failure.reason, sizeof failure.reason);
  }
  CopyFailureCount++;
}

// Copies one listed file under its new name. Paths that do not fit their
// buffers are never cut short: the file is not copied.
FileError CopyOne(unsigned sequence, const FileEntry& entry, const char* name) {
  char source[300], target[300];
  if (!FormatText(source, sizeof source, "%s%s", SourceFolder, name) ||
      !ComposeTargetName(target, sizeof target, sequence, entry.stamp, name))
    return kNameTooLong;
  return CopyWholeFile(source, target, MayReplace, nullptr);
}
}  // namespace

void CopyWorker(void* dialog) {
  SetProgressRange(dialog, 0, ProgressHighBound(FileCount));
  CopyFailureCount = 0;
  RemoveLeftoverCopies(TargetFolder);
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
    FileError error = CopyOne(sequence, *entry, name);
    if (error != kNoError) RecordFailure(name, error);
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
