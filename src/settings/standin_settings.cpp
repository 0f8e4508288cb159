// Stand-in until the settings store is built: nothing is remembered.
#include "settings.h"

#include <cstring>

#include "run/shared_state.h"

char* ReadFolderSetting(const char*, char* buffer, const char* defaultText) {
  strncpy(buffer, defaultText, kFolderSize - 1);
  buffer[kFolderSize - 1] = '\0';
  return buffer;
}

void WriteFolderSetting(const char*, const char*) {}
