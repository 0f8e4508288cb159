// The directory search on Windows. It lists by wide names and hands out only
// names that survive the trip to the 8-bit code page and back exactly: a name
// the code page cannot hold would come out with '?' or a look-alike letter,
// which names no file or, worse, a different one.
#include <windows.h>

#include <cstring>

#include "os.h"
#include "win32_filetime.h"
#include "win32_names.h"

namespace {
struct Search {
  HANDLE find;
  unsigned mask;
};

constexpr DWORD kNeverMatching = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool Matches(const Search& search, const WIN32_FIND_DATAW& data) {
  if (data.dwFileAttributes & kNeverMatching) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    if ((search.mask & rt::FA_DIREC) == 0) return false;
    if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) return false;
  }
  return true;
}

}  // namespace

// The letters shown as '?' let the user see where they are; a name cut short
// is never cut within a letter.
void ShownName(const wchar_t* wide, char* shown, size_t size) {
  char full[MAX_PATH * 4];
  BOOL defaulted = FALSE;
  // UTF-8 and some other pages take no flags.
  if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, full, sizeof full, "?", &defaulted) == 0 &&
      WideCharToMultiByte(CP_ACP, 0, wide, -1, full, sizeof full, nullptr, nullptr) == 0)
    strcpy(full, "?");
  size_t length = strlen(full), end = 0;
  if (length < size) {
    memcpy(shown, full, length + 1);
    return;
  }
  const bool utf8 = GetACP() == CP_UTF8;
  for (;;) {
    size_t next = end + (!utf8 && IsDBCSLeadByte(static_cast<BYTE>(full[end])) ? 2 : 1);
    while (utf8 && next < length && (full[next] & 0xC0) == 0x80) next++;
    if (next + 4 > size) break;
    end = next;
  }
  memcpy(shown, full, end);
  memcpy(shown + end, "...", 4);
}

namespace {

// Fills the record from the entry when it matches; false to pass it over.
bool Take(const Search& search, const WIN32_FIND_DATAW& data, rt::FindRecord* record) {
  if (!Matches(search, data)) return false;
  record->entryError = kNoError;
  if (!ExactNarrowName(GetACP(), data.cFileName, record->name, sizeof record->name)) {
    // A name the code page cannot hold would come out as '?' or a look-alike
    // letter, which names no file or, worse, another one: it is never used,
    // only told where asked for.
    if ((search.mask & rt::kFaultyEntries) == 0 || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    ShownName(data.cFileName, record->name, sizeof record->name);
    record->entryError = kNameNotInCodePage;
  }
  record->times = FileTimes{FromFiletime(data.ftCreationTime), FromFiletime(data.ftLastAccessTime), FromFiletime(data.ftLastWriteTime)};
  record->timesKnown = record->entryError == kNoError;
  FILETIME local;
  WORD date = 0, time = 0;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
    date = time = 0;
  record->date = date;
  record->time = time;
  return true;
}

void EndSearch(rt::FindRecord* record) {
  Search* search = static_cast<Search*>(record->state);
  if (search == nullptr) return;
  FindClose(search->find);
  delete search;
  record->state = nullptr;
}
}  // namespace

// The only proof that works for every code page is the way back: the form must
// convert back to the very same wide name. A best-fit letter ("a" for U+0101)
// or the default character fails it. The flag and the default-character
// report that would say so directly make the call fail outright for UTF-8
// (the ANSI code page where Windows is set to use it) and for some other
// pages, so they are not asked for.
bool ExactNarrowName(unsigned codePage, const wchar_t* wide, char* narrow, int size) {
  if (WideCharToMultiByte(codePage, 0, wide, -1, narrow, size, nullptr, nullptr) == 0) return false;
  wchar_t back[MAX_PATH + 1];
  if (MultiByteToWideChar(codePage, 0, narrow, -1, back, MAX_PATH + 1) == 0) return false;
  return wcscmp(back, wide) == 0;
}

namespace rt {

int FindFirstEntry(const char* pattern, FindRecord* record, unsigned mask) {
  record->state = nullptr;
  record->error = kNoError;
  wchar_t widePattern[MAX_PATH * 2];
  if (MultiByteToWideChar(CP_ACP, 0, pattern, -1, widePattern, MAX_PATH * 2) == 0) return -1;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(widePattern, &data);
  if (find == INVALID_HANDLE_VALUE) {
    // A folder that is not there, or holds nothing that matches, holds no
    // files; one that cannot be read is told.
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_NO_MORE_FILES)
      record->error = static_cast<FileError>(error);
    return -1;
  }
  Search* search = new Search{find, mask};
  record->state = search;
  if (Take(*search, data, record)) return 0;
  return FindNextEntry(record);
}

int FindNextEntry(FindRecord* record) {
  Search* search = static_cast<Search*>(record->state);
  if (search == nullptr) return -1;
  WIN32_FIND_DATAW data;
  while (FindNextFileW(search->find, &data)) {
    if (Take(*search, data, record)) return 0;
  }
  if (GetLastError() != ERROR_NO_MORE_FILES) record->error = static_cast<FileError>(GetLastError());
  EndSearch(record);
  return -1;
}

void EndEntrySearch(FindRecord* record) { EndSearch(record); }

}  // namespace rt
