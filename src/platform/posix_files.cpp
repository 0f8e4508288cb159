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

bool ReadFileIdentity(const char* path, FileIdentity* identity) {
  struct stat info;
  if (stat(path, &info) != 0) return false;
  *identity = IdentityOf(info);
  return true;
}

bool DeleteOrdinaryFile(const char* path) {
  struct stat info;
  if (stat(path, &info) != 0) return false;
  // A file the user may not write is treated as read-only and kept, as the
  // Windows program keeps a read-only file (root included).
  if ((info.st_mode & S_IWUSR) == 0) return false;
  return unlink(path) == 0;
}

namespace {
// A probe file made in folder b and looked for in folder a: a share or a
// view of a folder has an identity of its own, but shows the same files.
bool ProbeSeenInBoth(const char* a, const char* b) {
  char probe[PATH_MAX], seen[PATH_MAX];
  int fd = MakeLockedTemporary(b, kProbePrefix, probe, sizeof probe);
  if (fd < 0) return false;
  const char* name = probe + strlen(b);
  struct stat info;
  bool same = FormatText(seen, sizeof seen, "%s%s", a, name) && lstat(seen, &info) == 0;
  unlink(probe);
  close(fd);
  return same;
}
}  // namespace

bool IsSameFolder(const char* a, const char* b) {
  struct stat first, second;
  if (stat(a, &first) != 0 || stat(b, &second) != 0) return false;
  if (first.st_dev == second.st_dev && first.st_ino == second.st_ino) return true;
  size_t length = strlen(b);
  if (length == 0 || b[length - 1] != '/' || a[0] == '\0' || a[strlen(a) - 1] != '/') return false;
  return ProbeSeenInBoth(a, b);
}

void EndProcess(int code) { _exit(code); }
