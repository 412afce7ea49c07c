#pragma once
// The search options window; its controls and handlers come with its own step.
#include "classlib/Forms.h"

class Tsuchopt : public TForm {
 public:
  explicit Tsuchopt(TComponent* AOwner);
};

extern Tsuchopt* suchopt;
