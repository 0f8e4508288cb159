// Fault injection shared by both memory-block backends.
#pragma once

// True when this allocation (or free) is the one that is set to fail.
bool BlockAllocShouldFail();
bool BlockFreeShouldFail();
