#pragma once
// The player window: its life cycle and command line, playback control, the playlist view, and files
// dropped, pasted, copied and dragged out (u_prog_dragdrop.cpp). The module also holds the song lists and
// their state, the source folders of loaded playlists, the playlist load and save commands after their
// dialogs, and the resolution of stored song paths. The language switch lives in u_prog_language.cpp, the
// settings file in u_prog_settings.cpp, the menu commands that show other windows or web pages in
// u_prog_menu.cpp.
#include <windows.h>

#include <ole2.h>

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Imports/UCodeRepComCtrls.h"
#include "Imports/UCodeRepDialogs.h"
#include "Imports/UCodeRepMenus.h"
#include "Imports/UCodeRepStdCtrls.h"
#include "Imports/u_WideFunc.h"
#include "app/OneInstanceCheck.h"
#include "app/u_WideMP3Func.h"
#include "app/u_einstausgabe.h"
#include "audio/ComPtr.h"
#include "audio/cbAudioPlay.h"
#include "classlib/ComCtrls.h"
#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/IniFiles.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"

// A dropped or pasted name as it was read (u_prog_dragdrop.cpp).
struct TAbgelegt;

// One entry of the play history.
struct TLetzterSong {
  std::wstring Anzeige;  // the song's display text
  std::wstring Pfad;     // its stored path
};

extern TWideSongArray AlleSongs;  // all songs; the list shows them in this order unless it shows a search's
extern TWideSongArray SuchErgebnis;            // copies of the songs the last search kept
extern bool IstGefiltert;                      // true while a search's copies are on screen
extern std::vector<TLetzterSong> LetzteSongs;  // a step back pops the newest, which stands last
extern std::wstring NaechsterTitel;            // the queued song's full path ("" when nothing is queued)
extern int AktIndex;                           // row of the shown array last chosen or played
extern int SortSpalte;                         // view column of the current column click (0: number column)
extern int LetzteSortSpalte;                   // view column of the previous column click
extern int SortAbsteigend;                     // a number, since a second click flips it as 1 - it
// Folders (ending in "\" or ":") of every playlist read, in reading order, duplicates included.
extern TWideStrArray DateiQuellen;

extern bool ErsteAktivierung;     // later activations must not load the settings over the user's changes
extern bool PositionKorrigieren;  // a new song is sought once to its own position after its first second
extern bool StatusZeigtSong;      // false while the status line shows the list's totals
extern int32_t FehlerZaehler;     // stops playback after too many unplayable songs in a row
extern bool SpieltGerade;         // false while paused or stopped
// The suffix of the totals text in the status line; set by the language switch.
extern std::wstring DateienGeladenText;

// The error log's caption in the language of the code; the player's language method sets it, and the
// error log itself when it is made.
void FehlerTitelSetzen();
// The list view's window procedure before the player window hooked it.
extern TWndMethod AlteListWndProc;
// Hands the parameters of a later copy of the program to the player window while it exists.
extern TOneInstanceCheck* EinzelInstanz;

// The play history keeps this many songs; the oldest go first.
constexpr size_t MaxLetzteSongs = 1000;
// Appends a song to the play history and shows it in the recent songs window when that is open.
void LetztenSongMerken(TLetzterSong Song);
// Refills the recent songs window when it is open.
void LetzteSongsZeigen();

// SuchErgebnis while IstGefiltert, else AlleSongs.
TWideSongArray& AngezeigteSongs();

// Appends the folder of a playlist file to DateiQuellen.
void QuelleHinzufuegen(const std::wstring& PlaylistFileName);

