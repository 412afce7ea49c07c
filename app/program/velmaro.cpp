// The player's main block.
#include <windows.h>

#include "app/OneInstanceFunc.h"
#include "app/Program.h"

int WINAPI WinMain(HINSTANCE /*Instance*/, HINSTANCE /*Previous*/, LPSTR /*CommandLine*/, int /*Show*/) {
  // Before any window: a running copy of this program file may take the command line instead.
  if (!OneInstanceInitialization()) return 0;
  const int Result = RunProgram();
  OneInstanceFinalization();
  return Result;
}
