#include "app/u_einstausgabe.h"

#include <string>

#include "Imports/u_WideFunc.h"
#include "app/u_funktionen.h"
#include "app/u_start.h"
#include "app/u_weblinks.h"

int AusgabeKodierung = cpUTF8;
Teinstausgabe* einstausgabe = nullptr;

Teinstausgabe::Teinstausgabe(TComponent* AOwner) : TForm(AOwner) {
  using T = Teinstausgabe;
  RegisterFormClass<T>(
      "Teinstausgabe",
      {MethodOf("FormCreate", &T::FormCreate), MethodOf("rb_ansiClick", &T::rb_ansiClick),
       MethodOf("rb_utf7Click", &T::rb_utf7Click), MethodOf("rb_utf7ansiClick", &T::rb_utf7ansiClick),
       MethodOf("rb_utf8Click", &T::rb_utf8Click), MethodOf("rb_utf16leClick", &T::rb_utf16leClick),
       MethodOf("rb_utf_beClick", &T::rb_utf_beClick), MethodOf("rb_utf32leClick", &T::rb_utf32leClick),
       MethodOf("rb_utf32beClick", &T::rb_utf32beClick), MethodOf("BitBtn6Click", &T::BitBtn6Click),
       MethodOf("BitBtn1Click", &T::BitBtn1Click), MethodOf("Edit1Change", &T::Edit1Change),
       MethodOf("Button1Click", &T::Button1Click), MethodOf("Label7Click", &T::Label7Click)},
      {FieldOf("GroupBox1", &T::GroupBox1),
       FieldOf("Label6", &T::Label6),
       FieldOf("Label3", &T::Label3),
       FieldOf("Edit1", &T::Edit1),
       FieldOf("BitBtn1", &T::BitBtn1),
       FieldOf("BitBtn6", &T::BitBtn6),
       FieldOf("GroupBox2", &T::GroupBox2),
       FieldOf("Label5", &T::Label5),
       FieldOf("rb_ansi", &T::rb_ansi),
       FieldOf("rb_utf7", &T::rb_utf7),
       FieldOf("rb_utf7ansi", &T::rb_utf7ansi),
       FieldOf("rb_utf8", &T::rb_utf8),
       FieldOf("rb_utf16le", &T::rb_utf16le),
       FieldOf("rb_utf_be", &T::rb_utf_be),
       FieldOf("rb_utf32le", &T::rb_utf32le),
       FieldOf("rb_utf32be", &T::rb_utf32be),
       FieldOf("rb_beibehalten", &T::rb_beibehalten),
       FieldOf("Label4", &T::Label4),
       FieldOf("Label7", &T::Label7),
       FieldOf("Button1", &T::Button1),
       FieldOf("fd", &T::fd),
       FieldOf("cd", &T::cd)},
      {UnicodeKlassen()});
}

Teinstausgabe::~Teinstausgabe() {
  SetPictureStyleSource(nullptr);
  SetPictureLanguageSource(nullptr);
}

void Teinstausgabe::FormCreate(TObject* /*Sender*/) {
  Sprache();
  AusgabeKodierung = cpUTF8;
  // Texts saved as pictures are drawn in the sample's font on the chosen background.
  SetPictureStyleSource([this](TFont* Font, TColor& Background) {
    Font->Assign(Label3->Font());
    Background = Edit1->Color();
  });
  SetPictureLanguageSource(Deutsch);
}

void Teinstausgabe::rb_ansiClick(TObject* /*Sender*/) {
  AusgabeKodierung = cpAnsi;
}

void Teinstausgabe::rb_utf7Click(TObject* /*Sender*/) {
  AusgabeKodierung = cpUTF7;
}

void Teinstausgabe::rb_utf7ansiClick(TObject* /*Sender*/) {
  AusgabeKodierung = cpUTF7NoSignature;
}

void Teinstausgabe::rb_utf8Click(TObject* /*Sender*/) {
  AusgabeKodierung = cpUTF8;
}

void Teinstausgabe::rb_utf16leClick(TObject* /*Sender*/) {
  AusgabeKodierung = cpUTF16LE;
}

