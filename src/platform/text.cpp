#include "text.h"

#include <cstdarg>
#include <cstdio>

bool FormatText(char* buffer, size_t size, const char* format, ...) {
  if (buffer == nullptr || size == 0) return false;
  va_list args;
  va_start(args, format);
  int length = vsnprintf(buffer, size, format, args);
  va_end(args);
  if (length < 0 || static_cast<size_t>(length) >= size) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}
