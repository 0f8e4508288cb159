#include "terminal_keys.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include "terminal_screen.h"

namespace {
struct termios saved;
int depth = 0;
struct termios original;  // as the program found the terminal
volatile sig_atomic_t originalKept = 0;
volatile sig_atomic_t resumed = 0;

int ReadByte(int timeoutMilliseconds) {
  struct pollfd input = {STDIN_FILENO, POLLIN, 0};
  int ready = poll(&input, 1, timeoutMilliseconds);
  if (ready == 0) return kKeyNone;
  if (ready < 0) return kKeyNone;
  unsigned char byte;
  ssize_t got = read(STDIN_FILENO, &byte, 1);
  if (got == 0) return kKeyEnd;
  if (got < 0) return kKeyNone;
  return byte;
}
}  // namespace

void BeginKeys() {
  if (depth++ > 0 || !isatty(STDIN_FILENO)) return;
  tcgetattr(STDIN_FILENO, &saved);
  struct termios raw = saved;
  raw.c_lflag &= ~(ICANON | ECHO | ISIG);
  raw.c_iflag &= ~(ICRNL | IXON);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &raw);
}

void EndKeys() {
  if (--depth > 0 || !isatty(STDIN_FILENO)) return;
  tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

int ReadKey(int timeoutMilliseconds) {
  int key = ReadByte(timeoutMilliseconds);
  if (key != kKeyEscape) return key;
  // Escape alone, or the start of a longer key such as an arrow: that is dropped.
  if (ReadByte(40) == kKeyNone) return kKeyEscape;
  while (ReadByte(10) >= 0) {
  }
  return kKeyNone;
}

namespace {
void OnStop(int);

void CatchStops(void (*handler)(int)) {
  struct sigaction stop = {};
  stop.sa_handler = handler;
  stop.sa_flags = SA_RESTART;  // the copy's own calls go on undisturbed
  sigemptyset(&stop.sa_mask);
  sigaction(SIGTSTP, &stop, nullptr);
}

// Ctrl+Z at the folder line, or a stop sent from outside: while the program
// is stopped, the terminal is as the program found it; when it goes on, the
// mode in use comes back.
void OnStop(int) {
  int kept = errno;
  struct termios inUse;
  bool known = tcgetattr(STDIN_FILENO, &inUse) == 0;
  if (originalKept) tcsetattr(STDIN_FILENO, TCSADRAIN, &original);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTSTP);
  CatchStops(SIG_DFL);
  sigprocmask(SIG_UNBLOCK, &stop, nullptr);
  raise(SIGTSTP);  // stopped here until continued
  sigprocmask(SIG_BLOCK, &stop, nullptr);
  CatchStops(OnStop);
  if (known) tcsetattr(STDIN_FILENO, TCSADRAIN, &inUse);
  resumed = 1;
  errno = kept;
}
}  // namespace

void KeepTerminalState() {
  if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &original) == 0) originalKept = 1;
  CatchStops(OnStop);
}

bool TakeResumed() {
  if (!resumed) return false;
  resumed = 0;
  return true;
}

void RestoreTerminalState() {
  if (!originalKept) return;
  tcsetattr(STDIN_FILENO, TCSANOW, &original);
  // The progress line may stand unfinished.
  int screen = ScreenDescriptor();
  if (screen >= 0 && write(screen, "\n", 1) < 0) return;
}
