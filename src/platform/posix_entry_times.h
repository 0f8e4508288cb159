// The times that the directory search has just read for its latest entry,
// handed on to the stamp of that entry, so the scan looks at each file once.
#pragma once

#include "os.h"

// Remembers the times of folder + name (nothing when it does not fit, or
// when folder is nullptr).
void RememberEntryTimes(const char* folder, const char* name, const FileTimes& times);
// The remembered times when they belong to this path (taken only once).
bool TakeEntryTimes(const char* path, FileTimes* times);
// Reads the times from a statx result of the file.
FileTimes TimesFromStatx(const struct statx& info);