// The folder that ProgrammOrdner reports instead of the program file's own, when not empty.
extern std::wstring ProgrammOrdnerErsatz;
// The program's folder, ending in "\".
std::wstring ProgrammOrdner();
// The path a song record stores for a file: with Relative, a path inside the program folder without
// that folder.
std::wstring GespeicherterPfad(const std::wstring& Path, bool Relative);
// The program file that ProgrammDatei reports instead of the running one, when not empty.
extern std::wstring ProgrammDateiErsatz;
// The full path of the program file, as the shell integration names it.
std::wstring ProgrammDatei();
// The path to open for a song's stored path: an absolute path as it is; else the file beside the
// program; else, for a song read from a playlist, the file in that playlist's source folder Quelle, for
// another song the file in the last source folder that holds it; else the stored path unchanged.
std::wstring DateiFinden(const std::wstring& StoredPath, const std::wstring& ProgOrdner,
                         const TWideStrArray& Quellen, int Quelle = KeineQuelle);
std::wstring DateiFinden(const std::wstring& StoredPath);
std::wstring DateiFinden(const Song& S);

// A field as written to a playlist line: "|" becomes "l", a line break a blank.
std::wstring EscapeField(const std::wstring& S);
// Writes Songs as a playlist in AusgabeKodierung, UTF-7 always with its signature so that it reads
// back. FileName is the save dialog's choice (empty when cancelled: nothing is written); ".vlm" is
// appended unless the name holds it. An existing file of that name is replaced only after the user
// agreed; in ANSI, text that the code page cannot hold is written only after the user agreed to lose it.
// A relative path that the new file's folder would not find the song by is written as the path it is
// found at now.
void PlaylistSpeichern(const TWideSongArray& Songs, const std::wstring& FileName);
// The load (Ersetzen) and append commands after their open dialog; FileName is empty when the
// dialog was cancelled. Ends the filter. Loading replaces AlleSongs only once the file has been read:
// a cancelled dialog or a read error (the exception passes on) leaves the playlist as it was.
void PlaylistLaden(const std::wstring& FileName, bool Ersetzen);

// The settings file: "velmaro.ini" in the program's folder.
std::wstring EinstellungsDatei();
// A key of the settings file and its value, as a save writes them.
struct TEinstellung {
  std::string Abschnitt;
  std::string Schluessel;
  std::string Wert;
};
// The "autoload" key of section "einstellungen" of the settings file IniFile; Default when the key is
// missing.
bool AutoloadGewuenscht(const std::wstring& IniFile, bool Default);
// The parameters of the program's command line, without the program itself.
std::vector<std::wstring> KommandozeilenParameter();

// Posted to the player window when a song has ended; wParam: the number of the ended player.
constexpr UINT WM_SONGENDE = WM_USER + 101;
// Posted to the player window when another copy of the program handed it names.
constexpr UINT WM_UEBERGEBEN = WM_USER + 102;
// Posted by the player window's first showing when its command line met errors: they are shown once
// the window is.
constexpr UINT WM_STARTFEHLER = WM_USER + 103;
// Starts no more songs after this many failures in a row.
constexpr int32_t MaxFehlerInFolge = 15;

// How the words of a search text combine: the text as one term, all words, any word.
enum TSuchModus { smGanz, smUnd, smOder };

// The switches of a search.
struct TSuchOptionen {
  std::array<bool, SongFieldCount> Spalten{};  // the fields that join the searched text
  bool GrossKlein = false;                     // case-sensitive
  bool Exakt = false;                          // the term must equal a whole field
  bool Invers = false;                         // keep the songs that do not match
  bool RegEx = false;                          // the text is a pattern
  TSuchModus Modus = smGanz;
};

// The text a song is searched in: CR LF, then each chosen field followed by CR LF.
std::wstring SuchText(const Song& S, const std::array<bool, SongFieldCount>& Spalten);

