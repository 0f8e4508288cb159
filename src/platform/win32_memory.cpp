// Movable memory blocks from the system's global memory.
#include <windows.h>

#include "block_faults.h"
#include "os.h"
#include "test_hooks.h"

BlockHandle AllocBlock(size_t size) {
  if (BlockAllocShouldFail()) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  // The system's table of movable handles holds only some tens of thousands;
  // a large folder needs more. A fixed block is locked, unlocked and freed
  // through the same calls and needs no entry in that table.
  if (block == nullptr) block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size);
  return block;
}

void* LockBlock(BlockHandle block) { return GlobalLock(block); }

void UnlockBlock(BlockHandle block) { GlobalUnlock(block); }

// A fixed block, taken where the movable ones run out, counts no locks.
unsigned BlockLockCount(BlockHandle block) {
  UINT flags = GlobalFlags(block);
  return flags == GMEM_INVALID_HANDLE ? 0 : flags & GMEM_LOCKCOUNT;
}

bool FreeBlock(BlockHandle block) {
  if (BlockFreeShouldFail()) return false;
  return GlobalFree(block) == nullptr;
}
