// The whole-file copy on Windows.
#include <windows.h>

#include "os.h"

FileError CopyWholeFile(const char* source, const char* target, ReplaceCheck mayReplace, void* context) {
  // Windows refuses to replace a read-only or hidden file; checked first so
  // that every implementation of the call (Wine's among them) keeps it. The
  // existing file is looked at by identity, since another spelling of its
  // name (another case, a short name) can lead to the same file.
  DWORD existing = GetFileAttributesA(target);
  if (existing != INVALID_FILE_ATTRIBUTES) {
    if (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY))
      return ERROR_ACCESS_DENIED;
    FileIdentity identity;
    if (mayReplace != nullptr && ReadFileIdentity(target, &identity) && !mayReplace(identity, context))
      return ERROR_FILE_EXISTS;
  }
  if (CopyFileA(source, target, FALSE)) return kNoError;
  DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? static_cast<FileError>(error) : static_cast<FileError>(ERROR_GEN_FAILURE);
}
