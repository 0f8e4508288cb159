// File times on POSIX: nanoseconds since the Unix epoch. The creation time is
// the birth time where the file system keeps one.
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>

#include <string>

#include "block_faults.h"
#include "os.h"
#include "posix_entry_times.h"
#include "text.h"

namespace {
constexpr int64_t kNanosPerSecond = 1000000000;

FileTime FromTimestamp(const struct statx_timestamp& t) {
  return static_cast<int64_t>(t.tv_sec) * kNanosPerSecond + t.tv_nsec;
}

// The local-time bias in force at the moment of the run, taken once so that
// every file of the run is converted alike.
int64_t LocalBiasNanos() {
  static const int64_t bias = [] {
    time_t now = time(nullptr);
    struct tm local;
    if (localtime_r(&now, &local) == nullptr) return int64_t{0};
    return static_cast<int64_t>(local.tm_gmtoff) * kNanosPerSecond;
  }();
  return bias;
}

// Floor division, so that times before the epoch round downwards.
int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}
}  // namespace

namespace {
thread_local std::string entryPath;
thread_local FileTimes entryTimes;
}  // namespace

void RememberEntryTimes(std::string path, const FileTimes& times) {
  entryPath = std::move(path);
  entryTimes = times;
}

bool TakeEntryTimes(const char* path, FileTimes* times) {
  if (entryPath.empty() || entryPath != path) return false;
  *times = entryTimes;
  entryPath.clear();
  return true;
}

FileTimes TimesFromStatx(const struct statx& info) {
  FileTimes times;
  times.access = FromTimestamp(info.stx_atime);
  times.write = FromTimestamp(info.stx_mtime);
  times.creation = (info.stx_mask & STATX_BTIME) ? FromTimestamp(info.stx_btime) : times.write;
  return times;
}

const FileTime kFileTimeDay = 86400 * kNanosPerSecond;

bool ReadFileSystemName(const char* folder, char* name, size_t size) {
  if (const char* given = FileSystemNameForTests()) return FormatText(name, size, "%s", given);
  struct statfs info;
  if (statfs(folder, &info) != 0) return false;
  const char* known = "other";
  switch (static_cast<unsigned long>(info.f_type)) {
    case MSDOS_SUPER_MAGIC: known = "FAT"; break;
    case 0x2011BAB0: known = "exFAT"; break;
    case 0x5346544E: case 0x7366746E: known = "NTFS"; break;
    default: break;
  }
  return FormatText(name, size, "%s", known);
}

bool ReadFileTimes(const char* path, FileTimes* times) {
  if (TakeEntryTimes(path, times)) return true;
  struct statx info;
  if (statx(AT_FDCWD, path, 0, STATX_ATIME | STATX_MTIME | STATX_BTIME, &info) != 0) return false;
  if ((info.stx_mask & (STATX_ATIME | STATX_MTIME)) != (STATX_ATIME | STATX_MTIME)) return false;
  *times = TimesFromStatx(info);
  return true;
}

bool ToLocalFileTime(FileTime utc, FileTime* local) {
  *local = utc + LocalBiasNanos();
  return true;
}

int CompareFileTimes(FileTime a, FileTime b) { return a < b ? -1 : (a > b ? 1 : 0); }

bool ToFatDateTime(FileTime local, uint16_t* date, uint16_t* time) {
  time_t seconds = static_cast<time_t>(FloorDiv(local, kNanosPerSecond));
  struct tm parts;
  if (gmtime_r(&seconds, &parts) == nullptr) return false;
  int year = parts.tm_year + 1900;
  if (year < 1980 || year > 2107) return false;
  *date = static_cast<uint16_t>(((year - 1980) << 9) | ((parts.tm_mon + 1) << 5) | parts.tm_mday);
  *time = static_cast<uint16_t>((parts.tm_hour << 11) | (parts.tm_min << 5) | (parts.tm_sec / 2));
  return true;
}
