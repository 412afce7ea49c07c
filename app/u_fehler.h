#pragma once
// The error log window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Tfehler : public TForm {
 public:
  explicit Tfehler(TComponent* AOwner);
};

extern Tfehler* fehler;
