// The Linux program's command line: a run takes no arguments; --help and
// --version are answered without a display or a terminal.
#pragma once

// The exit status when the arguments are all there is to do (an answer or
// a refusal), or -1 when there are none and the run goes ahead.
int AnswerArguments(int count, char** arguments);
