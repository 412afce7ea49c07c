#include "Imports/VistaAltFixUnit.h"

#include <uxtheme.h>

#include "classlib/Buttons.h"
#include "classlib/ComCtrls.h"
#include "classlib/StdCtrls.h"

bool NeedsAltFix(DWORD MajorVersion, DWORD MinorVersion, bool Themed) {
  if (!Themed) return false;
  return MajorVersion >= 6 || (MajorVersion == 5 && MinorVersion == 1);
}

bool NeedsAltFix() {
  OSVERSIONINFOA Info{};
  Info.dwOSVersionInfoSize = sizeof Info;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&Info)) return false;
#pragma GCC diagnostic pop
  return NeedsAltFix(Info.dwMajorVersion, Info.dwMinorVersion, IsThemeActive() && IsAppThemed());
}

// ---------------------------------------------------------------------------------------------
// TFormObj

TFormObj::TFormObj(TForm* AForm, bool ARepaintAll)
    : Form(AForm), SavedWindowProc(AForm->WindowProc), RepaintAll(ARepaintAll) {
  Form->WindowProc = [this](TMessage& Message) { WindowProc(Message); };
}

void TFormObj::Restore() {
  Form->WindowProc = SavedWindowProc;
}

void TFormObj::WindowProc(TMessage& Message) {
  SavedWindowProc(Message);
  if (Message.Msg == WM_UPDATEUISTATE) NeedsRepaint = true;
}

void TFormObj::CheckRepaint() {
  if (!NeedsRepaint) return;
  NeedsRepaint = false;
  if (RepaintAll)
    RepaintAllControls(Form);
  else
    RepaintAccelControls(Form);
}

void RepaintAllControls(TWinControl* Control) {
  Control->Repaint();
  for (int I = 0; I < Control->ControlCount(); ++I)
    if (auto* Child = dynamic_cast<TWinControl*>(Control->Controls(I))) RepaintAllControls(Child);
}

namespace {

// A page behind another of its page control shows nothing to repaint.
bool IsHiddenPage(TWinControl* Control) {
  auto* Page = dynamic_cast<TTabSheet*>(Control);
  return Page && Page->PageControl() && Page->PageControl()->ActivePage() != Page;
}

}  // namespace

void RepaintAccelControls(TWinControl* Control) {
  for (int I = 0; I < Control->ControlCount(); ++I) {
    auto* Child = dynamic_cast<TWinControl*>(Control->Controls(I));
    // A bitmap button draws its own face, which the underlines do not change.
    if (!Child || dynamic_cast<TBitBtn*>(Child)) continue;
    if (dynamic_cast<TButtonControl*>(Child))
      Child->Repaint();
    else if (!IsHiddenPage(Child))
      RepaintAccelControls(Child);
  }
}

// ---------------------------------------------------------------------------------------------
// TVistaAltFix

TVistaAltFix::TVistaAltFix(TComponent* AOwner) : TVistaAltFix(AOwner, NeedsAltFix()) {}

TVistaAltFix::TVistaAltFix(TComponent* AOwner, bool Needed) : TComponent(AOwner) {
  if (!Needed || (ComponentState() & csDesigning)) return;
  FormList = std::make_unique<TObjectList>(true);
  AppEvents = new TApplicationEvents(this);
  AppEvents->OnIdle = [this](TObject* Sender, bool& Done) { ApplicationIdle(Sender, Done); };
}

TVistaAltFix::~TVistaAltFix() {
  delete AppEvents;
  if (!FormList) return;
  for (int I = 0; I < FormList->Count(); ++I) {
    auto* Entry = static_cast<TFormObj*>(FormList->Items(I));
    if (FormAlive(Entry->Form)) Entry->Restore();
  }
}

// A form on the screen, or the owner that is freeing this fix right now.
bool TVistaAltFix::FormAlive(TForm* Form) const {
  if (Form == Owner()) return true;
  for (int I = 0; I < Screen->FormCount(); ++I)
    if (Screen->Forms(I) == Form) return true;
  return false;
}

void TVistaAltFix::ApplicationIdle(TObject* /*Sender*/, bool& /*Done*/) {
  for (int I = 0; I < FormList->Count(); ++I) static_cast<TFormObj*>(FormList->Items(I))->Used = false;
  for (int F = 0; F < Screen->FormCount(); ++F) {
    TForm* Form = Screen->Forms(F);
    bool Found = false;
    for (int I = 0; I < FormList->Count() && !Found; ++I) {
      auto* Entry = static_cast<TFormObj*>(FormList->Items(I));
      if (Entry->Form == Form) Found = Entry->Used = true;
    }
    if (!Found) FormList->Add(new TFormObj(Form, RepaintAll));
  }
  for (int I = FormList->Count(); I-- > 0;) {
    auto* Entry = static_cast<TFormObj*>(FormList->Items(I));
    if (Entry->Used)
      Entry->CheckRepaint();
    else
      FormList->Delete(I);
  }
}
