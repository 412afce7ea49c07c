#include "app/u_prog.h"

#include <ole2.h>
#include <shellapi.h>

#include <utility>

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "Imports/UCodeForms.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeSystem.h"
#include "Imports/UCodeWindows.h"
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
#include "regex/WideRegex.h"

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

namespace {

bool Deutsch() {
  return start->spr->Caption() == "de";
}

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
  TForm* Aktiv = Screen->ActiveForm();
  return MessageBoxW(Aktiv ? Aktiv->Handle() : Application->Handle(), Frage,
                     AnsiToWide(Application->Title()).c_str(),
                     MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

}  // namespace

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
  // A UTF-7 file without its signature reads back as ANSI text.
  const int Kodierung = AusgabeKodierung == cpUTF7NoSignature ? cpUTF7 : AusgabeKodierung;
  if (Kodierung == cpAnsi && !AnsiHaeltText(Text) && !AnsiVerlustErlaubt()) return;
  // Case-sensitive on purpose: "x.VLM" becomes "x.VLM.vlm", "a.vlm.bak" stays as it is.
  const std::wstring Name = FileName.find(L".vlm") == std::wstring::npos ? FileName + L".vlm" : FileName;
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
  ReadPlaylist(FileName, Neu);
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
  std::vector<std::wstring> Result = WideCommandLineParams(GetCommandLineW());
  if (!Result.empty()) Result.erase(Result.begin());  // the program itself
  return Result;
}

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

// Removes every occurrence of What from S.
void AllesEntfernen(std::wstring& S, const std::wstring& What) {
  for (size_t Pos; !What.empty() && (Pos = S.find(What)) != std::wstring::npos;) S.erase(Pos, What.size());
}

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

// The song record of an audio file; its path relative to the program folder when asked and possible.
// False when the file does not exist.
bool SongLesen(Song& S, const std::wstring& Path, bool Relative) {
  const bool Found = TagsLesen(S, Path);
  S[sfPath] = GespeicherterPfad(Path, Relative);
  return Found;
}

