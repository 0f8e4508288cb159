#include <cstdio>

#include "os.h"
#include "system_error.h"

namespace {
// The program's own reasons, in its words.
struct OwnReason {
  FileError error;
  const char* text;
};
constexpr OwnReason kOwnReasons[] = {
    {kNameTooLong, "name too long"},
    {kNotOrdinaryFile, "not an ordinary file"},
    {kNameHeldByListed, "its new name is held by a file of the source, which is kept"},
    {kNameNotInCodePage, "its name cannot be written in this system's code page"},
};
}  // namespace

void DescribeFileError(FileError error, char* buffer, size_t size) {
  if (size == 0) return;
  for (const OwnReason& reason : kOwnReasons)
    if (reason.error == error) {
      snprintf(buffer, size, "%s", reason.text);
      return;
    }
  DescribeSystemError(error, buffer, size);
}
