// Hidden temporary files in a target folder: made anew under a unique name,
// locked while in use where the file system keeps locks, and left alone by
// other runs while they change (see RemoveLeftoverCopies).
#pragma once

#include <cstddef>

#include "temporary_names.h"

// Makes a new temporary file "<folder><prefix>..." and writes its path into
// path; its descriptor (open for reading and writing), or -1 with errno set.
int MakeLockedTemporary(const char* folder, const char* prefix, char* path, size_t size);

// The named temporary file of the copy in hand (nullptr: none), which
// DiscardCopyInProgress removes.
void SetCopyInProgress(const char* path);
// Removes the unfinished copy in hand, if any; safe inside a signal handler.
void DiscardCopyInProgress();
