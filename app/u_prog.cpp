// The player window: the song lists and playlist files it keeps, its life cycle and the command line.
#include "app/u_prog.h"
#include "app/u_prog_intern.h"

#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "Imports/UCodeForms.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeSystem.h"
#include "Imports/UCodeWindows.h"
#include "app/OneInstanceFunc.h"
#include "app/template_menu.h"
#include "app/u_addordner.h"
#include "app/u_lastfile.h"
#include "app/u_fehler.h"
#include "app/u_funktionen.h"
#include "app/u_start.h"
#include "app/u_startfenster.h"
#include "audio/MP3funk.h"
#include "classlib/IniFiles.h"
#include "app/u_suchopt.h"
#include "app/u_txtexport.h"

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
std::wstring ProgrammOrdnerErsatz;
std::wstring ProgrammDateiErsatz;

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

void QuelleHinzufuegen(const std::wstring& PlaylistFileName) {
  DateiQuellen.push_back(WideExtractFilePath(PlaylistFileName));
}

std::wstring ProgrammOrdner() {
  if (!ProgrammOrdnerErsatz.empty()) return ProgrammOrdnerErsatz;
  return WideExtractFilePath(WideGetModuleFileName(nullptr));
}

std::wstring GespeicherterPfad(const std::wstring& Path, bool Relative) {
  const std::wstring Ordner = ProgrammOrdner();
  return Relative && Path.compare(0, Ordner.size(), Ordner) == 0 ? Path.substr(Ordner.size()) : Path;
}

std::wstring ProgrammDatei() {
  return ProgrammDateiErsatz.empty() ? WideGetModuleFileName(nullptr) : ProgrammDateiErsatz;
}

bool IstRelativ(const std::wstring& Path) {
  const bool MitLaufwerk = Path.size() >= 2 && Path[1] == L':';
  const bool AbWurzel = !Path.empty() && (Path[0] == L'\\' || Path[0] == L'/');
  return !MitLaufwerk && !AbWurzel;
}

namespace {

bool HatQuelle(int Quelle, const TWideStrArray& Quellen) {
  return Quelle >= 0 && Quelle < std::ssize(Quellen);
}

}  // namespace

std::wstring DateiFinden(const std::wstring& StoredPath, const std::wstring& ProgOrdner,
                         const TWideStrArray& Quellen, int Quelle) {
  if (StoredPath.find(L":\\") != std::wstring::npos) return StoredPath;
  if (WideFileExists(ProgOrdner + StoredPath)) return ProgOrdner + StoredPath;
  // A song read from a playlist is looked for beside that playlist only: another playlist's file of the
  // same name is another song. Other songs try every source folder, the playlist read last winning.
  if (HatQuelle(Quelle, Quellen))
    return WideFileExists(Quellen[Quelle] + StoredPath) ? Quellen[Quelle] + StoredPath : StoredPath;
  std::wstring Result = StoredPath;
  for (const std::wstring& Ordner : Quellen)
    if (WideFileExists(Ordner + StoredPath)) Result = Ordner + StoredPath;
  return Result;
}

std::wstring DateiFinden(const std::wstring& StoredPath) {
  return DateiFinden(StoredPath, ProgrammOrdner(), DateiQuellen);
}

