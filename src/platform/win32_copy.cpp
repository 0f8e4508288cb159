// The whole-file copy on Windows. The copy is written under a hidden
// temporary name in the target folder, flushed to the disk, and only then
// given its name, so that a copy cut off by a crash, a logoff or Task
// Manager never stands under the final name, and one that stands there is
// on the disk.
#include <windows.h>

#include <cstring>

#include "block_faults.h"
#include "os.h"
#include "temporary_names.h"
#include "test_hooks.h"
#include "text.h"

namespace {
const char* BaseName(const char* path) {
  const char* name = path;
  for (const char* c = path; *c != '\0'; c++)
    if (*c == '\\' || *c == '/') name = c + 1;
  return name;
}

FileError LastError() {
  DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? static_cast<FileError>(error) : static_cast<FileError>(ERROR_GEN_FAILURE);
}

// Whether the file that holds the target name may be replaced. Windows
// refuses to replace a read-only or hidden file; checked here so that every
// implementation of the calls (Wine's among them) keeps it. The file is
// looked at by identity, since another spelling of its name (another case, a
// short name) can lead to the same file.
FileError MayReplaceTarget(const char* target, ReplaceCheck mayReplace) {
  DWORD existing = GetFileAttributesA(target);
  if (existing == INVALID_FILE_ATTRIBUTES) return kNoError;
  if (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY))
    return ERROR_ACCESS_DENIED;
  FileIdentity identity;
  FileError error = ReadFileIdentity(target, &identity);
  if (error != kNoError) return IsMissingError(error) ? kNoError : error;
  if (mayReplace != nullptr && !mayReplace(identity, BaseName(target))) return kNameHeldByListed;
  return kNoError;
}

// A new hidden temporary file in the target's folder, which no other run may
// delete while it is open; its path into temporary.
HANDLE MakeTemporary(const char* target, char* temporary, size_t size) {
  size_t folder = static_cast<size_t>(BaseName(target) - target);
  for (int attempt = 0; attempt < 100; attempt++) {
    char name[kTemporaryNameSize];
    NewTemporaryName(kCopyPrefix, name);
    if (!FormatText(temporary, size, "%.*s%s", static_cast<int>(folder), target, name)) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return INVALID_HANDLE_VALUE;
    }
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE || (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS))
      return file;
  }
  return INVALID_HANDLE_VALUE;
}

// Copies size bytes, the length the source had when it was opened: a file
// that keeps growing does not hold the copy for ever.
FileError CopyContent(HANDLE from, HANDLE to, uint64_t size) {
  static thread_local char buffer[1 << 18];
  while (size > 0) {
    DWORD wanted = size < sizeof buffer ? static_cast<DWORD>(size) : static_cast<DWORD>(sizeof buffer), got = 0;
    if (!ReadFile(from, buffer, wanted, &got, nullptr)) return LastError();
    if (got == 0) return kNoError;  // it has become shorter
    for (DWORD done = 0; done < got;) {
      DWORD written = 0;
      if (!WriteFile(to, buffer + done, got - done, &written, nullptr)) return LastError();
      done += written;
    }
    size -= got;
  }
  return kNoError;
}

// The content, the last write time, and the whole of it on the disk before
// it gets a name. There is no cheaper way to the disk for one user: a flush
// of the whole volume needs an administrator.
FileError WriteCopy(HANDLE from, HANDLE to, const BY_HANDLE_FILE_INFORMATION& info) {
  uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  FileError error = CopyContent(from, to, size);
  if (error == kNoError && !SetFileTime(to, nullptr, nullptr, &info.ftLastWriteTime)) error = LastError();
  if (error == kNoError && !FlushFileBuffers(to)) error = LastError();
  if (!CloseHandle(to) && error == kNoError) error = LastError();
  return error;
}

// Gives the finished copy its name: at once where the name is free; a name
// that is taken is looked at, and replaced where that is allowed.
FileError PlaceCopy(const char* temporary, const char* target, ReplaceCheck mayReplace) {
  if (MoveFileExA(temporary, target, MOVEFILE_WRITE_THROUGH)) return kNoError;
  if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return LastError();
  FileError error = MayReplaceTarget(target, mayReplace);
  if (error != kNoError) return error;
  return MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? kNoError : LastError();
}
}  // namespace

FileError CopyWholeFile(const char* source, const char* target, ReplaceCheck mayReplace) {
  HANDLE from = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (from == INVALID_HANDLE_VALUE) return LastError();
  BY_HANDLE_FILE_INFORMATION info;
  FileError error = kNoError;
  if (!GetFileInformationByHandle(from, &info)) error = LastError();
  else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || GetFileType(from) != FILE_TYPE_DISK)
    error = kNotOrdinaryFile;
  char temporary[MAX_PATH] = "";
  if (error == kNoError) {
    HANDLE to = MakeTemporary(target, temporary, sizeof temporary);
    error = to == INVALID_HANDLE_VALUE ? LastError() : WriteCopy(from, to, info);
  }
  CloseHandle(from);
  // The copy gets its source's attributes, hidden and system aside; set
  // before it is named, so that a copy under its name is never hidden.
  DWORD attributes = info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  if (error == kNoError && !SetFileAttributesA(temporary, attributes ? attributes : FILE_ATTRIBUTE_NORMAL))
    error = LastError();
  if (error == kNoError) error = PlaceCopy(temporary, target, mayReplace);
  if (error != kNoError && temporary[0] != '\0') {
    SetFileAttributesA(temporary, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(temporary);
  }
  return error;
}

// Every copy was flushed before it got its name.
FileError FlushCopies(const char*) { return FlushErrorForTests(); }

// Windows names no unnamed files: there is no route to take away.
void SetNoLinkRoutesForTests(bool) {}
