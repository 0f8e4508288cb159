// Movable memory blocks over a handle table of our own: each handle names a
// slot that holds the block's address, size and lock count.
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "block_faults.h"
#include "os.h"

namespace {
struct Slot {
  void* address;
  unsigned locks;
};

std::mutex tableMutex;
std::vector<Slot> slots;          // handle h names slots[h - 1]
std::vector<size_t> freeSlots;    // indexes of slots to reuse

// The slot of a handle, or nullptr when the handle names no live block.
Slot* FindSlot(BlockHandle block) {
  uintptr_t index = reinterpret_cast<uintptr_t>(block);
  if (index == 0 || index > slots.size()) return nullptr;
  Slot* slot = &slots[index - 1];
  return slot->address != nullptr ? slot : nullptr;
}
}  // namespace

BlockHandle AllocBlock(size_t size) {
  if (BlockAllocShouldFail()) return nullptr;
  void* address = calloc(1, size > 0 ? size : 1);
  if (address == nullptr) return nullptr;
  std::lock_guard<std::mutex> guard(tableMutex);
  size_t index;
  if (!freeSlots.empty()) {
    index = freeSlots.back();
    freeSlots.pop_back();
    slots[index] = Slot{address, 0};
  } else {
    slots.push_back(Slot{address, 0});
    index = slots.size() - 1;
  }
  return reinterpret_cast<BlockHandle>(static_cast<uintptr_t>(index + 1));
}

void* LockBlock(BlockHandle block) {
  std::lock_guard<std::mutex> guard(tableMutex);
  Slot* slot = FindSlot(block);
  if (slot == nullptr) return nullptr;
  slot->locks++;
  return slot->address;
}

void UnlockBlock(BlockHandle block) {
  std::lock_guard<std::mutex> guard(tableMutex);
  Slot* slot = FindSlot(block);
  if (slot != nullptr && slot->locks > 0) slot->locks--;
}

bool FreeBlock(BlockHandle block) {
  if (BlockFreeShouldFail()) return false;
  std::lock_guard<std::mutex> guard(tableMutex);
  Slot* slot = FindSlot(block);
  if (slot == nullptr) return false;
  free(slot->address);
  *slot = Slot{nullptr, 0};
  freeSlots.push_back(static_cast<size_t>(slot - slots.data()));
  return true;
}