// The haystacks of all songs back to back in one string, made for the switches of a search: the chosen
// columns, upper-cased unless the search is case-sensitive or a pattern. Searches with the same
// switches over the same songs can share them.
class TSuchTexte {
 public:
  TSuchTexte(const TWideSongArray& Songs, const TSuchOptionen& O);
  // Made for these switches and for as many songs.
  bool PasstZu(const TWideSongArray& Songs, const TSuchOptionen& O) const;
  size_t Anzahl() const { return FAnfang.size() - 1; }
  std::wstring_view Heu(size_t I) const { return Alles().substr(FAnfang[I], FAnfang[I + 1] - FAnfang[I]); }
  // All haystacks back to back, and where song I's starts and ends in them.
  std::wstring_view Alles() const { return std::wstring_view(FText.get(), FAnfang.back()); }
  size_t Anfang(size_t I) const { return FAnfang[I]; }
  size_t Ende(size_t I) const { return FAnfang[I + 1]; }

 private:
  std::array<bool, SongFieldCount> FSpalten;
  bool FGefaltet;
  std::vector<size_t> FAnfang;  // song I owns the range from FAnfang[I] to FAnfang[I + 1]
  std::unique_ptr<wchar_t[]> FText;
};

// The indexes of the songs the search keeps, ascending. A pattern search calls Zwischendurch now and then,
// so that a caller can keep its windows painted.
std::vector<size_t> SongsFinden(const TSuchTexte& Texte, const std::wstring& Text, const TSuchOptionen& O,
                                const std::function<void()>& Zwischendurch = {});
// The same over haystacks made for this one search.
std::vector<size_t> SongsFinden(const TWideSongArray& Songs, const std::wstring& Text,
                                const TSuchOptionen& O);
// Text as a pattern that matches it literally.
std::wstring RegexMaskieren(const std::wstring& Text);

// The folder (ending in "\") that holds all of Files (full paths); empty when they lie on different drives.
std::wstring GemeinsamerOrdner(const std::vector<std::wstring>& Files);
// The shell's data object for dragging Files (full paths below Folder) out of the program; made by the
// folder Folder (the desktop when empty). None for no files; a failing shell call raises EOleSysError.
TComPtr<IDataObject> GetFileListDataObject(const std::wstring& Folder,
                                           const std::vector<std::wstring>& Files);
// A press and a move that start a drag out: 5 pixels or more in either direction.
bool ZiehenBeginnt(int MausX, int MausY, int X, int Y);
// The parameters that make the file manager open the folder of Path with that file selected; quoted,
// since a comma would end the path.
std::wstring ExplorerAuswahl(const std::wstring& Path);

// The window is the drop source of every drag out; it lives as long as the program, so its interface
// counts no references.
class Tprog : public TForm, public IDropSource {
 public:
  explicit Tprog(TComponent* AOwner);

  // The wide controls under the library's names (the form's class table gives them).
  using TLabel = UCodeRepStdCtrls::TLabel;
  using TButton = UCodeRepStdCtrls::TButton;
  using TEdit = UCodeRepStdCtrls::TEdit;
  using TCheckBox = UCodeRepStdCtrls::TCheckBox;
  using TRadioButton = UCodeRepStdCtrls::TRadioButton;
  using TGroupBox = UCodeRepStdCtrls::TGroupBox;
  using TListView = UCodeRepComCtrls::TListView;
  using TOpenDialog = UCodeRepDialogs::TOpenDialog;
  using TSaveDialog = UCodeRepDialogs::TSaveDialog;
  using TMenuItem = UCodeRepMenus::TMenuItem;

