// File operations and the process end on Windows.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "os.h"
#include "system_error.h"
#include "temporary_names.h"
#include "text.h"
#include "win32_filetime.h"

const char* DefaultFolder() { return "C:\\"; }

void DescribeSystemError(FileError error, char* buffer, size_t size) {
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(error), 0, buffer, static_cast<DWORD>(size), nullptr);
  // The system's texts end with a line break.
  while (length > 0 && (buffer[length - 1] == '\r' || buffer[length - 1] == '\n' || buffer[length - 1] == ' '))
    buffer[--length] = '\0';
  if (length == 0) snprintf(buffer, size, "error %d", error);
}

bool DeleteOrdinaryFile(const char* path) { return DeleteFileA(path) != 0; }

bool IsMissingError(FileError error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

namespace {
// The path in wide characters; one of MAX_PATH or more in the form that opens
// long paths: a listed file that the program cannot copy may still be one
// that must not be lost.
bool WidePath(const char* path, wchar_t* wide, DWORD size) {
  wchar_t given[MAX_PATH * 2];
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, given, MAX_PATH * 2) == 0) return false;
  if (wcslen(given) < MAX_PATH) return wcscpy(wide, given) != nullptr;
  wcscpy(wide, L"\\\\?\\");
  DWORD length = GetFullPathNameW(given, size - 4, wide + 4, nullptr);
  return length > 0 && length < size - 4;
}
}  // namespace

FileError ReadFileIdentity(const char* path, FileIdentity* identity) {
  wchar_t wide[MAX_PATH * 2 + 8];
  if (!WidePath(path, wide, MAX_PATH * 2 + 8)) return kNameTooLong;
  HANDLE file = CreateFileW(wide, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return static_cast<FileError>(GetLastError());
  BY_HANDLE_FILE_INFORMATION info;
  BOOL read = GetFileInformationByHandle(file, &info);
  FileError error = read ? kNoError : static_cast<FileError>(GetLastError());
  CloseHandle(file);
  if (!read) return error != kNoError ? error : static_cast<FileError>(ERROR_GEN_FAILURE);
  *identity = FileIdentity{info.dwVolumeSerialNumber,
                           (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                           (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                           FromFiletime(info.ftLastWriteTime)};
  return kNoError;
}

PathState LookUpPath(const char* path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return kPathFound;
  return GetLastError() == ERROR_FILE_NOT_FOUND ? kPathMissing : kPathUnknown;
}

// The probe is removed by the system when its handle is closed, also when
// the program is ended meanwhile.
bool MakeProbeFile(const char* folder, ProbeFile* probe) {
  probe->handle = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
  for (int attempt = 0; attempt < 100; attempt++) {
    char path[MAX_PATH];
    NewTemporaryName(kProbePrefix, probe->name);
    if (!FormatText(path, sizeof path, "%s%s", folder, probe->name)) {
      probe->name[0] = '\0';
      return false;
    }
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      probe->handle = reinterpret_cast<intptr_t>(file);
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

bool RemoveProbeFile(const char*, ProbeFile* probe) {
  return CloseHandle(reinterpret_cast<HANDLE>(probe->handle)) != 0;
}

void EndProcess(int code) { ExitProcess(static_cast<UINT>(code)); }