std::wstring OderFragezeichen(const std::wstring& S) {
  return S.empty() ? L"??" : S;
}

}  // namespace

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
  BuildSoftwareMenus(this);
  PositionKorrigieren = true;
  StatusZeigtSong = false;
  AlteListWndProc = lv->WindowProc;
  lv->WindowProc = [this](TMessage& Message) { ListViewWndProc(Message); };
  DragAcceptFiles(lv->Handle(), TRUE);
  pa_suche->Hide();
  pa_suchopt->Hide();
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
        Application->HandleException(std::current_exception());
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
      Application->HandleException(std::current_exception());
    }
    ListeAktualisieren();
  }
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
                                   bool& /*Allow*/) {
  for (int I = 1; I < Params->Count(); ++I) {
    // No message box: the later copy waits for the reply, and would start on its own after its timeout.
    try {
      ParameterHinzufuegen(Params->Get(I));
    } catch (const std::exception& E) {
      FehlerMelden(Params->Get(I), {L"  " + AnsiToWide(E.what(), CP_UTF8)});
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
    case WM_APPCOMMAND:
      WMAppCommand(Message);
      return;
    default:
      TForm::Dispatch(Message);
  }
}

// ---------------------------------------------------------------------------------------------
// Playback

void Tprog::FehlerMelden(const std::wstring& StoredPath, const std::vector<std::wstring>& Gruende) {
  TUCodeStrings* Lines = fehler->Memo1->Lines();
  Lines->Add(L"\"" + StoredPath + L"\"");
  for (const std::wstring& Grund : Gruende) Lines->Add(Grund);
  Lines->Add(Deutsch() ? L"> N\u00E4chste Datei wird geladen..." : L"> Try to load next file...");
}

void Tprog::NachFehlerWeiter(const std::wstring& StoredPath, const std::vector<std::wstring>& Gruende) {
  ++FehlerZaehler;
  FehlerMelden(StoredPath, Gruende);
  WiedergabeAnzeigen();
  if (FehlerZaehler < MaxFehlerInFolge)
    weiterClick(this);
  else
    fehler->Memo1->Lines()->Add(Deutsch() ? L"> Automatischer Abbruch." : L"> Automatic Abord.");
}

// After a failed start: playing only while a player really runs.
void Tprog::WiedergabeAnzeigen() {
  SpieltGerade = Player && Player->State == 2;
  BtPlay->SetCaption(SpieltGerade ? L"X" : L">");
}

void Tprog::DateiAbspielen(const std::wstring& StoredPath) {
  PositionKorrigieren = true;
  const std::wstring Resolved = DateiFinden(StoredPath);
  AktuellerPfad = StoredPath;
  if (!WideFileExists(Resolved)) {
    NachFehlerWeiter(StoredPath, {Deutsch() ? L"  Datei existiert nicht." : L"  File does not exist."});
    return;
  }
  std::vector<std::wstring> Gruende;
  try {
    AktuelleDatei = Resolved;
    status->SetHint(Resolved);
    Timer1->SetEnabled(true);
    FreePlayer();
    CreatePlayer(Resolved);
    ShowDuration();
    Player->Play();
    SpieltGerade = true;
    BtPlay->SetCaption(L"X");
    FehlerZaehler = 0;
    SongAnzeige();
    LetztenSongMerken({status->Caption(), Resolved});
    StatusZeigtSong = true;
    return;
  } catch (const std::exception& E) {
    Gruende = {Deutsch() ? L"  Datei kann nicht abgespielt werden. Fehlercode: "
                         : L"  File can not be played. Error Code: ",
               L"  " + AnsiToWide(E.what(), CP_UTF8)};
  } catch (...) {
    Gruende = {Deutsch() ? L"  Datei kann nicht abgespielt werden. Unbekannter Fehler."
                         : L"  File can not be played. Unknown Error."};
  }
  NachFehlerWeiter(StoredPath, Gruende);
}

void Tprog::SongEnde(TMessage& Message) {
  // A notice of a player replaced meanwhile (the user started another song) is void.
  if (!Player || Message.WParam != PlayerNummer) return;
  if (EndeFehler.empty()) {
    // Nothing follows when nothing is queued and the view is empty: the window shows the stop.
    if (NaechsterTitel.empty() && AngezeigteSongs().empty())
      mw2Click(this);
    else
      weiterClick(this);
    return;
  }
  const std::string Meldung = EndeFehler;
  EndeFehler.clear();
  NachFehlerWeiter(AktuellerPfad, {Deutsch() ? L"  Datei kann nicht abgespielt werden. Fehlercode: "
                                             : L"  File can not be played. Error Code: ",
                                   L"  " + AnsiToWide(Meldung, CP_UTF8)});
}

void Tprog::ZeileAbspielen(int Row) {
  DateiAbspielen(AngezeigteSongs()[Row][sfPath]);
}

void Tprog::weiterClick(TObject* /*Sender*/) {
  if (!NaechsterTitel.empty()) {
    const std::wstring Titel = NaechsterTitel;
    NaechsterTitel.clear();
    DateiAbspielen(Titel);
    return;
  }
  const int Rows = static_cast<int>(AngezeigteSongs().size());
  if (Rows == 0) return;
  if (zufall->Checked()) {
    AktIndex = rand() % Rows;
  } else {
    ++AktIndex;
    if (AktIndex > Rows - 1 || AktIndex < 0) AktIndex = 0;
  }
  ZeileAbspielen(AktIndex);
}

void Tprog::zurueckClick(TObject* /*Sender*/) {
  if (LetzteSongs.empty()) return;
  const std::wstring Resolved = DateiFinden(LetzteSongs.back().Pfad);
  if (!WideFileExists(Resolved)) return;
  if (Player) NaechsterTitel = AktuelleDatei;
  Timer1->SetEnabled(true);
  FreePlayer();
  try {
    CreatePlayer(Resolved);
    ShowDuration();
    Player->Play();
  } catch (...) {
    FreePlayer();
    WiedergabeAnzeigen();  // the buttons show what really plays: nothing
    throw;
  }
  SongAnzeige();
  SpieltGerade = true;
  BtPlay->SetCaption(L"X");
  LetzteSongs.pop_back();
  LetzteSongsZeigen();
}

void Tprog::mw1Click(TObject* /*Sender*/) {
  if (Player) {
    Player->Play();
    SpieltGerade = true;
    Timer1->SetEnabled(true);
  } else if (!AngezeigteSongs().empty() && WideFileExists(AngezeigteSongs()[0][sfPath])) {
    DateiAbspielen(AngezeigteSongs()[0][sfPath]);
  }
  BtPlay->SetCaption(SpieltGerade ? L"X" : L">");
}

void Tprog::mw2Click(TObject* /*Sender*/) {
  if (Player) Player->Pause();
  SpieltGerade = false;
  BtPlay->SetCaption(L">");
  Timer1->SetEnabled(false);
}

void Tprog::BtPlayClick(TObject* /*Sender*/) {
  if (SpieltGerade && Player) {
    Player->Pause();
    SpieltGerade = false;
    Timer1->SetEnabled(false);
  } else if (Player) {
    Player->Play();
    SpieltGerade = true;
    Timer1->SetEnabled(true);
  } else if (!AngezeigteSongs().empty()) {
    DateiAbspielen(AngezeigteSongs()[0][sfPath]);
  }
  BtPlay->SetCaption(SpieltGerade ? L"X" : L">");
}

void Tprog::WiederholenClick(TObject* /*Sender*/) {
  Wiederholen->SetChecked(!Wiederholen->Checked());
  if (Player) Player->Repeat = Wiederholen->Checked();
}

void Tprog::zufallClick(TObject* /*Sender*/) {
  zufall->SetChecked(!zufall->Checked());
}

void Tprog::WMAppCommand(TMessage& Message) {
  Message.Result = 1;
  switch (Message.LParam) {
    case 0xB0000:
      weiterClick(this);
      break;
    case 0xC0000:
      zurueckClick(this);
      break;
    case 0xD0000:
      mw2Click(this);
      break;
    case 0xE0000:
      BtPlayClick(this);
      break;
    default:
      Message.Result = 0;
  }
}

void Tprog::FreePlayer() {
  if (!Player) return;
  delete Player;
  Player = nullptr;
  KannSuchen = false;
}

void Tprog::CreatePlayer(const std::wstring& ResolvedPath) {
  FreePlayer();
  Player = new TcbAudioPlay(this, ResolvedPath, 0);
  ++PlayerNummer;
  GUID Format;
  Player->GetTimeFormat(Format);
  MediaZeitformat = IsEqualGUID(Format, TIME_FORMAT_MEDIA_TIME);
  KannSuchen = (Player->Capabilities & AM_SEEKING_CanSeekAbsolute) != 0;
  Player->Repeat = Wiederholen->Checked();
}

void Tprog::ShowDuration() {
  lblDuration->SetCaption(AnsiToWide(PositionText(Player ? Player->Duration : 0)));
  UpdatePosition();
}

std::string Tprog::PositionText(int64_t Position) const {
  if (!MediaZeitformat) return std::to_string(Position);
  const int64_t Ms = (Position + 5000) / 10000;
  char Text[32];
  snprintf(Text, sizeof(Text), "%02d:%02d:%02d:%03d", static_cast<int>(Ms / 3600000 % 24),
           static_cast<int>(Ms / 60000 % 60), static_cast<int>(Ms / 1000 % 60), static_cast<int>(Ms % 1000));
  return Text;
}

void Tprog::UpdatePosition() {
  const bool Vorher = PositionWirdGesetzt;
  PositionWirdGesetzt = true;
  if (!Player) {
    stelle->SetPosition(0);
    lblPosition->SetCaption(AnsiToWide(PositionText(0)));
  } else {
    int64_t Position = Player->GetPosition();
    if (PositionKorrigieren && Position > 10000000) {
      Position = Player->GetPosition();
      Player->SetPosition(Position, AM_SEEKING_AbsolutePositioning);
      PositionKorrigieren = false;
    }
    if ((Player->Capabilities & AM_SEEKING_CanGetDuration) && Player->Duration > 0)
      stelle->SetPosition(static_cast<int>(static_cast<double>(Position * 1000) / Player->Duration));
    lblPosition->SetCaption(AnsiToWide(PositionText(Position)));
  }
  PositionWirdGesetzt = Vorher;
}

void Tprog::Timer1Timer(TObject* /*Sender*/) {
  if (Player && Player->Duration != 0) UpdatePosition();
}

void Tprog::stelleChange(TObject* /*Sender*/) {
  if (!PositionWirdGesetzt && KannSuchen && Player)
    Player->SetPosition(
        static_cast<int64_t>(static_cast<double>(int64_t{stelle->Position()} * Player->Duration) / 1000),
        AM_SEEKING_AbsolutePositioning);
  UpdatePosition();
}

// A press beside the thumb moves the thumb there instead of paging.
void Tprog::StelleLButtonDown(TMessage& Message, const TWndMethod& Standard) {
  const HWND Bar = stelle->Handle();
  RECT Thumb, Channel;
  SendMessageA(Bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&Thumb));
  SendMessageA(Bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&Channel));
  const POINT Click{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  POINT P = Click;
  int H;
  if (stelle->Orientation() == trHorizontal) {
    H = (Thumb.right - Thumb.left) / 2;
    Channel.top = Thumb.top;
    Channel.bottom = Thumb.bottom;
  } else {
    P = {Click.y, Click.x};
    H = (Thumb.bottom - Thumb.top) / 2;
    Channel.top = Thumb.left;
    Channel.bottom = Thumb.right;
  }
  if (PtInRect(&Thumb, Click)) {
    Standard(Message);
    return;
  }
  if (!PtInRect(&Channel, P)) return;
  Channel.left += H;
  Channel.right -= H;
  if (Channel.right <= Channel.left) return;
  stelle->SetPosition(static_cast<int>(
      std::lround(static_cast<double>(P.x - Channel.left) * stelle->Max() / (Channel.right - Channel.left))));
}