  TPanel* pa_suche = nullptr;
  TButton* Alle = nullptr;
  TPanel* pa_unten = nullptr;
  TLabel* lblPosition = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* lblDuration = nullptr;
  TLabel* status = nullptr;
  TButton* zurueck = nullptr;
  TButton* BtPlay = nullptr;
  TButton* weiter = nullptr;
  TTrackBar* stelle = nullptr;
  TListView* lv = nullptr;
  TTimer* Timer1 = nullptr;
  TOpenDialog* open_audio_files = nullptr;
  TOpenDialog* LoadList = nullptr;
  TSaveDialog* SaveList = nullptr;
  TMenuItem* Wiederholen = nullptr;
  TMenuItem* zufall = nullptr;
  TMenuItem* saat = nullptr;
  TMenuItem* saata = nullptr;
  TMenuItem* saatta = nullptr;
  TMenuItem* saatg = nullptr;
  TMenuItem* saf = nullptr;
  TMenuItem* saheader = nullptr;
  TMenuItem* sastatus = nullptr;
  TMenuItem* einstautoload = nullptr;
  TMenuItem* einstautosave = nullptr;
  TMenuItem* Deutsch1 = nullptr;
  TMenuItem* English1 = nullptr;
  TPopupMenu* popup = nullptr;
  // The search panel, the options panel and the search menus.
  TEdit* suchwort = nullptr;
  TButton* Suchen = nullptr;
  TButton* Opt = nullptr;
  TCheckBox* regexsuche = nullptr;
  TPanel* pa_suchopt = nullptr;
  TGroupBox* sp_gb1 = nullptr;
  TGroupBox* sp_gb2 = nullptr;
  TCheckBox* s_interpret = nullptr;
  TCheckBox* s_titel = nullptr;
  TCheckBox* s_laenge = nullptr;
  TCheckBox* s_album = nullptr;
  TCheckBox* s_track = nullptr;
  TCheckBox* s_jahr = nullptr;
  TCheckBox* s_genre = nullptr;
  TCheckBox* s_datei = nullptr;
  TCheckBox* s_grkl = nullptr;
  TCheckBox* s_strexakt = nullptr;
  TCheckBox* s_invers = nullptr;
  TRadioButton* s_ganz = nullptr;
  TRadioButton* s_und = nullptr;
  TRadioButton* s_oder = nullptr;
  TRadioButton* sp_rballes = nullptr;
  TRadioButton* sp_rbnix = nullptr;
  TRadioButton* sp_rbstandard = nullptr;
  TMenuItem* Suche1 = nullptr;
  TMenuItem* msuche = nullptr;
  TMenuItem* suchoptpanel = nullptr;
  TMenuItem* Suchoptionen1 = nullptr;
  TMenuItem* m_regexsuche = nullptr;
  TPopupMenu* akpopup = nullptr;
  // The main menu and its software menus, which the window fills when it is made.
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* m_soft_de = nullptr;
  TMenuItem* m_soft_en = nullptr;
  TMenuItem* m_soft_de_web1 = nullptr;
  TMenuItem* m_soft_de_web2 = nullptr;
  TMenuItem* m_soft_en_web1 = nullptr;
  TMenuItem* m_soft_en_web2 = nullptr;
  TMenuItem* mp10 = nullptr;
  TMenuItem* mp11 = nullptr;
  TMenuItem* p_copyfile = nullptr;
  TMenuItem* p5 = nullptr;
  TMenuItem* p6 = nullptr;

  // The command line as FormShow handles it; taken from the program's at creation.
  std::vector<std::wstring> Parameter;

  // Life cycle and command line.
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  // The parameters of a later copy of the program; item 0 is its program path. They are added once the
  // reply is on its way (WM_UEBERGEBEN) and the own parameters are in; a parameter that fails then goes
  // to the error log, which is shown.
  void OneInstanceNewInstance(TObject* Sender, DWORD ProcessId, TUCodeStringList* Params, bool& Allow);

