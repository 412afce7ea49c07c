#pragma once
// The player's song lists and their state, the source folders of loaded playlists, the playlist
// load and save commands after their dialogs, and the resolution of stored song paths.
#include <string>
#include <vector>

#include "Imports/u_WideFunc.h"
#include "classlib/Forms.h"
#include "app/u_WideMP3Func.h"

// One entry of the play history.
struct TLetzterSong {
  std::wstring Anzeige;  // the song's display text
  std::wstring Pfad;     // its stored path
};

extern TWideSongArray AlleSongs;               // the whole playlist in list order
extern TWideSongArray SuchErgebnis;            // copies of the songs the last search kept
extern bool IstGefiltert;                      // the view shows SuchErgebnis instead of AlleSongs
extern std::vector<TLetzterSong> LetzteSongs;  // play history, oldest first
extern std::wstring NaechsterTitel;            // resolved path of the song queued next; empty when none
extern int AktIndex;                           // row of the shown array last chosen or played
extern int SortSpalte;                         // view column of the current column click (0: number column)
extern int LetzteSortSpalte;                   // view column of the previous column click
extern int SortAbsteigend;                     // 0 ascending, 1 descending
// Folders (ending in "\" or ":") of every playlist read, in reading order, duplicates included.
extern TWideStrArray DateiQuellen;
// Encoding of all text output (a text-file code page); UTF-8 at every start.
extern int AusgabeKodierung;

// Appends the folder of a playlist file to DateiQuellen.
void QuelleHinzufuegen(const std::wstring& PlaylistFileName);

// The program's folder, ending in "\".
std::wstring ProgrammOrdner();
// The path to open for a song's stored path: an absolute path as it is; else the file beside the
// program; else the file in the last source folder that holds it; else the stored path unchanged.
std::wstring DateiFinden(const std::wstring& StoredPath, const std::wstring& ProgOrdner,
                         const TWideStrArray& Quellen);
std::wstring DateiFinden(const std::wstring& StoredPath);

// A field as written to a playlist line: "|" becomes "l", a line break a blank.
std::wstring EscapeField(const std::wstring& S);
// Writes Songs as a playlist in AusgabeKodierung. FileName is the save dialog's choice (empty when
// cancelled: nothing is written); ".vlm" is appended unless the name holds it.
void PlaylistSpeichern(const TWideSongArray& Songs, const std::wstring& FileName);
// The load (Ersetzen) and append commands after their open dialog; FileName is empty when the
// dialog was cancelled. Ends the filter. Loading replaces AlleSongs only once the file has been read:
// a cancelled dialog or a read error (the exception passes on) leaves the playlist as it was.
void PlaylistLaden(const std::wstring& FileName, bool Ersetzen);

// The player window; its controls and life cycle come with their own step.
class Tprog : public TForm {
 public:
  explicit Tprog(TComponent* AOwner);
};

extern Tprog* prog;
