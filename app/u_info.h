#pragma once
// The information window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Tinfo : public TForm {
 public:
  explicit Tinfo(TComponent* AOwner);
};

extern Tinfo* info;
