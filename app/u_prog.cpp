#include "app/u_prog.h"

#include <ole2.h>

#include <utility>

#include "Imports/UCodeSysUtils.h"

TWideSongArray AlleSongs;
TWideSongArray SuchErgebnis;
bool IstGefiltert = false;
std::vector<TLetzterSong> LetzteSongs;
std::wstring NaechsterTitel;
int AktIndex = 0;
int SortSpalte = 0;
int LetzteSortSpalte = 0;
int SortAbsteigend = 0;
TWideStrArray DateiQuellen;
// Set by the output-settings window; the playlist writer and the export read it.
int AusgabeKodierung = cpUTF8;
Tprog* prog = nullptr;

namespace {

// OLE lives as long as the module (dragging files out needs it); at the end the song lists are emptied.
struct TModuleLife {
  TModuleLife() { OleInitialize(nullptr); }
  ~TModuleLife() {
    OleUninitialize();
    AlleSongs.clear();
    SuchErgebnis.clear();
    LetzteSongs.clear();
    NaechsterTitel.clear();
  }
  TModuleLife(const TModuleLife&) = delete;
  TModuleLife& operator=(const TModuleLife&) = delete;
} ModuleLife;

}  // namespace

Tprog::Tprog(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tprog>("Tprog");
}

void QuelleHinzufuegen(const std::wstring& PlaylistFileName) {
  DateiQuellen.push_back(WideExtractFilePath(PlaylistFileName));
}

std::wstring ProgrammOrdner() {
  return WideExtractFilePath(WideGetModuleFileName(nullptr));
}

std::wstring DateiFinden(const std::wstring& StoredPath, const std::wstring& ProgOrdner,
                         const TWideStrArray& Quellen) {
  if (StoredPath.find(L":\\") != std::wstring::npos) return StoredPath;
  if (WideFileExists(ProgOrdner + StoredPath)) return ProgOrdner + StoredPath;
  // Every source folder is tried: the playlist read last wins.
  std::wstring Result = StoredPath;
  for (const std::wstring& Ordner : Quellen)
    if (WideFileExists(Ordner + StoredPath)) Result = Ordner + StoredPath;
  return Result;
}

std::wstring DateiFinden(const std::wstring& StoredPath) {
  return DateiFinden(StoredPath, ProgrammOrdner(), DateiQuellen);
}

std::wstring EscapeField(const std::wstring& S) {
  // Every reader splits lines at CR and at LF, so a line break inside a tag would cut the song apart.
  std::wstring Result = S;
  for (wchar_t& C : Result) {
    if (C == L'|')
      C = L'l';
    else if (C == L'\r' || C == L'\n')
      C = L' ';
  }
  return Result;
}

void PlaylistSpeichern(const TWideSongArray& Songs, const std::wstring& FileName) {
  if (FileName.empty()) return;
  std::wstring Text;
  for (const Song& S : Songs) {
    for (int F = 0; F < SongFieldCount; ++F) {
      if (F > 0) Text += L'|';
      Text += EscapeField(S[F]);
    }
    Text += L"\r\n";
  }
  // Case-sensitive on purpose: "x.VLM" becomes "x.VLM.vlm", "a.vlm.bak" stays as it is.
  const std::wstring Name = FileName.find(L".vlm") == std::wstring::npos ? FileName + L".vlm" : FileName;
  WideSaveTextFile(Text, Name, AusgabeKodierung);
}

void PlaylistLaden(const std::wstring& FileName, bool Ersetzen) {
  IstGefiltert = false;
  if (FileName.empty()) return;
  if (!Ersetzen) {
    LoadPlaylist(FileName);
    return;
  }
  TWideSongArray Neu;
  ReadPlaylist(FileName, Neu);
  AlleSongs = std::move(Neu);
  QuelleHinzufuegen(FileName);
}
