// File operations and the process end on Windows.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "os.h"
#include "system_error.h"
#include "text.h"

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

namespace {
// The volume and file index that identify a file or folder on disk.
bool ReadIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BOOL ok = GetFileInformationByHandle(file, info);
  CloseHandle(file);
  return ok != 0;
}

// A probe file made in folder b and looked for in folder a: a mapped drive
// or a UNC path to a folder may have an identity of its own, but shows the
// same files. The system removes the probe when it is closed, also when the
// program is ended meanwhile.
bool ProbeSeenInBoth(const char* a, const char* b) {
  char name[64], probe[MAX_PATH], seen[MAX_PATH];
  FormatText(name, sizeof name, ".tavro-probe-%lu-%lu", GetCurrentProcessId(), GetTickCount());
  if (!FormatText(probe, sizeof probe, "%s%s", b, name) || !FormatText(seen, sizeof seen, "%s%s", a, name))
    return false;
  HANDLE file = CreateFileA(probe, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool same = GetFileAttributesA(seen) != INVALID_FILE_ATTRIBUTES;
  CloseHandle(file);
  return same;
}
}  // namespace

bool ReadFileIdentity(const char* path, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!ReadIdentity(path, &info)) return false;
  ULARGE_INTEGER write;
  write.LowPart = info.ftLastWriteTime.dwLowDateTime;
  write.HighPart = info.ftLastWriteTime.dwHighDateTime;
  *identity = FileIdentity{(static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                           (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                           static_cast<int64_t>(write.QuadPart)};
  return true;
}

bool IsSameFolder(const char* a, const char* b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  if (!ReadIdentity(a, &first) || !ReadIdentity(b, &second)) return false;
  if (first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
      first.nFileIndexLow == second.nFileIndexLow)
    return true;
  return ProbeSeenInBoth(a, b);
}

// The copy (CopyFileA) makes no temporary file of its own, and the probe goes
// with its handle: nothing is ever left to remove.
void RemoveLeftoverCopies(const char*) {}

void EndProcess(int code) { ExitProcess(static_cast<UINT>(code)); }
