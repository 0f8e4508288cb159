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
  bool kernelCopy = true;
  while (kernelCopy && done < size) {
    ssize_t copied = copy_file_range(from, nullptr, to, nullptr, static_cast<size_t>(size - done), 0);
    if (copied > 0) {
      done += copied;
    } else if (copied == 0) {
      break;  // the file got shorter; the rest is read below until its end
    } else if (errno == EINTR) {
      continue;
    } else if (done == 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                             errno == EBADF)) {
      kernelCopy = false;
    } else {
      return false;
    }
  }
  if (lseek(from, done, SEEK_SET) < 0 || lseek(to, done, SEEK_SET) < 0) return false;
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

bool CopyWholeFile(const char* source, const char* target) {
  if (Protected(target)) return false;
  int from = OpenSource(source);
  if (from < 0) return false;
  struct stat info;
  if (fstat(from, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(from);
    return false;
  }
  std::string temporary(target);
  size_t slash = temporary.rfind('/');
  temporary.resize(slash == std::string::npos ? 0 : slash + 1);
  temporary += ".tavro-copy-XXXXXX";
  int to = mkostemp(&temporary[0], O_CLOEXEC);
  if (to < 0) {
    close(from);
    return false;
  }
  struct timespec times[2] = {{0, UTIME_NOW}, info.st_mtim};
  bool ok = CopyContent(from, to, info.st_size) && fchmod(to, info.st_mode & 07777) == 0 &&
            futimens(to, times) == 0;
  ok = close(to) == 0 && ok;
  close(from);
  // Checked again just before the rename: the target may have changed meanwhile.
  if (ok && !Protected(target)) ok = rename(temporary.c_str(), target) == 0;
  else ok = false;
  if (!ok) unlink(temporary.c_str());
  return ok;
}
