#include "app/u_startfenster.h"

#include <cwchar>

#include "Imports/UCodeSysUtils.h"
#include "app/u_WideMP3Func.h"
#include "app/u_fehler.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_start.h"

Tstartfenster* startfenster = nullptr;
std::unique_ptr<TUCodeStringList> StartPlaylisten;
int32_t StartSortSpalte = 0;
int32_t StartLetzteSortSpalte = 0;
int32_t StartSortAbsteigend = 0;

namespace {

const TFensterText Texte[] = {
    {txCaption, "startfenster", L"Playlist \u00D6ffnen", L"Open Playlist"},
    {txCaption, "Button2", L"Zum Player", L"Close Window"},
    {txCaption, "Button1", L"Gew\u00E4hlte Laden", L"Load Selected"},
    {txCaption, "Button3", L"Ordner \u00D6ffnen..", L"Open Folder.."},
    {txCaption, "Button4", L"Andere Playlist..", L"Other Playlist.."},
    {txCaption, "Button5", L"Alle Laden", L"Load All"},
    {txSpalte, "stammordner", L"Playlist", L"Playlist", 0},
    {txSpalte, "stammordner", L"Dateipfad", L"File", 1},
    {txSpalte, "stammordner", L"Gr\u00F6\u00DFe", L"Size", 2},
};

const std::wstring KB = L" KB";

// The user's decimal separator.
std::wstring Dezimaltrenner() {
  wchar_t Trenner[8] = {};
  return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, Trenner, 8) > 1 ? Trenner : L".";
}

// The texts of a row: the playlist's name, its path, its size.
void ZeileFuellen(TUCodeListItem* Zeile, const std::wstring& Pfad) {
  Zeile->SetCaption(WideExtractFileName(Pfad));
  Zeile->SubItems()->Add(Pfad);
  Zeile->SubItems()->Add(GroesseText(GetFileSizeByName(Pfad)));
}

void LadefehlerMelden(const std::wstring& Pfad, std::wstring Grund) {
  // The system's texts end with a line break.
  while (!Grund.empty() && (Grund.back() == L'\r' || Grund.back() == L'\n')) Grund.pop_back();
  TUCodeStrings* Zeilen = fehler->Memo1->Lines();
  Zeilen->Add(L"\"" + Pfad + L"\"");
  Zeilen->Add(Sprachtext(L"  Playlist kann nicht geladen werden.", L"  Playlist can not be loaded."));
  Zeilen->Add(L"  " + Grund);
}

}  // namespace

std::wstring GroesseText(int64_t Bytes) {
  if (Bytes < 0) return L"?";
  std::wstring Result = Format(L"%.3f", {static_cast<double>(Bytes) / 1024.0});
  Result.replace(Result.find(L'.'), 1, Dezimaltrenner());
  return Result + KB;
}

double SizeTextToFloat(const std::wstring& Text) {
  std::wstring Zahl = Text;
  if (const size_t Einheit = Zahl.find(KB); Einheit != std::wstring::npos) Zahl.erase(Einheit, KB.size());
  const std::wstring Trenner = Dezimaltrenner();
  if (const size_t Komma = Zahl.find(Trenner); Komma != std::wstring::npos)
    Zahl.replace(Komma, Trenner.size(), L".");
  wchar_t* Ende = nullptr;
  const double Wert = std::wcstod(Zahl.c_str(), &Ende);
  return Ende == Zahl.c_str() ? -1 : Wert;
}

Tstartfenster::Tstartfenster(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tstartfenster>(
      "Tstartfenster",
      {MethodOf("FormCreate", &Tstartfenster::FormCreate), MethodOf("FormShow", &Tstartfenster::FormShow),
       MethodOf("FormClose", &Tstartfenster::FormClose),
       MethodOf("Button1Click", &Tstartfenster::Button1Click),
       MethodOf("Button2Click", &Tstartfenster::Button2Click),
       MethodOf("Button3Click", &Tstartfenster::Button3Click),
       MethodOf("Button4Click", &Tstartfenster::Button4Click),
       MethodOf("Button5Click", &Tstartfenster::Button5Click),
       MethodOf("stammordnerDblClick", &Tstartfenster::stammordnerDblClick),
       MethodOf("stammordnerClick", &Tstartfenster::stammordnerClick),
       MethodOf("stammordnerMouseUp", &Tstartfenster::stammordnerMouseUp),
       MethodOf("stammordnerColumnClick", &Tstartfenster::stammordnerColumnClick),
       MethodOf("stammordnerCompare", &Tstartfenster::stammordnerCompare)},
      {FieldOf("stammordner", &Tstartfenster::stammordner), FieldOf("Button1", &Tstartfenster::Button1)},
      {UnicodeKlassen()});
}

