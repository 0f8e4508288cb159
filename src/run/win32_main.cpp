#include <windows.h>

#include "run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // A card pulled out or a drive gone during the copy makes each remaining
  // file fail at once, into the run's report, instead of holding the copy on
  // a system box ("There is no disk in the drive") for each of them.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  return RunProgram(instance);
}
