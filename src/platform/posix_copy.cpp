// The whole-file copy on POSIX. The copy is written into an unnamed file
// where the file system allows it, else under a hidden temporary name, and
// gets its name only when complete, so a partly written file never stands
// under the final name.
#include <errno.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>

#include "block_faults.h"
#include "os.h"
#include "posix_identity.h"
#include "posix_source.h"
#include "posix_temporary.h"
#include "test_hooks.h"

namespace {
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

const char* BaseName(const char* path) {
  const char* slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

// Whether the entry that holds the target name, if any, may be replaced: not
// when it is read-only, hidden or no ordinary file, or the check refuses it.
FileError MayReplaceTarget(const char* target, ReplaceCheck mayReplace) {
  struct stat entry, file;
  if (lstat(target, &entry) != 0) return errno == ENOENT ? kNoError : errno;
  if (BaseName(target)[0] == '.') return EACCES;
  file = entry;
  if (S_ISLNK(entry.st_mode) && stat(target, &file) != 0) return EEXIST;
  if (!S_ISREG(file.st_mode)) return EEXIST;
  if ((file.st_mode & S_IWUSR) == 0) return EACCES;
  // Only the name is replaced, never the file behind a link; so only an
  // entry that is a file itself can be one whose loss matters.
  if (!S_ISLNK(entry.st_mode) && mayReplace != nullptr && !mayReplace(IdentityOf(entry), BaseName(target)))
    return kNameHeldByListed;
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

// Copies the bytes from offset up to end to the same place in the copy: in
// the kernel where it can (which also lets the file system share extents),
// else through a buffer. A file that has become shorter ends the copy early;
// one that grows is copied only as far as end. False with errno set.
bool CopyPart(int from, int to, off_t offset, off_t end, bool* throughBuffer) {
  while (!*throughBuffer && offset < end) {
    off64_t in = offset, out = offset;
    size_t wanted = static_cast<size_t>(std::min<off_t>(end - offset, off_t{1} << 30));
    ssize_t copied = copy_file_range(from, &in, to, &out, wanted, 0);
    if (copied > 0) {
      offset += copied;
    } else if (copied == 0) {
      return true;
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
  while (offset < end) {
    size_t wanted = static_cast<size_t>(std::min<off_t>(end - offset, static_cast<off_t>(sizeof buffer)));
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
bool CopyWithHoles(int from, int to, off_t size, bool* throughBuffer) {
  for (off_t data = 0; data < size;) {
    data = lseek(from, data, SEEK_DATA);
    if (data < 0 && errno != ENXIO) return false;
    if (data < 0 || data >= size) break;  // only a hole is left
    off_t hole = lseek(from, data, SEEK_HOLE);
    if (hole < 0 || !CopyPart(from, to, data, std::min(hole, size), throughBuffer)) return false;
    data = hole;
  }
  // A hole at the end is made by the copy's size alone.
  return ftruncate(to, size) == 0;
}

// Copies the content as long as the file was when it was opened; a file
// that takes less room than its size has holes, which are kept. False with
// errno set.
bool CopyContent(int from, int to, const struct stat& info) {
  bool throughBuffer = false;
  if (info.st_blocks < info.st_size / 512) {
    if (CopyWithHoles(from, to, info.st_size, &throughBuffer)) return true;
    if (errno != EINVAL) return false;  // the file system cannot tell the holes
    if (ftruncate(to, 0) != 0) return false;
  }
  return CopyPart(from, to, 0, info.st_size, &throughBuffer);
}

// FUSE passes a flush of the whole file system on to only some of its
// servers: there each copy is flushed before it is named.
bool FlushedOnlyOneByOne(int fd) {
  struct statfs info;
  return fstatfs(fd, &info) == 0 && info.f_type == FUSE_SUPER_MAGIC;
}

// The content, the permissions and the last write time. The permissions are
// the plain ones: set-user-ID, set-group-ID and sticky would give the copy,
// now of another owner, powers its source never had.
FileError WriteCopy(int from, int to, const struct stat& info) {
  struct timespec times[2] = {{0, UTIME_NOW}, info.st_mtim};
  if (!CopyContent(from, to, info) || fchmod(to, info.st_mode & 0777) != 0 || futimens(to, times) != 0)
    return errno;
  if (FlushedOnlyOneByOne(to) && fdatasync(to) != 0) return errno;
  return kNoError;
}

// How an unnamed file is linked under a name: by its descriptor (recent
// kernels allow that to everyone, older ones only to those who may search any
// folder), through /proc, or not at all (older kernels without /proc, as in
// some chroots and containers). A route the system refuses is not tried again.
enum LinkRoute { kByDescriptor, kByProc, kNoRoute };
std::atomic<int> linkRoute{kByDescriptor};
std::atomic<bool> refusedForTests{false};

// Links the unnamed copy under a name; never replaces anything. False with errno set.
bool LinkUnder(int fd, const char* name) {
  const bool refused = refusedForTests;
  if (linkRoute == kByDescriptor && !refused) {
    if (linkat(fd, "", AT_FDCWD, name, AT_EMPTY_PATH) == 0) return true;
    if (errno != ENOENT) return false;
  }
  char link[32];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  if (!refused && linkRoute != kNoRoute && linkat(AT_FDCWD, link, AT_FDCWD, name, AT_SYMLINK_FOLLOW) == 0) {
    linkRoute = kByProc;
    return true;
  }
  // Also ENOENT when the folder has gone; then /proc is still there.
  if (refused || (errno == ENOENT && access("/proc/self/fd", F_OK) != 0)) {
    linkRoute = kNoRoute;
    errno = ENOENT;
  }
  return false;
}

// Links the unnamed copy under a new temporary name in the folder.
bool LinkUnderTemporary(int fd, const char* folder, char* temporary, size_t size) {
  for (int attempt = 0; attempt < 100; attempt++) {
    char name[kTemporaryNameSize];
    NewTemporaryName(kCopyPrefix, name);
    if (snprintf(temporary, size, "%s%s", folder, name) >= static_cast<int>(size)) {
      temporary[0] = '\0';
      errno = ENAMETOOLONG;
      return false;
    }
    if (LinkUnder(fd, temporary)) {
      SetCopyInProgress(temporary);
      return true;
    }
    temporary[0] = '\0';
    if (errno != EEXIST) return false;
  }
  return false;
}

// A new file for the copy in the folder: unnamed where the file system has
// unnamed files and they can be linked, else under a temporary name (written
// into temporary, which is empty for an unnamed file). -1 with errno set.
int OpenCopy(const char* folder, char* temporary, size_t size) {
  temporary[0] = '\0';
  if (linkRoute != kNoRoute) {
    int fd = open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
  }
  int fd = MakeLockedTemporary(folder, kCopyPrefix, temporary, size);
  if (fd < 0) temporary[0] = '\0';
  else SetCopyInProgress(temporary);
  return fd;
}

// Gives the finished copy the target name. The name is taken at once where
// it is free; only a name that is taken is looked at, and replaced where
// that is allowed. The temporary name, if any, is emptied once it is gone.
FileError PlaceCopy(int fd, const char* folder, char* temporary, size_t size, const char* target,
                    ReplaceCheck mayReplace) {
  const bool unnamed = temporary[0] == '\0';
  if (unnamed ? LinkUnder(fd, target) : renameat2(AT_FDCWD, temporary, AT_FDCWD, target, RENAME_NOREPLACE) == 0) {
    temporary[0] = '\0';
    return kNoError;
  }
  // Some network and FUSE file systems cannot rename without replacing:
  // there the name is looked at first.
  bool cannotKeep = !unnamed && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP);
  if (errno != EEXIST && !cannotKeep) return errno;
  FileError error = MayReplaceTarget(target, mayReplace);
  if (error != kNoError) return error;
  if (unnamed && !LinkUnderTemporary(fd, folder, temporary, size)) return errno;
  if (rename(temporary, target) != 0) return errno;
  temporary[0] = '\0';
  return kNoError;
}
}  // namespace

FileError CopyWholeFile(const char* source, const char* target, ReplaceCheck mayReplace) {
  char folder[PATH_MAX], temporary[PATH_MAX];
  if (!FolderOf(target, folder, sizeof folder)) return kNameTooLong;
  int from = OpenSourceAt(AT_FDCWD, source);
  if (from < 0) return errno;
  FileError error = kNoError;
  int to = -1;
  struct stat info;
  if (fstat(from, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    error = kNotOrdinaryFile;
  } else if ((to = OpenCopy(folder, temporary, sizeof temporary)) < 0) {
    error = errno;
  }
  for (int attempt = 0; error == kNoError && attempt < 2; attempt++) {
    error = WriteCopy(from, to, info);
    const bool unnamed = temporary[0] == '\0';
    // Some file systems report a failed write only when the file is closed:
    // a named copy is closed before it takes its name.
    if (error == kNoError && !unnamed) {
      error = close(to) == 0 || errno == EINTR ? kNoError : errno;
      to = -1;
    }
    if (error == kNoError) error = PlaceCopy(to, folder, temporary, sizeof temporary, target, mayReplace);
    if (!(unnamed && error == ENOENT && linkRoute == kNoRoute)) break;
    // Neither way of linking an unnamed file works here: the copy is made
    // again under a temporary name, as every copy after it will be.
    close(to);
    temporary[0] = '\0';
    to = OpenCopy(folder, temporary, sizeof temporary);
    error = to < 0 ? errno : kNoError;
  }
  if (to >= 0 && close(to) != 0 && errno != EINTR && error == kNoError) {
    error = errno;
    unlink(target);  // the unnamed copy just linked: not written whole
  }
  close(from);
  if (temporary[0] != '\0') unlink(temporary);
  SetCopyInProgress(nullptr);
  return error;
}

void SetNoLinkRoutesForTests(bool missing) {
  refusedForTests = missing;
  linkRoute = kByDescriptor;
}

FileError FlushCopies(const char* folder) {
  if (FileError given = FlushErrorForTests()) return given;
  int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  FileError error = syncfs(fd) == 0 ? kNoError : errno;
  close(fd);
  return error;
}
