/* A slow disk for the end-to-end tests: every write into one folder takes a
   while, so that a person's stop reaches the program in the middle of a run.
   Loaded with LD_PRELOAD; TAVRO_SLOW_FOLDER names the folder, TAVRO_SLOW_MS
   the delay of each write. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

static void MaybeWait(int fd) {
  const char *folder = getenv("TAVRO_SLOW_FOLDER");
  const char *delay = getenv("TAVRO_SLOW_MS");
  if (folder == NULL || delay == NULL) return;
  /* Only files can lie in the folder; pipes and sockets pass at once. */
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return;
  char link[64], path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t length = readlink(link, path, sizeof path - 1);
  if (length <= 0) return;
  path[length] = '\0';
  if (strncmp(path, folder, strlen(folder)) == 0) usleep((useconds_t)atoi(delay) * 1000);
}

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

ssize_t write(int fd, const void *data, size_t size) {
  MaybeWait(fd);
  return NEXT(write)(fd, data, size);
}

ssize_t pwrite(int fd, const void *data, size_t size, off_t offset) {
  MaybeWait(fd);
  return NEXT(pwrite)(fd, data, size, offset);
}

ssize_t pwrite64(int fd, const void *data, size_t size, off64_t offset) {
  MaybeWait(fd);
  return NEXT(pwrite64)(fd, data, size, offset);
}

ssize_t writev(int fd, const struct iovec *parts, int count) {
  MaybeWait(fd);
  return NEXT(writev)(fd, parts, count);
}

ssize_t copy_file_range(int in, off64_t *inOffset, int out, off64_t *outOffset, size_t size, unsigned flags) {
  MaybeWait(out);
  return NEXT(copy_file_range)(in, inOffset, out, outOffset, size, flags);
}
