#pragma once
// The text export window; its caption follows the language, its controls and
// handlers come with their own step.
#include "classlib/Forms.h"

class Ttxtexport : public TForm {
 public:
  explicit Ttxtexport(TComponent* AOwner);

  void FormCreate(TObject* Sender);
  // The window's texts in the language of the splash window's code.
  void LocalSpr();
};

extern Ttxtexport* txtexport;
