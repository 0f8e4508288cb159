// Bounded text formatting: every text of the program is composed into a fixed
// buffer, and nothing is ever written past it.
#pragma once

#include <cstddef>

// Formats like printf (%s, %u, %i and zero-padded widths). Answers true when
// the whole text fits with its terminator; otherwise the buffer holds an empty
// text and the answer is false, so a cut-short path is never used.
bool FormatText(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
