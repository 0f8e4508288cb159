// The platform's own words for its error numbers.
#pragma once

#include <cstddef>

#include "os.h"

void DescribeSystemError(FileError error, char* buffer, size_t size);
