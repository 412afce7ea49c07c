// The player window's playlist view: adding songs, the rows, the status line, deleting, the playlist
// files and sorting.
#include "app/u_prog.h"
#include "app/u_prog_intern.h"

#include <utility>

#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeWindows.h"
#include "app/u_addordner.h"
#include "app/u_funktionen.h"
#include "app/u_start.h"
#include "app/u_txtexport.h"

namespace {

// Disables a window for its lifetime, so that it is enabled again whatever happens.
class TFensterGesperrt {
 public:
  explicit TFensterGesperrt(TControl* Control) : FControl(Control) { FControl->SetEnabled(false); }
  ~TFensterGesperrt() { FControl->SetEnabled(true); }
  TFensterGesperrt(const TFensterGesperrt&) = delete;
  TFensterGesperrt& operator=(const TFensterGesperrt&) = delete;

 private:
  TControl* FControl;
};

// A later copy of the program waits for the reply to its hand-over and starts on its own after a
// time-out: between two songs or two steps of a folder search its message is let in, some fifty times a
// second. Its handler only takes the names; they are read after the songs being read now.
void AnfragenDurchlassen() {
  static ULONGLONG Zuletzt = 0;
  const ULONGLONG Jetzt = GetTickCount64();
  if (Jetzt - Zuletzt < 20) return;
  Zuletzt = Jetzt;
  MSG Msg;
  PeekMessageW(&Msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// The song record of an audio file; its path relative to the program folder when asked and possible.
// False when the file does not exist.
bool SongLesen(Song& S, const std::wstring& Path, bool Relative) {
  AnfragenDurchlassen();
  const bool Found = TagsLesen(S, Path);
  S[sfPath] = GespeicherterPfad(Path, Relative);
  return Found;
}

}  // namespace

void Tprog::DateiHinzufuegen(const std::wstring& Path, bool Relative) {
  SongLesen(AlleSongs.emplace_back(), Path, Relative);
}

bool Tprog::VorhandeneDateiHinzufuegen(const std::wstring& Path, bool Relative) {
  // The read tells whether the file is there: asking before it would look the path up once more.
  Song S;
  if (!SongLesen(S, Path, Relative)) return false;
  AlleSongs.push_back(std::move(S));
  return true;
}

void Tprog::OrdnerHinzufuegen(const std::wstring& Folder) {
  {
    TFensterGesperrt Gesperrt(this);
    // Walking a large tree takes longer than a later copy waits for its reply.
    TUCodeStringList Dateien;
    WideFindFilesByExt(Folder, {L".mp3", L".wav", L".ogg", L".wma"}, true,
                       [&Dateien](const std::wstring& Path, bool IsFolder) {
                         AnfragenDurchlassen();
                         if (!IsFolder) Dateien.Add(Path);
                         return true;
                       });
    const bool Relativ = addordner->relativ->Checked();
    for (int I = 0; I < Dateien.Count() && !AbbruchOrdner; ++I)
      VorhandeneDateiHinzufuegen(Dateien.Get(I), Relativ);
  }
  ListeAktualisieren();
  AbbruchOrdner = false;
}

void Tprog::m_opendateiClick(TObject* /*Sender*/) {
  {
    TFensterGesperrt Gesperrt(this);
    if (open_audio_files->Execute())
      for (int I = 0; I < open_audio_files->Files()->Count(); ++I)
        DateiHinzufuegen(open_audio_files->Files()->Get(I), false);
  }
  HinzugefuegteZeigen();
}

void Tprog::HinzugefuegteZeigen() {
  ItemCountAuffrischen();  // first, so that a search run again reads the songs as they are now
  if (IstGefiltert) SuchenClick(this);
  status->SetCaption(TotalsText());
  // The list view does not scroll by SB_BOTTOM everywhere; making the last row visible does.
  const int Rows = lv->Items()->Count();
  if (Rows > 0) SendMessageA(lv->Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(Rows - 1), FALSE);
}

void Tprog::ItemCountAuffrischen() {
  SuchTexte.reset();
  ZeilenAuffrischen();
}

void Tprog::ZeilenAuffrischen() {
  // The count goes to 0 first, so that the list forgets its selection and asks for every row again. It is
  // not drawn meanwhile, so that it sets its scroll bar once rather than twice (milliseconds each under
  // Wine); then it starts at its top, as the empty count made it.
  lv->Items()->BeginUpdate();
  lv->Items()->SetCount(0);
  lv->Items()->SetCount(static_cast<int>(AngezeigteSongs().size()));
  lv->Items()->EndUpdate();
  if (lv->TopIndex() != 0) lv->EnsureVisible(0);
}

std::wstring Tprog::TotalsText() {
  return std::to_wstring(AngezeigteSongs().size()) + DateienGeladenText + L" " +
         AnsiToWide(PlayTimeText(AlleSongs));
}

void Tprog::TotalsAnzeigen() {
  StatusZeigtSong = false;
  status->SetCaption(TotalsText());
}

void Tprog::ListeAktualisieren() {
  // First, so that a search run again reads the songs as they are now.
  ItemCountAuffrischen();
  if (IstGefiltert) SuchenClick(this);
  TotalsAnzeigen();
}

void Tprog::statusClick(TObject* /*Sender*/) {
  if (!StatusZeigtSong && Player) {
    SongAnzeige();
    StatusZeigtSong = true;
    return;
  }
  SummenZeigen();
  StatusZeigtSong = false;
}

void Tprog::SummenZeigen() {
  status->SetCaption(std::to_wstring(AngezeigteSongs().size()) +
                     (Deutsch() ? L" Dateien geladen " : L" Files Loaded ") +
                     AnsiToWide(PlayTimeText(AngezeigteSongs())));
}

void Tprog::StatusAuffrischen() {
  if (StatusZeigtSong && Player)
    SongAnzeige();
  else
    SummenZeigen();
}

void Tprog::lvData(TObject* /*Sender*/, TListItem* Row) {
  auto* Item = static_cast<TUCodeListItem*>(Row);
  const Song& S = AngezeigteSongs()[Item->Index()];
  Item->SetCaption(std::to_wstring(Item->Index() + 1));
  for (const std::wstring& Field : S) Item->SubItems()->Add(Field);
}

int Tprog::FirstSelectedRow() {
  return static_cast<int>(
      SendMessageA(lv->Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::vector<int> Tprog::SelectedRows() {
  return lv->SelectedIndexes();
}

void Tprog::lvDblClick(TObject* /*Sender*/) {
  const int Row = FirstSelectedRow();
  if (Row < 0) {
    m_opendateiClick(this);
    return;
  }
  AktIndex = Row;
  ZeileAbspielen(Row);
}

void Tprog::lvKeyPress(TObject* /*Sender*/, char& Key) {
  if (Key != 13) return;
  Key = 0;
  const int Row = FirstSelectedRow();
  if (Row < 0) return;
  AktIndex = Row;
  ZeileAbspielen(Row);
}

void Tprog::p1Click(TObject* /*Sender*/) {
  const int Row = FirstSelectedRow();
  if (Row < 0) return;
  AktIndex = Row;
  const std::wstring Resolved = DateiFinden(AngezeigteSongs()[Row]);
  if (WideFileExists(Resolved)) DateiAbspielen(Resolved);
}

void Tprog::pop_title_nextClick(TObject* /*Sender*/) {
  const int Row = FirstSelectedRow();
  if (Row < 0) return;
  AktIndex = Row;
  const std::wstring Resolved = DateiFinden(AngezeigteSongs()[Row]);
  if (WideFileExists(Resolved)) NaechsterTitel = Resolved;
}

void Tprog::popupPopup(TObject* /*Sender*/) {
  if (FirstSelectedRow() < 0) Abort();
}

void Tprog::mp9Click(TObject* /*Sender*/) {
  lv->SelectAll();
}

void Tprog::LVDeleteSelected() {
  const std::vector<int> Rows = SelectedRows();
  if (Rows.empty()) return;
  AktIndex = Rows.front();
  TWideSongArray& Songs = AngezeigteSongs();
  TWideSongArray Rest;
  Rest.reserve(Songs.size() - Rows.size());
  size_t Next = 0;
  for (size_t I = 0; I < Songs.size(); ++I) {
    if (Next < Rows.size() && static_cast<size_t>(Rows[Next]) == I)
      ++Next;
    else
      Rest.push_back(std::move(Songs[I]));
  }
  Songs = std::move(Rest);
  ItemCountAuffrischen();
  TotalsAnzeigen();
}

void Tprog::p4Click(TObject* /*Sender*/) {
  if (FirstSelectedRow() >= 0) LVDeleteSelected();
}

void Tprog::mp7Click(TObject* /*Sender*/) {
  IstGefiltert = false;
  lv->Items()->SetCount(0);
  AlleSongs.clear();
  ListeAktualisieren();
}

void Tprog::mp5Click(TObject* /*Sender*/) {
  IstGefiltert = false;
  // No song changed, so the search texts are kept for the next search.
  ZeilenAuffrischen();
  TotalsAnzeigen();
}

void Tprog::AlleClick(TObject* Sender) {
  mp5Click(Sender);
}

void Tprog::mp6Click(TObject* /*Sender*/) {
  IstGefiltert = false;
  lv->Items()->SetCount(0);
  status->SetCaption(Deutsch() ? L"Keine Dateien geladen" : L"No Files Loaded");
}

void Tprog::PlaylistLaden(bool Ersetzen) {
  const std::wstring Name = LoadList->Execute() ? LoadList->FileName() : std::wstring();
  // Refreshed even after a cancel or a read error: the filter has ended either way.
  try {
    ::PlaylistLaden(Name, Ersetzen);
  } catch (...) {
    ListeAktualisieren();
    throw;
  }
  ListeAktualisieren();
}

void Tprog::mp1Click(TObject* /*Sender*/) {
  PlaylistLaden(true);
}

void Tprog::mp3Click(TObject* /*Sender*/) {
  PlaylistLaden(false);
}

void Tprog::mp4Click(TObject* /*Sender*/) {
  IstGefiltert = false;
  ListeAktualisieren();
  addordner->Show();
}

void Tprog::mp2Click(TObject* /*Sender*/) {
  if (SaveList->Execute()) PlaylistSpeichern(AlleSongs, SaveList->FileName());
}

void Tprog::ergalsempClick(TObject* /*Sender*/) {
  if (SaveList->Execute()) PlaylistSpeichern(SuchErgebnis, SaveList->FileName());
}

void Tprog::mtxtexportClick(TObject* Sender) {
  if (txtexport->cb_autoupdate->Checked()) txtexport->SchreibenClick(Sender);
  txtexport->Show();
}

void Tprog::soClick(TObject* /*Sender*/) {
  einstausgabe->Show();
}

void Tprog::lvColumnClick(TObject* /*Sender*/, TListColumn* Column) {
  if (lv->Items()->Count() < 2) return;
  SortSpalte = Column->Index();
  SortAbsteigend = SortSpalte == LetzteSortSpalte ? 1 - SortAbsteigend : 0;
  LetzteSortSpalte = SortSpalte;
  TWideSongArray& Songs = AngezeigteSongs();
  if (!Songs.empty() && SortSpalte != 0) SortSongs(Songs, SortAbsteigend == 1, SortSpalte - 1);
  ItemCountAuffrischen();
}
