#include <cstdint>

#include "filelist.h"
#include "list_walk.h"
#include "stamp_order.h"

namespace {
// The exchange sort exactly as it is defined, in place over the nodes: every
// node against every later one, payloads exchanged when the first is
// greater. Needs no memory of its own, but n * n / 2 comparisons.
void ExchangeSortInPlace() {
  for (BlockHandle a = FileList; a != nullptr;) {
    FileEntry* first = static_cast<FileEntry*>(LockBlock(a));
    if (first == nullptr) return;
    for (BlockHandle b = first->next;;) {
      FileEntry* second = b == a ? first : static_cast<FileEntry*>(LockBlock(b));
      if (second == nullptr) break;
      if (first->stamp > second->stamp) {
        BlockHandle name = first->name;
        first->name = second->name;
        second->name = name;
        PackedDateTime stamp = first->stamp;
        first->stamp = second->stamp;
        second->stamp = stamp;
      }
      BlockHandle next = second->next;
      if (b != a) UnlockBlock(b);
      if (next == b) break;
      b = next;
    }
    BlockHandle next = first->next;
    UnlockBlock(a);
    a = next == a ? nullptr : next;
  }
}

// The working memory of the fast ordering for count nodes: a snapshot of the
// payloads, the order and the ordering's own.
struct OrderMemory {
  BlockHandle block;
  BlockHandle* names;
  uint32_t* stamps;
  uint32_t* order;
  uint64_t* scratch;
};

bool GetOrderMemory(size_t count, OrderMemory* memory) {
  if (count > SIZE_MAX / 64) return false;  // each node takes less than 64 bytes here
  const size_t words = ExchangeSortScratch(count);
  const size_t bytes = words * sizeof(uint64_t) + count * (sizeof(BlockHandle) + 2 * sizeof(uint32_t));
  memory->block = AllocBlock(bytes);
  if (memory->block == nullptr) return false;
  char* base = static_cast<char*>(LockBlock(memory->block));
  if (base == nullptr) {
    FreeBlock(memory->block);
    return false;
  }
  memory->scratch = reinterpret_cast<uint64_t*>(base);
  memory->names = reinterpret_cast<BlockHandle*>(memory->scratch + words);
  memory->stamps = reinterpret_cast<uint32_t*>(memory->names + count);
  memory->order = memory->stamps + count;
  return true;
}
}  // namespace

// Takes a snapshot of the payloads, computes the exchange sort's order from
// the stamps, and writes the payloads back into the nodes in one pass. The
// links are left alone. Without memory for that, the sort runs in place and
// gives the same order, only slower: the ordering never ends the program.
void SortByStamp() {
  if (FileList == nullptr) return;
  size_t capacity = FileCount > 0 ? static_cast<size_t>(FileCount) : 0;
  OrderMemory memory;
  if (capacity == 0 || !GetOrderMemory(capacity, &memory)) {
    ExchangeSortInPlace();
    return;
  }
  size_t count = 0;
  bool whole = true;
  ForEachNode([&](FileEntry& entry) {
    if (count == capacity) return whole = false;  // more nodes than counted: not this way
    memory.names[count] = entry.name;
    memory.stamps[count++] = entry.stamp;
    return true;
  });
  if (whole && count > 0) {
    ExchangeSortOrder(memory.stamps, count, memory.order, memory.scratch);
    size_t place = 0;
    ForEachNode([&](FileEntry& entry) {
      entry.name = memory.names[memory.order[place]];
      entry.stamp = memory.stamps[memory.order[place]];
      return ++place < count;
    });
  }
  UnlockBlock(memory.block);
  FreeBlock(memory.block);  // not the list's memory: a failure only loses the block
  if (!whole) ExchangeSortInPlace();
}