void Tprog::SongAnzeige() {
  if (!Player) return;
  TAudioInfo Info;
  Info.ReadFromFile(Player->FileName);
  std::wstring Artist = Info.Artist, Title = Info.Title;
  const std::wstring Album = OderFragezeichen(Info.Album), Genre = OderFragezeichen(Info.Genre),
                     Track = OderFragezeichen(Info.Track);
  InterpretAusTitel(Artist, Title);
  Artist = OderFragezeichen(Artist);
  Title = OderFragezeichen(Title);
  std::wstring Text;
  if (saat->Checked()) Text = Artist + L" - " + Title;
  if (saata->Checked()) Text = Artist + L" - " + Title + L" (" + Album + L")";
  if (saatta->Checked()) Text = Artist + L" - " + Title + L" (" + Album + L", " + Track + L")";
  if (saatg->Checked()) Text = Artist + L" - " + Title + L" (" + Genre + L")";
  if (saf->Checked()) Text = AktuelleDatei.substr(AktuelleDatei.find_last_of(L"\\:") + 1);
  if (sastatus->Checked()) status->SetCaption(Text);
  if (saheader->Checked()) SetWideFormCaption(this, Text + L" - Korriband Velmaro");
}

void Tprog::saatClick(TObject* Sender) {
  for (const auto& [Modus, Wert] : SongAnzeigeModi()) Modus->SetChecked(false);
  if (auto* Item = dynamic_cast<TMenuItem*>(Sender)) Item->SetChecked(true);
  // The status line shows the new form at once: a click must not toggle it to the totals.
  StatusAuffrischen();
}

