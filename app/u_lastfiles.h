#pragma once
// The recent songs window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Tlastfiles : public TForm {
 public:
  explicit Tlastfiles(TComponent* AOwner);
};

extern Tlastfiles* lastfiles;
