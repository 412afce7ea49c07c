#pragma once
// The shell integration window; its caption follows the language, its controls and
// handlers come with their own step.
#include "classlib/Forms.h"

class Teinstshortcuts : public TForm {
 public:
  explicit Teinstshortcuts(TComponent* AOwner);

  void FormCreate(TObject* Sender);
  // The window's texts in the language of the splash window's code.
  void Sprache();
};

extern Teinstshortcuts* einstshortcuts;
