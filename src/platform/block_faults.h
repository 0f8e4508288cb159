// Test hooks shared by both backends: faults of the memory blocks, their lock
// counts, and a file system's name given in place of the real one.
#pragma once

#include "os.h"

// True when this allocation (or free) is the one that is set to fail.
bool BlockAllocShouldFail();
bool BlockFreeShouldFail();
// How many locks the block holds now (0 for a bad handle); every lock is
// given back, so none is held between the program's steps.
unsigned BlockLockCount(BlockHandle block);
// The name set with SetFileSystemNameForTests, or nullptr.
const char* FileSystemNameForTests();
