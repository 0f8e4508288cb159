#include "filelist/filelist.h"
#include "platform/text.h"
#include "run.h"
#include "shared_state.h"

void ClearTargetFolder() {
  char pattern[300];
  if (!FormatText(pattern, sizeof pattern, "%s*.*", TargetFolder)) return;
  rt::FindRecord found;
  // A search that finds nothing at all, not even a folder, means the target
  // does not exist.
  if (rt::FindFirstEntry(pattern, &found, rt::FA_DIREC) != 0) return;
  rt::EndEntrySearch(&found);
  // The source's files were listed but not yet copied: clearing the source
  // folder itself, by whatever path, would lose them.
  if (IsSameFolder(SourceFolder, TargetFolder)) return;
  if (rt::FindFirstEntry(pattern, &found, 0) != 0) return;
  do {
    char path[300];
    FileIdentity identity;
    // A path that does not fit is left alone: cut short, it could name
    // another file. A listed file seen here through another path is kept.
    if (FormatText(path, sizeof path, "%s%s", TargetFolder, found.name) && ReadFileIdentity(path, &identity) &&
        !IsListedFile(identity))
      DeleteOrdinaryFile(path);
  } while (rt::FindNextEntry(&found) == 0);
}
