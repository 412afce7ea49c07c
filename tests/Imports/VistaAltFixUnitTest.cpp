#include "Imports/VistaAltFixUnit.h"

#include <gtest/gtest.h>

#include "classlib/Buttons.h"
#include "classlib/ComCtrls.h"
#include "classlib/StdCtrls.h"
#include "tests/support/Idle.h"

namespace {

TEST(VistaAltFix, NeededOnlyForThemedXpAndVistaOnwards) {
  struct {
    DWORD Major, Minor;
    bool Themed, Expected;
  } const Cases[] = {{6, 0, true, true},  {10, 0, true, true}, {5, 1, true, true},
                     {5, 2, true, false}, {5, 0, true, false}, {6, 1, false, false}};
  for (const auto& C : Cases)
    EXPECT_EQ(NeedsAltFix(C.Major, C.Minor, C.Themed), C.Expected) << C.Major << "." << C.Minor;
}

class TPlainForm : public TForm {
 public:
  using TForm::TForm;
};

TEST(VistaAltFix, WatchesFormsAtIdleAndGivesTheirMessageMethodsBack) {
  static const TClassInfo Info = MakeClassInfo<TPlainForm>("TPlainForm", FormClassInfo(), {});
  RegisterClass(&Info);
  auto* Owner = new TPlainForm(nullptr);
  auto* Other = new TPlainForm(nullptr);
  auto* Gone = new TPlainForm(nullptr);
  auto* Fix = new TVistaAltFix(Owner, true);
  bool Done = true;
  Fix->ApplicationIdle(nullptr, Done);
  EXPECT_EQ(Fix->WatchedCount(), Screen->FormCount());
  EXPECT_FALSE(Other->WindowProcIsOwn());
  // A form that goes is dropped at the next idle moment.
  delete Gone;
  Fix->ApplicationIdle(nullptr, Done);
  EXPECT_EQ(Fix->WatchedCount(), Screen->FormCount());

  // A watched form's messages still reach the form itself.
  auto* Button = new TButton(Other);
  Button->SetParent(Other);
  EXPECT_EQ(Other->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x")), 0);
  EXPECT_EQ(Other->Caption(), "x");

  delete Fix;
  EXPECT_TRUE(Owner->WindowProcIsOwn());
  EXPECT_TRUE(Other->WindowProcIsOwn());
  Other->Perform(WM_UPDATEUISTATE, 0, 0);  // would touch the freed watcher
  delete Other;
  delete Owner;
}

class TCountingButton : public TButton {
 public:
  using TButton::TButton;
  void Repaint() override {
    ++Repaints;
    TButton::Repaint();
  }
  int Repaints = 0;
};

class TCountingBitBtn : public TBitBtn {
 public:
  using TBitBtn::TBitBtn;
  void Repaint() override {
    ++Repaints;
    TBitBtn::Repaint();
  }
  int Repaints = 0;
};

// A form with a button on it and one on each of two pages; the second page is not shown.
struct TPagedForm {
  TPagedForm() {
    Form->SetBounds(20, 20, 300, 200);
    auto* Pages = new TPageControl(Form.get());
    Pages->SetParent(Form.get());
    for (TCountingButton** Button : {&Shown, &Hidden}) {
      auto* Page = new TTabSheet(Form.get());
      Page->SetPageControl(Pages);
      *Button = new TCountingButton(Form.get());
      (*Button)->SetParent(Page);
    }
    OnForm = new TCountingButton(Form.get());
    OnForm->SetParent(Form.get());
    Glyph = new TCountingBitBtn(Form.get());
    Glyph->SetParent(Form.get());
    Form->Show();
  }
  std::unique_ptr<TPlainForm> Form = std::make_unique<TPlainForm>(nullptr);
  TCountingButton* Shown = nullptr;
  TCountingButton* Hidden = nullptr;
  TCountingButton* OnForm = nullptr;
  TCountingBitBtn* Glyph = nullptr;
};

TEST(VistaAltFix, PressingAltRepaintsTheButtonsAtTheNextIdleMomentOnlyOnTheShownPagesUnlessAllAreAsked) {
  auto Fix = std::make_unique<TVistaAltFix>(nullptr, true);
  Fix->RepaintAll = false;
  TPagedForm Accel;
  ASSERT_TRUE(RunUntilIdle());
  Fix->RepaintAll = true;
  TPagedForm All;  // watched from the next idle moment on
  ASSERT_TRUE(RunUntilIdle());
  for (TPagedForm* Paged : {&Accel, &All}) {
    for (TCountingButton* Button : {Paged->Shown, Paged->Hidden, Paged->OnForm}) Button->Repaints = 0;
    Paged->Glyph->Repaints = 0;
    SendMessageW(Paged->Form->Handle(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    EXPECT_EQ(Paged->OnForm->Repaints, 0);  // not before the idle moment
  }
  ASSERT_TRUE(RunUntilIdle());
  for (TPagedForm* Paged : {&Accel, &All}) {
    EXPECT_EQ(Paged->OnForm->Repaints, 1);
    EXPECT_EQ(Paged->Shown->Repaints, 1);
  }
  EXPECT_EQ(Accel.Hidden->Repaints, 0);
  EXPECT_EQ(All.Hidden->Repaints, 1);
  EXPECT_EQ(Accel.Glyph->Repaints, 0);  // a bitmap button draws its own face
  EXPECT_EQ(All.Glyph->Repaints, 1);
  ASSERT_TRUE(RunUntilIdle());  // once for each message
  EXPECT_EQ(All.OnForm->Repaints, 1);
  Fix.reset();
}

TEST(VistaAltFix, FreedWithItsOwnerFormLeavesNothingBehind) {
  auto* Owner = new TPlainForm(nullptr);
  auto* Fix = new TVistaAltFix(Owner, true);
  bool Done = true;
  Fix->ApplicationIdle(nullptr, Done);
  EXPECT_FALSE(Owner->WindowProcIsOwn());
  Owner->Handle();
  delete Owner;  // frees the fix while the form's window goes: no crash
}

}  // namespace
