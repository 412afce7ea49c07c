#pragma once
// The file information window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Tdateiinfo : public TForm {
 public:
  explicit Tdateiinfo(TComponent* AOwner);
};

extern Tdateiinfo* dateiinfo;
