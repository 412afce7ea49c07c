#pragma once
// The add-folder window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Taddordner : public TForm {
 public:
  explicit Taddordner(TComponent* AOwner);
};

extern Taddordner* addordner;
