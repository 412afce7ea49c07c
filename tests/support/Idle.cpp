#include "tests/support/Idle.h"

#include "classlib/Forms.h"

bool RunUntilIdle() {
  Application->ProcessMessages();
  bool Idle = false;
  // Made last, so it is told last whether the program's idle work asks for another round.
  TApplicationEvents Letzter(nullptr);
  Letzter.OnIdle = [&Idle](TObject*, bool& Done) {
    Idle = Done;
    Done = false;  // no wait for a message
  };
  for (int I = 0; I < 10000 && !Idle; ++I) Application->HandleMessage();
  return Idle;
}
