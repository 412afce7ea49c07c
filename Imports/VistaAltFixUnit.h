#pragma once
// Repaints the accelerator underlines of buttons and labels that themed systems forget to redraw after
// WM_UPDATEUISTATE, at the next idle moment.
#include <memory>

#include "classlib/Contnrs.h"
#include "classlib/Forms.h"

// True from version 6 on, and for exactly 5.1, while themes are on.
bool NeedsAltFix(DWORD MajorVersion, DWORD MinorVersion, bool Themed);
bool NeedsAltFix();

class TFormObj : public TObject {
 public:
  // Replaces the form's message method by this object's WindowProc.
  TFormObj(TForm* AForm, bool ARepaintAll);
  // Puts the saved message method back; only for a form that still exists.
  void Restore();
  void WindowProc(TMessage& Message);
  void CheckRepaint();

  TForm* Form;
  TWndMethod SavedWindowProc;
  bool Used = true;
  bool NeedsRepaint = false;
  bool RepaintAll;
};

class TVistaAltFix : public TComponent {
 public:
  explicit TVistaAltFix(TComponent* AOwner);
  // Needed: whether forms are watched at all (the constructor above asks NeedsAltFix).
  TVistaAltFix(TComponent* AOwner, bool Needed);
  // Every watched form that still exists gets its message method back.
  ~TVistaAltFix() override;
  bool RepaintAll = true;
  void ApplicationIdle(TObject* Sender, bool& Done);
  int WatchedCount() const { return FormList ? FormList->Count() : 0; }

 private:
  bool FormAlive(TForm* Form) const;
  std::unique_ptr<TObjectList> FormList;
  TApplicationEvents* AppEvents = nullptr;
};

void RepaintAllControls(TWinControl* Control);
void RepaintAccelControls(TWinControl* Control);
