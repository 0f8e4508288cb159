// The three times of a file from what statx says of it.
#pragma once

#include <sys/stat.h>

#include "os.h"

FileTimes TimesFromStatx(const struct statx& info);
