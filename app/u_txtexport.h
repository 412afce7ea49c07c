#pragma once
// The text export window. The steps from playlist to saved text need no window; they stand here as free
// functions, which tests drive without one.
#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Imports/UCodeRepDialogs.h"
#include "Imports/UCodeRepStdCtrls.h"
#include "app/ExportSort.h"
#include "app/u_WideMP3Func.h"
#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

// Token codes of a parsed format: 0 the number marker "%123%", 1 to 8 the song fields 0 to 7, 9 the file
// name of the path, 10 the cell marker "%tab%", 11 + n the literal piece n.
constexpr int32_t tcNummer = 0;
constexpr int32_t tcDateiname = 9;
constexpr int32_t tcTab = 10;
constexpr int32_t tcErstesStueck = 11;

struct TExportFormat {
  std::vector<int32_t> Codes;         // in format order
  std::vector<std::wstring> Stuecke;  // the literal pieces, in order of appearance
};

// For each of the seventeen placeholders in their fixed order: when Rest begins with it at its turn, its
// code is appended and it is cut from Rest.
void AddPlaceholder(std::wstring_view& Rest, TExportFormat& Format);
// Takes at most one literal piece from the front of Rest: the text before the next "%", or a single "%"
// that begins no placeholder.
void TakeLiteral(std::wstring_view& Rest, TExportFormat& Format);
// Both in turns until nothing of F is left. Placeholders are case-sensitive; anything else is literal.
TExportFormat ParseFormat(const std::wstring& F);

// The switches of one export, named after the window's controls.
struct TExportOptionen {
  std::wstring Format;                              // formstr
  bool Filter = false;                              // cb_filter
  std::wstring FilterText;                          // sw
  std::array<bool, SongFieldCount> FilterFelder{};  // the field boxes, in field order
  bool Ersetzen = false;                            // cb_suchen
  std::wstring Suchen;                              // s_nach
  std::wstring ErsetzenDurch;                       // s_ers
  bool Sortieren = true;                            // cb_sort
  bool DoppelteWeg = false;                         // cb_doppeltweg
  bool LeereWeg = true;                             // cb_leereweg
  bool Nullen = true;                               // cb_nullen
  bool Html = false;                                // cb_html
};

// True without a filter or filter text; else when the upper-cased filter text occurs in the upper-cased
// field of a ticked box.
bool PassesFilter(const Song& S, const TExportOptionen& O);

// The export of Songs: its lines, each followed by CR LF; with Html the lines "<table>", one row per line
// split into cells at the cell markers, and "</table>", where what the songs' fields bring is escaped and
// the format and the replacement text are the user's markup. The markers, whether the format, a song's
// field or the search and replacement texts bring them, split lines, and number them when the format
// holds "%123%".
std::wstring ExportText(const TWideSongArray& Songs, const TExportOptionen& O);
// The same in two steps: the lines made from the songs, then the rest, which reads no song and so may run
// on another thread while the songs change.
struct TExportRohbau {
  TExportOptionen O;
  TZeilen Zeilen;
};
TExportRohbau ExportRohbau(const TWideSongArray& Songs, const TExportOptionen& O);
std::wstring ExportFertig(TExportRohbau R);

// The file name that the save dialog proposes, by language code and kind of export.
std::wstring ExportVorgabeName(const std::string& Sprache, bool Html);
// The file types of the save dialog, by their place in its list (its filter index).
enum TExportDateityp { dtText = 1, dtBmp, dtJpeg, dtGif };
// The name that the export is written under. For a picture type the chosen name with that type's
// extension appended unless it ends in a picture extension already; for the text type the name with
// ".htm" or ".txt" appended unless the name holds it anywhere (case-sensitive).
std::wstring ExportDateiName(const std::wstring& Gewaehlt, bool Html, int Dateityp = dtText);
// Writes Text to FileName in CodePage, as it is.
void ExportSpeichern(const std::wstring& Text, const std::wstring& FileName, int CodePage);

class Ttxtexport : public TForm {
 public:
  explicit Ttxtexport(TComponent* AOwner);
  ~Ttxtexport() override;
  using TLabel = UCodeRepStdCtrls::TLabel;
  using TButton = UCodeRepStdCtrls::TButton;
  using TEdit = UCodeRepStdCtrls::TEdit;
  using TMemo = UCodeRepStdCtrls::TMemo;
  using TCheckBox = UCodeRepStdCtrls::TCheckBox;
  using TComboBox = UCodeRepStdCtrls::TComboBox;
  using TSaveDialog = UCodeRepDialogs::TSaveDialog;

