// The player's main block.
#include <windows.h>

#include "app/Program.h"

int WINAPI WinMain(HINSTANCE /*Instance*/, HINSTANCE /*Previous*/, LPSTR /*CommandLine*/, int /*Show*/) {
  return RunProgram();
}