  // Playback.
  // Quelle: the source folder of the playlist that gave the song (see DateiFinden).
  void DateiAbspielen(const std::wstring& StoredPath, int Quelle = KeineQuelle);
  void weiterClick(TObject* Sender);
  void zurueckClick(TObject* Sender);
  void mw1Click(TObject* Sender);
  void mw2Click(TObject* Sender);
  void BtPlayClick(TObject* Sender);
  void WiederholenClick(TObject* Sender);
  void zufallClick(TObject* Sender);
  void FreePlayer();
  void CreatePlayer(const std::wstring& ResolvedPath);
  void ShowDuration();
  void UpdatePosition();
  std::string PositionText(int64_t Position) const;
  void SongAnzeige();
  // The song display: the click handler of the five display modes, and the two places to show it.
  void saatClick(TObject* Sender);
  // The five display modes with their value in the settings file.
  std::array<std::pair<TMenuItem*, std::string>, 5> SongAnzeigeModi() const;
  void saheaderClick(TObject* Sender);
  void sastatusClick(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void stelleChange(TObject* Sender);
  TcbAudioPlay* AktuellerPlayer() const { return Player; }
  bool SuchenMoeglich() const { return KannSuchen; }

  // The playlist view.
  void DateiHinzufuegen(const std::wstring& Path, bool Relative);
  // DateiHinzufuegen for a file that exists; false (and nothing added) for one that does not.
  bool VorhandeneDateiHinzufuegen(const std::wstring& Path, bool Relative);
  void OrdnerHinzufuegen(const std::wstring& Folder);
  void m_opendateiClick(TObject* Sender);
  void ListeAktualisieren();
  void lvData(TObject* Sender, TListItem* Item);
  void lvDblClick(TObject* Sender);
  void lvKeyPress(TObject* Sender, char& Key);
  void lvColumnClick(TObject* Sender, TListColumn* Column);
  void p1Click(TObject* Sender);
  void pop_title_nextClick(TObject* Sender);
  void p4Click(TObject* Sender);
  void mp9Click(TObject* Sender);
  void mp7Click(TObject* Sender);
  void mp5Click(TObject* Sender);
  void AlleClick(TObject* Sender);
  void mp6Click(TObject* Sender);
  // The export window, built at once when it builds automatically; the output settings window.
  void mtxtexportClick(TObject* Sender);
  void soClick(TObject* Sender);
  void popupPopup(TObject* Sender);
  void statusClick(TObject* Sender);
  void LVDeleteSelected();
  // Playlist files: load (replacing the list), append, save the list, save the search result.
  void mp1Click(TObject* Sender);
  void mp3Click(TObject* Sender);
  void mp2Click(TObject* Sender);
  void ergalsempClick(TObject* Sender);
  // Runs the playlist open dialog and loads the chosen file; the view shows all songs afterwards.
  void PlaylistLaden(bool Ersetzen);
  // Ends the filter and shows the add-folder window.
  void mp4Click(TObject* Sender);
  // The selected rows of the view, ascending.
  std::vector<int> SelectedRows();

  // The search.
  void SuchenClick(TObject* Sender);
  // While the search field shows, the search texts for its switches are made at the first idle moment
  // after the songs or the switches change, so that the next search finds them ready.
  void SuchTexteVorbereiten(TObject* Sender, bool& Done);
  void suchwortKeyPress(TObject* Sender, char& Key);
  void msucheClick(TObject* Sender);
  void suchoptpanelClick(TObject* Sender);
  void Suchoptionen1Click(TObject* Sender);
  void regexsucheClick(TObject* Sender);
  void m_regexsucheClick(TObject* Sender);
  void AkPanel(TObject* Sender);
  void sp_rballesClick(TObject* Sender);
  void sp_rbnixClick(TObject* Sender);
  void sp_rbstandardClick(TObject* Sender);
  // Songs like the selected row (SongsSuchen) or the playing song (AkSongsSuchen) in field Column.
  void SongsSuchen(TObject* Sender, int Column);
  void AkSongsSuchen(TObject* Sender, int Column);
  void pss0Click(TObject* Sender) { SongsSuchen(Sender, 0); }
  void pss1Click(TObject* Sender) { SongsSuchen(Sender, 1); }
  void pss2Click(TObject* Sender) { SongsSuchen(Sender, 2); }
  void pss3Click(TObject* Sender) { SongsSuchen(Sender, 3); }
  void pss4Click(TObject* Sender) { SongsSuchen(Sender, 4); }
  void pss5Click(TObject* Sender) { SongsSuchen(Sender, 5); }
  void pss6Click(TObject* Sender) { SongsSuchen(Sender, 6); }
  void pss7Click(TObject* Sender) { SongsSuchen(Sender, 7); }
  void akp5Click(TObject* Sender) { AkSongsSuchen(Sender, 0); }
  void akp6Click(TObject* Sender) { AkSongsSuchen(Sender, 1); }
  void akp7Click(TObject* Sender) { AkSongsSuchen(Sender, 2); }
  void akp8Click(TObject* Sender) { AkSongsSuchen(Sender, 3); }
  void akp9Click(TObject* Sender) { AkSongsSuchen(Sender, 4); }
  void akp10Click(TObject* Sender) { AkSongsSuchen(Sender, 5); }
  void akp11Click(TObject* Sender) { AkSongsSuchen(Sender, 6); }
  void akp12Click(TObject* Sender) { AkSongsSuchen(Sender, 7); }
  // Files dropped, pasted, copied and dragged out, and the shell commands on a song's file.
  void ListViewWndProc(TMessage& Message);
  void WMDropFiles(TMessage& Message);
  void mp11Click(TObject* Sender);
  void lvMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void lvMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD Effect) override;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void p_copyfileClick(TObject* Sender);
  void p6Click(TObject* Sender);
  void p5Click(TObject* Sender);
  void akpopupPopup(TObject* Sender);
  void akp2Click(TObject* Sender);
  void akp3Click(TObject* Sender);
  void akp4Click(TObject* Sender);

