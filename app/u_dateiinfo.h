#pragma once
// The file information window: where a song's file lies (full path, file name, folder), with commands
// to open the folder and to copy the file to the clipboard.
#include <string>

#include "Imports/UCodeRepStdCtrls.h"
#include "classlib/Forms.h"

class Tdateiinfo : public TForm {
 public:
  using TGroupBox = UCodeRepStdCtrls::TGroupBox;
  using TEdit = UCodeRepStdCtrls::TEdit;
  using TButton = UCodeRepStdCtrls::TButton;
  explicit Tdateiinfo(TComponent* AOwner);

  TGroupBox* gb1 = nullptr;
  TEdit* ed_dateiname = nullptr;
  TEdit* ed_datei = nullptr;
  TEdit* ed_ordner = nullptr;
  TButton* Button1 = nullptr;
  TButton* Auslesenbt = nullptr;
  TButton* clipbrd = nullptr;
  TButton* Schliessen = nullptr;

  // Shows the file Path: whole, its name after the last "\" or ":", its folder up to there.
  void DateiAuslesen(const std::wstring& Path);
  // The playing song's file, when a song is loaded; otherwise nothing changes.
  void Auslesen();
  // The file shown, as it was given: the edits only show it.
  const std::wstring& Datei() const { return Pfad; }

  void FormCreate(TObject* Sender);
  void AuslesenbtClick(TObject* Sender);
  // Opens the shown file's folder in the shell, when that folder exists.
  void Button1Click(TObject* Sender);
  // Puts the shown file on the clipboard as a file list, when it exists.
  void clipbrdClick(TObject* Sender);
  void SchliessenClick(TObject* Sender);
  // The window's texts in the language of the splash window's code.
  void LocalSpr();

 private:
  std::wstring Pfad;
};

extern Tdateiinfo* dateiinfo;
