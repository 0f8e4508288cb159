#include "block_faults.h"

#include <atomic>

#include "os.h"
#include "test_hooks.h"

namespace {
const char* givenFileSystemName = nullptr;
std::atomic<long> allocCountdown{0};
std::atomic<long> freeCountdown{0};
std::atomic<FileError> flushError{kNoError};
std::atomic<int64_t> leftoverClock{0};

// Counts one event down; true exactly when the count reaches zero.
bool CountDown(std::atomic<long>& countdown) {
  long current = countdown.load();
  while (current > 0) {
    if (countdown.compare_exchange_weak(current, current - 1)) return current == 1;
  }
  return false;
}
}  // namespace

void SetBlockFaults(long allocFailAt, long freeFailAt) {
  allocCountdown = allocFailAt > 0 ? allocFailAt : 0;
  freeCountdown = freeFailAt > 0 ? freeFailAt : 0;
}

bool BlockAllocShouldFail() { return CountDown(allocCountdown); }
bool BlockFreeShouldFail() { return CountDown(freeCountdown); }

void SetFileSystemNameForTests(const char* name) { givenFileSystemName = name; }
const char* FileSystemNameForTests() { return givenFileSystemName; }

void SetFlushErrorForTests(FileError error) { flushError = error; }
FileError FlushErrorForTests() { return flushError; }

void SetLeftoverClockForTests(int64_t offsetSeconds) { leftoverClock = offsetSeconds; }
int64_t LeftoverClockForTests() { return leftoverClock; }