void Tprog::saheaderClick(TObject* /*Sender*/) {
  saheader->SetChecked(!saheader->Checked());
  SongAnzeige();
}

void Tprog::sastatusClick(TObject* /*Sender*/) {
  sastatus->SetChecked(!sastatus->Checked());
  SongAnzeige();
}

// ---------------------------------------------------------------------------------------------
// The playlist view

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
    TUCodeStringList Dateien;
    WideFindFilesByExt(&Dateien, Folder, {L".mp3", L".wav", L".ogg", L".wma"}, true);
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
  lv->Items()->SetCount(0);
  lv->Items()->SetCount(static_cast<int>(AngezeigteSongs().size()));
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
  std::vector<int> Rows;
  for (int Row = -1; (Row = static_cast<int>(SendMessageA(lv->Handle(), LVM_GETNEXTITEM,
                                                          static_cast<WPARAM>(Row), LVNI_SELECTED))) >= 0;)
    Rows.push_back(Row);
  return Rows;
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
  const std::wstring Resolved = DateiFinden(AngezeigteSongs()[Row][sfPath]);
  if (WideFileExists(Resolved)) DateiAbspielen(Resolved);
}

void Tprog::pop_title_nextClick(TObject* /*Sender*/) {
  const int Row = FirstSelectedRow();
  if (Row < 0) return;
  AktIndex = Row;
  const std::wstring Resolved = DateiFinden(AngezeigteSongs()[Row][sfPath]);
  if (WideFileExists(Resolved)) NaechsterTitel = Resolved;
}

