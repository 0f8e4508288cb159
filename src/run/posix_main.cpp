#include "run.h"

int main() {
  RunProgram(nullptr);
  return 0;
}
