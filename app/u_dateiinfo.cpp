#include "app/u_dateiinfo.h"

#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_start.h"

Tdateiinfo* dateiinfo = nullptr;

namespace {

bool OrdnerExistiert(const std::wstring& Ordner) {
  const DWORD Attribute = GetFileAttributesW(Ordner.c_str());
  return Attribute != INVALID_FILE_ATTRIBUTES && (Attribute & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

Tdateiinfo::Tdateiinfo(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tdateiinfo>(
      "Tdateiinfo",
      {MethodOf("FormCreate", &Tdateiinfo::FormCreate),
       MethodOf("AuslesenbtClick", &Tdateiinfo::AuslesenbtClick),
       MethodOf("Button1Click", &Tdateiinfo::Button1Click),
       MethodOf("clipbrdClick", &Tdateiinfo::clipbrdClick),
       MethodOf("SchliessenClick", &Tdateiinfo::SchliessenClick)},
      {FieldOf("gb1", &Tdateiinfo::gb1), FieldOf("ed_dateiname", &Tdateiinfo::ed_dateiname),
       FieldOf("ed_datei", &Tdateiinfo::ed_datei), FieldOf("ed_ordner", &Tdateiinfo::ed_ordner),
       FieldOf("Button1", &Tdateiinfo::Button1), FieldOf("Auslesenbt", &Tdateiinfo::Auslesenbt),
       FieldOf("clipbrd", &Tdateiinfo::clipbrd), FieldOf("Schliessen", &Tdateiinfo::Schliessen)},
      {UnicodeKlassen()});
}

void Tdateiinfo::DateiAuslesen(const std::wstring& Path) {
  Pfad = Path;
  CaptionSetzen(ed_dateiname, Path);
  CaptionSetzen(ed_datei, WideExtractFileName(Path));
  CaptionSetzen(ed_ordner, WideExtractFilePath(Path));
}

void Tdateiinfo::Auslesen() {
  if (const TcbAudioPlay* Player = prog->AktuellerPlayer()) DateiAuslesen(Player->FileName);
}

void Tdateiinfo::FormCreate(TObject* /*Sender*/) {
  LocalSpr();
}

void Tdateiinfo::AuslesenbtClick(TObject* /*Sender*/) {
  Auslesen();
}

void Tdateiinfo::Button1Click(TObject* /*Sender*/) {
  const std::wstring Ordner = WideExtractFilePath(Pfad);
  if (!Ordner.empty() && OrdnerExistiert(Ordner)) ShellOeffnen(Ordner);
}

void Tdateiinfo::clipbrdClick(TObject* /*Sender*/) {
  if (WideFileExists(Pfad)) CopyFilesToClipboard(Pfad);
}

void Tdateiinfo::SchliessenClick(TObject* /*Sender*/) {
  Close();
}

void Tdateiinfo::LocalSpr() {
  static const TFensterText Texte[] = {
      {txCaption, "dateiinfo", L"Datei Informationen", L"File Information"},
      {txCaption, "gb1", L"Datei Informationen", L"File Information"},
      {txCaption, "Schliessen", L"Schlie\u00DFen", L"Close"},
      {txCaption, "clipbrd", L"Kopieren", L"Copy"},
      {txCaption, "Auslesenbt", L"Auslesen", L"Read Info"},
      {txCaption, "lb_dateiname", L"Pfad und Dateiname", L"Path and File Name"},
      {txCaption, "lb_ordner", L"Ordner", L"Path"},
      {txCaption, "lb_datei", L"Dateiname", L"File Name"},
      {txCaption, "Button1", L"Ordner \u00D6ffnen", L"Open Folder"},
  };
  FensterTexteSetzen(this, Texte, start->spr->Caption());
}
