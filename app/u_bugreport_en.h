#pragma once
// The English contact window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Tbugreport_en : public TForm {
 public:
  explicit Tbugreport_en(TComponent* AOwner);
};

extern Tbugreport_en* bugreport_en;
