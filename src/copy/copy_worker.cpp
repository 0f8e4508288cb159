#include "copy_worker.h"

#include "filelist/list_walk.h"
#include "platform/text.h"
#include "run/run_report.h"
#include "run/shared_state.h"
#include "ui/ui.h"

namespace {
// A copy may replace a file of its target name, but never one of the listed
// files, which may not have been copied yet: a source file in the target
// folder itself, one that a source link leads to, or the same seen through
// a share or a view of the source, under whatever name.
bool MayReplace(const FileIdentity& existing, const char* name) { return !MayBeListedFile(existing, name); }

bool KeepCopying() { return CopyRunning == 1; }

// The copy takes the files in date order, which on a disk is a random one:
// where they have left memory, the source is read ahead in its disk order
// first. It is looked at before the first copy and every kLookEvery files,
// and read ahead at most once a quarter of the list, so a source larger than
// memory is not read over and over.
constexpr unsigned kLookEvery = 1024;
unsigned NextReadAhead;

void KeepSourceAhead(unsigned sequence, const char* source) {
  if (sequence % kLookEvery != 0 || sequence < NextReadAhead || IsFileInMemory(source)) return;
  ReadAheadFolder(SourceFolder, KeepCopying);
  NextReadAhead = sequence + static_cast<unsigned>(FileCount) / 4;
}

// Copies one listed file under its new name. Paths that do not fit their
// buffers are never cut short: the file is not copied.
FileError CopyOne(unsigned sequence, const FileEntry& entry, const char* name) {
  char source[300], target[300];
  if (!FormatText(source, sizeof source, "%s%s", SourceFolder, name) ||
      !ComposeTargetName(target, sizeof target, sequence, entry.stamp, name))
    return kNameTooLong;
  KeepSourceAhead(sequence, source);
  return CopyWholeFile(source, target, MayReplace);
}
}  // namespace

void CopyWorker(void* dialog) {
  SetProgressRange(dialog, 0, ProgressHighBound(FileCount));
  RemoveLeftoverCopies(TargetFolder);
  NextReadAhead = 0;
  unsigned sequence = 0, copied = 0;
  ForEachListedFile([&](const FileEntry& entry, const char* name) {
    // The stop test comes before each file; a stop never interrupts a copy.
    if (CopyRunning != 1) return false;
    SetProgressPosition(dialog, sequence);
    char caption[300];
    FormatText(caption, sizeof caption, "Copy File No: %u of %u", sequence + 1, static_cast<unsigned>(FileCount));
    SetDialogCaption(dialog, caption);
    FileError error = CopyOne(sequence++, entry, name);
    if (error == kNoError) copied++;
    else RecordFailure(name, error, false);
    return true;
  });
  // Before the run says it is done, its copies are on the disk.
  if (copied > 0) FlushError = FlushCopies(TargetFolder);
  CopyRunning = 0;
  OpenFolderInBrowser(dialog, TargetFolder);
  SendDialogCommand(dialog, kCommandCancel);
  rt::EndThread();
}