  TPanel* pa_format = nullptr;
  TComboBox* formstr = nullptr;
  TPanel* pa_einghilfe = nullptr;
  TCheckBox* cb_einghilfe = nullptr;
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TButton* Button3 = nullptr;
  TButton* Button4 = nullptr;
  TButton* Button5 = nullptr;
  TButton* Button6 = nullptr;
  TButton* Button7 = nullptr;
  TButton* Button8 = nullptr;
  TButton* Button9 = nullptr;
  TButton* Button10 = nullptr;
  TButton* Button11 = nullptr;
  TButton* Button12 = nullptr;
  TButton* Button13 = nullptr;
  TEdit* edtxt = nullptr;
  TPanel* pa_filter = nullptr;
  TCheckBox* cb_filter = nullptr;
  TLabel* Label3 = nullptr;
  TEdit* sw = nullptr;
  TCheckBox* s_interpret = nullptr;
  TCheckBox* s_titel = nullptr;
  TCheckBox* s_laenge = nullptr;
  TCheckBox* s_album = nullptr;
  TCheckBox* s_track = nullptr;
  TCheckBox* s_jahr = nullptr;
  TCheckBox* s_genre = nullptr;
  TCheckBox* s_datei = nullptr;
  TCheckBox* rb_alle = nullptr;
  TPanel* pa_suchen = nullptr;
  TCheckBox* cb_suchen = nullptr;
  TLabel* Label1 = nullptr;
  TEdit* s_nach = nullptr;
  TLabel* Label2 = nullptr;
  TEdit* s_ers = nullptr;
  TPanel* pa_html = nullptr;
  TCheckBox* cb_html = nullptr;
  TPanel* pa_einst = nullptr;
  TCheckBox* cb_einst = nullptr;
  TCheckBox* cb_sort = nullptr;
  TCheckBox* cb_autodel = nullptr;
  TCheckBox* cb_doppeltweg = nullptr;
  TCheckBox* cb_leereweg = nullptr;
  TCheckBox* cb_autoupdate = nullptr;
  TCheckBox* cb_nullen = nullptr;
  TPanel* pa_ausgabe = nullptr;
  TMemo* output = nullptr;
  TPanel* pa_knoepfe = nullptr;
  TButton* Schreiben = nullptr;
  TButton* Speichern = nullptr;
  TButton* DelOutput = nullptr;
  TButton* Button14 = nullptr;
  TSaveDialog* sd = nullptr;

  void FormCreate(TObject* Sender);
  void AutoUpdate(TObject* Sender);
  void cb_einghilfeClick(TObject* Sender);
  void cb_filterClick(TObject* Sender);
  void cb_suchenClick(TObject* Sender);
  void cb_htmlClick(TObject* Sender);
  void cb_einstClick(TObject* Sender);
  void CaptionAdden(TObject* Sender);
  void Button9Click(TObject* Sender);
  void Button12Click(TObject* Sender);
  void rb_alleClick(TObject* Sender);
  void formstrKeyPress(TObject* Sender, char& Key);
  void SchreibenClick(TObject* Sender);
  void DelOutputClick(TObject* Sender);
  void Button14Click(TObject* Sender);
  void SpeichernClick(TObject* Sender);
  // The window's texts in the language of the splash window's code.
  void LocalSpr();

  // The switches as the controls hold them.
  TExportOptionen Optionen();
  // The memo's text: the one place where the export text enters and leaves the window. A build still
  // waiting for the user's pause or still running is finished first, and a memo still being filled gives
  // the whole text.
  std::wstring AusgabeText();
  // A long text goes into the memo a piece at a time between messages; builds waiting for the user's
  // pause or still running are dropped.
  void AusgabeSetzen(const std::wstring& Text);
  // What the save dialog's choice Gewaehlt of that file type leads to: the memo's lines written under
  // the export's name, over an existing file only when the user agrees.
  void ListeSpeichern(const std::wstring& Gewaehlt, int Dateityp);

 private:
  // Adds F to the format history unless an entry equals it exactly.
  void FormatMerken(const std::wstring& F);
  // Builds the export into the memo from the switches, without touching the history: a short playlist's
  // at once, a long one's lines are made here and the rest on a thread of its own, while keys go on.
  void ListeSchreiben();
  // A change to a long playlist's export waits for the user's pause before it is built: with a long
  // playlist the memo takes seconds to take the text. The memo's filling pauses meanwhile.
  void NachPauseSchreiben();
  void PauseZuEnde(TObject* Sender);
  // The next step: a finished build into the memo, the next build started, or the next piece filled.
  void Weiter(TObject* Sender);
  // The builds asked for so far need not show: a later text replaces them.
  void Verwerfen();
  // Waits for every build asked for and puts each into the memo.
  void AllesFertig();
  // A build's text into the memo, with Anhaengen below what it holds.
  void Abliefern(const std::wstring& Text, bool Anhaengen);
  void Fuellen(const std::wstring& Text);
  std::wstring MemoText() const;
  // Puts the next piece of FZiel into the memo.
  void StueckFuellen();
  // The memo holds FZiel whole: shown from its top, editable again.
  void FuellenBeenden();
  // Runs the steps while there are any, and tells in the caption whether a new export is coming.
  void Takt();
  void KommtZeigen(bool An);
  int FBoxenSetzen = 0;  // rb_alleClick is setting the field boxes: one build at its end
  TTimer* FPause = nullptr;
  TTimer* FStueckweise = nullptr;
  struct TBau;
  std::deque<std::unique_ptr<TBau>> FBauten;  // in the order of the changes; the first may be running
  bool FKommt = false;                        // the caption tells that a new export is coming
  std::wstring FTitel;                        // the caption without that
  bool FFuellend = false;                     // the memo is not yet holding FZiel, the text it stands for
  std::wstring FZiel;
  size_t FGefuellt = 0;    // how much of FZiel the memo holds
  size_t FStueck = 16384;  // characters per piece, fitted to the time a piece takes
};

extern Ttxtexport* txtexport;
