// The whole run of the program, from the folder choice to the end of the copy.
#pragma once

#include "ui/ui.h"

// The program's exit codes beyond the fatal errors of the list (1 to 5).
constexpr int kExitFilesNotCopied = 6;  // the run ended, but not all was done (files left out, target kept)
constexpr int kExitNoUserInterface = 7;  // neither a display nor a terminal to ask on
constexpr int kExitDisplayLost = 8;      // the connection to the display broke off (Linux)
constexpr int kExitUsage = 64;           // an argument the program does not take (Linux)
constexpr int kExitOutputFailed = 74;    // the answer to --help or --version could not be written

// The program's entry: one run on the main thread; returns when it is over,
// with 0, or kExitFilesNotCopied after a run that told what it left undone.
int RunProgram(InstanceHandle instance);
// Deletes the target folder's ordinary files (not the folder, its subfolders,
// or hidden, system and read-only files), unless the target is or may be the
// source folder; never a file that is or may be a listed file.
void ClearTargetFolder();

// Whether two folders are one: the same, different, or cannot tell.
enum FolderRelation { kSameFolder, kOtherFolder, kCannotTell };
FolderRelation CompareFolders(const char* source, const char* target);

// Tells in one error box what the run could not do as asked (see
// run_report.h); answers whether there was anything.
bool ReportRunFailures();
