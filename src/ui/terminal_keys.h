// Single keys from the terminal, for the questions and the running copy.
#pragma once

constexpr int kKeyNone = -1;    // nothing within the time
constexpr int kKeyEnd = -2;     // end of input
constexpr int kKeyEscape = 27;  // Escape alone, not the start of a longer key

// Puts the terminal into single-key mode without echo; Ctrl+C then arrives as a key.
void BeginKeys();
void EndKeys();
// Waits for a key for up to the time (-1: no limit).
int ReadKey(int timeoutMilliseconds);

// Keeps the terminal's state as the program found it, and puts it back; the
// latter is safe inside a signal handler. While the program is stopped
// (Ctrl+Z), the terminal is as it was found.
void KeepTerminalState();
void RestoreTerminalState();
// Whether the program went on after a stop since the last call.
bool TakeResumed();
