#include "run.h"
#include "ui/linux_backends.h"

int main() {
  // Without a display and without a terminal nothing can be asked: end
  // before anything is read or written.
  if (!StartUserInterface()) return kExitNoUserInterface;
  return RunProgram(nullptr);
}
