// Reading the source ahead of the copy: not done on Windows, where the
// system's cache manager reads ahead on its own and the copy's order has not
// been measured; the copy reads each file as it comes.
#include "os.h"

void ReadAheadFolder(const char*, bool (*)()) {}
bool IsFileInMemory(const char*) { return true; }
