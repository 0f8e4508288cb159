// The whole-file copy on POSIX. The copy is written into an unnamed file
// where the file system allows it, else under a hidden temporary name, and
// gets its name only when complete, so a partly written file never stands
// under the final name.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>

#include "os.h"
#include "posix_identity.h"
#include "posix_temporary.h"

namespace {
// Opens the source for reading without blocking, since a pipe put in its
// place would hold the copy for ever, and without touching its access time
// where that is allowed.
int OpenSource(const char* path) {
  const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
  int fd = open(path, flags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = open(path, flags);
  return fd;
}

// The folder part of a path, with its separator ("./" for a bare name).
bool FolderOf(const char* path, char* folder, size_t size) {
  const char* slash = strrchr(path, '/');
  size_t length = slash ? static_cast<size_t>(slash - path + 1) : 0;
  if (length + 3 > size) return false;
  if (length == 0) {
    memcpy(folder, "./", 3);
  } else {
    memcpy(folder, path, length);
    folder[length] = '\0';
  }
  return true;
}

// Whether the file that has the target name, if any, may be replaced: not
// when it is read-only, hidden or no ordinary file, or the check refuses it.
FileError MayReplaceTarget(const char* target, ReplaceCheck mayReplace, void* context) {
  struct stat entry, file;
  if (lstat(target, &entry) != 0) return errno == ENOENT ? kNoError : errno;
  const char* slash = strrchr(target, '/');
  if ((slash ? slash[1] : target[0]) == '.') return EACCES;
  file = entry;
  if (S_ISLNK(entry.st_mode) && stat(target, &file) != 0) return EEXIST;
  if (!S_ISREG(file.st_mode)) return EEXIST;
  if ((file.st_mode & S_IWUSR) == 0) return EACCES;
  // Only the name is replaced, never the file behind a link; so only an
  // entry that is a file itself can be one whose loss matters.
  if (!S_ISLNK(entry.st_mode) && mayReplace != nullptr && !mayReplace(IdentityOf(entry), context)) return EEXIST;
  return kNoError;
}

bool WriteAll(int fd, const char* data, size_t size, off_t at) {
  while (size > 0) {
    ssize_t written = pwrite(fd, data, size, at);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    at += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Whether copy_file_range cannot copy between these two files at all.
bool NoKernelCopy(int error) {
  return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == EBADF;
}

// Copies the bytes from offset to end (-1: to the end of the file, however
// far it has grown meanwhile) to the same place in the copy: in the kernel
// where it can (which also lets the file system share extents), else through
// a buffer. False with errno set.
bool CopyPart(int from, int to, off_t offset, off_t end, bool* throughBuffer) {
  while (!*throughBuffer && (end < 0 || offset < end)) {
    off64_t in = offset, out = offset;
    size_t wanted = end < 0 ? (1 << 30) : static_cast<size_t>(end - offset);
    ssize_t copied = copy_file_range(from, &in, to, &out, wanted, 0);
    if (copied > 0) {
      offset += copied;
    } else if (copied == 0) {
      return true;  // the end of the file, or of what is left of it
    } else if (errno == EINTR) {
      continue;
    } else if (NoKernelCopy(errno)) {
      // Reads of the source may block again: it is an ordinary file. Its
      // other flags stay (O_NOATIME keeps its access time as it was).
      int flags = fcntl(from, F_GETFL);
      if (flags < 0 || fcntl(from, F_SETFL, flags & ~O_NONBLOCK) != 0) return false;
      *throughBuffer = true;
    } else {
      return false;
    }
  }
  static thread_local char buffer[1 << 17];
  while (end < 0 || offset < end) {
    size_t wanted = end < 0 || end - offset > static_cast<off_t>(sizeof buffer) ? sizeof buffer
                                                                                : static_cast<size_t>(end - offset);
    ssize_t got = pread(from, buffer, wanted, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!WriteAll(to, buffer, static_cast<size_t>(got), offset)) return false;
    offset += got;
  }
  return true;
}

// Copies a file with holes part by part, leaving the holes out, so the copy
// takes no more room than the source. False with errno set.
bool CopyWithHoles(int from, int to, bool* throughBuffer) {
  for (off_t data = 0;;) {
    data = lseek(from, data, SEEK_DATA);
    if (data < 0) break;  // ENXIO: only a hole is left
    off_t hole = lseek(from, data, SEEK_HOLE);
    if (hole < 0 || !CopyPart(from, to, data, hole, throughBuffer)) return false;
    data = hole;
  }
  if (errno != ENXIO) return false;
  // A hole at the end is made by the copy's size alone.
  off_t size = lseek(from, 0, SEEK_END);
  return size >= 0 && ftruncate(to, size) == 0;
}

// Copies the content; a file that takes less room than its size has holes,
// which are kept. False with errno set.
bool CopyContent(int from, int to, const struct stat& info) {
  bool throughBuffer = false;
  if (info.st_blocks < info.st_size / 512) {
    if (CopyWithHoles(from, to, &throughBuffer)) return true;
    if (errno != EINVAL) return false;  // the file system cannot tell the holes
    if (ftruncate(to, 0) != 0) return false;
  }
  return CopyPart(from, to, 0, -1, &throughBuffer);
}

// The content, the permissions and the last write time.
FileError WriteCopy(int from, int to, const struct stat& info) {
  struct timespec times[2] = {{0, UTIME_NOW}, info.st_mtim};
  if (!CopyContent(from, to, info) || fchmod(to, info.st_mode & 07777) != 0 || futimens(to, times) != 0)
    return errno;
  return kNoError;
}

// Links the finished unnamed copy under a name; never replaces anything.
// Linking the descriptor itself spares a walk through /proc; recent kernels
// allow that to everyone, older ones only to those who may search any folder.
std::atomic<bool> emptyPathRefused{false};
bool LinkUnder(int fd, const char* name) {
  if (!emptyPathRefused) {
    if (linkat(fd, "", AT_FDCWD, name, AT_EMPTY_PATH) == 0) return true;
    if (errno != ENOENT) return false;
  }
  char link[32];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  if (linkat(AT_FDCWD, link, AT_FDCWD, name, AT_SYMLINK_FOLLOW) != 0) return false;
  emptyPathRefused = true;
  return true;
}

// Gives the finished unnamed copy its name. Linking never replaces anything;
// where the name is taken by a file that may be replaced, the copy is linked
// under a locked temporary name and renamed over it.
FileError LinkUnnamed(int fd, const char* folder, const char* target, ReplaceCheck mayReplace, void* context) {
  if (LinkUnder(fd, target)) return kNoError;
  if (errno != EEXIST) return errno;
  FileError error = MayReplaceTarget(target, mayReplace, context);
  if (error != kNoError) return error;
  char named[PATH_MAX];
  flock(fd, LOCK_EX | LOCK_NB);
  for (int attempt = 0;; attempt++) {
    if (!NewTemporaryName(folder, kCopyPrefix, named, sizeof named)) return kNameTooLong;
    if (LinkUnder(fd, named)) break;
    if (errno != EEXIST || attempt == 100) return errno;
  }
  SetCopyInProgress(named);
  if (rename(named, target) == 0) error = kNoError;
  else error = errno;
  if (error != kNoError) unlink(named);
  SetCopyInProgress(nullptr);
  return error;
}

// Gives the finished copy under its temporary name the target name.
FileError RenameTemporary(const char* temporary, const char* target, ReplaceCheck mayReplace, void* context) {
  FileError error = MayReplaceTarget(target, mayReplace, context);
  if (error == kNoError && rename(temporary, target) != 0) error = errno;
  return error;
}
}  // namespace

FileError CopyWholeFile(const char* source, const char* target, ReplaceCheck mayReplace, void* context) {
  char folder[PATH_MAX], temporary[PATH_MAX] = "";
  if (!FolderOf(target, folder, sizeof folder)) return kNameTooLong;
  int from = OpenSource(source);
  if (from < 0) return errno;
  FileError error = kNoError;
  int to = -1;
  struct stat info;
  if (fstat(from, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    error = kNotOrdinaryFile;
  } else {
    to = open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (to < 0) {
      to = MakeLockedTemporary(folder, kCopyPrefix, temporary, sizeof temporary);
      if (to < 0) error = errno;
      else SetCopyInProgress(temporary);
    }
  }
  if (error == kNoError) error = WriteCopy(from, to, info);
  if (error == kNoError)
    error = temporary[0] != '\0' ? RenameTemporary(temporary, target, mayReplace, context)
                                 : LinkUnnamed(to, folder, target, mayReplace, context);
  // Some file systems report a failed write only when the file is closed:
  // a copy that was not written whole does not keep its name.
  if (to >= 0 && close(to) != 0 && errno != EINTR && error == kNoError) {
    error = errno;
    unlink(target);
  }
  close(from);
  if (error != kNoError && temporary[0] != '\0') unlink(temporary);
  SetCopyInProgress(nullptr);
  return error;
}
