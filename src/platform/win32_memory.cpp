// Movable memory blocks from the system's global memory.
#include <windows.h>

#include "block_faults.h"
#include "os.h"

BlockHandle AllocBlock(size_t size) {
  if (BlockAllocShouldFail()) return nullptr;
  return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
}

void* LockBlock(BlockHandle block) { return GlobalLock(block); }

void UnlockBlock(BlockHandle block) { GlobalUnlock(block); }

bool FreeBlock(BlockHandle block) {
  if (BlockFreeShouldFail()) return false;
  return GlobalFree(block) == nullptr;
}
