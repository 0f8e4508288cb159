#include "terminal_keys.h"

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

void KeepTerminalState() {
  if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &original) == 0) originalKept = 1;
}

void RestoreTerminalState() {
  if (!originalKept) return;
  tcsetattr(STDIN_FILENO, TCSANOW, &original);
  // The progress line may stand unfinished.
  int screen = ScreenDescriptor();
  if (screen >= 0 && write(screen, "\n", 1) < 0) return;
}
