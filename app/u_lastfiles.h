#pragma once
// The recent songs window; its caption follows the language, its controls and
// handlers come with their own step.
#include "classlib/Forms.h"

class Tlastfiles : public TForm {
 public:
  explicit Tlastfiles(TComponent* AOwner);

  void FormCreate(TObject* Sender);
  // The window's texts in the language of the splash window's code.
  void LocalSpr();
};

extern Tlastfiles* lastfiles;
