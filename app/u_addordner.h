#pragma once
// The add-folder window: what the player's folder scan reads of it now (the cancel request, the
// relative-path choice, the found-files counter) and its texts in both languages; its search and adding
// run come with their own step.
#include "Imports/UCodeRepStdCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class Taddordner : public TForm {
 public:
  explicit Taddordner(TComponent* AOwner);

  using TLabel = UCodeRepStdCtrls::TLabel;
  using TCheckBox = UCodeRepStdCtrls::TCheckBox;

  TLabel* Label1 = nullptr;
  TCheckBox* relativ = nullptr;

  void FormCreate(TObject* Sender);
  // The window's texts in the language of the splash window's code.
  void LocalSpr();
};

extern Taddordner* addordner;
// Set to stop a running folder scan; cleared when the scan ends.
extern bool AbbruchOrdner;
