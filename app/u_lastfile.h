#pragma once
// The recent songs window: the play history, newest first; a double click plays a song again.
#include <cstdint>

#include "Imports/UCodeRepComCtrls.h"
#include "classlib/ComCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class Tlastfiles : public TForm {
 public:
  explicit Tlastfiles(TComponent* AOwner);

  using TListView = UCodeRepComCtrls::TListView;

  TListView* lf = nullptr;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormHide(TObject* Sender);
  // The window's texts in the language of the splash window's code.
  void LocalSpr();
  // Fills the list from LetzteSongs, the newest song first.
  void Aktualisieren();
  // Plays the first selected song again, when its file is there.
  void lfDblClick(TObject* Sender);
  // Delete takes the selected rows out of the list; the history keeps them.
  void lfKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  // Empties the history and the list.
  void DeleteClick(TObject* Sender);
  void Button1Click(TObject* Sender);
  void lfColumnClick(TObject* Sender, TListColumn* Column);
  void lfCompare(TObject* Sender, TListItem* Item1, TListItem* Item2, intptr_t Data, int& Compare);
};

extern Tlastfiles* lastfiles;
// True while the window is shown: the player window refills it only then.
extern bool LetzteSongsSichtbar;
// The column of the last header click, of the click before it, and 1 when sorted descending.
extern int32_t LfSortSpalte;
extern int32_t LfLetzteSortSpalte;
extern int32_t LfSortAbsteigend;
