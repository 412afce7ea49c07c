#pragma once
// Helpers of the player: number test, the reader of dropped playlists, the play-time text, the reading
// and setting of the windows' texts in one language, an 8-bit file list for the clipboard, file sizes,
// colour texts, and the file type, verbs and shortcuts of the shell integration.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/u_WideMP3Func.h"
#include "classlib/ComCtrls.h"
#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/Graphics.h"
#include "classlib/Registry.h"

// True when Text converts to an integer (converting with default 0 and with default 1 agree).
bool IsInteger(const std::string& Text);
// Appends the songs of a playlist dropped on the window to AlleSongs and its folder to the source
// folders. Lines that do not hold exactly eight fields are skipped.
void LoadDroppedPlaylist(const std::wstring& FileName);
// The total play time of Songs: "(" and the non-zero parts among years (360 days), months (30 days),
// days, hours, minutes and seconds, then ")"; empty for no songs. A length that is neither m:ss nor
// h:mm:ss counts as 0 s.
std::string PlayTimeText(const TWideSongArray& Songs);
// The same for songs of Total seconds together, however many.
std::string PlayTimeText(int64_t Total);
// A length field in seconds; 0 when it is not of the two patterns.
int64_t LengthSeconds(const std::wstring& Text);

// Opens a file, folder or web address with the shell's verb "open", shown normally, owned by the
// application's window. Tests put a recorder in its place.
extern std::function<void(const std::wstring& Ziel)> ShellOeffnen;

// How one text of a window reaches its component.
enum TTextArt {
  txCaption,  // the caption of a control, or of the window itself
  txHint,     // the hint of a control
  txSpalte,   // the title of a list view's column
  txMenu,     // the caption of a menu item
};

// One text of a window in German and English. Name is the component's name (the window's own name for
// its caption); Spalte is the column's index for a column title.
struct TFensterText {
  TTextArt Art;
  std::string Name;
  std::wstring De;
  std::wstring En;
  int Spalte = 0;
};

// The class table of every window: the wide controls under the library's names.
std::vector<const TClassInfo*> UnicodeKlassen();

// The one place where each kind of text is handed to its component. CaptionSetzen also sets the text of
// an edit, a combo box or a memo, and TextLesen reads it.
void CaptionSetzen(TControl* Control, const std::wstring& Text);
std::wstring TextLesen(TControl* Control);
void HintSetzen(TControl* Control, const std::wstring& Text);
void SpaltenTitelSetzen(TListColumn* Column, const std::wstring& Text);
// The text of a wide list view's row in a column: its caption in the first, a sub-item after.
std::wstring SpaltenText(TListItem* Zeile, int Spalte);
void MenuTextSetzen(TMenuItem* Item, const std::wstring& Text);
// Replaces every Alt in the dialog's filter by Neu.
void FilterErsetzen(TOpenDialog* Dialog, const std::wstring& Alt, const std::wstring& Neu);

// True while the program speaks German (language code "de").
bool Deutsch();
// De when the language code is "de", else En: a text picked at the moment it is shown.
std::wstring Sprachtext(const wchar_t* De, const wchar_t* En);

// Asks Frage with the buttons Yes and No (No the default) over the active window; true for Yes.
bool JaNeinFrage(const std::wstring& Frage);
// True when Datei may be written: no file of that name exists, or the user agrees to replace it.
bool ErsetzenErlaubt(const std::wstring& Datei);

// Sets the texts of Form for the language code: the German ones for "de", the English ones for "en";
// another code changes nothing. A name that the window does not hold raises EComponentError.
void FensterTexteSetzen(TForm* Form, std::span<const TFensterText> Texte, const std::string& Code);

// Puts Names (8-bit, each followed by a zero) on the clipboard as CF_HDROP. Raises EOutOfMemory "Could not
// allocate memory." when the block cannot be had, and the clipboard's exception (the block then freed) when
// it refuses.
void CopyFilesToClipboardA(const std::string& Names);
// The size in bytes of the first file matching Name; -1 when none does.
int64_t GetFileSizeByName(const std::wstring& Name);
// "RRGGBB", the notation users know from HTML; TColor holds the bytes the other way round.
std::wstring ColorToHex(TColor Color);
// Reads what ColorToHex writes. Default for a text that does not begin with six hex digits, so that a
// colour half typed in changes nothing.
TColor HexToColor(const std::wstring& Text, TColor Default = clWhite);

// The command a shell verb runs: the program and the parameter, each in double quotes, a blank between.
std::wstring ShellCommand(const std::wstring& ExeName, const std::wstring& Param);
// Registers Ext (a "." is put in front when it lacks one) below HKEY_CLASSES_ROOT as the file type
// TypeName, described by Description, with the program's first icon and the open command
// ShellCommand(ExeName, Param). True when the command was written; an empty Ext or TypeName writes
// nothing. A refused write raises ERegistryException.
bool RegisterFileType(std::wstring Ext, const std::wstring& TypeName, const std::wstring& Description,
                      const std::wstring& Param, const std::wstring& ExeName);
// Removes the file type TypeName and gives Ext the type it named before RegisterFileType (none: Ext goes
// when nothing else is left in it), but only when Ext names TypeName and that type opens its files with
// Command: a type another program wrote is left alone. True when the type was removed.
bool UnregisterFileType(std::wstring Ext, const std::wstring& TypeName, const std::wstring& Command);
// The value of an extension's key that keeps the type it named before RegisterFileType.
inline constexpr wchar_t FormerTypeValue[] = L"Velmaro.FormerType";
// Deletes Key below Reg's root key and then each key above it, as long as the key holds neither sub-keys
// nor values: what was made only to hold an entry goes with it.
void DeleteEmptyKeys(TRegistry& Reg, std::wstring Key);
// The user's Send To folder; empty when the shell does not name one.
std::wstring GetSpecialFolderPath();
// Saves a shortcut to Target as LinkFile; without IconFile, or with a negative IconIndex, the shortcut shows
// the target's own icon. True when it was saved.
bool CreateShellLink(const std::wstring& LinkFile, const std::wstring& Target,
                     const std::wstring& Description, const std::wstring& WorkDir,
                     const std::wstring& Arguments, const std::wstring& IconFile, int IconIndex);
// The file a shortcut points to; empty when it cannot be read.
std::wstring ShellLinkTarget(const std::wstring& LinkFile);
