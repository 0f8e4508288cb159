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

#include "block_faults.h"
#include "os.h"
#include "text.h"

namespace {
char pendingPath[PATH_MAX];
std::atomic<bool> pending{false};

// Whether a leftover is the program's own, of this user, an ordinary file,
// and has not changed for long: a run still going changes its copy as it
// writes, through whatever path it reaches the folder.
bool IsLeftover(const char* name, const struct stat& info, time_t now) {
  if (!IsTemporaryName(name) || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) return false;
  time_t changed = info.st_mtime > info.st_ctime ? info.st_mtime : info.st_ctime;
  return now - changed >= kLeftoverSeconds;
}
}  // namespace

void FillRandom(unsigned char* bytes, size_t count) {
  if (getrandom(bytes, count, GRND_NONBLOCK) == static_cast<ssize_t>(count)) return;
  // Early in boot: time, process and a counter, mixed.
  static std::atomic<uint64_t> counter{0};
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  MixRandom(static_cast<uint64_t>(now.tv_sec) * 1000000007u + static_cast<uint64_t>(now.tv_nsec) +
                (static_cast<uint64_t>(getpid()) << 32) + counter++ * 0x9E3779B97F4A7C15u,
            bytes, count);
}

int MakeLockedTemporary(const char* folder, const char* prefix, char* path, size_t size) {
  for (int attempt = 0; attempt < 100; attempt++) {
    char name[kTemporaryNameSize];
    NewTemporaryName(prefix, name);
    if (!FormatText(path, size, "%s%s", folder, name)) {
      errno = ENAMETOOLONG;
      return -1;
    }
    int fd = open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    // Locked where the file system keeps locks: a run on this machine never
    // takes it, however old it looks.
    if (fd >= 0) flock(fd, LOCK_EX | LOCK_NB);
    return fd;
  }
  errno = EEXIST;
  return -1;
}

void RemoveLeftoverCopies(const char* folder) {
  DIR* dir = opendir(folder);
  if (dir == nullptr) return;
  int at = dirfd(dir);
  time_t now = time(nullptr) + LeftoverClockForTests();
  while (struct dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    struct stat named, held;
    // Looked at before it is opened: a link or a pipe of that name is never followed or opened.
    if (!IsTemporaryName(name) || fstatat(at, name, &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !IsLeftover(name, named, now))
      continue;
    int fd = openat(at, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // Still the file that was looked at, and held by no run on this machine
    // (where the file system keeps no locks, its age alone tells).
    if (fstat(fd, &held) == 0 && held.st_dev == named.st_dev && held.st_ino == named.st_ino &&
        (flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK))
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
