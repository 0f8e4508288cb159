// The whole run of the program, from the folder choice to the end of the copy.
#pragma once

#include "ui/ui.h"

// The program's exit codes beyond the fatal errors of the list (1 to 5).
constexpr int kExitFilesNotCopied = 6;  // the run ended, but some files could not be copied
constexpr int kExitNoUserInterface = 7;  // neither a display nor a terminal to ask on
constexpr int kExitDisplayLost = 8;      // the connection to the display broke off (Linux)
constexpr int kExitUsage = 64;           // an argument the program does not take (Linux)
constexpr int kExitOutputFailed = 74;    // the answer to --help or --version could not be written

// The program's entry: one run on the main thread; returns when it is over,
// with 0, or kExitFilesNotCopied after a copy that left files out.
int RunProgram(InstanceHandle instance);
// Deletes the target folder's ordinary files (not the folder, its subfolders,
// or hidden, system and read-only files).
void ClearTargetFolder();
