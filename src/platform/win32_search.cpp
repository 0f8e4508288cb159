// The directory search on Windows. It lists by wide names and hands out only
// names that survive the trip to the 8-bit code page and back exactly: a name
// the code page cannot hold would come out with '?' or a look-alike letter,
// which names no file or, worse, a different one.
#include <windows.h>

#include <cstring>

#include "os.h"

namespace {
struct Search {
  HANDLE find;
  unsigned mask;
};

constexpr DWORD kNeverMatching = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The 8-bit form of a wide name, or false when it does not convert exactly.
bool ExactNarrowName(const wchar_t* wide, char* narrow, int size) {
  BOOL usedDefault = FALSE;
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, narrow, size, nullptr,
                                   &usedDefault);
  if (length == 0 || usedDefault) return false;
  wchar_t back[MAX_PATH + 1];
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, narrow, -1, back, MAX_PATH + 1) == 0) return false;
  return wcscmp(back, wide) == 0;
}

bool Matches(const Search& search, const WIN32_FIND_DATAW& data) {
  if (data.dwFileAttributes & kNeverMatching) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    if ((search.mask & rt::FA_DIREC) == 0) return false;
    if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) return false;
  }
  return true;
}

// Fills the record from the entry when it matches; false to pass it over.
bool Take(const Search& search, const WIN32_FIND_DATAW& data, rt::FindRecord* record) {
  if (!Matches(search, data)) return false;
  if (!ExactNarrowName(data.cFileName, record->name, sizeof record->name)) return false;
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

namespace rt {

int FindFirstEntry(const char* pattern, FindRecord* record, unsigned mask) {
  record->state = nullptr;
  wchar_t widePattern[MAX_PATH * 2];
  if (MultiByteToWideChar(CP_ACP, 0, pattern, -1, widePattern, MAX_PATH * 2) == 0) return -1;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(widePattern, &data);
  if (find == INVALID_HANDLE_VALUE) return -1;
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
  EndSearch(record);
  return -1;
}

void EndEntrySearch(FindRecord* record) { EndSearch(record); }

}  // namespace rt