void Teinstausgabe::rb_utf_beClick(TObject* /*Sender*/) {
  AusgabeKodierung = cpUTF16BE;
}

void Teinstausgabe::rb_utf32leClick(TObject* /*Sender*/) {
  AusgabeKodierung = cpUTF32LE;
}

void Teinstausgabe::rb_utf32beClick(TObject* /*Sender*/) {
  AusgabeKodierung = cpUTF32BE;
}

void Teinstausgabe::BitBtn6Click(TObject* /*Sender*/) {
  fd->Font()->Assign(Label3->Font());
  if (fd->Execute()) Label3->Font()->Assign(fd->Font());
}

void Teinstausgabe::BitBtn1Click(TObject* /*Sender*/) {
  cd->Color = Edit1->Color();
  if (!cd->Execute()) return;
  HintergrundSetzen(cd->Color);
  CaptionSetzen(Edit1, L"#" + ColorToHex(cd->Color));
}

namespace {

// The digits of a typed colour: every "#" goes, wherever it stands.
std::wstring FarbZiffern(std::wstring Text) {
  std::erase(Text, L'#');
  return Text;
}

}  // namespace

bool IstFarbText(const std::wstring& Text) {
  const std::wstring Ziffern = FarbZiffern(Text);
  return Ziffern.size() == 6 && HexToColor(Ziffern, clNone) != clNone;
}

void Teinstausgabe::Edit1Change(TObject* /*Sender*/) {
  // Only a whole colour repaints: while one is being typed, the box keeps the colour it had.
  const std::wstring Text = TextLesen(Edit1);
  if (IstFarbText(Text)) HintergrundSetzen(HexToColor(FarbZiffern(Text)));
}

void Teinstausgabe::HintergrundSetzen(TColor Farbe) {
  const auto C = static_cast<uint32_t>(Farbe);
  const uint32_t Summe = (C & 0xFF) + ((C >> 8) & 0xFF) + ((C >> 16) & 0xFF);
  Edit1->SetColor(Farbe);
  Edit1->Font()->SetColor(Summe < 500 ? clWhite : clBlack);
}

void Teinstausgabe::Button1Click(TObject* /*Sender*/) {
  Close();
}

void Teinstausgabe::Label7Click(TObject* /*Sender*/) {
  WebSeiteOeffnen(WebAdresse(TextLesen(Label7), QuelleMenu));
}

void Teinstausgabe::Sprache() {
  static const TFensterText Texte[] = {
      {txCaption, "einstausgabe", L"Ausgabe Einstellungen", L"Output Settings"},
      {txCaption, "GroupBox1", L"Ausgabe als Bild", L"Output as Image"},
      {txCaption, "Label6", L"Schrift und Hintergrundfarbe bei einer Ausgabe als Bild:",
       L"Font and Background Color at an Output as Image:"},
      {txCaption, "Label3", L"Aktuelle Schrift", L"Current Font"},
      {txCaption, "BitBtn1", L"Hintergrundfarbe..", L"Background Color.."},
      {txCaption, "BitBtn6", L"Schrift w\u00E4hlen..", L"Choose Font.."},
      {txCaption, "GroupBox2", L"Kodierung von Textdateien", L"Coding of Text Files"},
      {txCaption, "Label5", L"Die Textdateien werden in folgendem Format abgespeichert:",
       L"Text Files are saved in this File Format:"},
      {txCaption, "Label4", L"Informationen zu den Formaten erhalten Sie auf dieser Seite:",
       L"Information to the File Formats, you can get on:"},
      {txCaption, "Label7", WebSeiten::Formate.AdresseDe, WebSeiten::Formate.AdresseEn},
      {txCaption, "rb_beibehalten", L"Wenn m\u00F6glich, Kodierung \u00FCbernehmen",
       L"Adopt Coding if possible"},
      {txCaption, "rb_utf7ansi", L"Unicode UTF-7 als ANSI gespeichert", L"Unicode UTF-7 saved as ANSI"},
  };
  FensterTexteSetzen(this, Texte, start->spr->Caption() == "de" ? "de" : "en");
}
