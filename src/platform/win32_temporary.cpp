// The program's own temporary files on Windows: random names, and the sweep
// of those that ended runs left behind.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "block_faults.h"
#include "os.h"
#include "temporary_names.h"
#include "text.h"
#include "win32_filetime.h"

namespace {
// Whether the file is this user's. Where the volume keeps no owners (FAT,
// exFAT) every file is everybody's; where it keeps them and the owner
// cannot be read, the file is not taken for this user's.
bool OwnedByThisUser(const char* folder, const char* path) {
  char root[MAX_PATH];
  DWORD flags = 0;
  if (!GetVolumePathNameA(folder, root, sizeof root) ||
      !GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
    return false;
  if ((flags & FILE_PERSISTENT_ACLS) == 0) return true;
  char descriptor[1024];
  DWORD needed = 0;
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!GetFileSecurityA(path, OWNER_SECURITY_INFORMATION, descriptor, sizeof descriptor, &needed) ||
      !GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || owner == nullptr)
    return false;
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  char user[256];
  DWORD size = 0;
  bool same = GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
              EqualSid(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, owner);
  CloseHandle(token);
  return same;
}
}  // namespace

void FillRandom(unsigned char* bytes, size_t count) {
  // Time, process, thread and a counter, mixed: the names need to differ,
  // not to be secret, and CREATE_NEW refuses any that is taken.
  static std::atomic<uint64_t> counter{0};
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  MixRandom(static_cast<uint64_t>(now.QuadPart) + (static_cast<uint64_t>(GetCurrentProcessId()) << 32) +
                (static_cast<uint64_t>(GetCurrentThreadId()) << 16) + counter++ * 0x9E3779B97F4A7C15u,
            bytes, count);
}

// A run still going holds its copy open without letting others delete it,
// which the system keeps also across network shares; and it changes the
// copy as it writes.
void RemoveLeftoverCopies(const char* folder) {
  char pattern[MAX_PATH];
  if (!FormatText(pattern, sizeof pattern, "%s.tavro-*", folder)) return;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(pattern, &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  FILETIME clock;
  GetSystemTimeAsFileTime(&clock);
  const int64_t now = FromFiletime(clock) + LeftoverClockForTests() * 10000000;
  do {
    const DWORD notOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    int64_t changed = FromFiletime(entry.ftLastWriteTime) > FromFiletime(entry.ftCreationTime) ? FromFiletime(entry.ftLastWriteTime)
                                                                                : FromFiletime(entry.ftCreationTime);
    char path[MAX_PATH];
    if (!IsTemporaryName(entry.cFileName) || (entry.dwFileAttributes & notOrdinary) != 0 ||
        now - changed < kLeftoverSeconds * 10000000 || !FormatText(path, sizeof path, "%s%s", folder, entry.cFileName) ||
        !OwnedByThisUser(folder, path))
      continue;
    // A copy may have taken its source's read-only attribute before it was named.
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
      SetFileAttributesA(path, entry.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
    if (!DeleteFileA(path) && (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesA(path, entry.dwFileAttributes);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}
