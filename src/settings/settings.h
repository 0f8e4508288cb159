// The two remembered folders.
#pragma once

// Fills the buffer (kFolderSize characters) with the stored text of the value,
// or with the default when there is none; returns the buffer.
char* ReadFolderSetting(const char* valueName, char* buffer, const char* defaultText);
// Stores the text under the value name; failures are silent.
void WriteFolderSetting(const char* valueName, const char* text);
