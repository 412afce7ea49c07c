#include "app/u_addordner.h"

#include <shlobj.h>

#include <unordered_set>

#include "Imports/UCodeClasses.h"
#include "Imports/u_WideFunc.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_start.h"

Taddordner* addordner = nullptr;
int32_t GefundeneDateien = 0;
bool AbbruchOrdner = false;

namespace {

const TFensterText Texte[] = {
    {txCaption, "addordner", L"Ordner Hinzuf\u00FCgen", L"Add Folder"},
    {txCaption, "uv", L"Auch alle Unterverzeichnisse durchsuchen", L"Include all Subdirectories"},
    {txCaption, "Button1", L"Schlie\u00DFen", L"Close"},
    {txCaption, "hinzufuegen", L"Durchsuchen und Hinzuf\u00FCgen", L"Search and Add"},
    {txCaption, "Label4", L"Gefundene Dateien:", L"Files Found:"},
    {txCaption, "Label5", L"Gelesene Dateien:", L"Files Read:"},
    {txCaption, "Label6", L"Hinzugef\u00FCgte Dateien:", L"Files Added:"},
    {txCaption, "relativ", L"Dateipfad relativ zum Programmpfad (wenn m\u00F6glich)",
     L"Filepath relative to Application Path (if possible)"},
    {txCaption, "Label7", L"Suchen nach:", L"Search for:"},
    {txCaption, "nurneu", L"Nur hinzuf\u00FCgen wenn Datei noch nicht in Playlist enthalten",
     L"Only add if File is not yet in PlayList"},
};

std::wstring AbbrechenText() {
  return Sprachtext(L"Abbrechen", L"Cancel");
}

void ZahlZeigen(TLabel* Label, int64_t Zahl) {
  CaptionSetzen(Label, std::to_wstring(Zahl));
}

// The lines of a text file of paths that are long enough to name a file.
std::vector<std::wstring> Listenzeilen(const std::wstring& Datei) {
  TUCodeStringList Zeilen;
  Zeilen.LoadFromFile(Datei);
  std::vector<std::wstring> Result;
  for (int I = 0; I < Zeilen.Count(); ++I)
    if (Zeilen.Get(I).size() > 3) Result.push_back(Zeilen.Get(I));
  return Result;
}

// A mistyped name must not end as a search that silently finds nothing. A name whose attributes cannot
// be read for another reason (a folder the user may not see, say) is searched as before.
void NichtGefunden(const std::wstring& Ort) {
  const DWORD Fehler = GetLastError();
  if (Fehler != ERROR_FILE_NOT_FOUND && Fehler != ERROR_PATH_NOT_FOUND) return;
  throw Exception(Format(Sprachtext(L"Die Datei oder der Ordner \u201E%s\u201C wurde nicht gefunden.",
                                    L"The file or folder \"%s\" was not found."),
                         {Ort}));
}

}  // namespace

Taddordner::Taddordner(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Taddordner>(
      "Taddordner",
      {MethodOf("FormCreate", &Taddordner::FormCreate), MethodOf("FormClose", &Taddordner::FormClose),
       MethodOf("Button3Click", &Taddordner::Button3Click),
       MethodOf("relativClick", &Taddordner::relativClick),
       MethodOf("ed_ortKeyPress", &Taddordner::ed_ortKeyPress),
       MethodOf("Button1Click", &Taddordner::Button1Click),
       MethodOf("hinzufuegenClick", &Taddordner::hinzufuegenClick)},
      {FieldOf("ed_ort", &Taddordner::ed_ort), FieldOf("uv", &Taddordner::uv),
       FieldOf("relativ", &Taddordner::relativ), FieldOf("nurneu", &Taddordner::nurneu),
       FieldOf("cbMP3", &Taddordner::cbMP3), FieldOf("cbWAV", &Taddordner::cbWAV),
       FieldOf("cbOGG", &Taddordner::cbOGG), FieldOf("cbWMA", &Taddordner::cbWMA),
       FieldOf("Label1", &Taddordner::Label1), FieldOf("Label2", &Taddordner::Label2),
       FieldOf("Label3", &Taddordner::Label3), FieldOf("fs", &Taddordner::fs),
       FieldOf("hinzufuegen", &Taddordner::hinzufuegen), FieldOf("Button1", &Taddordner::Button1)},
      {UnicodeKlassen()});
}

