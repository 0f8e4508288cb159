// File times on Windows: FILETIME values, 100 ns since 1601.
#include <windows.h>

#include "block_faults.h"
#include "os.h"
#include "win32_filetime.h"
#include "text.h"

const FileTime kFileTimeDay = 86400LL * 10000000;

bool ReadFileSystemName(const char* folder, char* name, size_t size) {
  if (const char* given = FileSystemNameForTests()) return FormatText(name, size, "%s", given);
  char root[MAX_PATH], system[MAX_PATH + 1];
  if (!GetVolumePathNameA(folder, root, sizeof root) ||
      !GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, system, sizeof system))
    return false;
  return FormatText(name, size, "%s", system);
}

bool ReadFileTimes(const char* path, FileTimes* times) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
  times->creation = FromFiletime(data.ftCreationTime);
  times->access = FromFiletime(data.ftLastAccessTime);
  times->write = FromFiletime(data.ftLastWriteTime);
  return true;
}

bool ToLocalFileTime(FileTime utc, FileTime* local) {
  FILETIME in = ToFiletime(utc), out;
  if (!FileTimeToLocalFileTime(&in, &out)) return false;
  *local = FromFiletime(out);
  return true;
}

int CompareFileTimes(FileTime a, FileTime b) {
  FILETIME first = ToFiletime(a), second = ToFiletime(b);
  return CompareFileTime(&first, &second);
}

bool ToFatDateTime(FileTime local, uint16_t* date, uint16_t* time) {
  FILETIME in = ToFiletime(local);
  // Not every system's conversion refuses the years after 2107: some give
  // back a date word whose year has wrapped round to 1980.
  SYSTEMTIME fields;
  if (!FileTimeToSystemTime(&in, &fields) || fields.wYear > 2107) return false;
  WORD fatDate, fatTime;
  if (!FileTimeToDosDateTime(&in, &fatDate, &fatTime)) return false;
  *date = fatDate;
  *time = fatTime;
  return true;
}