std::wstring DateiFinden(const Song& S) {
  return DateiFinden(S[sfPath], ProgrammOrdner(), DateiQuellen, S.Quelle);
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

namespace {

// Removes every occurrence of What from S.
void AllesEntfernen(std::wstring& S, const std::wstring& What) {
  for (size_t Pos; !What.empty() && (Pos = S.find(What)) != std::wstring::npos;) S.erase(Pos, What.size());
}

}  // namespace

// A title "Band - Song.mp3" without an artist gives the artist Band and the title Song.
void InterpretAusTitel(std::wstring& Artist, std::wstring& Title) {
  if (!Artist.empty() || Title.find(L" - ") == std::wstring::npos) return;
  for (const wchar_t* Ext : {L".mp3", L".wma", L".ogg", L".wav"}) AllesEntfernen(Title, Ext);
  Artist = Title.substr(0, Title.find(L" - "));
  AllesEntfernen(Title, Artist + L" - ");
}

// Fields 0 to 6 of a song as the playlist stores them, from the file's tags; false when the file does
// not exist.
bool TagsLesen(Song& S, const std::wstring& Path) {
  TAudioInfo Info;
  const bool Found = Info.ReadFromFile(Path);
  S[sfArtist] = Info.Artist;
  S[sfTitle] = Info.Title;
  InterpretAusTitel(S[sfArtist], S[sfTitle]);
  S[sfLength] = SongLengthText(Info.Duration);
  S[sfAlbum] = Info.Album;
  S[sfTrack] = Info.Track;
  S[sfYear] = Info.Year;
  S[sfGenre] = Info.Genre;
  return Found;
}

namespace {

// True when Text reads back unchanged from the ANSI code page.
bool AnsiHaeltText(const std::wstring& Text) {
  return CodePageToWideString(WideStringToCodePage(Text, CP_ACP), CP_ACP) == Text;
}

// Asks whether a playlist may be written with "?" for what the ANSI code page cannot hold.
bool AnsiVerlustErlaubt() {
  const wchar_t* Frage =
      Deutsch() ? L"Einige Zeichen der Playlist gibt es in der ANSI-Kodierung nicht. Sie werden als \"?\" "
                  L"gespeichert, und diese Songs werden nicht mehr gefunden.\n\nTrotzdem speichern? "
                  L"(Eine Unicode-Kodierung in den Speicheroptionen beh\u00E4lt alle Zeichen.)"
                : L"Some characters of the playlist do not exist in the ANSI coding. They would be saved as "
                  L"\"?\", and those songs could not be found any more.\n\nSave anyway? (A Unicode coding "
                  L"in the Saving Options keeps every character.)";
  return JaNeinFrage(Frage);
}

// True when every relative path finds from Ordner what it finds now: every playlist read so far came from
// there.
bool QuellenSindOrdner(const std::wstring& Ordner) {
  return std::all_of(DateiQuellen.begin(), DateiQuellen.end(),
                     [&](const std::wstring& Q) { return WideUpperCase(Q) == WideUpperCase(Ordner); });
}

// The path a playlist in Ordner stores for a song: a relative path that the program folder or Ordner
// finds the same file by stays; one that only a playlist read from elsewhere finds is written as the
// file it finds now, which the new playlist then finds from wherever it is read. A song found nowhere is
// written where its own playlist would find it once it is back.
std::wstring PfadFuerPlaylist(const Song& S, const std::wstring& Ordner) {
  const std::wstring& Pfad = S[sfPath];
  const std::wstring Gefunden = DateiFinden(S);
  if (Gefunden != Pfad) return DateiFinden(Pfad, ProgrammOrdner(), {Ordner}) == Gefunden ? Pfad : Gefunden;
  if (!IstRelativ(Pfad) || !HatQuelle(S.Quelle, DateiQuellen) ||
      WideUpperCase(DateiQuellen[S.Quelle]) == WideUpperCase(Ordner))
    return Pfad;
  return DateiQuellen[S.Quelle] + Pfad;
}

}  // namespace

void PlaylistSpeichern(const TWideSongArray& Songs, const std::wstring& FileName) {
  if (FileName.empty()) return;
  // Case-sensitive on purpose: "x.VLM" becomes "x.VLM.vlm", "a.vlm.bak" stays as it is.
  const std::wstring Name = FileName.find(L".vlm") == std::wstring::npos ? FileName + L".vlm" : FileName;
  const std::wstring Ordner = WideExtractFilePath(Name);
  const bool PfadeBleiben = QuellenSindOrdner(Ordner);
  std::wstring Text;
  for (const Song& S : Songs) {
    for (int F = 0; F < SongFieldCount; ++F) {
      if (F > 0) Text += L'|';
      Text += EscapeField(F == sfPath && !PfadeBleiben ? PfadFuerPlaylist(S, Ordner) : S[F]);
    }
    Text += L"\r\n";
  }
  // A UTF-7 file without its signature reads back as ANSI text.
  const int Kodierung = AusgabeKodierung == cpUTF7NoSignature ? cpUTF7 : AusgabeKodierung;
  if (!ErsetzenErlaubt(Name)) return;
  if (Kodierung == cpAnsi && !AnsiHaeltText(Text) && !AnsiVerlustErlaubt()) return;
  WideSaveTextFile(Text, Name, Kodierung);
}

void PlaylistLaden(const std::wstring& FileName, bool Ersetzen) {
  IstGefiltert = false;
  if (FileName.empty()) return;
  if (!Ersetzen) {
    LoadPlaylist(FileName);
    return;
  }
  TWideSongArray Neu;
  ReadPlaylist(FileName, Neu, static_cast<int>(DateiQuellen.size()));
  AlleSongs = std::move(Neu);
  QuelleHinzufuegen(FileName);
}

bool ErsteAktivierung = true;
bool PositionKorrigieren = true;
bool StatusZeigtSong = false;
int32_t FehlerZaehler = 0;
bool SpieltGerade = false;
std::wstring DateienGeladenText = L" Dateien geladen";
TWndMethod AlteListWndProc;
TOneInstanceCheck* EinzelInstanz = nullptr;
Tprog* prog = nullptr;

void LetzteSongsZeigen() {
  if (LetzteSongsSichtbar) lastfiles->Aktualisieren();
}

void LetztenSongMerken(TLetzterSong Song) {
  LetzteSongs.push_back(std::move(Song));
  if (LetzteSongs.size() > MaxLetzteSongs)
    LetzteSongs.erase(LetzteSongs.begin(), LetzteSongs.end() - MaxLetzteSongs);
  // The window shows the song that has just started.
  LetzteSongsZeigen();
}

TWideSongArray& AngezeigteSongs() {
  return IstGefiltert ? SuchErgebnis : AlleSongs;
}

std::wstring EinstellungsDatei() {
  return ProgrammOrdner() + L"velmaro.ini";
}

bool AutoloadGewuenscht(const std::wstring& IniFile, bool Default) {
  TIniFile Ini(IniFile);
  return Ini.ReadBool("einstellungen", "autoload", Default);
}

std::vector<std::wstring> KommandozeilenParameter() {
  std::vector<std::wstring> Result = AbsoluteCommandLineParams(GetCommandLineW());
  if (!Result.empty()) Result.erase(Result.begin());  // the program itself
  return Result;
}

Tprog::Tprog(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tprog>("Tprog",
                           {MethodOf("FormCreate", &Tprog::FormCreate),
                            MethodOf("FormShow", &Tprog::FormShow),
                            MethodOf("FormActivate", &Tprog::FormActivate),
                            MethodOf("FormCloseQuery", &Tprog::FormCloseQuery),
                            MethodOf("FormClose", &Tprog::FormClose),
                            MethodOf("FormDestroy", &Tprog::FormDestroy),
                            MethodOf("weiterClick", &Tprog::weiterClick),
                            MethodOf("zurueckClick", &Tprog::zurueckClick),
                            MethodOf("mw1Click", &Tprog::mw1Click),
                            MethodOf("mw2Click", &Tprog::mw2Click),
                            MethodOf("BtPlayClick", &Tprog::BtPlayClick),
                            MethodOf("WiederholenClick", &Tprog::WiederholenClick),
                            MethodOf("zufallClick", &Tprog::zufallClick),
                            MethodOf("Timer1Timer", &Tprog::Timer1Timer),
                            MethodOf("stelleChange", &Tprog::stelleChange),
                            MethodOf("m_opendateiClick", &Tprog::m_opendateiClick),
                            MethodOf("lvData", &Tprog::lvData),
                            MethodOf("lvDblClick", &Tprog::lvDblClick),
                            MethodOf("lvKeyPress", &Tprog::lvKeyPress),
                            MethodOf("lvColumnClick", &Tprog::lvColumnClick),
                            MethodOf("p1Click", &Tprog::p1Click),
                            MethodOf("pop_title_nextClick", &Tprog::pop_title_nextClick),
                            MethodOf("p4Click", &Tprog::p4Click),
                            MethodOf("mp9Click", &Tprog::mp9Click),
                            MethodOf("mp7Click", &Tprog::mp7Click),
                            MethodOf("mp5Click", &Tprog::mp5Click),
                            MethodOf("AlleClick", &Tprog::AlleClick),
                            MethodOf("mp6Click", &Tprog::mp6Click),
                            MethodOf("mtxtexportClick", &Tprog::mtxtexportClick),
                            MethodOf("soClick", &Tprog::soClick),
                            MethodOf("popupPopup", &Tprog::popupPopup),
                            MethodOf("mp1Click", &Tprog::mp1Click),
                            MethodOf("mp3Click", &Tprog::mp3Click),
                            MethodOf("mp2Click", &Tprog::mp2Click),
                            MethodOf("ergalsempClick", &Tprog::ergalsempClick),
                            MethodOf("statusClick", &Tprog::statusClick),
                            MethodOf("SuchenClick", &Tprog::SuchenClick),
                            MethodOf("suchwortKeyPress", &Tprog::suchwortKeyPress),
                            MethodOf("msucheClick", &Tprog::msucheClick),
                            MethodOf("suchoptpanelClick", &Tprog::suchoptpanelClick),
                            MethodOf("Suchoptionen1Click", &Tprog::Suchoptionen1Click),
                            MethodOf("regexsucheClick", &Tprog::regexsucheClick),
                            MethodOf("m_regexsucheClick", &Tprog::m_regexsucheClick),
                            MethodOf("AkPanel", &Tprog::AkPanel),
                            MethodOf("sp_rballesClick", &Tprog::sp_rballesClick),
                            MethodOf("sp_rbnixClick", &Tprog::sp_rbnixClick),
                            MethodOf("sp_rbstandardClick", &Tprog::sp_rbstandardClick),
                            MethodOf("pss0Click", &Tprog::pss0Click),
                            MethodOf("pss1Click", &Tprog::pss1Click),
                            MethodOf("pss2Click", &Tprog::pss2Click),
                            MethodOf("pss3Click", &Tprog::pss3Click),
                            MethodOf("pss4Click", &Tprog::pss4Click),
                            MethodOf("pss5Click", &Tprog::pss5Click),
                            MethodOf("pss6Click", &Tprog::pss6Click),
                            MethodOf("pss7Click", &Tprog::pss7Click),
                            MethodOf("akp5Click", &Tprog::akp5Click),
                            MethodOf("akp6Click", &Tprog::akp6Click),
                            MethodOf("akp7Click", &Tprog::akp7Click),
                            MethodOf("akp8Click", &Tprog::akp8Click),
                            MethodOf("akp9Click", &Tprog::akp9Click),
                            MethodOf("akp10Click", &Tprog::akp10Click),
                            MethodOf("akp11Click", &Tprog::akp11Click),
                            MethodOf("akp12Click", &Tprog::akp12Click),
                            MethodOf("saatClick", &Tprog::saatClick),
                            MethodOf("saheaderClick", &Tprog::saheaderClick),
                            MethodOf("sastatusClick", &Tprog::sastatusClick),
                            MethodOf("Deutsch1Click", &Tprog::Deutsch1Click),
                            MethodOf("English1Click", &Tprog::English1Click),
                            MethodOf("einstsaveClick", &Tprog::einstsaveClick),
                            MethodOf("einstloadClick", &Tprog::einstloadClick),
                            MethodOf("einstautosaveClick", &Tprog::einstautosaveClick),
                            MethodOf("einstautoloadClick", &Tprog::einstautoloadClick),
                            MethodOf("m_bugClick", &Tprog::m_bugClick),
                            MethodOf("m_bug_iClick", &Tprog::m_bug_iClick),
                            MethodOf("mcloseClick", &Tprog::mcloseClick),
                            MethodOf("mw6Click", &Tprog::mw6Click),
                            MethodOf("p3Click", &Tprog::p3Click),
                            MethodOf("akp1Click", &Tprog::akp1Click),
                            MethodOf("mp4Click", &Tprog::mp4Click),
                            MethodOf("mw5Click", &Tprog::mw5Click),
                            MethodOf("m_einstshortcutsClick", &Tprog::m_einstshortcutsClick),
                            MethodOf("verkjaClick", &Tprog::verkjaClick),
                            MethodOf("verkneinClick", &Tprog::verkneinClick),
                            MethodOf("m_einst_sendenan_einClick", &Tprog::m_einst_sendenan_einClick),
                            MethodOf("m_einst_sendenan_ausClick", &Tprog::m_einst_sendenan_ausClick),
                            MethodOf("m_fehlerClick", &Tprog::m_fehlerClick),
                            MethodOf("i1Click", &Tprog::i1Click),
                            MethodOf("i2Click", &Tprog::i2Click),
                            MethodOf("i3Click", &Tprog::i3Click),
                            MethodOf("i4Click", &Tprog::i4Click),
                            MethodOf("Software1Click", &Tprog::Software1Click),
                            MethodOf("BrowseToMenuCaption", &Tprog::BrowseToMenuCaption),
                            MethodOf("mp11Click", &Tprog::mp11Click),
                            MethodOf("lvMouseDown", &Tprog::lvMouseDown),
                            MethodOf("lvMouseMove", &Tprog::lvMouseMove),
                            MethodOf("p_copyfileClick", &Tprog::p_copyfileClick),
                            MethodOf("p6Click", &Tprog::p6Click),
                            MethodOf("p5Click", &Tprog::p5Click),
                            MethodOf("akpopupPopup", &Tprog::akpopupPopup),
                            MethodOf("akp2Click", &Tprog::akp2Click),
                            MethodOf("akp3Click", &Tprog::akp3Click),
                            MethodOf("akp4Click", &Tprog::akp4Click)},
                           {FieldOf("pa_suche", &Tprog::pa_suche),
                            FieldOf("Alle", &Tprog::Alle),
                            FieldOf("pa_unten", &Tprog::pa_unten),
                            FieldOf("lblPosition", &Tprog::lblPosition),
                            FieldOf("Label1", &Tprog::Label1),
                            FieldOf("lblDuration", &Tprog::lblDuration),
                            FieldOf("status", &Tprog::status),
                            FieldOf("zurueck", &Tprog::zurueck),
                            FieldOf("BtPlay", &Tprog::BtPlay),
                            FieldOf("weiter", &Tprog::weiter),
                            FieldOf("stelle", &Tprog::stelle),
                            FieldOf("lv", &Tprog::lv),
                            FieldOf("Timer1", &Tprog::Timer1),
                            FieldOf("open_audio_files", &Tprog::open_audio_files),
                            FieldOf("LoadList", &Tprog::LoadList),
                            FieldOf("SaveList", &Tprog::SaveList),
                            FieldOf("Wiederholen", &Tprog::Wiederholen),
                            FieldOf("zufall", &Tprog::zufall),
                            FieldOf("saat", &Tprog::saat),
                            FieldOf("saata", &Tprog::saata),
                            FieldOf("saatta", &Tprog::saatta),
                            FieldOf("saatg", &Tprog::saatg),
                            FieldOf("saf", &Tprog::saf),
                            FieldOf("saheader", &Tprog::saheader),
                            FieldOf("sastatus", &Tprog::sastatus),
                            FieldOf("einstautoload", &Tprog::einstautoload),
                            FieldOf("einstautosave", &Tprog::einstautosave),
                            FieldOf("Deutsch1", &Tprog::Deutsch1),
                            FieldOf("English1", &Tprog::English1),
                            FieldOf("popup", &Tprog::popup),
                            FieldOf("suchwort", &Tprog::suchwort),
                            FieldOf("Suchen", &Tprog::Suchen),
                            FieldOf("Opt", &Tprog::Opt),
                            FieldOf("regexsuche", &Tprog::regexsuche),
                            FieldOf("pa_suchopt", &Tprog::pa_suchopt),
                            FieldOf("sp_gb1", &Tprog::sp_gb1),
                            FieldOf("sp_gb2", &Tprog::sp_gb2),
                            FieldOf("s_interpret", &Tprog::s_interpret),
                            FieldOf("s_titel", &Tprog::s_titel),
                            FieldOf("s_laenge", &Tprog::s_laenge),
                            FieldOf("s_album", &Tprog::s_album),
                            FieldOf("s_track", &Tprog::s_track),
                            FieldOf("s_jahr", &Tprog::s_jahr),
                            FieldOf("s_genre", &Tprog::s_genre),
                            FieldOf("s_datei", &Tprog::s_datei),
                            FieldOf("s_grkl", &Tprog::s_grkl),
                            FieldOf("s_strexakt", &Tprog::s_strexakt),
                            FieldOf("s_invers", &Tprog::s_invers),
                            FieldOf("s_ganz", &Tprog::s_ganz),
                            FieldOf("s_und", &Tprog::s_und),
                            FieldOf("s_oder", &Tprog::s_oder),
                            FieldOf("sp_rballes", &Tprog::sp_rballes),
                            FieldOf("sp_rbnix", &Tprog::sp_rbnix),
                            FieldOf("sp_rbstandard", &Tprog::sp_rbstandard),
                            FieldOf("Suche1", &Tprog::Suche1),
                            FieldOf("msuche", &Tprog::msuche),
                            FieldOf("suchoptpanel", &Tprog::suchoptpanel),
                            FieldOf("Suchoptionen1", &Tprog::Suchoptionen1),
                            FieldOf("m_regexsuche", &Tprog::m_regexsuche),
                            FieldOf("akpopup", &Tprog::akpopup),
                            FieldOf("MainMenu1", &Tprog::MainMenu1),
                            FieldOf("m_soft_de", &Tprog::m_soft_de),
                            FieldOf("m_soft_en", &Tprog::m_soft_en),
                            FieldOf("m_soft_de_web1", &Tprog::m_soft_de_web1),
                            FieldOf("m_soft_de_web2", &Tprog::m_soft_de_web2),
                            FieldOf("m_soft_en_web1", &Tprog::m_soft_en_web1),
                            FieldOf("m_soft_en_web2", &Tprog::m_soft_en_web2),
                            FieldOf("mp10", &Tprog::mp10),
                            FieldOf("mp11", &Tprog::mp11),
                            FieldOf("p_copyfile", &Tprog::p_copyfile),
                            FieldOf("p5", &Tprog::p5),
                            FieldOf("p6", &Tprog::p6)},
                           {UnicodeKlassen()});
}

// ---------------------------------------------------------------------------------------------
// Life cycle and command line

void Tprog::FormCreate(TObject* /*Sender*/) {
  ProgrammTitel = AnsiToWide(Caption());
  AnwendungsTitel = UCodeApplication()->Title();
  BuildSoftwareMenus(this);
  PositionKorrigieren = true;
  StatusZeigtSong = false;
  AlteListWndProc = lv->WindowProc;
  lv->WindowProc = [this](TMessage& Message) { ListViewWndProc(Message); };
  DragAcceptFiles(lv->Handle(), TRUE);
  pa_suche->Hide();
  pa_suchopt->Hide();
  auto* Leerlauf = new TApplicationEvents(this);
  Leerlauf->OnIdle = [this](TObject* Sender, bool& Done) { SuchTexteVorbereiten(Sender, Done); };
  AlleSongs.clear();
  SuchErgebnis.clear();
  IstGefiltert = false;
  AktIndex = 0;
  SpieltGerade = false;
  srand(GetTickCount());
  sprache();
  FehlerZaehler = 0;
  stelle->SetMin(0);
  stelle->SetMax(1000);
  MediaZeitformat = true;
  const int R = lv->Left() + lv->Width();
  lblDuration->SetLeft(R - lblDuration->Width());
  Label1->SetLeft(R - lblDuration->Width() - Label1->Width() - 5);
  lblPosition->SetLeft(R - lblDuration->Width() - Label1->Width() - lblPosition->Width() - 10);
  ErsteAktivierung = true;
  Parameter = KommandozeilenParameter();
  // The engine's end notice only posts: the next song starts after its handler has returned.
  PlayerNextSong = [this](const EcbAudioPlayError* Failure) {
    EndeFehler = Failure ? std::string(Failure->what()) : std::string();
    PostMessageA(Handle(), WM_SONGENDE, PlayerNummer, 0);
  };
  const TWndMethod Standard = stelle->WindowProc;
  stelle->WindowProc = [this, Standard](TMessage& Message) {
    if (Message.Msg == WM_LBUTTONDOWN)
      StelleLButtonDown(Message, Standard);
    else
      Standard(Message);
  };
  EinzelInstanz = new TOneInstanceCheck(this);
  EinzelInstanz->OnNewInstance = [this](TObject* Sender, DWORD ProcessId, TUCodeStringList* Params,
                                        bool& Allow) {
    OneInstanceNewInstance(Sender, ProcessId, Params, Allow);
  };
  EinzelInstanz->TakeEarlyHandOvers();
}

void Tprog::ParameterHinzufuegen(const std::wstring& Param) {
  if (WideExtractFileExt(Param) == L".vlm") {
    LoadPlaylist(Param);
  } else {
    const DWORD Attributes = UCode_GetFileAttributesW(Param.c_str());
    if (Attributes != INVALID_FILE_ATTRIBUTES && !(Attributes & FILE_ATTRIBUTE_DIRECTORY))
      DateiHinzufuegen(Param, false);
    else
      OrdnerHinzufuegen(Param);
  }
  StartPlaylisten->Clear();
}

void Tprog::FormShow(TObject* /*Sender*/) {
  SetWindowLongA(Handle(), GWL_EXSTYLE, WS_EX_APPWINDOW);
  StartPlaylisten->Clear();
  WideFindFilesByExt(StartPlaylisten.get(), ProgrammOrdner(), {L".vlm"}, false);
  addordner->Label1->SetCaption(L"0");
  if (Parameter.empty()) {
    if (StartPlaylisten->Count() == 1) {
      try {
        startfenster->EinzigeLaden();
      } catch (...) {  // an unreadable playlist must not keep the window from showing
        StartFehler.push_back(std::current_exception());
      }
    } else if (StartPlaylisten->Count() > 1) {
      startfenster->Show();
      startfenster->SetFocus();
    }
  }
  // One parameter that fails must not keep the others from being loaded.
  for (const std::wstring& Param : Parameter) {
    try {
      ParameterHinzufuegen(Param);
    } catch (...) {
      StartFehler.push_back(std::current_exception());
    }
    ListeAktualisieren();
  }
  // A message box now would keep the window hidden until it is answered.
  if (!StartFehler.empty()) PostMessageA(Handle(), WM_STARTFEHLER, 0, 0);
  // Files handed over while this copy was starting come after its own.
  ParameterGeladen = true;
  if (!Uebergeben.empty()) PostMessageA(Handle(), WM_UEBERGEBEN, 0, 0);
  if (ClientHeight() + 50 > Screen->DesktopHeight() || ClientWidth() + 50 > Screen->DesktopWidth()) SetTag(0);
}

void Tprog::FormActivate(TObject* /*Sender*/) {
  if (ErsteAktivierung) {
    ErsteAktivierung = false;
    const std::wstring Ini = EinstellungsDatei();
    if (WideFileExists(Ini)) {
      // The check follows the file, so that the next save does not turn autoload on again.
      einstautoload->SetChecked(AutoloadGewuenscht(Ini, einstautoload->Checked()));
      if (einstautoload->Checked()) EinstellungenLaden();
    }
  }
  if (StartPlaylisten->Count() > 0) startfenster->BringToFront();
  if (Tag() == 0) {
    SendMessageA(Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    SetTag(1);
  }
}

void Tprog::FormCloseQuery(TObject* /*Sender*/, bool& CanClose) {
  // The message of a refused write lets later copies' hand-overs in: they must start on their own.
  Schliesst = true;
  // A refused write is shown, and the program closes all the same.
  if (einstautosave->Checked()) {
    try {
      EinstellungenSpeichern();
    } catch (...) {
      Application->HandleException(std::current_exception());
    }
  }
  CanClose = true;
}

void Tprog::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
  FreePlayer();
  ShowDuration();
  start->Close();
}

void Tprog::FormDestroy(TObject* /*Sender*/) {
  FreePlayer();
  PlayerNextSong = nullptr;
  AlleSongs.clear();
  SuchErgebnis.clear();
  if (AlteListWndProc) lv->WindowProc = AlteListWndProc;
  AlteListWndProc = nullptr;
  if (lv->HandleAllocated()) DragAcceptFiles(lv->Handle(), FALSE);
  LetzteSongs.clear();
  delete EinzelInstanz;
  EinzelInstanz = nullptr;
}

void Tprog::OneInstanceNewInstance(TObject* /*Sender*/, DWORD /*ProcessId*/, TUCodeStringList* Params,
                                   bool& Allow) {
  if (Schliesst) {
    Allow = true;
    return;
  }
  // The later copy waits for the reply and starts on its own after its timeout, so it is answered as soon
  // as the names are here; reading their tags may take long.
  for (int I = 1; I < Params->Count(); ++I) Uebergeben.push_back(Params->Get(I));
  if (!PostMessageA(Handle(), WM_UEBERGEBEN, 0, 0)) UebergebeneHinzufuegen();
}

void Tprog::UebergebeneHinzufuegen() {
  if (!ParameterGeladen && !Parameter.empty()) return;
  for (const std::wstring& Name : std::exchange(Uebergeben, {})) {
    // No message box: another copy may be waiting for its reply meanwhile.
    try {
      ParameterHinzufuegen(Name);
    } catch (const std::exception& E) {
      FehlerMelden(Name, {L"  " + AnsiToWide(E.what(), CP_UTF8)});
      fehler->Show();
    }
    ListeAktualisieren();
  }
}

void Tprog::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SONGENDE:
      SongEnde(Message);
      return;
    case WM_UEBERGEBEN:
      UebergebeneHinzufuegen();
      return;
    case WM_STARTFEHLER:
      for (const std::exception_ptr& Fehler : std::exchange(StartFehler, {}))
        Application->HandleException(Fehler);
      return;
    case WM_APPCOMMAND:
      WMAppCommand(Message);
      return;
    case WM_ENDSESSION:
      // Another program kept the session going after our close question: this copy stays.
      if (!Message.WParam) Schliesst = false;
      TForm::Dispatch(Message);
      return;
    default:
      TForm::Dispatch(Message);
  }
}
