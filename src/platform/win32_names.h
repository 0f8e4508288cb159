// The 8-bit names of the Windows backend, apart so that the conversion can be
// tried with any code page, not only the one the machine runs with.
#pragma once

#include <cstddef>

// Puts the wide name's 8-bit form in the code page into narrow (size bytes,
// terminator included) and answers true only when that form names exactly
// this wide name; false when the code page cannot hold the name or the form
// does not fit.
bool ExactNarrowName(unsigned codePage, const wchar_t* wide, char* narrow, int size);
// The form of a name or path that the code page cannot hold, to show: the
// letters it cannot write as '?'; cut short with "..." to fit size bytes.
void ShownName(const wchar_t* wide, char* shown, size_t size);
