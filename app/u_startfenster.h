#pragma once
// The playlist chooser window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Tstartfenster : public TForm {
 public:
  explicit Tstartfenster(TComponent* AOwner);
};

extern Tstartfenster* startfenster;
