// Reading the source ahead of the copy. The copy takes the files in date
// order, which on a disk is a random order: where the files are no longer in
// memory, each small file costs a seek. The system is asked to read them in
// the order of their file numbers instead, which is about the order in which
// they were written, before the copy takes them.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "os.h"
#include "posix_source.h"

namespace {
constexpr size_t kBatchNames = 1 << 20;   // bytes of names sorted at a time
constexpr size_t kBatchEntries = 1 << 16;
constexpr off_t kAheadPerFile = 128 << 10;  // beyond it the copy reads on in sequence
constexpr size_t kSamples = 16;

struct Entry {
  ino_t number;
  uint32_t name;  // offset into the batch's names
};

struct Batch {
  Entry* entries;
  char* names;
  size_t count, used;
};

// Opens a listed file as the copy does, but no link: a link's file may lie
// anywhere.
int OpenForReading(int folder, const char* name) { return OpenSourceAt(folder, name, O_NOFOLLOW); }

// Whether the start of the open file is out of memory. Where the system
// cannot say (no RWF_NOWAIT on this file system), it counts as in memory, so
// nothing is read ahead.
bool OutOfMemory(int fd) {
  char byte;
  struct iovec vector = {&byte, 1};
  return preadv2(fd, &vector, 1, 0, RWF_NOWAIT) < 0 && errno == EAGAIN;
}

// Whether a sample of the batch shows files out of memory.
bool BatchIsOnTheDisk(int folder, const Batch& batch) {
  size_t step = std::max<size_t>(batch.count / kSamples, 1);
  for (size_t i = 0; i < batch.count; i += step) {
    int fd = OpenForReading(folder, batch.names + batch.entries[i].name);
    if (fd < 0) continue;
    bool out = OutOfMemory(fd);
    close(fd);
    if (out) return true;
  }
  return false;
}

// Asks for the start of each ordinary file of the batch, in file-number
// order; false once the budget is spent or the copy was stopped.
bool ReadBatchAhead(int folder, Batch& batch, int64_t& budget, bool (*keepGoing)()) {
  if (!keepGoing()) return false;
  std::sort(batch.entries, batch.entries + batch.count,
            [](const Entry& a, const Entry& b) { return a.number < b.number; });
  if (!BatchIsOnTheDisk(folder, batch)) return true;
  for (size_t i = 0; i < batch.count; i++) {
    if (i % 1024 == 1023 && !keepGoing()) return false;
    int fd = OpenForReading(folder, batch.names + batch.entries[i].name);
    if (fd < 0) continue;
    struct stat file;
    if (fstat(fd, &file) == 0 && S_ISREG(file.st_mode) && file.st_size > 0) {
      off_t length = std::min<off_t>(file.st_size, kAheadPerFile);
      posix_fadvise(fd, 0, length, POSIX_FADV_WILLNEED);
      budget -= length;
    }
    close(fd);
    if (budget <= 0) return false;
  }
  return true;
}
}  // namespace

void ReadAheadFolder(const char* folder, bool (*keepGoing)()) {
  long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return;
  // A quarter of the memory, so what is read ahead is still there when the
  // copy comes to it.
  int64_t budget = static_cast<int64_t>(pages) * pageSize / 4;
  Batch batch = {static_cast<Entry*>(malloc(kBatchEntries * sizeof(Entry))),
                 static_cast<char*>(malloc(kBatchNames)), 0, 0};
  int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* listing = fd >= 0 ? fdopendir(fd) : nullptr;
  if (listing == nullptr && fd >= 0) close(fd);
  bool going = batch.entries != nullptr && batch.names != nullptr && listing != nullptr;
  while (going) {
    struct dirent* entry = readdir(listing);
    size_t length = entry ? strlen(entry->d_name) + 1 : 0;
    bool full = batch.count == kBatchEntries || batch.used + length > kBatchNames;
    if (entry == nullptr || full) {
      going = ReadBatchAhead(dirfd(listing), batch, budget, keepGoing) && entry != nullptr;
      batch.count = batch.used = 0;
    }
    if (!going || entry->d_name[0] == '.' || (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN)) continue;
    memcpy(batch.names + batch.used, entry->d_name, length);
    batch.entries[batch.count++] = {entry->d_ino, static_cast<uint32_t>(batch.used)};
    batch.used += length;
  }
  if (listing) closedir(listing);
  free(batch.entries);
  free(batch.names);
}

bool IsFileInMemory(const char* path) {
  int fd = OpenForReading(AT_FDCWD, path);
  if (fd < 0) return true;
  bool out = OutOfMemory(fd);
  close(fd);
  return !out;
}