void Tstartfenster::FormCreate(TObject* /*Sender*/) {
  StartPlaylisten = std::make_unique<TUCodeStringList>();
  sprache();
}

void Tstartfenster::FormShow(TObject* /*Sender*/) {
  for (int I = 0; I < StartPlaylisten->Count(); ++I)
    ZeileFuellen(stammordner->Items()->Add(), StartPlaylisten->Get(I));
}

void Tstartfenster::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
  StartPlaylisten->Clear();
}

void Tstartfenster::ZeilenLaden(const std::vector<TListItem*>& Rows) {
  bool Fehler = false;
  for (TListItem* Zeile : Rows) {
    const std::wstring Pfad = SpaltenText(Zeile, 1);
    try {
      LoadPlaylist(Pfad);
      continue;
    } catch (const Exception& E) {
      LadefehlerMelden(Pfad, E.Message());
    } catch (const std::exception& E) {
      LadefehlerMelden(Pfad, AnsiToWide(E.what(), CP_UTF8));
    }
    Fehler = true;
  }
  prog->ListeAktualisieren();
  Close();
  if (Fehler) fehler->Show();
}

void Tstartfenster::Button1Click(TObject* /*Sender*/) {
  std::vector<TListItem*> Gewaehlt;
  for (int I = 0; I < stammordner->Items()->Count(); ++I)
    if (stammordner->Items()->Item(I)->Selected()) Gewaehlt.push_back(stammordner->Items()->Item(I));
  ZeilenLaden(Gewaehlt);
}

void Tstartfenster::Button5Click(TObject* /*Sender*/) {
  std::vector<TListItem*> Alle;
  for (int I = 0; I < stammordner->Items()->Count(); ++I) Alle.push_back(stammordner->Items()->Item(I));
  ZeilenLaden(Alle);
}

void Tstartfenster::stammordnerDblClick(TObject* /*Sender*/) {
  const int Zeile = stammordner->ItemIndex();
  if (Zeile >= 0) ZeilenLaden({stammordner->Items()->Item(Zeile)});
}

void Tstartfenster::Button2Click(TObject* /*Sender*/) {
  Close();
}

void Tstartfenster::Button3Click(TObject* /*Sender*/) {
  Close();
  prog->mp4Click(this);
}

void Tstartfenster::Button4Click(TObject* /*Sender*/) {
  Close();
  prog->mp1Click(this);
}

void Tstartfenster::stammordnerClick(TObject* /*Sender*/) {
  Button1->SetEnabled(stammordner->SelCount() > 0);
}

void Tstartfenster::stammordnerMouseUp(TObject* Sender, TMouseButton /*Button*/, TShiftState /*Shift*/,
                                       int /*X*/, int /*Y*/) {
  stammordnerClick(Sender);
}

void Tstartfenster::stammordnerColumnClick(TObject* /*Sender*/, TListColumn* Column) {
  StartSortSpalte = Column->Index();
  StartSortAbsteigend = StartSortSpalte == StartLetzteSortSpalte ? 1 - StartSortAbsteigend : 0;
  StartLetzteSortSpalte = StartSortSpalte;
  stammordner->AlphaSort();
}

void Tstartfenster::stammordnerCompare(TObject* /*Sender*/, TListItem* Item1, TListItem* Item2,
                                       intptr_t /*Data*/, int& Compare) {
  if (StartSortAbsteigend == 1) std::swap(Item1, Item2);
  if (StartSortSpalte == 2) {
    const double A = SizeTextToFloat(SpaltenText(Item1, 2)), B = SizeTextToFloat(SpaltenText(Item2, 2));
    Compare = A < B ? -1 : A > B ? 1 : 0;
  } else {
    Compare = WideCompareText(SpaltenText(Item1, StartSortSpalte), SpaltenText(Item2, StartSortSpalte));
  }
}

void Tstartfenster::EinzigeLaden() {
  LoadPlaylist(StartPlaylisten->Get(0));
  prog->ListeAktualisieren();
  StartPlaylisten->Clear();
}

void Tstartfenster::sprache() {
  FensterTexteSetzen(this, Texte, start->spr->Caption());
}
