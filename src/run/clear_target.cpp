#include "filelist/filelist.h"
#include "platform/text.h"
#include "run.h"
#include "run_report.h"
#include "shared_state.h"

void ClearTargetFolder() {
  char pattern[300];
  if (!FormatText(pattern, sizeof pattern, "%s*.*", TargetFolder)) return;
  rt::FindRecord found;
  // A search that finds nothing at all, not even a folder, means the target
  // does not exist.
  if (rt::FindFirstEntry(pattern, &found, rt::FA_DIREC) != 0) return;
  rt::EndEntrySearch(&found);
  // The source's files were listed but not yet copied: the source folder
  // itself, by whatever path, is never cleared, nor one that cannot be told
  // apart from it.
  switch (CompareFolders(SourceFolder, TargetFolder)) {
    case kSameFolder: ClearResult = kClearSkippedSameFolder; return;
    case kCannotTell: ClearResult = kClearSkippedCannotTell; return;
    case kOtherFolder: ClearResult = kClearDone; break;
  }
  if (rt::FindFirstEntry(pattern, &found, 0) != 0) return;
  do {
    char path[300];
    FileIdentity identity;
    // A path that does not fit is left alone: cut short, it could name
    // another file. A file that cannot be looked at, or that is or may be a
    // listed file seen through another path, is kept.
    if (!FormatText(path, sizeof path, "%s%s", TargetFolder, found.name)) continue;
    FileError error = ReadFileIdentity(path, &identity);
    if (error != kNoError || MayBeListedFile(identity, found.name)) {
      if (!IsMissingError(error)) KeptInTarget++;
      continue;
    }
    DeleteOrdinaryFile(path);
  } while (rt::FindNextEntry(&found) == 0);
}