  // The switches as the search reads them: the columns from the options window, the rest from here.
  TSuchOptionen SuchOptionen();
  // The eight column check boxes of this window in field order.
  std::array<TCheckBox*, SongFieldCount> SpaltenSchalter() const;

  // The language: this window's texts in the language of the code, and the switch of every window.
  void sprache();
  void Deutsch1Click(TObject* Sender);
  void English1Click(TObject* Sender);

  // Menu commands that show a secondary window or open a web page.
  void m_bugClick(TObject* Sender);
  void m_bug_iClick(TObject* Sender);
  void mcloseClick(TObject* Sender);
  void mw6Click(TObject* Sender);
  // The file information of the selected row's file, when it exists, and of the playing song's.
  void p3Click(TObject* Sender);
  void akp1Click(TObject* Sender);
  void mw5Click(TObject* Sender);
  void m_einstshortcutsClick(TObject* Sender);
  // The shell integration window's commands, with the item as the sender: the window then tells the
  // outcome.
  void verkjaClick(TObject* Sender);
  void verkneinClick(TObject* Sender);
  void m_einst_sendenan_einClick(TObject* Sender);
  void m_einst_sendenan_ausClick(TObject* Sender);
  void m_fehlerClick(TObject* Sender);
  void i1Click(TObject* Sender);
  void i2Click(TObject* Sender);
  void i3Click(TObject* Sender);
  void i4Click(TObject* Sender);
  void Software1Click(TObject* Sender);
  // Every web-link item: opens the address its caption shows.
  void BrowseToMenuCaption(TObject* Sender);

