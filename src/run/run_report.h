// What a run could not do as asked, gathered while it goes and told once at
// its end: files left out with the system's reason, a target not emptied or
// emptied only in part, a source that could not be read, copies that could
// not be put on the disk.
#pragma once

#include "platform/os.h"

// Listed files that could not be copied and files of the source that could
// not be listed: how many, and the first ones with their reason. Written by
// the scan and the worker; read once the worker has ended.
constexpr unsigned kFailuresShown = 10;
struct CopyFailure {
  char name[256];
  char reason[128];
};
extern CopyFailure CopyFailures[kFailuresShown];
extern unsigned CopyFailureCount;
// How many of the failures are files that the scan could not list.
extern unsigned UnlistedCount;

// What became of the clearing: not asked for, done, or left out because the
// target is, or may be, the source folder itself.
enum ClearOutcome { kClearNotAsked, kClearDone, kClearSkippedSameFolder, kClearSkippedCannotTell };
extern ClearOutcome ClearResult;
// Files that clearing kept because they are, or may be, files of the source.
extern unsigned KeptInTarget;
// Why the source folder could not be read, or kNoError.
extern FileError SourceError;
// Why the copies could not all be put on the disk, or kNoError.
extern FileError FlushError;

// Forgets everything of an earlier run.
void ResetRunReport();
// Notes a file that could not be copied, or (unlisted) not even listed.
void RecordFailure(const char* name, FileError error, bool unlisted);
// Whether there is anything to tell.
bool RunFellShort();
