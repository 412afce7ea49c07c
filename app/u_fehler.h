#pragma once
// The error log window: the player appends a few lines for every song it cannot play.
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class Tfehler : public TForm {
 public:
  explicit Tfehler(TComponent* AOwner);

  TMemo* Memo1 = nullptr;
};

extern Tfehler* fehler;
