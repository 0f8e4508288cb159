#include "posix_temporary.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstring>

#include "os.h"
#include "text.h"

namespace {
char pendingPath[PATH_MAX];
std::atomic<bool> pending{false};

bool StartsWith(const char* name, const char* prefix) { return strncmp(name, prefix, strlen(prefix)) == 0; }

// Whether the name still leads to the file open on the descriptor.
bool NameLeadsTo(int folder, const char* name, int fd) {
  struct stat named, held;
  return fstat(fd, &held) == 0 && fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}
}  // namespace

bool NewTemporaryName(const char* folder, const char* prefix, char* path, size_t size) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static std::atomic<unsigned> counter{0};
  unsigned char random[6];
  if (getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
    unsigned long mix = static_cast<unsigned long>(time(nullptr)) * 2654435761u + getpid() * 40503u + counter++;
    for (unsigned char& byte : random) byte = static_cast<unsigned char>(mix >>= 5);
  }
  char tail[sizeof random + 1];
  for (size_t i = 0; i < sizeof random; i++) tail[i] = letters[random[i] % (sizeof letters - 1)];
  tail[sizeof random] = '\0';
  return FormatText(path, size, "%s%s%s", folder, prefix, tail);
}

int MakeLockedTemporary(const char* folder, const char* prefix, char* path, size_t size) {
  for (int attempt = 0; attempt < 100; attempt++) {
    if (!NewTemporaryName(folder, prefix, path, size)) {
      errno = ENAMETOOLONG;
      return -1;
    }
    int fd = open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    // Locked at once, and still under its name: another run's clean-up may
    // have taken it between the two steps. Where the file system keeps no
    // locks it stays unlocked, and no other run ever takes it for abandoned.
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      if (NameLeadsTo(AT_FDCWD, path, fd)) return fd;
    } else if (errno != EWOULDBLOCK) {
      return fd;
    }
    close(fd);
  }
  errno = EEXIST;
  return -1;
}

void RemoveLeftoverCopies(const char* folder) {
  DIR* dir = opendir(folder);
  if (dir == nullptr) return;
  int at = dirfd(dir);
  while (struct dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (!StartsWith(name, kCopyPrefix) && !StartsWith(name, kProbePrefix)) continue;
    int fd = openat(at, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // A run that is still going holds its file locked; only a file that
    // nobody holds was left by a run that has ended.
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        NameLeadsTo(at, name, fd))
      unlinkat(at, name, 0);
    close(fd);
  }
  closedir(dir);
}

void SetCopyInProgress(const char* path) {
  pending = false;
  if (path == nullptr || strlen(path) >= sizeof pendingPath) return;
  memcpy(pendingPath, path, strlen(path) + 1);
  pending = true;
}

void DiscardCopyInProgress() {
  if (pending) unlink(pendingPath);
}
