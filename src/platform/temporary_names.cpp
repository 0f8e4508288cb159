#include "temporary_names.h"

#include <cstring>

namespace {
const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

bool IsLetterOrDigit(char c) { return c != '\0' && strchr(kLetters, c) != nullptr; }

bool HasForm(const char* name, const char* prefix) {
  size_t length = strlen(prefix);
  if (strncmp(name, prefix, length) != 0 || strlen(name) != length + kTemporaryTail) return false;
  for (const char* c = name + length; *c != '\0'; c++)
    if (!IsLetterOrDigit(*c)) return false;
  return true;
}
}  // namespace

void NewTemporaryName(const char* prefix, char name[kTemporaryNameSize]) {
  unsigned char random[kTemporaryTail];
  FillRandom(random, sizeof random);
  size_t length = strlen(prefix);
  memcpy(name, prefix, length);
  for (size_t i = 0; i < kTemporaryTail; i++) name[length + i] = kLetters[random[i] % (sizeof kLetters - 1)];
  name[length + kTemporaryTail] = '\0';
}

bool IsTemporaryName(const char* name) { return HasForm(name, kCopyPrefix) || HasForm(name, kProbePrefix); }

void MixRandom(uint64_t seed, unsigned char* bytes, size_t count) {
  for (size_t i = 0; i < count; i++) {
    seed += 0x9E3779B97F4A7C15u;
    uint64_t z = (seed ^ (seed >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    bytes[i] = static_cast<unsigned char>(z ^ (z >> 31));
  }
}
