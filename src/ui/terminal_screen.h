// Where the terminal run talks to the person and where its output goes. The
// questions, the folder lines and the progress line drawn in place go to the
// terminal of standard input; the progress as plain lines, the failures and
// the target's path go to standard output. The two are one where standard
// output is that terminal.
#pragma once

#include <cstdio>

// Finds the terminal to ask on: standard output or standard error where
// either is a terminal, else the terminal of standard input opened anew.
// False when standard input is no terminal or none can be written.
bool OpenScreen();
FILE* Screen();
// The screen's descriptor for a signal handler; -1 before it is open.
int ScreenDescriptor();
// Whether standard output is the screen (else a file or a pipe).
bool OutputIsScreen();
// The screen's width in columns, read anew on every call; 80 where unknown.
int ScreenColumns();
