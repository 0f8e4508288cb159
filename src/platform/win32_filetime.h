// FILETIME, the system's 64-bit count of 100 ns in two halves, and the
// program's FileTime.
#pragma once

#include <windows.h>

#include "os.h"

inline FILETIME ToFiletime(FileTime value) {
  ULARGE_INTEGER wide;
  wide.QuadPart = static_cast<ULONGLONG>(value);
  return FILETIME{wide.LowPart, wide.HighPart};
}

inline FileTime FromFiletime(const FILETIME& value) {
  ULARGE_INTEGER wide;
  wide.LowPart = value.dwLowDateTime;
  wide.HighPart = value.dwHighDateTime;
  return static_cast<FileTime>(wide.QuadPart);
}
