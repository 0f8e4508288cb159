// Test doubles for the window tests: a whole-file copy that waits at a gate,
// so that a test can hold the worker in the middle of a file, and a file
// browser that only records what it was asked to open.
#pragma once

#include <string>
#include <vector>

namespace gate {

// Closes the gate (each copy waits until let through) or opens it for good.
void Reset(bool closed);
// Lets the copies through: count more of them, or all from now on.
void Let(int count);
void LetAll();
// How many copies have begun and how many have ended.
int Begun();
int Ended();
// The folders that the file browser was asked to open, and the dialog that
// the worker which asked last was given.
std::vector<std::string> Opened();
void* OpenedBy();

}  // namespace gate
