// Test hooks shared by both backends: faults of the memory blocks, and a file
// system's name given in place of the real one.
#pragma once

// True when this allocation (or free) is the one that is set to fail.
bool BlockAllocShouldFail();
bool BlockFreeShouldFail();
// The name set with SetFileSystemNameForTests, or nullptr.
const char* FileSystemNameForTests();