void Taddordner::FormCreate(TObject* /*Sender*/) {
  LocalSpr();
  AbbruchOrdner = false;
}

void Taddordner::LocalSpr() {
  FensterTexteSetzen(this, Texte, start->spr->Caption());
  // A switch during a run keeps the button a cancel button.
  if (FLaeuft) CaptionSetzen(Button1, AbbrechenText());
}

void Taddordner::Button3Click(TObject* /*Sender*/) {
  // The dialog leaves the text alone when the user picks nothing.
  std::wstring Ordner = ed_ort->Text();
  WideBrowseForFolder(CSIDL_DESKTOP, Sprachtext(L"Zielverzeichnis w\u00E4hlen", L"Open Folder"), Ordner);
  CaptionSetzen(ed_ort, Ordner);
}

void Taddordner::relativClick(TObject* /*Sender*/) {
  if (relativ->Checked()) CaptionSetzen(ed_ort, ProgrammOrdner());
}

void Taddordner::ed_ortKeyPress(TObject* Sender, char& Key) {
  if (Key != 13) return;
  Key = 0;
  hinzufuegenClick(Sender);
}

void Taddordner::Button1Click(TObject* /*Sender*/) {
  if (FLaeuft)
    AbbruchOrdner = true;
  else
    Close();
}

void Taddordner::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
  if (FLaeuft) AbbruchOrdner = true;
}

