// Hidden temporary files in a folder, locked while in use, so that a later
// run can tell one abandoned by a run that has ended (removed) from one that
// a run still going is writing (kept).
#pragma once

#include <cstddef>

constexpr char kCopyPrefix[] = ".tavro-copy-";
constexpr char kProbePrefix[] = ".tavro-probe-";

// A new free name "<folder><prefix>" plus six random letters; false when it
// does not fit the buffer.
bool NewTemporaryName(const char* folder, const char* prefix, char* path, size_t size);
// Makes a new locked temporary file and writes its name into path; its
// descriptor, or -1 with errno set.
int MakeLockedTemporary(const char* folder, const char* prefix, char* path, size_t size);

// The named temporary file of the copy in hand (nullptr: none), which
// DiscardCopyInProgress removes.
void SetCopyInProgress(const char* path);
// Removes the unfinished copy in hand, if any; safe inside a signal handler.
void DiscardCopyInProgress();
