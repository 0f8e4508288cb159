#include <cstring>
#include <initializer_list>

#include "filelist.h"
#include "platform/text.h"
#include "run/shared_state.h"

namespace {
// Whether the source folder's file system keeps last access times as dates
// only, as the FAT family of camera cards and USB sticks does; asked once
// per scan.
bool accessDatesOnly = false;

int64_t DayOf(FileTime local) {
  int64_t day = local / kFileTimeDay;
  return local % kFileTimeDay < 0 ? day - 1 : day;
}

// A last access that carries only a date: on such a file system, or one at
// exactly midnight, which an access kept to the full resolution practically
// never is.
bool DateOnly(FileTime localAccess) { return accessDatesOnly || localAccess % kFileTimeDay == 0; }
}  // namespace

void NoteFileSystem(const char* folder) {
  char name[64];
  accessDatesOnly = false;
  if (!ReadFileSystemName(folder, name, sizeof name)) return;
  for (const char* family : {"FAT", "FAT12", "FAT16", "FAT32"})
    if (strcmp(name, family) == 0) accessDatesOnly = true;
}

PackedDateTime GetFileStamp(const char* name) {
  // A path that does not fit is treated like attributes that cannot be read:
  // a cut-short path could name another file.
  char path[312];
  if (!FormatText(path, sizeof path, "%s%s", SourceFolder, name)) return 0;
  FileTimes times;
  if (!ReadFileTimes(path, &times)) return 0;
  return StampFromTimes(times);
}

PackedDateTime StampFromTimes(const FileTimes& times) {
  FileTime creation, access, write;
  if (!ToLocalFileTime(times.creation, &creation) || !ToLocalFileTime(times.access, &access) ||
      !ToLocalFileTime(times.write, &write))
    return 0;
  FileTime earliest = CompareFileTimes(creation, access) < 0 ? creation : access;
  if (CompareFileTimes(write, earliest) < 0) earliest = write;
  // An access kept as a date says nothing of the time of day: on the day that
  // creation or last write already give to the minute, it is left out.
  FileTime known = CompareFileTimes(creation, write) < 0 ? creation : write;
  if (DateOnly(access) && DayOf(access) == DayOf(known)) earliest = known;
  uint16_t date, time;
  if (!ToFatDateTime(earliest, &date, &time)) return 0;
  PackedDateTime stamp = (static_cast<PackedDateTime>(date) << 16) | time;
  return (stamp >> 25) == 0 ? 0 : stamp;
}