void Tprog::popupPopup(TObject* /*Sender*/) {
  if (FirstSelectedRow() < 0) Abort();
}

void Tprog::mp9Click(TObject* /*Sender*/) {
  LVITEMA Item{};
  Item.stateMask = LVIS_SELECTED;
  Item.state = LVIS_SELECTED;
  SendMessageA(lv->Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&Item));
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
  ListeAktualisieren();
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

// ---------------------------------------------------------------------------------------------
// The search

namespace {

const std::wstring ZeilenEnde = L"\r\n";

void Grossschreiben(std::wstring& S) {
  if (!S.empty()) CharUpperBuffW(S.data(), static_cast<DWORD>(S.size()));
}

// The words of the text, prepared as the haystacks are. Empty words (from blanks in a row or at either
// end) are left out: they would otherwise never be found and make "all words" find nothing.
std::vector<std::wstring> SuchWoerter(const std::wstring& Text, const TSuchOptionen& O) {
  TWideStrArray Teile;
  WideSplitString(Teile, L" ", Text);
  std::vector<std::wstring> Woerter;
  for (std::wstring& Wort : Teile) {
    if (Wort.empty()) continue;
    if (O.Exakt) Wort = ZeilenEnde + Wort + ZeilenEnde;
    if (!O.GrossKlein) Grossschreiben(Wort);
    Woerter.push_back(std::move(Wort));
  }
  return Woerter;
}

}  // namespace

namespace {

size_t SuchTextLaenge(const Song& S, const std::array<bool, SongFieldCount>& Spalten) {
  size_t Laenge = ZeilenEnde.size();
  for (int F = 0; F < SongFieldCount; ++F)
    if (Spalten[F]) Laenge += S[F].size() + ZeilenEnde.size();
  return Laenge;
}

// Writes the haystack of S at Ziel, which has room for it; returns the end of what it wrote.
wchar_t* SuchTextSchreiben(wchar_t* Ziel, const Song& S, const std::array<bool, SongFieldCount>& Spalten) {
  Ziel = std::copy(ZeilenEnde.begin(), ZeilenEnde.end(), Ziel);
  for (int F = 0; F < SongFieldCount; ++F) {
    if (!Spalten[F]) continue;
    Ziel = std::copy(S[F].begin(), S[F].end(), Ziel);
    Ziel = std::copy(ZeilenEnde.begin(), ZeilenEnde.end(), Ziel);
  }
  return Ziel;
}

// A substring search (Horspool, shifts by the low byte of a character) prepared once per term, so that
// the loop per song calls nothing.
class TFinder {
 public:
  explicit TFinder(std::wstring Begriff) : FBegriff(std::move(Begriff)) {
    const size_t M = FBegriff.size();
    FSprung.fill(M);
    for (size_t I = 0; I + 1 < M; ++I) FSprung[FBegriff[I] & 0xFF] = M - 1 - I;
  }
  bool In(std::wstring_view Text) const {
    const size_t M = FBegriff.size();
    if (M == 0) return true;
    const wchar_t Letztes = FBegriff[M - 1];
    for (size_t Pos = 0; Pos + M <= Text.size(); Pos += FSprung[Text[Pos + M - 1] & 0xFF]) {
      if (Text[Pos + M - 1] != Letztes) continue;
      size_t I = 0;
      while (I + 1 < M && Text[Pos + I] == FBegriff[I]) ++I;
      if (I + 1 == M) return true;
    }
    return false;
  }

 private:
  std::wstring FBegriff;
  std::array<size_t, 256> FSprung;
};

}  // namespace

