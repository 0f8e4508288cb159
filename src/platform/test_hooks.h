// Faults and conditions that the tests bring about in the platform's
// services; never used by the program itself.
#pragma once

#include "os.h"

// The allocFailAt-th allocation and the freeFailAt-th free from now on fail
// (counting from 1; 0 switches the fault off).
void SetBlockFaults(long allocFailAt, long freeFailAt);
// How many locks the block holds now (0 for a bad handle); every lock is
// given back, so none is held between the program's steps.
unsigned BlockLockCount(BlockHandle block);
// The name that ReadFileSystemName gives from now on (nullptr: the file
// system's own).
void SetFileSystemNameForTests(const char* name);
// From now on the system refuses to link unnamed files under a name, as
// kernels do that neither link descriptors for everyone nor have /proc.
void SetNoLinkRoutesForTests(bool missing);
// The error that FlushCopies reports from now on (kNoError: the system's own).
void SetFlushErrorForTests(FileError error);
// Moves the clock by which leftovers are judged old by the seconds given.
void SetLeftoverClockForTests(int64_t offsetSeconds);