void Taddordner::Zeichnen() {
  RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool Taddordner::ZeitZumZeichnen() {
  // Painting the window takes longer than reading a song's tags: the counters move often enough for
  // the eye when they are painted a few times a second, the first time at once.
  constexpr ULONGLONG Abstand = 50;
  const ULONGLONG Jetzt = GetTickCount64();
  if (FGezeichnet != 0 && Jetzt - FGezeichnet < Abstand) return false;
  FGezeichnet = Jetzt;
  return true;
}

void Taddordner::NachrichtenDurchlassen(bool Gezeichnet) {
  // Under Wine a look at the queue costs a good part of reading a song's tags; some fifty looks a
  // second keep the window answering, and one right after painting shows a click on what was painted.
  constexpr ULONGLONG Abstand = 20;
  const ULONGLONG Jetzt = GetTickCount64();
  if (!Gezeichnet && FDurchgelassen != 0 && Jetzt - FDurchgelassen < Abstand) return;
  FDurchgelassen = Jetzt;
  Application->ProcessMessages();
}

void Taddordner::WideFindAllFilesANZ(std::vector<std::wstring>& List, const std::wstring& Folder,
                                     const std::vector<std::wstring>& Exts, bool Subfolders) {
  WideFindFilesByExt(Folder, Exts, Subfolders, [&](const std::wstring& Path, bool IsFolder) {
    bool Gezeichnet = false;
    if (!IsFolder) {
      List.push_back(Path);
      ++GefundeneDateien;
      Gezeichnet = ZeitZumZeichnen();
      if (Gezeichnet) {
        ZahlZeigen(Label1, GefundeneDateien);
        Zeichnen();
      }
    }
    NachrichtenDurchlassen(Gezeichnet);
    return !AbbruchOrdner;
  });
}

std::vector<std::wstring> Taddordner::Kandidaten() {
  std::vector<std::wstring> Exts;
  for (const auto& [Box, Ext] :
       {std::pair{cbMP3, L".mp3"}, {cbWAV, L".wav"}, {cbOGG, L".ogg"}, {cbWMA, L".wma"}})
    if (Box->Checked()) Exts.push_back(Ext);
  GefundeneDateien = 0;
  const std::wstring Ort = ed_ort->Text();
  // An empty name would search the root of the current drive.
  if (Ort.empty()) return {};
  // The name's attributes tell a list of paths from a folder: a folder may well hold ".txt" in its name.
  const DWORD Attr = GetFileAttributesW(Ort.c_str());
  if (Attr == INVALID_FILE_ATTRIBUTES) NichtGefunden(Ort);
  // A list's lines are not counted as found: nothing was searched.
  if (Attr != INVALID_FILE_ATTRIBUTES && !(Attr & FILE_ATTRIBUTE_DIRECTORY)) return Listenzeilen(Ort);
  std::vector<std::wstring> Gefunden;
  if (!Exts.empty()) WideFindAllFilesANZ(Gefunden, Ort, Exts, uv->Checked());
  return Gefunden;
}

void Taddordner::Fortschritt(int K) {
  const bool Gezeichnet = ZeitZumZeichnen();
  if (Gezeichnet) {
    ZahlZeigen(Label2, K);
    fs->SetPosition(K);
    Zeichnen();
  }
  NachrichtenDurchlassen(Gezeichnet);
}

void Taddordner::AlleHinzufuegen(const std::vector<std::wstring>& Kandidaten) {
  const bool Relativ = relativ->Checked();
  for (size_t I = 0; I < Kandidaten.size() && !AbbruchOrdner; ++I) {
    prog->VorhandeneDateiHinzufuegen(Kandidaten[I], Relativ);
    GefundeneDateien = static_cast<int32_t>(I + 1);
    if (I % 7 == 0) Fortschritt(GefundeneDateien);
  }
}

void Taddordner::NeueHinzufuegen(const std::vector<std::wstring>& Kandidaten) {
  const bool Relativ = relativ->Checked();
  // A candidate is new when the playlist holds no song with the path it would be stored under; one
  // added counts as held, so a path listed twice goes in once.
  std::unordered_set<std::wstring> Gespeichert;
  for (const Song& S : AlleSongs) Gespeichert.insert(S[sfPath]);
  TWideStrArray Sortiert(Kandidaten.begin(), Kandidaten.end());
  SortWideStrArray(Sortiert, 1);
  for (size_t I = 0; I < Sortiert.size() && !AbbruchOrdner; ++I) {
    if (Gespeichert.insert(GespeicherterPfad(Sortiert[I], Relativ)).second)
      prog->VorhandeneDateiHinzufuegen(Sortiert[I], Relativ);
    GefundeneDateien = static_cast<int32_t>(I + 1);
    if ((I + 1) % 7 == 0) Fortschritt(GefundeneDateien);
  }
}

void Taddordner::LaufBeginnen() {
  FLaeuft = true;
  FGezeichnet = FDurchgelassen = 0;
  hinzufuegen->SetEnabled(false);
  CaptionSetzen(Button1, AbbrechenText());
  for (TLabel* Zaehler : {Label1, Label2, Label3}) ZahlZeigen(Zaehler, 0);
  fs->SetPosition(0);
  prog->SetEnabled(false);
}

void Taddordner::LaufBeenden() {
  // The last counter repeats the candidates gone through, added or skipped.
  Label3->SetCaption(Label2->Caption());
  fs->SetPosition(fs->Max());
  prog->SetEnabled(true);
  CaptionSetzen(Button1, Sprachtext(L"Schlie\u00DFen", L"Close"));
  hinzufuegen->SetEnabled(true);
  FLaeuft = false;
  AbbruchOrdner = false;
  prog->ListeAktualisieren();
}

void Taddordner::hinzufuegenClick(TObject* /*Sender*/) {
  // Enter in the folder field reaches here while a run lets messages through.
  if (FLaeuft) return;
  LaufBeginnen();
  try {
    const std::vector<std::wstring> Liste = Kandidaten();
    ZahlZeigen(Label1, GefundeneDateien);
    Zeichnen();
    fs->SetMax(GefundeneDateien);
    GefundeneDateien = 0;
    if (nurneu->Checked() && !AlleSongs.empty())
      NeueHinzufuegen(Liste);
    else
      AlleHinzufuegen(Liste);
    // A cancelled run shows how many candidates it got to.
    ZahlZeigen(Label2, AbbruchOrdner ? GefundeneDateien : static_cast<int64_t>(Liste.size()));
  } catch (...) {
    LaufBeenden();
    throw;
  }
  LaufBeenden();
}
