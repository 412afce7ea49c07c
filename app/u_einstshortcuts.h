#pragma once
// The shell integration window: the playlist file type, the Send To shortcut, and "open with" verbs on
// folders, on all files and on chosen extensions, each installed and removed by its own button, with
// the status of the first four; and whether the program runs as administrator, with its restart as one.
#include "Imports/UCodeRepStdCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class Teinstshortcuts : public TForm {
 public:
  explicit Teinstshortcuts(TComponent* AOwner);

  using TLabel = UCodeRepStdCtrls::TLabel;
  using TButton = UCodeRepStdCtrls::TButton;
  using TEdit = UCodeRepStdCtrls::TEdit;

  TLabel* ver_konfig = nullptr;
  TLabel* ver_sendenan = nullptr;
  TLabel* ver_ordner = nullptr;
  TLabel* ver_alledateien = nullptr;
  TLabel* Label9 = nullptr;
  TLabel* Label70 = nullptr;
  TButton* KonfigAn = nullptr;
  TButton* KonfigAus = nullptr;
  TButton* SendenAnAn = nullptr;
  TButton* SendenAnAus = nullptr;
  TButton* AlsAdminStarten = nullptr;
  TEdit* beldateien = nullptr;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void OKClick(TObject* Sender);
  void AlsAdminStartenClick(TObject* Sender);
  void Label70Click(TObject* Sender);
  // The four commands that the main menu calls as well: Sender tells whether to confirm in a message.
  void KonfigAnClick(TObject* Sender);
  void KonfigAusClick(TObject* Sender);
  void SendenAnAnClick(TObject* Sender);
  void SendenAnAusClick(TObject* Sender);
  void OrdnerAnClick(TObject* Sender);
  void OrdnerAusClick(TObject* Sender);
  void AlleDateienAnClick(TObject* Sender);
  void AlleDateienAusClick(TObject* Sender);
  void BeliebigeDateienAnClick(TObject* Sender);
  void BeliebigeDateienAusClick(TObject* Sender);

  // Shows for each of the four integrations whether the registry and the Send To folder hold it for
  // this program file.
  void CheckShortCuts();
  // The window's texts in the language of the splash window's code, the statuses and the administrator
  // state.
  void Sprache();
  // Whether this is a 32-bit process on 64-bit Windows.
  static bool IsWow64();

 private:
  void SetStatusLabel(bool Active, TLabel* Label);
};

extern Teinstshortcuts* einstshortcuts;
