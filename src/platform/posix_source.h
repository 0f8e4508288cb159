// How a source file is opened for reading, by the copy and the read-ahead alike.
#pragma once

#include <errno.h>
#include <fcntl.h>

// Opens without blocking, since a pipe put in a file's place would hold the
// reader for ever, and without touching the access time (one of the times a
// stamp is taken from) where that is allowed: the kernel refuses O_NOATIME on
// a file of another owner.
inline int OpenSourceAt(int folder, const char* path, int flags = 0) {
  flags |= O_RDONLY | O_CLOEXEC | O_NONBLOCK;
  int fd = openat(folder, path, flags | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = openat(folder, path, flags);
  return fd;
}
