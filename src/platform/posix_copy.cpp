// The whole-file copy on POSIX. The copy is written under a temporary hidden
// name in the target folder and renamed into place only when complete, so a
// partly written file never stands under the final name.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "os.h"

namespace {
// Opens the source for reading without touching its access time where allowed.
int OpenSource(const char* path) {
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = open(path, O_RDONLY | O_CLOEXEC);
  return fd;
}

// A file that may not be replaced: read-only for the user, hidden, or no file.
bool Protected(const char* target) {
  struct stat info;
  if (lstat(target, &info) != 0) return false;  // absent: free to write
  const char* slash = strrchr(target, '/');
  const char* name = slash ? slash + 1 : target;
  if (name[0] == '.') return true;
  if (S_ISDIR(info.st_mode)) return true;
  if (S_ISLNK(info.st_mode)) {
    if (stat(target, &info) != 0) return true;
  }
  return (info.st_mode & S_IWUSR) == 0;
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Copies the content, in the kernel where it can (which also lets the file
// system share extents), else through a buffer.
bool CopyContent(int from, int to, off_t size) {
  off_t done = 0;
  for (;;) {
    // Asks for more than the size, so a file that grew meanwhile is copied
    // whole and the end shows as a copy of nothing.
    ssize_t copied = copy_file_range(from, nullptr, to, nullptr, static_cast<size_t>(size - done) + 65536, 0);
    if (copied > 0) {
      done += copied;
    } else if (copied == 0) {
      return true;
    } else if (errno == EINTR) {
      continue;
    } else if (done == 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                             errno == EBADF)) {
      break;  // no copy in the kernel here: through a buffer
    } else {
      return false;
    }
  }
  static thread_local char buffer[1 << 17];
  for (;;) {
    ssize_t got = read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!WriteAll(to, buffer, static_cast<size_t>(got))) return false;
  }
}
}  // namespace

namespace {
// The folder part of a path, with its separator ("" for a bare name).
std::string FolderOf(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash ? std::string(path, slash - path + 1) : std::string();
}

// Gives the finished copy its name. An unnamed file is linked in, which also
// fails rather than replace anything; a named temporary file is renamed.
bool Publish(int fd, const std::string& temporary, const char* target) {
  if (temporary.empty()) {
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    if (linkat(AT_FDCWD, link, AT_FDCWD, target, AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != EEXIST || Protected(target)) return false;
    // The name is taken by a file that may be replaced: through a named temporary.
    std::string named = FolderOf(target) + ".tavro-copy-XXXXXX";
    int placeholder = mkostemp(&named[0], O_CLOEXEC);
    if (placeholder < 0) return false;
    close(placeholder);
    unlink(named.c_str());
    if (linkat(AT_FDCWD, link, AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) != 0) return false;
    if (Protected(target) || rename(named.c_str(), target) != 0) {
      unlink(named.c_str());
      return false;
    }
    return true;
  }
  return !Protected(target) && rename(temporary.c_str(), target) == 0;
}
}  // namespace

bool CopyWholeFile(const char* source, const char* target) {
  if (Protected(target)) return false;
  int from = OpenSource(source);
  if (from < 0) return false;
  struct stat info;
  if (fstat(from, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(from);
    return false;
  }
  // The copy is written unnamed where the file system allows it, else under
  // a hidden temporary name; either way it gets its name only when complete.
  std::string folder = FolderOf(target);
  std::string temporary;
  int to = open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (to < 0) {
    temporary = folder + ".tavro-copy-XXXXXX";
    to = mkostemp(&temporary[0], O_CLOEXEC);
  }
  if (to < 0) {
    close(from);
    return false;
  }
  struct timespec times[2] = {{0, UTIME_NOW}, info.st_mtim};
  bool ok = CopyContent(from, to, info.st_size) && fchmod(to, info.st_mode & 07777) == 0 &&
            futimens(to, times) == 0;
  ok = ok && Publish(to, temporary, target);
  close(to);
  close(from);
  if (!ok && !temporary.empty()) unlink(temporary.c_str());
  return ok;
}
