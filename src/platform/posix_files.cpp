// File operations and the process end on POSIX.
#include <sys/stat.h>
#include <unistd.h>

#include "os.h"

const char kDefaultFolder[] = "/";

bool DeleteOrdinaryFile(const char* path) {
  struct stat info;
  if (stat(path, &info) != 0) return false;
  // A file the user may not write is treated as read-only and kept, as the
  // Windows program keeps a read-only file (root included).
  if ((info.st_mode & S_IWUSR) == 0) return false;
  return unlink(path) == 0;
}

bool IsSameFolder(const char* a, const char* b) {
  struct stat first, second;
  if (stat(a, &first) != 0 || stat(b, &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void EndProcess(int code) { _exit(code); }
