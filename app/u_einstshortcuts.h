#pragma once
// The shell integration window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Teinstshortcuts : public TForm {
 public:
  explicit Teinstshortcuts(TComponent* AOwner);
};

extern Teinstshortcuts* einstshortcuts;
