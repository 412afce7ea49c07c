#pragma once
// The file information window; its caption follows the language, its controls and
// handlers come with their own step.
#include "classlib/Forms.h"

class Tdateiinfo : public TForm {
 public:
  explicit Tdateiinfo(TComponent* AOwner);

  void FormCreate(TObject* Sender);
  // The window's texts in the language of the splash window's code.
  void LocalSpr();
};

extern Tdateiinfo* dateiinfo;
