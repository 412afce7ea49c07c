#pragma once
// The output settings window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Teinstausgabe : public TForm {
 public:
  explicit Teinstausgabe(TComponent* AOwner);
};

extern Teinstausgabe* einstausgabe;
