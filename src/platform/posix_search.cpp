// The directory search over POSIX folders. A name that begins with '.' is a
// hidden entry; anything that is neither a regular file nor a folder (device,
// socket, fifo, dangling link) is a system entry. Neither ever matches.
#include <dirent.h>
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
  std::string folder;
  std::string wildcard;  // empty: every name matches
  unsigned mask;
};

constexpr unsigned kWanted = STATX_TYPE | STATX_MODE | STATX_ATIME | STATX_MTIME | STATX_BTIME;

bool NameMatches(const Search& search, const char* name) {
  return search.wildcard.empty() || fnmatch(search.wildcard.c_str(), name, 0) == 0;
}

// Fills the record with the next matching entry; false when none is left.
bool NextMatch(Search* search, rt::FindRecord* record) {
  while (struct dirent* entry = readdir(search->dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.') continue;
    size_t length = strlen(name);
    if (length >= sizeof record->name) continue;
    if (!NameMatches(*search, name)) continue;
    // One look at each entry: its type for the match, its times for the
    // search's own date and for the stamp that the scan asks for next.
    struct statx info;
    if (statx(dirfd(search->dir), name, AT_NO_AUTOMOUNT, kWanted, &info) != 0) continue;  // dangling link
    bool isFolder = S_ISDIR(info.stx_mode);
    if (!S_ISREG(info.stx_mode) && !isFolder) continue;
    if (isFolder && (search->mask & rt::FA_DIREC) == 0) continue;
    FileTimes times = TimesFromStatx(info);
    if (!isFolder) RememberEntryTimes(search->folder.c_str(), name, times);
    uint16_t date = 0, time = 0;
    FileTime local;
    if (!ToLocalFileTime(times.write, &local) || !ToFatDateTime(local, &date, &time)) date = time = 0;
    record->date = date;
    record->time = time;
    memcpy(record->name, name, length + 1);
    return true;
  }
  return false;
}

void EndSearch(rt::FindRecord* record) {
  Search* search = static_cast<Search*>(record->state);
  if (search == nullptr) return;
  closedir(search->dir);
  delete search;
  RememberEntryTimes(nullptr, "", FileTimes{});
  record->state = nullptr;
}
}  // namespace

namespace rt {

int FindFirstEntry(const char* pattern, FindRecord* record, unsigned mask) {
  record->state = nullptr;
  const char* slash = strrchr(pattern, '/');
  std::string folder = slash ? std::string(pattern, slash - pattern + 1) : std::string("./");
  std::string wildcard = slash ? slash + 1 : pattern;
  if (wildcard == "*.*" || wildcard == "*") wildcard.clear();
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return -1;
  record->state = new Search{dir, folder, wildcard, mask};
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
