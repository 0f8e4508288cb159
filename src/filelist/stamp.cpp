#include "filelist.h"
#include "platform/text.h"
#include "run/shared_state.h"

PackedDateTime GetFileStamp(const char* name) {
  // A path that does not fit is treated like attributes that cannot be read:
  // a cut-short path could name another file.
  char path[312];
  if (!FormatText(path, sizeof path, "%s%s", SourceFolder, name)) return 0;
  FileTimes times;
  if (!ReadFileTimes(path, &times)) return 0;
  FileTime creation, access, write;
  if (!ToLocalFileTime(times.creation, &creation) || !ToLocalFileTime(times.access, &access) ||
      !ToLocalFileTime(times.write, &write))
    return 0;
  FileTime earliest = CompareFileTimes(creation, access) < 0 ? creation : access;
  if (CompareFileTimes(write, earliest) < 0) earliest = write;
  uint16_t date, time;
  if (!ToFatDateTime(earliest, &date, &time)) return 0;
  PackedDateTime stamp = (static_cast<PackedDateTime>(date) << 16) | time;
  return (stamp >> 25) == 0 ? 0 : stamp;
}
