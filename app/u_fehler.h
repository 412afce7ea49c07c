#pragma once
// The error log window: the player appends a few lines for every song it cannot play.
#include "Imports/UCodeRepStdCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class Tfehler : public TForm {
 public:
  explicit Tfehler(TComponent* AOwner);
  // The global names the window only while it lives: the player's language method asks for it.
  ~Tfehler() override;

  using TMemo = UCodeRepStdCtrls::TMemo;
  TMemo* Memo1 = nullptr;

  void FormCreate(TObject* Sender);
};

extern Tfehler* fehler;
