#include <cstdio>

#include "os.h"
#include "system_error.h"

void DescribeFileError(FileError error, char* buffer, size_t size) {
  if (size == 0) return;
  switch (error) {
    case kNameTooLong:
      snprintf(buffer, size, "%s", "name too long");
      break;
    case kNotOrdinaryFile:
      snprintf(buffer, size, "%s", "not an ordinary file");
      break;
    case kNameHeldByListed:
      snprintf(buffer, size, "%s", "its new name is held by a file of the source, which is kept");
      break;
    case kNameNotInCodePage:
      snprintf(buffer, size, "%s", "its name cannot be written in this system's code page");
      break;
    default:
      DescribeSystemError(error, buffer, size);
      break;
  }
}
