#include "Imports/VistaAltFixUnit.h"

#include <gtest/gtest.h>

#include "classlib/StdCtrls.h"

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

  // WM_UPDATEUISTATE marks the form; the message still reaches the form itself.
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