std::wstring SuchText(const Song& S, const std::array<bool, SongFieldCount>& Spalten) {
  std::wstring Text;
  Text.resize(SuchTextLaenge(S, Spalten));
  SuchTextSchreiben(Text.data(), S, Spalten);
  return Text;
}

TSuchTexte::TSuchTexte(const TWideSongArray& Songs, const TSuchOptionen& O)
    : FSpalten(O.Spalten), FGefaltet(!O.GrossKlein && !O.RegEx) {
  size_t Laenge = 0;
  for (const Song& S : Songs) Laenge += SuchTextLaenge(S, FSpalten);
  FText.resize(Laenge);
  FAnfang.reserve(Songs.size() + 1);
  wchar_t* Ziel = FText.data();
  for (const Song& S : Songs) {
    FAnfang.push_back(static_cast<size_t>(Ziel - FText.data()));
    Ziel = SuchTextSchreiben(Ziel, S, FSpalten);
  }
  FAnfang.push_back(FText.size());
  // The platform folds each character alone, so one call does for all songs.
  if (FGefaltet) Grossschreiben(FText);
}

bool TSuchTexte::PasstZu(const TWideSongArray& Songs, const TSuchOptionen& O) const {
  return FSpalten == O.Spalten && FGefaltet == (!O.GrossKlein && !O.RegEx) && Anzahl() == Songs.size();
}

std::vector<size_t> SongsFinden(const TWideSongArray& Songs, const std::wstring& Text,
                                const TSuchOptionen& O) {
  return SongsFinden(TSuchTexte(Songs, O), Text, O);
}

std::vector<size_t> SongsFinden(const TSuchTexte& Texte, const std::wstring& Text, const TSuchOptionen& O) {
  std::vector<size_t> Treffer;
  const auto Behalten = [&](size_t I, bool Passt) {
    if (Passt != O.Invers) Treffer.push_back(I);
  };
  if (O.RegEx) {
    std::wstring Muster = O.Exakt ? L"^" + Text + L"$" : Text;
    if (O.GrossKlein) Muster = L"(?-i)" + Muster;
    TWideRegex Regex;
    Regex.SetExpression(Muster);
    std::wstring Eingabe;
    for (size_t I = 0; I < Texte.Anzahl(); ++I) {
      Eingabe.assign(Texte.Heu(I));
      Behalten(I, Regex.Exec(Eingabe));
    }
  } else if (O.Modus == smGanz) {
    std::wstring Begriff = O.Exakt ? ZeilenEnde + Text + ZeilenEnde : Text;
    if (!O.GrossKlein) Grossschreiben(Begriff);
    const TFinder Finder(std::move(Begriff));
    for (size_t I = 0; I < Texte.Anzahl(); ++I) Behalten(I, Finder.In(Texte.Heu(I)));
  } else {
    std::vector<TFinder> Woerter;
    for (std::wstring& Wort : SuchWoerter(Text, O)) Woerter.emplace_back(std::move(Wort));
    for (size_t I = 0; I < Texte.Anzahl(); ++I) {
      const auto Kommt = [&](const TFinder& Wort) { return Wort.In(Texte.Heu(I)); };
      const bool Passt = O.Modus == smUnd
                             ? !Woerter.empty() && std::all_of(Woerter.begin(), Woerter.end(), Kommt)
                             : std::any_of(Woerter.begin(), Woerter.end(), Kommt);
      Behalten(I, Passt);
    }
  }
  return Treffer;
}

std::wstring RegexMaskieren(const std::wstring& Text) {
  std::wstring Result;
  Result.reserve(Text.size() * 2);
  for (const wchar_t C : Text) {
    if (std::wstring_view(L"\\^$.|?*+()[]{}").find(C) != std::wstring_view::npos) Result += L'\\';
    Result += C;
  }
  return Result;
}

std::array<Tprog::TCheckBox*, SongFieldCount> Tprog::SpaltenSchalter() const {
  return {s_interpret, s_titel, s_laenge, s_album, s_track, s_jahr, s_genre, s_datei};
}

