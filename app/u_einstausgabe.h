#pragma once
// The output settings window; its caption follows the language, its controls and
// handlers come with their own step.
#include "classlib/Forms.h"

class Teinstausgabe : public TForm {
 public:
  explicit Teinstausgabe(TComponent* AOwner);

  void FormCreate(TObject* Sender);
  // The window's texts: German for the language code "de", English for every other code.
  void Sprache();
};

extern Teinstausgabe* einstausgabe;
