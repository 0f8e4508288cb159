// File operations and the process end on Windows.
#include <windows.h>

#include "os.h"

const char kDefaultFolder[] = "C:\\";

bool DeleteOrdinaryFile(const char* path) { return DeleteFileA(path) != 0; }

namespace {
// The volume and file index that identify a folder on disk.
bool FolderIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE folder = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  BOOL ok = GetFileInformationByHandle(folder, info);
  CloseHandle(folder);
  return ok != 0;
}
}  // namespace

bool IsSameFolder(const char* a, const char* b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  if (!FolderIdentity(a, &first) || !FolderIdentity(b, &second)) return false;
  return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

void EndProcess(int code) { ExitProcess(static_cast<UINT>(code)); }
