#pragma once
// The add-folder window. A run keeps the user-interface thread and lets waiting messages through now and
// then: so the counters move, and the close button can cancel it, without a second thread.
#include <cstdint>
#include <string>
#include <vector>

#include "Imports/UCodeRepStdCtrls.h"
#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class Taddordner : public TForm {
 public:
  explicit Taddordner(TComponent* AOwner);

  using TEdit = UCodeRepStdCtrls::TEdit;
  using TCheckBox = UCodeRepStdCtrls::TCheckBox;
  using TLabel = UCodeRepStdCtrls::TLabel;
  using TButton = UCodeRepStdCtrls::TButton;

  TEdit* ed_ort = nullptr;
  TCheckBox* uv = nullptr;
  TCheckBox* relativ = nullptr;
  TCheckBox* nurneu = nullptr;
  TCheckBox* cbMP3 = nullptr;
  TCheckBox* cbWAV = nullptr;
  TCheckBox* cbOGG = nullptr;
  TCheckBox* cbWMA = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TProgressBar* fs = nullptr;
  TButton* hinzufuegen = nullptr;
  TButton* Button1 = nullptr;

  void FormCreate(TObject* Sender);
  // Closed by its title bar during a run, the window cancels the run as its button does.
  void FormClose(TObject* Sender, TCloseAction& Action);
  // The window's texts in the language of the splash window's code.
  void LocalSpr();
  void Button3Click(TObject* Sender);
  void relativClick(TObject* Sender);
  void ed_ortKeyPress(TObject* Sender, char& Key);
  // Closes the window, or cancels the run going on.
  void Button1Click(TObject* Sender);
  // The run: search, then add.
  void hinzufuegenClick(TObject* Sender);
  // Appends the full paths of the files below Folder with one of Exts (with their dot) to List, counts
  // them in GefundeneDateien and shows the count as it grows; stops at once on a cancel.
  void WideFindAllFilesANZ(std::vector<std::wstring>& List, const std::wstring& Folder,
                           const std::vector<std::wstring>& Exts, bool Subfolders);
  bool Laeuft() const { return FLaeuft; }

 private:
  void LaufBeginnen();
  void LaufBeenden();
  std::vector<std::wstring> Kandidaten();
  void AlleHinzufuegen(const std::vector<std::wstring>& Kandidaten);
  void NeueHinzufuegen(const std::vector<std::wstring>& Kandidaten);
  // Shows K files read now and then, and lets waiting messages run (the cancel among them).
  void Fortschritt(int K);
  void Zeichnen();
  // True when the counters were painted long enough ago (or not yet in this run).
  bool ZeitZumZeichnen();
  // Lets waiting messages run (the cancel among them) when the counters were just painted, else only
  // when they last ran long enough ago (or not yet in this run).
  void NachrichtenDurchlassen(bool Gezeichnet);

  bool FLaeuft = false;
  ULONGLONG FGezeichnet = 0;     // when the counters were painted last
  ULONGLONG FDurchgelassen = 0;  // when messages last ran
};

extern Taddordner* addordner;
// Files found by the search; then the running count of candidates handled.
extern int32_t GefundeneDateien;
// Set to stop a running search or adding; cleared when it ends.
extern bool AbbruchOrdner;
