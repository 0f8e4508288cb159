// The directory search over POSIX folders. A name that begins with '.' is a
// hidden entry; anything that is neither a regular file nor a folder (device,
// socket, fifo, dangling link) is a system entry. Neither ever matches.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "os.h"
#include "posix_entry_times.h"

namespace {
struct Search {
  DIR* dir;
  std::string wildcard;  // empty: every name matches
  unsigned mask;
};

constexpr unsigned kWanted = STATX_TYPE | STATX_MODE | STATX_ATIME | STATX_MTIME | STATX_BTIME;

bool NameMatches(const Search& search, const char* name) {
  return search.wildcard.empty() || fnmatch(search.wildcard.c_str(), name, 0) == 0;
}

// Fills the record with the next matching entry; false when none is left,
// with the record's error set where the folder could not be read on.
bool NextMatch(Search* search, rt::FindRecord* record) {
  for (;;) {
    errno = 0;
    struct dirent* entry = readdir(search->dir);
    if (entry == nullptr) {
      record->error = errno;
      return false;
    }
    const char* name = entry->d_name;
    if (name[0] == '.') continue;
    size_t length = strlen(name);
    if (length >= sizeof record->name) continue;
    if (!NameMatches(*search, name)) continue;
    // One look at each entry: its type for the match, its times for the
    // search's own date and for the stamp that the scan makes of them.
    struct statx info;
    memcpy(record->name, name, length + 1);
    record->entryError = kNoError;
    if (statx(dirfd(search->dir), name, AT_NO_AUTOMOUNT, kWanted, &info) != 0) {
      // Gone meanwhile, or a broken link: no file there. Anything else is an
      // entry that cannot be looked at, which is told where asked for.
      if (errno == ENOENT || errno == ELOOP || (search->mask & rt::kFaultyEntries) == 0) continue;
      record->entryError = errno;
      record->timesKnown = false;
      record->date = record->time = 0;
      return true;
    }
    bool isFolder = S_ISDIR(info.stx_mode);
    if (!S_ISREG(info.stx_mode) && !isFolder) continue;
    if (isFolder && (search->mask & rt::FA_DIREC) == 0) continue;
    record->times = TimesFromStatx(info);
    record->timesKnown = true;
    uint16_t date = 0, time = 0;
    FileTime local;
    if (!ToLocalFileTime(record->times.write, &local) || !ToFatDateTime(local, &date, &time)) date = time = 0;
    record->date = date;
    record->time = time;
    return true;
  }
}

void EndSearch(rt::FindRecord* record) {
  Search* search = static_cast<Search*>(record->state);
  if (search == nullptr) return;
  closedir(search->dir);
  delete search;
  record->state = nullptr;
}
}  // namespace

namespace rt {

int FindFirstEntry(const char* pattern, FindRecord* record, unsigned mask) {
  record->state = nullptr;
  record->error = kNoError;
  const char* slash = strrchr(pattern, '/');
  std::string folder = slash ? std::string(pattern, slash - pattern + 1) : std::string("./");
  std::string wildcard = slash ? slash + 1 : pattern;
  if (wildcard == "*.*" || wildcard == "*") wildcard.clear();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    // A folder that is not there holds no files; one that cannot be read
    // is told.
    if (errno != ENOENT && errno != ENOTDIR) record->error = errno;
    return -1;
  }
  record->state = new Search{dir, wildcard, mask};
  return FindNextEntry(record);
}

int FindNextEntry(FindRecord* record) {
  Search* search = static_cast<Search*>(record->state);
  if (search == nullptr) return -1;
  if (NextMatch(search, record)) return 0;
  EndSearch(record);
  return -1;
}

void EndEntrySearch(FindRecord* record) { EndSearch(record); }

}  // namespace rt
