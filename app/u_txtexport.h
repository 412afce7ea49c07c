#pragma once
// The text export window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Ttxtexport : public TForm {
 public:
  explicit Ttxtexport(TComponent* AOwner);
};

extern Ttxtexport* txtexport;
