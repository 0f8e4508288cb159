// File operations and the process end on POSIX.
#include <errno.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "os.h"
#include "posix_identity.h"
#include "posix_temporary.h"
#include "run/shared_state.h"
#include "system_error.h"
#include "text.h"

namespace {
// HOME, else the account's home folder; nullptr when neither is known.
const char* HomeFolder() {
  const char* home = getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  struct passwd* account = getpwuid(getuid());
  return account != nullptr && account->pw_dir != nullptr && account->pw_dir[0] != '\0' ? account->pw_dir : nullptr;
}
}  // namespace

// Looked up on every call, so that it follows the environment. A home that
// is no absolute path of a folder, or too long to be remembered with its
// separator, leaves the root.
const char* DefaultFolder() {
  static char folder[kFolderSize];
  const char* home = HomeFolder();
  struct stat info;
  if (home == nullptr || home[0] != '/' || stat(home, &info) != 0 || !S_ISDIR(info.st_mode)) return "/";
  size_t length = strlen(home);
  while (length > 1 && home[length - 1] == '/') length--;
  if (length == 1) return "/";
  if (!FormatText(folder, sizeof folder, "%.*s/", static_cast<int>(length), home)) return "/";
  return folder;
}

void DescribeSystemError(FileError error, char* buffer, size_t size) {
  char text[128];
  snprintf(buffer, size, "%s", strerror_r(error, text, sizeof text));
}

bool IsMissingError(FileError error) { return error == ENOENT || error == ENOTDIR; }

FileError ReadFileIdentity(const char* path, FileIdentity* identity) {
  struct stat info;
  if (stat(path, &info) != 0) return errno;
  *identity = IdentityOf(info);
  return kNoError;
}

bool DeleteOrdinaryFile(const char* path) {
  struct stat info;
  if (stat(path, &info) != 0) return false;
  // A file the user may not write is treated as read-only and kept, as the
  // Windows program keeps a read-only file (root included).
  if ((info.st_mode & S_IWUSR) == 0) return false;
  return unlink(path) == 0;
}

PathState LookUpPath(const char* path) {
  struct stat info;
  if (lstat(path, &info) == 0) return kPathFound;
  return errno == ENOENT ? kPathMissing : kPathUnknown;
}

bool MakeProbeFile(const char* folder, ProbeFile* probe) {
  char path[PATH_MAX] = "";
  int fd = MakeLockedTemporary(folder, kProbePrefix, path, sizeof path);
  // The name tried is kept also where the file could not be made: a view may
  // have made it where it cannot show it.
  size_t length = strlen(folder);
  FormatText(probe->name, sizeof probe->name, "%s", strlen(path) > length ? path + length : "");
  probe->handle = fd;
  return fd >= 0;
}

bool RemoveProbeFile(const char* folder, ProbeFile* probe) {
  char path[PATH_MAX];
  bool removed = FormatText(path, sizeof path, "%s%s", folder, probe->name) && unlink(path) == 0;
  close(static_cast<int>(probe->handle));
  return removed;
}

void EndProcess(int code) { _exit(code); }
