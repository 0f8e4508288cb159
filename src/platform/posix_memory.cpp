// Movable memory blocks over a handle table of our own: each handle names a
// slot that holds the block's address and lock count. The slots lie in
// chunks that never move once made, so a lock finds its slot without taking
// the table's mutex; only making and giving back blocks take it. Free slots
// are chained through the slots themselves.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "block_faults.h"
#include "os.h"
#include "test_hooks.h"

namespace {
struct Slot {
  std::atomic<void*> address;  // nullptr: a free slot
  std::atomic<uint32_t> locks;
  uint32_t nextFree;  // the next free slot's index + 1, 0 for none; under the mutex
};

constexpr unsigned kChunkBits = 16;
constexpr size_t kChunkSlots = size_t{1} << kChunkBits;
constexpr size_t kChunks = size_t{1} << 16;
constexpr size_t kMostSlots = kChunks * kChunkSlots - 1;  // each handle fits 32 bits

std::mutex tableMutex;
std::atomic<Slot*> chunks[kChunks];
size_t slotsMade = 0;     // slots ever handed out; under the mutex
uint32_t firstFree = 0;   // index + 1 of a free slot, 0 for none; under the mutex

// The slot of a handle, or nullptr when the handle names no live block.
Slot* FindSlot(BlockHandle block) {
  uintptr_t index = reinterpret_cast<uintptr_t>(block) - 1;
  if (index >= kMostSlots) return nullptr;  // also the handle 0
  Slot* chunk = chunks[index >> kChunkBits].load(std::memory_order_acquire);
  if (chunk == nullptr) return nullptr;
  Slot* slot = &chunk[index & (kChunkSlots - 1)];
  return slot->address.load(std::memory_order_acquire) != nullptr ? slot : nullptr;
}

// A slot for a new block, or nullptr when no memory can be had; under the mutex.
Slot* TakeSlot(size_t* index) {
  if (firstFree != 0) {
    *index = firstFree - 1;
    Slot* slot = &chunks[*index >> kChunkBits].load(std::memory_order_relaxed)[*index & (kChunkSlots - 1)];
    firstFree = slot->nextFree;
    return slot;
  }
  if (slotsMade == kMostSlots) return nullptr;
  *index = slotsMade;
  std::atomic<Slot*>& chunk = chunks[*index >> kChunkBits];
  if (chunk.load(std::memory_order_relaxed) == nullptr) {
    // Zero-filled: every slot starts free and unlocked.
    Slot* made = static_cast<Slot*>(calloc(kChunkSlots, sizeof(Slot)));
    if (made == nullptr) return nullptr;
    chunk.store(made, std::memory_order_release);
  }
  slotsMade++;
  return &chunk.load(std::memory_order_relaxed)[*index & (kChunkSlots - 1)];
}
}  // namespace

BlockHandle AllocBlock(size_t size) {
  if (BlockAllocShouldFail()) return nullptr;
  void* address = calloc(1, size > 0 ? size : 1);
  if (address == nullptr) return nullptr;
  std::lock_guard<std::mutex> guard(tableMutex);
  size_t index;
  Slot* slot = TakeSlot(&index);
  if (slot == nullptr) {
    free(address);
    return nullptr;
  }
  slot->locks.store(0, std::memory_order_relaxed);
  slot->address.store(address, std::memory_order_release);
  return reinterpret_cast<BlockHandle>(static_cast<uintptr_t>(index + 1));
}

void* LockBlock(BlockHandle block) {
  Slot* slot = FindSlot(block);
  if (slot == nullptr) return nullptr;
  slot->locks.fetch_add(1, std::memory_order_relaxed);
  return slot->address.load(std::memory_order_relaxed);
}

void UnlockBlock(BlockHandle block) {
  Slot* slot = FindSlot(block);
  if (slot == nullptr) return;
  uint32_t locks = slot->locks.load(std::memory_order_relaxed);
  while (locks > 0 && !slot->locks.compare_exchange_weak(locks, locks - 1, std::memory_order_relaxed)) {
  }
}

unsigned BlockLockCount(BlockHandle block) {
  Slot* slot = FindSlot(block);
  return slot == nullptr ? 0 : slot->locks.load(std::memory_order_relaxed);
}

bool FreeBlock(BlockHandle block) {
  if (BlockFreeShouldFail()) return false;
  std::lock_guard<std::mutex> guard(tableMutex);
  Slot* slot = FindSlot(block);
  if (slot == nullptr) return false;
  free(slot->address.load(std::memory_order_relaxed));
  slot->address.store(nullptr, std::memory_order_release);
  slot->locks.store(0, std::memory_order_relaxed);
  slot->nextFree = firstFree;
  firstFree = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
  return true;
}
