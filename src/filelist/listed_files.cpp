// Whether a file is one of the listed files, whatever path leads to it: the
// listed files' identities, sorted, made when first asked for and given back
// with the list. Neither clearing nor copying may lose a listed file before
// it has been copied.
#include <algorithm>
#include <cstdint>

#include "filelist.h"
#include "platform/text.h"
#include "run/shared_state.h"

namespace {
enum IdentityState { kNotMade, kMade, kNoMemory };
IdentityState state = kNotMade;
BlockHandle identities = nullptr;  // FileIdentity[identityCount]
size_t identityCount = 0;

bool Before(const FileIdentity& a, const FileIdentity& b) {
  if (a.number != b.number) return a.number < b.number;
  if (a.size != b.size) return a.size < b.size;
  return a.write < b.write;
}

void MakeIdentities() {
  state = kNoMemory;
  size_t capacity = FileCount > 0 ? static_cast<size_t>(FileCount) : 0;
  identityCount = 0;
  if (capacity == 0 || FileList == nullptr) {
    state = kMade;
    return;
  }
  if (capacity > SIZE_MAX / sizeof(FileIdentity)) return;
  identities = AllocBlock(capacity * sizeof(FileIdentity));
  FileIdentity* items = identities ? static_cast<FileIdentity*>(LockBlock(identities)) : nullptr;
  if (items == nullptr) return;
  size_t count = 0;
  for (BlockHandle node = FileList; node != nullptr && count < capacity;) {
    FileEntry* entry = static_cast<FileEntry*>(LockBlock(node));
    if (entry == nullptr) break;
    char path[312];
    const char* name = static_cast<const char*>(LockBlock(entry->name));
    if (name != nullptr && FormatText(path, sizeof path, "%s%s", SourceFolder, name) &&
        ReadFileIdentity(path, &items[count]))
      count++;
    UnlockBlock(entry->name);
    BlockHandle next = entry->next;
    UnlockBlock(node);
    node = next == node ? nullptr : next;
  }
  std::sort(items, items + count, Before);
  UnlockBlock(identities);
  identityCount = count;
  state = kMade;
}
}  // namespace

bool IsListedFile(const FileIdentity& identity) {
  if (state == kNotMade) MakeIdentities();
  // Without the memory to tell, every file counts as listed: a file kept
  // that could have gone costs less than a file lost.
  if (state == kNoMemory) return true;
  if (identityCount == 0) return false;
  const FileIdentity* items = static_cast<const FileIdentity*>(LockBlock(identities));
  if (items == nullptr) return true;
  bool found = std::binary_search(items, items + identityCount, identity, Before);
  UnlockBlock(identities);
  return found;
}

void ForgetListedFiles() {
  // Not the list's own memory: a block that cannot be given back is only lost.
  if (identities != nullptr) FreeBlock(identities);
  identities = nullptr;
  identityCount = 0;
  state = kNotMade;
}
