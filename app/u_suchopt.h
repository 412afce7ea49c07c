#pragma once
// The search options window: the same switches as the player window's options panel, kept equal to
// them both ways.
#include <array>

#include "app/u_WideMP3Func.h"
#include "Imports/UCodeRepStdCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class Tsuchopt : public TForm {
 public:
  explicit Tsuchopt(TComponent* AOwner);

  using TGroupBox = UCodeRepStdCtrls::TGroupBox;
  using TCheckBox = UCodeRepStdCtrls::TCheckBox;
  using TRadioButton = UCodeRepStdCtrls::TRadioButton;
  using TButton = UCodeRepStdCtrls::TButton;

  TGroupBox* gb1 = nullptr;
  TGroupBox* gb2 = nullptr;
  TCheckBox* s_interpret = nullptr;
  TCheckBox* s_titel = nullptr;
  TCheckBox* s_laenge = nullptr;
  TCheckBox* s_album = nullptr;
  TCheckBox* s_track = nullptr;
  TCheckBox* s_jahr = nullptr;
  TCheckBox* s_genre = nullptr;
  TCheckBox* s_datei = nullptr;
  TCheckBox* s_grkl = nullptr;
  TCheckBox* s_exakt = nullptr;
  TCheckBox* s_invers = nullptr;
  TRadioButton* s_ganz = nullptr;
  TRadioButton* s_und = nullptr;
  TRadioButton* s_oder = nullptr;
  TButton* Standard = nullptr;
  TButton* OK = nullptr;

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void AkPanel(TObject* Sender);
  void StandardClick(TObject* Sender);
  void OKClick(TObject* Sender);
  // The window's texts in the language of the splash window's code.
  void LocalSpr();
  // The eight column check boxes in field order.
  std::array<TCheckBox*, SongFieldCount> SpaltenSchalter() const;

 protected:
  void Dispatch(TMessage& Message) override;
};

extern Tsuchopt* suchopt;
