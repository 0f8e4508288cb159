#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "test_files.h"

namespace testfs {

const char kSeparator = '\\';
const bool kNamesIgnoreCase = true;

namespace {
FILETIME ToFiletime(int64_t unixSeconds) {
  ULARGE_INTEGER value;
  value.QuadPart = static_cast<ULONGLONG>(unixSeconds + 11644473600LL) * 10000000ULL;
  return FILETIME{value.LowPart, value.HighPart};
}

HANDLE OpenForAttributes(const std::string& path) {
  return CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}
}  // namespace

std::string NewFolder() {
  static unsigned counter = 0;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  for (;;) {
    std::string folder = std::string(temp) + "tavro-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(++counter);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
  }
}

void RemoveTree(const std::string& folder) {
  std::string base = folder;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((base + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = base + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(base.c_str());
}

void MakeFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

void WriteFile(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string content;
  char buffer[4096];
  DWORD got;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  CloseHandle(file);
  return content;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

void SetTimes(const std::string& path, int64_t access, int64_t write) {
  HANDLE file = OpenForAttributes(path);
  FILETIME accessTime = ToFiletime(access), writeTime = ToFiletime(write);
  SetFileTime(file, nullptr, &accessTime, &writeTime);
  CloseHandle(file);
}

int64_t WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  ULARGE_INTEGER value;
  value.LowPart = data.ftLastWriteTime.dwLowDateTime;
  value.HighPart = data.ftLastWriteTime.dwHighDateTime;
  return static_cast<int64_t>(value.QuadPart / 10000000ULL) - 11644473600LL;
}

bool SetCreationTime(const std::string& path, int64_t creation) {
  HANDLE file = OpenForAttributes(path);
  FILETIME creationTime = ToFiletime(creation);
  BOOL ok = SetFileTime(file, &creationTime, nullptr, nullptr);
  CloseHandle(file);
  // Some file systems take the call but keep their own creation time.
  WIN32_FILE_ATTRIBUTE_DATA data;
  return ok && GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
         CompareFileTime(&data.ftCreationTime, &creationTime) == 0;
}

void MakeReadOnly(const std::string& path) { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY); }

std::string MakeHiddenFile(const std::string& folder, const std::string& base) {
  WriteFile(folder + base, "hidden");
  SetFileAttributesA((folder + base).c_str(), FILE_ATTRIBUTE_HIDDEN);
  return base;
}

std::string MakeSystemEntry(const std::string& folder, const std::string& base) {
  WriteFile(folder + base, "system");
  SetFileAttributesA((folder + base).c_str(), FILE_ATTRIBUTE_SYSTEM);
  return base;
}

bool LongPathsWork() { return false; }

}  // namespace testfs
