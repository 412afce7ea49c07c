#pragma once
// The output settings window: the encoding of every text file the program writes, and the font and
// background colour of texts written as pictures. It only holds the choices; the writers read them.
#include "Imports/UCodeRepStdCtrls.h"
#include "classlib/Dialogs.h"
#include "classlib/Forms.h"

// The encoding of all text output (a text-file code page); UTF-8 at every start, never stored.
extern int AusgabeKodierung;

class Teinstausgabe : public TForm {
 public:
  explicit Teinstausgabe(TComponent* AOwner);
  ~Teinstausgabe() override;
  using TLabel = UCodeRepStdCtrls::TLabel;
  using TButton = UCodeRepStdCtrls::TButton;
  using TEdit = UCodeRepStdCtrls::TEdit;
  using TRadioButton = UCodeRepStdCtrls::TRadioButton;
  using TGroupBox = UCodeRepStdCtrls::TGroupBox;

  TGroupBox* GroupBox1 = nullptr;
  TLabel* Label6 = nullptr;
  TLabel* Label3 = nullptr;  // its font is the picture font and shows itself as a sample
  TEdit* Edit1 = nullptr;    // its colour is the picture background, its text that colour as "#RRGGBB"
  TButton* BitBtn1 = nullptr;
  TButton* BitBtn6 = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TLabel* Label5 = nullptr;
  TRadioButton* rb_ansi = nullptr;
  TRadioButton* rb_utf7 = nullptr;
  TRadioButton* rb_utf7ansi = nullptr;
  TRadioButton* rb_utf8 = nullptr;
  TRadioButton* rb_utf16le = nullptr;
  TRadioButton* rb_utf_be = nullptr;
  TRadioButton* rb_utf32le = nullptr;
  TRadioButton* rb_utf32be = nullptr;
  TRadioButton* rb_beibehalten = nullptr;
  TLabel* Label4 = nullptr;
  TLabel* Label7 = nullptr;
  TButton* Button1 = nullptr;
  TFontDialog* fd = nullptr;
  TColorDialog* cd = nullptr;

  void FormCreate(TObject* Sender);
  void rb_ansiClick(TObject* Sender);
  void rb_utf7Click(TObject* Sender);
  void rb_utf7ansiClick(TObject* Sender);
  void rb_utf8Click(TObject* Sender);
  void rb_utf16leClick(TObject* Sender);
  void rb_utf_beClick(TObject* Sender);
  void rb_utf32leClick(TObject* Sender);
  void rb_utf32beClick(TObject* Sender);
  void BitBtn6Click(TObject* Sender);
  void BitBtn1Click(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Label7Click(TObject* Sender);
  // The window's texts: German for the language code "de", English for every other code.
  void Sprache();

 private:
  // Edit1's colour, and a text colour that stays readable on it.
  void HintergrundSetzen(TColor Farbe);
};

extern Teinstausgabe* einstausgabe;

// True for a colour text of the window: six hex digits once every "#" is removed ("#FF0000", "FF0000").
bool IstFarbText(const std::wstring& Text);
