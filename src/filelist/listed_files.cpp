// Whether a file may be one of the listed files, whatever path leads to it:
// neither clearing nor a copy may lose a listed file before it has been
// copied, and both ask here. The listed files' volumes and numbers are
// looked up when first asked for, sorted, and given back with the list.
#include <algorithm>
#include <cstdint>

#include "filelist.h"
#include "list_walk.h"
#include "platform/text.h"
#include "run/shared_state.h"

namespace {
struct FileKey {
  uint64_t volume;
  uint64_t number;
};
bool Before(const FileKey& a, const FileKey& b) {
  return a.volume != b.volume ? a.volume < b.volume : a.number < b.number;
}

// kUnknown: a listed file could not be looked at, or there was no memory to
// keep them; then no file can be told apart from them.
enum IdentityState { kNotMade, kMade, kUnknown };
IdentityState state = kNotMade;
BlockHandle keys = nullptr;  // FileKey[keyCount], sorted
size_t keyCount = 0;

// Room for any folder and name: no listed file is ever too long to look at.
constexpr size_t kPathSize = kFolderSize + 256;
const FileTime kTwoSeconds = kFileTimeDay / 43200;

void MakeKeys() {
  state = kUnknown;
  keyCount = 0;
  size_t capacity = FileCount > 0 ? static_cast<size_t>(FileCount) : 0;
  if (capacity == 0 || FileList == nullptr) {
    state = kMade;
    return;
  }
  if (capacity > SIZE_MAX / sizeof(FileKey)) return;
  keys = AllocBlock(capacity * sizeof(FileKey));
  FileKey* items = keys ? static_cast<FileKey*>(LockBlock(keys)) : nullptr;
  if (items == nullptr) return;
  size_t count = 0;
  bool known = true;
  ForEachListedFile([&](const FileEntry&, const char* name) {
    char path[kPathSize];
    FileIdentity identity;
    FileError error = FormatText(path, sizeof path, "%s%s", SourceFolder, name) ? ReadFileIdentity(path, &identity)
                                                                                : kNameTooLong;
    // A listed file that is not there any more cannot be lost.
    if (error == kNoError && count < capacity) items[count++] = FileKey{identity.volume, identity.number};
    else if (error == kNoError || !IsMissingError(error)) known = false;
    return known;
  });
  std::sort(items, items + count, Before);
  UnlockBlock(keys);
  keyCount = count;
  if (known) state = kMade;
}

bool InKeys(const FileIdentity& file) {
  const FileKey* items = static_cast<const FileKey*>(LockBlock(keys));
  if (items == nullptr) return true;
  bool found = std::binary_search(items, items + keyCount, FileKey{file.volume, file.number}, Before);
  UnlockBlock(keys);
  return found;
}

// What a share or a view with numbers of its own shows of a listed file: the
// name, size and last write time (to the two seconds of a FAT stamp) of the
// source folder's file of that name.
bool ShowsSourceFile(const FileIdentity& file, const char* name) {
  char path[kPathSize];
  FileIdentity source;
  if (!FormatText(path, sizeof path, "%s%s", SourceFolder, name)) return true;
  FileError error = ReadFileIdentity(path, &source);
  if (error != kNoError) return !IsMissingError(error);
  FileTime apart = file.write > source.write ? file.write - source.write : source.write - file.write;
  return file.size == source.size && apart <= kTwoSeconds;
}
}  // namespace

bool MayBeListedFile(const FileIdentity& file, const char* name) {
  if (state == kNotMade) MakeKeys();
  // Where it cannot be told, every file counts as listed: a file kept that
  // could have gone costs less than a file lost.
  if (state == kUnknown) return true;
  if (keyCount > 0 && InKeys(file)) return true;
  return ShowsSourceFile(file, name);
}

void ForgetListedFiles() {
  // Not the list's own memory: a block that cannot be given back is only lost.
  if (keys != nullptr) FreeBlock(keys);
  keys = nullptr;
  keyCount = 0;
  state = kNotMade;
}