TSuchOptionen Tprog::SuchOptionen() {
  TSuchOptionen O;
  const std::array<TCheckBox*, SongFieldCount> Spalten =
      suchopt ? suchopt->SpaltenSchalter() : SpaltenSchalter();
  for (int F = 0; F < SongFieldCount; ++F) O.Spalten[F] = Spalten[F]->Checked();
  O.GrossKlein = s_grkl->Checked();
  O.Exakt = s_strexakt->Checked();
  O.Invers = s_invers->Checked();
  O.RegEx = regexsuche->Checked();
  O.Modus = s_ganz->Checked() ? smGanz : s_und->Checked() ? smUnd : smOder;
  return O;
}

void Tprog::ErgebnisHinzufuegen(int Index) {
  SuchErgebnis.push_back(AlleSongs[Index]);
}

void Tprog::SuchenClick(TObject* /*Sender*/) {
  NaechsterTitel.clear();
  const std::wstring Text = suchwort->Text();
  if (Text.empty()) {
    AlleClick(this);
    return;
  }
  SuchErgebnis.clear();
  const TSuchOptionen O = SuchOptionen();
  if (!SuchTexte || !SuchTexte->PasstZu(AlleSongs, O)) SuchTexte = std::make_unique<TSuchTexte>(AlleSongs, O);
  for (const size_t I : SongsFinden(*SuchTexte, Text, O)) ErgebnisHinzufuegen(static_cast<int>(I));
  IstGefiltert = true;
  ZeilenAuffrischen();
  status->SetCaption(std::to_wstring(SuchErgebnis.size()) +
                     (Deutsch() ? L" Dateien gefunden " : L" Files Found ") +
                     AnsiToWide(PlayTimeText(SuchErgebnis)));
}

void Tprog::suchwortKeyPress(TObject* Sender, char& Key) {
  if (Key != 13) return;
  SuchenClick(Sender);
  Key = 0;
}

void Tprog::SuchfeldZeigen() {
  msuche->SetChecked(true);
  pa_suche->Show();
  if (suchwort->CanFocus()) suchwort->SetFocus();
}

void Tprog::msucheClick(TObject* /*Sender*/) {
  msuche->SetChecked(!msuche->Checked());
  if (msuche->Checked()) {
    SuchfeldZeigen();
    return;
  }
  pa_suche->Hide();
  IstGefiltert = false;
  ListeAktualisieren();
}

void Tprog::suchoptpanelClick(TObject* /*Sender*/) {
  suchoptpanel->SetChecked(!suchoptpanel->Checked());
  if (suchoptpanel->Checked()) {
    pa_suchopt->Show();
    SuchfeldZeigen();
  } else {
    pa_suchopt->Hide();
  }
}

void Tprog::Suchoptionen1Click(TObject* /*Sender*/) {
  suchopt->Show();
}

void Tprog::regexsucheClick(TObject* /*Sender*/) {
  m_regexsuche->SetChecked(regexsuche->Checked());
}

void Tprog::m_regexsucheClick(TObject* /*Sender*/) {
  m_regexsuche->SetChecked(!m_regexsuche->Checked());
  regexsuche->SetChecked(m_regexsuche->Checked());
}

void Tprog::AkPanel(TObject* /*Sender*/) {
  // Setting a switch fires its handler only on a change, so the copy back finds nothing to do.
  if (!suchopt) return;
  suchopt->s_interpret->SetChecked(s_interpret->Checked());
  suchopt->s_titel->SetChecked(s_titel->Checked());
  suchopt->s_laenge->SetChecked(s_laenge->Checked());
  suchopt->s_album->SetChecked(s_album->Checked());
  suchopt->s_track->SetChecked(s_track->Checked());
  suchopt->s_jahr->SetChecked(s_jahr->Checked());
  suchopt->s_datei->SetChecked(s_datei->Checked());
  suchopt->s_genre->SetChecked(s_genre->Checked());
  suchopt->s_grkl->SetChecked(s_grkl->Checked());
  suchopt->s_exakt->SetChecked(s_strexakt->Checked());
  suchopt->s_invers->SetChecked(s_invers->Checked());
  suchopt->s_ganz->SetChecked(s_ganz->Checked());
  suchopt->s_und->SetChecked(s_und->Checked());
  suchopt->s_oder->SetChecked(s_oder->Checked());
}

