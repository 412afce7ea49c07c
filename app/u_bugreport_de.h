#pragma once
// The German contact window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Tbugreport_de : public TForm {
 public:
  explicit Tbugreport_de(TComponent* AOwner);
};

extern Tbugreport_de* bugreport_de;
