#include "terminal_screen.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
FILE* screen = nullptr;
volatile sig_atomic_t screenDescriptor = -1;
}  // namespace

bool OpenScreen() {
  if (screen != nullptr) return true;
  if (!isatty(STDIN_FILENO)) return false;
  if (isatty(STDOUT_FILENO)) {
    screen = stdout;
  } else if (isatty(STDERR_FILENO)) {
    screen = stderr;
  } else {
    // Both outputs are redirected: the questions go to the terminal they are answered on.
    const char* name = ttyname(STDIN_FILENO);
    int fd = name != nullptr ? open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC) : -1;
    if (fd >= 0 && !isatty(fd)) {
      close(fd);
      fd = -1;
    }
    screen = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (screen == nullptr) {
      if (fd >= 0) close(fd);
      return false;
    }
  }
  screenDescriptor = fileno(screen);
  return true;
}

FILE* Screen() { return screen != nullptr ? screen : stdout; }
int ScreenDescriptor() { return screenDescriptor; }
bool OutputIsScreen() { return Screen() == stdout; }

int ScreenColumns() {
  struct winsize size;
  if (ioctl(fileno(Screen()), TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}
