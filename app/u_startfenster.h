#pragma once
// The playlist chooser: the playlists found beside the program at start, with their sizes, to load the
// selected ones or all of them, or to add a folder or open another playlist instead.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Imports/UCodeClasses.h"
#include "Imports/UCodeRepComCtrls.h"
#include "Imports/UCodeRepStdCtrls.h"
#include "classlib/ComCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class Tstartfenster : public TForm {
 public:
  explicit Tstartfenster(TComponent* AOwner);

  using TListView = UCodeRepComCtrls::TListView;
  using TButton = UCodeRepStdCtrls::TButton;

  TListView* stammordner = nullptr;
  TButton* Button1 = nullptr;

  void FormCreate(TObject* Sender);
  // Appends a row for each playlist of StartPlaylisten; rows already shown stay.
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  // Load the selected playlists, all of them, the one double-clicked.
  void Button1Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  void stammordnerDblClick(TObject* Sender);
  // To the player, to the add-folder window, to the playlist-open dialog.
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button4Click(TObject* Sender);
  // "Load selected" can be pressed while a row is selected.
  void stammordnerClick(TObject* Sender);
  void stammordnerMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void stammordnerColumnClick(TObject* Sender, TListColumn* Column);
  void stammordnerCompare(TObject* Sender, TListItem* Item1, TListItem* Item2, intptr_t Data, int& Compare);
  // Loads the first playlist of StartPlaylisten into the player and empties the list.
  void EinzigeLaden();
  // The window's texts in the language of the splash window's code.
  void sprache();

 private:
  // Appends the playlists of Rows to the playlist, one after another; one that cannot be read goes to
  // the error log and the others still load. Then the player's list is refreshed and the window closed.
  void ZeilenLaden(const std::vector<TListItem*>& Rows);
};

extern Tstartfenster* startfenster;
// Full paths of the playlists beside the program; filled by the player window at its first show.
extern std::unique_ptr<TUCodeStringList> StartPlaylisten;
// The column of the last header click, of the click before it, and 1 when sorted descending.
extern int32_t StartSortSpalte;
extern int32_t StartLetzteSortSpalte;
extern int32_t StartSortAbsteigend;

// A size as the chooser shows it: kilobytes with three decimals in the user's number format and " KB";
// "?" for a missing file.
std::wstring GroesseText(int64_t Bytes);
// The number of a size text; -1 for a text without one.
double SizeTextToFloat(const std::wstring& Text);
