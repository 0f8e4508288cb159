// What each promise of the whole-file copy costs per file: the program's own
// CopyWholeFile against the plainest copy (the source opened, the target made
// under its name, the content copied in the kernel, mode and time set), and
// that plain copy with one step of the program's added at a time. Every way
// ends with its copies on the disk (one syncfs, or the program's own flush).
// The ways take turns, round after round, each into a new folder after `sync`.
//   tavro_copy_steps SOURCE/ WORK/ [ROUNDS]
// SOURCE holds the files (copied in the order the folder lists them); WORK
// is a folder on the file system to measure, best a new one (see
// end_to_end.sh); a round's copies are removed when the next round starts.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os.h"

namespace {
enum Target { kNamed, kUnnamedEmptyPath, kUnnamedProc, kLockedTemporary };
struct Way {
  const char* what;
  Target target;
  bool sourceFlags;  // O_NOATIME | O_NONBLOCK, the latter cleared again
  bool check;        // the target name looked at before it is taken
  bool flushEach;    // each copy flushed (fdatasync) before it is named
};

// The plain steps that every way takes; false at the first failure.
bool CopyContent(int from, int to, const struct stat& info) {
  for (;;) {
    ssize_t copied = copy_file_range(from, nullptr, to, nullptr, static_cast<size_t>(info.st_size) + 65536, 0);
    if (copied == 0) break;
    if (copied < 0) return false;
  }
  struct timespec times[2] = {{0, UTIME_NOW}, info.st_mtim};
  return fchmod(to, info.st_mode & 07777) == 0 && futimens(to, times) == 0;
}

bool CopyOne(const Way& way, const std::string& source, const std::string& folder, const std::string& name,
             unsigned sequence) {
  std::string target = folder + name;
  int flags = O_RDONLY | O_CLOEXEC | (way.sourceFlags ? O_NONBLOCK | O_NOATIME : 0);
  int from = open(source.c_str(), flags);
  struct stat info;
  if (from < 0 || fstat(from, &info) != 0) return false;
  if (way.sourceFlags && fcntl(from, F_SETFL, O_RDONLY) != 0) return false;
  struct stat existing;
  if (way.check && lstat(target.c_str(), &existing) == 0) return false;
  int to = -1;
  char temporary[64] = "";
  switch (way.target) {
    case kNamed:
      to = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      break;
    case kUnnamedEmptyPath:
    case kUnnamedProc:
      to = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
      break;
    case kLockedTemporary: {
      snprintf(temporary, sizeof temporary, ".copy-%u", sequence);
      std::string path = folder + temporary;
      to = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      struct stat held, named;
      if (to >= 0 && (flock(to, LOCK_EX | LOCK_NB) != 0 || fstat(to, &held) != 0 ||
                      fstatat(AT_FDCWD, path.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0))
        return false;
      break;
    }
  }
  if (to < 0 || !CopyContent(from, to, info) || (way.flushEach && fdatasync(to) != 0)) return false;
  bool named = true;
  if (way.target == kUnnamedEmptyPath) {
    named = linkat(to, "", AT_FDCWD, target.c_str(), AT_EMPTY_PATH) == 0;
  } else if (way.target == kUnnamedProc) {
    char link[32];
    snprintf(link, sizeof link, "/proc/self/fd/%d", to);
    named = linkat(AT_FDCWD, link, AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0;
  } else if (way.target == kLockedTemporary) {
    named = rename((folder + temporary).c_str(), target.c_str()) == 0;
  }
  return close(to) == 0 && close(from) == 0 && named;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (struct dirent* entry = readdir(dir))
    if (entry->d_type == DT_REG && entry->d_name[0] != '.') names.push_back(entry->d_name);
  closedir(dir);
  return names;
}

bool Run(const char* command) { return system(command) == 0; }

FileError FlushFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  FileError error = syncfs(fd) == 0 ? kNoError : errno;
  close(fd);
  return error;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s SOURCE/ WORK/ [ROUNDS]\n", argv[0]);
    return 2;
  }
  const std::string source = argv[1], work = std::string(argv[2]) + "copy-steps/";
  const int rounds = argc > 3 ? atoi(argv[3]) : 5;
  const std::vector<std::string> names = Names(source);
  const Way ways[] = {
      {"plain: named at once (as cp)", kNamed, false, false, false},
      {"+ unnamed file, linked (AT_EMPTY_PATH)", kUnnamedEmptyPath, false, false, false},
      {"+ unnamed file, linked (/proc/self/fd)", kUnnamedProc, false, false, false},
      {"+ named locked temporary, renamed", kLockedTemporary, false, false, false},
      {"+ source O_NOATIME|O_NONBLOCK, fcntl", kNamed, true, false, false},
      {"+ target name looked at first (lstat)", kNamed, false, true, false},
      {"+ each copy flushed (fdatasync) first", kNamed, false, false, true},
  };
  const size_t count = sizeof ways / sizeof ways[0];
  std::vector<std::vector<double>> times(count + 1);
  for (int round = 0; round < rounds; round++) {
    if (!Run(("rm -rf '" + work + "'").c_str())) return 1;
    // Each round starts with another way, so that none is always last.
    for (size_t turn = 0; turn <= count; turn++) {
      const size_t w = (turn + static_cast<size_t>(round)) % (count + 1);
      std::string folder = work + std::to_string(w) + "/";
      if (!Run(("mkdir -p '" + folder + "' && sync && sync").c_str())) return 1;
      auto start = std::chrono::steady_clock::now();
      unsigned sequence = 0;
      for (const std::string& name : names) {
        bool copied = w == count
                          ? CopyWholeFile((source + name).c_str(), (folder + name).c_str(), nullptr) == kNoError
                          : CopyOne(ways[w], source + name, folder, name, sequence++);
        if (!copied) {
          fprintf(stderr, "%s: %s failed: %s\n", w == count ? "program" : ways[w].what, name.c_str(), strerror(errno));
          return 1;
        }
      }
      // Every way ends with its copies on the disk, as the program's run does
      // (and as cp does when sync -f follows it).
      if ((w == count ? FlushCopies(folder.c_str()) : FlushFolder(folder)) != kNoError) {
        fprintf(stderr, "%s: the copies could not be flushed\n", w == count ? "program" : ways[w].what);
        return 1;
      }
      std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
      times[w].push_back(took.count() / static_cast<double>(names.size()));
    }
  }
  Run(("rm -rf '" + work + "'").c_str());
  printf("%zu files, %d rounds: microseconds per file, median (smallest-largest); the difference to plain\n",
         names.size(), rounds);
  const double plain = Median(times[0]);
  for (size_t w = 0; w <= count; w++) {
    const double median = Median(times[w]);
    printf("%-42s %8.2f (%.2f-%.2f) %+8.2f\n", w == count ? "the program's CopyWholeFile" : ways[w].what, median,
           *std::min_element(times[w].begin(), times[w].end()), *std::max_element(times[w].begin(), times[w].end()),
           median - plain);
  }
  return 0;
}
