// File times on POSIX: nanoseconds since the Unix epoch. The creation time is
// the birth time where the file system keeps one.
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>

#include <cstring>

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
  int64_t seconds = FloorDiv(local, kNanosPerSecond);
  int64_t days = FloorDiv(seconds, 86400), second = seconds - days * 86400;
  // The calendar from the day count, by arithmetic alone: the scan converts
  // two times per file, and gmtime_r takes a process-wide lock each time.
  // Counted from 1 March 2000, so that a leap day ends each cycle.
  int64_t shifted = days - 11017;
  int64_t cycle = FloorDiv(shifted, 146097);               // 400 years
  int64_t dayOfCycle = shifted - cycle * 146097;           // 0..146096
  int64_t yearOfCycle = (dayOfCycle - dayOfCycle / 1460 + dayOfCycle / 36524 - dayOfCycle / 146096) / 365;
  int64_t dayOfYear = dayOfCycle - (365 * yearOfCycle + yearOfCycle / 4 - yearOfCycle / 100);  // from March
  int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;      // 0..11
  int64_t day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
  int64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  int64_t year = 2000 + cycle * 400 + yearOfCycle + (month <= 2 ? 1 : 0);
  if (year < 1980 || year > 2107) return false;
  *date = static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
  *time = static_cast<uint16_t>(((second / 3600) << 11) | ((second / 60 % 60) << 5) | (second % 60 / 2));
  return true;
}
