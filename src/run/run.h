// The whole run of the program, from the folder choice to the end of the copy.
#pragma once

#include "ui/ui.h"

// The program's entry: one run on the main thread; returns when it is over.
void RunProgram(InstanceHandle instance);
// Deletes the target folder's ordinary files (not the folder, its subfolders,
// or hidden, system and read-only files).
void ClearTargetFolder();
