#pragma once
// The source folders window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Tdateiquellen : public TForm {
 public:
  explicit Tdateiquellen(TComponent* AOwner);
};

extern Tdateiquellen* dateiquellen;
