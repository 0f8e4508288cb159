#include <signal.h>

#include <initializer_list>

#include "platform/posix_temporary.h"
#include "posix_usage.h"
#include "run.h"
#include "ui/linux_backends.h"

namespace {
// A signal that ends the program (kill, a terminal that goes away, Ctrl+C
// in a window run, a pipe whose reader has gone) first puts the terminal
// back as the program found it and removes the unfinished copy in hand;
// then it ends the program as it would have.
void OnEndingSignal(int signal) {
  RestoreTerminalState();
  DiscardCopyInProgress();
  ::signal(signal, SIG_DFL);
  raise(signal);
}
}  // namespace

int main(int argc, char** argv) {
  int answered = AnswerArguments(argc, argv);
  if (answered >= 0) return answered;
  struct sigaction ending = {};
  ending.sa_handler = OnEndingSignal;
  sigemptyset(&ending.sa_mask);
  for (int signal : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGPIPE}) sigaction(signal, &ending, nullptr);
  // Without a display and without a terminal nothing can be asked: end
  // before anything is read or written.
  if (!StartUserInterface()) return kExitNoUserInterface;
  int status = RunProgram(nullptr);
  EndUserInterface();
  return status;
}
