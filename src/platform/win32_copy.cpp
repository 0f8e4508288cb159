// The whole-file copy on Windows.
#include <windows.h>

#include "os.h"

bool CopyWholeFile(const char* source, const char* target) {
  // Windows refuses to replace a read-only or hidden file; checked first so
  // that every implementation of the call (Wine's among them) keeps it.
  DWORD existing = GetFileAttributesA(target);
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)))
    return false;
  return CopyFileA(source, target, FALSE) != 0;
}
