// The names of the program's own temporary files in a target folder: a copy
// that is not complete yet, and a probe. Hidden names of one exact form, so
// that nothing else is ever taken for one of them.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr char kCopyPrefix[] = ".tavro-copy-";
constexpr char kProbePrefix[] = ".tavro-probe-";
constexpr size_t kTemporaryTail = 12;       // letters and digits after the prefix
constexpr size_t kTemporaryNameSize = 32;   // room for the longest name and its end

// A new name: the prefix and twelve random letters or digits.
void NewTemporaryName(const char* prefix, char name[kTemporaryNameSize]);
// Whether the name has exactly the form of one of the program's own.
bool IsTemporaryName(const char* name);

// Random bytes from the system, or as good as it can give without waiting.
void FillRandom(unsigned char* bytes, size_t count);
// Bytes that differ wildly for seeds that differ a little (splitmix64).
void MixRandom(uint64_t seed, unsigned char* bytes, size_t count);
