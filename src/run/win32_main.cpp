#include <windows.h>

#include "run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return RunProgram(instance);
}