  // The settings file. Saving raises EIniFileException, in the program's language and with the writer's
  // reason, when the file cannot be replaced; the old file stays then.
  void EinstellungenSpeichern();
  void EinstellungenLaden();
  void einstsaveClick(TObject* Sender);
  void einstloadClick(TObject* Sender);
  void einstautosaveClick(TObject* Sender);
  void einstautoloadClick(TObject* Sender);

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  void ParameterHinzufuegen(const std::wstring& Param);
  // Adds the names other copies handed over, in the order they came.
  void UebergebeneHinzufuegen();
  // Names handed over by other copies, not yet added.
  std::vector<std::wstring> Uebergeben;
  // The command line's own parameters are added (FormShow): handed-over names, which wait for them, may
  // follow.
  bool ParameterGeladen = false;
  // The window is closing (from its close question on): names handed over now would be lost at the end.
  bool Schliesst = false;
  // What went wrong while FormShow loaded the playlists and parameters, for WM_STARTFEHLER.
  std::vector<std::exception_ptr> StartFehler;
  void AbgelegteHinzufuegen(const std::vector<std::wstring>& Names);
  // Adds a dropped or pasted name as it was read.
  void AbgelegtHinzufuegen(const std::wstring& Name, TAbgelegt& A);
  // While dropped or pasted names are added: the rows and the count so far, painted.
  void ZwischenstandZeigen();
  // The resolved paths of the selected rows whose files exist, in row order.
  std::vector<std::wstring> MarkierteDateien();
  // The resolved path of the first selected row, which becomes AktIndex; empty without a selection.
  std::wstring MarkierteDatei();
  void FehlerMelden(const std::wstring& StoredPath, const std::vector<std::wstring>& Gruende);
  void NachFehlerWeiter(const std::wstring& StoredPath, const std::vector<std::wstring>& Gruende);
  void WiedergabeAnzeigen();
  void ZeileAbspielen(int Row);
  int FirstSelectedRow();
  std::wstring TotalsText();
  void TotalsAnzeigen();
  // After the user added files: the view and the totals refreshed (whatever the status line showed) and
  // the list scrolled to its end.
  void HinzugefuegteZeigen();
  // After every change of the song arrays: the view asks for each row again, and the haystacks of the
  // search, made from the songs as they were, are dropped.
  void ItemCountAuffrischen();
  // The view asks for each row again; the songs themselves are as they were.
  void ZeilenAuffrischen();
  void SongEnde(TMessage& Message);
  void WMAppCommand(TMessage& Message);
  void StelleLButtonDown(TMessage& Message, const TWndMethod& Standard);
  void SuchfeldZeigen();
  Song SpielendesSong();
  void AehnlicheSuchen(int Column, const std::function<void()>& Suche);
  // Writes the status line anew in the form it shows: the playing song, or the totals.
  void StatusAuffrischen();
  // The totals of the status line as a click on it writes them.
  void SummenZeigen();
  void FensterbereichLaden(TCustomIniFile& Ini);
  void SuchschalterLaden(TCustomIniFile& Ini);
  void SongAnzeigeLaden(TCustomIniFile& Ini);
  // The window's and the application's title: Text, or their own names when Text is empty.
  void TitelSetzen(const std::wstring& Text);
  void FensterbereichSpeichern(std::vector<TEinstellung>& Ini);

  int32_t MausX = 0;  // the last left-button press in the list, client coordinates
  int32_t MausY = 0;
  // Building the search texts costs more than a search: keep them until the songs or the switches change.
  std::unique_ptr<TSuchTexte> SuchTexte;
  // The kept search texts, made anew when they do not fit the songs and the switches O.
  const TSuchTexte& SuchTexteFuer(const TSuchOptionen& O);
  // Copies the songs at Treffer of the list into the result; gives their play time in seconds.
  int64_t SuchErgebnisKopieren(const std::vector<size_t>& Treffer);
  TcbAudioPlay* Player = nullptr;
  bool MediaZeitformat = true;
  bool PositionWirdGesetzt = false;
  bool KannSuchen = false;
  std::wstring AktuellerPfad;  // stored path of the song last started
  std::wstring AktuelleDatei;  // its resolved path (status's hint, uncut)
  unsigned PlayerNummer = 0;   // counts the players made, so a late end notice finds its own
  std::string EndeFehler;      // the graph's error of the song that ended, empty when none
  // The titles of the window and of the application while no song shows in them.
  std::wstring ProgrammTitel;
  std::wstring AnwendungsTitel;
};

extern Tprog* prog;