void Tprog::sp_rballesClick(TObject* Sender) {
  for (TCheckBox* Spalte : SpaltenSchalter()) Spalte->SetChecked(true);
  AkPanel(Sender);
}

void Tprog::sp_rbnixClick(TObject* Sender) {
  for (TCheckBox* Spalte : SpaltenSchalter()) Spalte->SetChecked(false);
  AkPanel(Sender);
}

void Tprog::sp_rbstandardClick(TObject* /*Sender*/) {
  suchopt->StandardClick(suchopt);
}

// Runs Suche with the switches set for songs like one in field Column, and sets them back afterwards.
void Tprog::AehnlicheSuchen(int Column, const std::function<void()>& Suche) {
  std::array<bool, SongFieldCount> Spalten;
  for (int F = 0; F < SongFieldCount; ++F) Spalten[F] = suchopt->SpaltenSchalter()[F]->Checked();
  const bool GrossKlein = suchopt->s_grkl->Checked(), Ganz = suchopt->s_ganz->Checked(),
             Und = suchopt->s_und->Checked(), Oder = suchopt->s_oder->Checked(),
             Invers = suchopt->s_invers->Checked(), Exakt = s_strexakt->Checked();

  for (int F = 0; F < SongFieldCount; ++F) suchopt->SpaltenSchalter()[F]->SetChecked(F == Column);
  s_strexakt->SetChecked(true);
  suchopt->s_grkl->SetChecked(false);
  suchopt->s_ganz->SetChecked(true);
  suchopt->s_und->SetChecked(false);
  suchopt->s_oder->SetChecked(false);
  suchopt->s_invers->SetChecked(false);
  // A folder is searched as the start of a path, so its sub-folders are found too.
  if (Column == sfPath) s_strexakt->SetChecked(false);

  const auto Zuruecksetzen = [&] {
    for (int F = 0; F < SongFieldCount; ++F) SpaltenSchalter()[F]->SetChecked(Spalten[F]);
    s_ganz->SetChecked(Ganz);
    s_strexakt->SetChecked(Exakt);
    s_und->SetChecked(Und);
    s_grkl->SetChecked(GrossKlein);
    s_oder->SetChecked(Oder);
    s_invers->SetChecked(Invers);
  };
  try {
    Suche();
  } catch (...) {
    Zuruecksetzen();
    throw;
  }
  Zuruecksetzen();
}

namespace {

// The search text for a field; with pattern search on it is masked, so that it is searched as it stands.
std::wstring Suchwort(const std::wstring& Feld, bool RegEx) {
  return RegEx ? RegexMaskieren(Feld) : Feld;
}

}  // namespace

void Tprog::SongsSuchen(TObject* Sender, int Column) {
  AehnlicheSuchen(Column, [&] {
    const int Row = FirstSelectedRow();
    if (Row < 0) return;
    AktIndex = Row;
    SuchfeldZeigen();
    const std::wstring& Feld = AngezeigteSongs()[Row][Column];
    suchwort->SetText(Suchwort(Column == sfPath ? WideExtractFilePath(Feld) : Feld, regexsuche->Checked()));
    SuchenClick(Sender);
  });
}

// The playlist's record of the playing song; read from the file's tags only when the playlist no longer
// holds it.
Song Tprog::SpielendesSong() {
  for (const Song& S : AlleSongs)
    if (S[sfPath] == AktuellerPfad || S[sfPath] == AktuelleDatei) return S;
  for (const Song& S : AlleSongs)
    if (DateiFinden(S[sfPath]) == AktuelleDatei) return S;
  Song S;
  TagsLesen(S, AktuelleDatei);
  S[sfPath] = AktuelleDatei;
  return S;
}

void Tprog::AkSongsSuchen(TObject* Sender, int Column) {
  AehnlicheSuchen(Column, [&] {
    if (!Player) return;
    SuchfeldZeigen();
    const Song S = SpielendesSong();
    const std::wstring& Feld = S[Column];
    suchwort->SetText(Suchwort(Column == sfPath ? WideExtractFilePath(Feld) : Feld, regexsuche->Checked()));
    SuchenClick(Sender);
  });
}
