#pragma once
// The playlist chooser: the playlists found beside the program at start, and the loading of the only
// one, and its caption in both languages; its list and buttons come with their own step.
#include <memory>

#include "Imports/UCodeClasses.h"
#include "classlib/Forms.h"

class Tstartfenster : public TForm {
 public:
  explicit Tstartfenster(TComponent* AOwner);

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  // Loads the first playlist of StartPlaylisten into the player and empties the list.
  void EinzigeLaden();
  // The window's texts in the language of the splash window's code.
  void sprache();
};

extern Tstartfenster* startfenster;
// Full paths of the playlists beside the program; filled by the player window at its first show.
extern std::unique_ptr<TUCodeStringList> StartPlaylisten;
