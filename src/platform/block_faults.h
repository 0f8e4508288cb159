// The test hooks as the backends see them: faults of the memory blocks, a
// file system's name given in place of the real one, a refused flush and the
// leftovers' clock (set through test_hooks.h).
#pragma once

#include "os.h"

// True when this allocation (or free) is the one that is set to fail.
bool BlockAllocShouldFail();
bool BlockFreeShouldFail();
// The name set with SetFileSystemNameForTests, or nullptr.
const char* FileSystemNameForTests();
// The flush error set by the tests, or kNoError.
FileError FlushErrorForTests();
// The seconds by which the tests move the leftovers' clock.
int64_t LeftoverClockForTests();
