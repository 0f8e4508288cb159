// Whether the target folder is the source folder under another path. The
// same volume and number say so for the same file system; a share or a view
// of a folder may number its files on its own, but shows the same files: a
// probe made in the target shows up in the source. Only a probe that was
// made, shows in the target and is positively absent from the source makes
// two folders different; anything else cannot tell.
#include "platform/os.h"
#include "platform/text.h"
#include "run.h"
#include "shared_state.h"

FolderRelation CompareFolders(const char* source, const char* target) {
  FileIdentity a, b;
  if (ReadFileIdentity(source, &a) != kNoError || ReadFileIdentity(target, &b) != kNoError) return kCannotTell;
  if (IsSameFile(a, b)) return kSameFolder;
  ProbeFile probe;
  const bool made = MakeProbeFile(target, &probe);
  char inSource[kFolderSize + sizeof probe.name], inTarget[kFolderSize + sizeof probe.name];
  PathState seen = probe.name[0] != '\0' && FormatText(inSource, sizeof inSource, "%s%s", source, probe.name)
                       ? LookUpPath(inSource)
                       : kPathUnknown;
  PathState shown = made && FormatText(inTarget, sizeof inTarget, "%s%s", target, probe.name) ? LookUpPath(inTarget)
                                                                                               : kPathUnknown;
  // A view that hides such names cannot show or remove the probe it made:
  // it is removed where it showed up.
  if ((!made || !RemoveProbeFile(target, &probe)) && seen == kPathFound) DeleteOrdinaryFile(inSource);
  if (seen == kPathFound) return kSameFolder;
  return seen == kPathMissing && shown == kPathFound ? kOtherFolder : kCannotTell;
}
