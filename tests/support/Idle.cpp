#include "tests/support/Idle.h"

#include "classlib/Forms.h"

bool RunUntilIdle() {
  Application->ProcessMessages();
  bool Idle = false;
  Application->OnIdle = [&Idle](TObject*, bool& Done) {
    Idle = true;
    Done = false;  // no wait for a message
  };
  for (int I = 0; I < 10000 && !Idle; ++I) Application->HandleMessage();
  Application->OnIdle = nullptr;
  return Idle;
}
