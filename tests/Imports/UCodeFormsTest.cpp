#include "Imports/UCodeForms.h"

#include <gtest/gtest.h>

#include <memory>

#include "Imports/UCodeStdActns.h"
#include "classlib/StdCtrls.h"

namespace {

const std::wstring Greek = L"\u0391\u03B8\u03AE\u03BD\u03B1";

// Shows the hints that reach the forms, as a status line would.
class TStatusLine : public TComponent {
 public:
  using TComponent::TComponent;
  bool ExecuteAction(TBasicAction* Action) override {
    if (auto* Wide = dynamic_cast<TUCodeHintAction*>(Action)) {
      Shown = Wide->Hint();
      return true;
    }
    if (auto* Plain = dynamic_cast<THintAction*>(Action)) {
      Shown = AnsiToWide(Plain->Hint());
      return true;
    }
    return false;
  }
  std::wstring Shown;
};

class TStatusForm : public TForm {
 public:
  explicit TStatusForm(TComponent* AOwner) : TForm(AOwner), Status(new TStatusLine(this)) {}
  TStatusLine* Status;
};

TEST(UCodeApplication, AWideTitleSetBeforeTheWindowShowsOnIt) {
  ASSERT_FALSE(Application->HandleAllocated());
  UCodeApplication()->SetTitle(Greek + L" Velmaro");
  EXPECT_EQ(UCodeApplication()->Title(), Greek + L" Velmaro");
  Application->Initialize();
  // The window's own text; asking the window would go through its 8-bit procedure.
  wchar_t Shown[64] = {};
  InternalGetWindowText(Application->Handle(), Shown, 64);
  EXPECT_EQ(std::wstring(Shown), Greek + L" Velmaro");
  EXPECT_EQ(UCodeApplication()->Title(), Greek + L" Velmaro");
  UCodeApplication()->SetTitle(L"\u6771\u4EAC");
  EXPECT_EQ(UCodeApplication()->Title(), L"\u6771\u4EAC");
  Application->DestroyForms();
}

TEST(UCodeApplication, TheStatusLineGetsTheWideHintThroughTheHintAction) {
  UCodeApplication();
  Application->Initialize();
  auto* Form = new TStatusForm(Application);
  Form->Show();
  SetActiveWindow(Form->Handle());
  ASSERT_EQ(Screen->ActiveForm(), Form);
  UCodeApplication()->SetHint(L"lang " + Greek);
  EXPECT_EQ(Form->Status->Shown, L"lang " + Greek);
  EXPECT_EQ(UCodeApplication()->Hint(), L"lang " + Greek);
  // 8-bit code setting the library's hint reaches the status line too.
  Application->SetHint("plain");
  EXPECT_EQ(Form->Status->Shown, L"plain");
  EXPECT_EQ(UCodeApplication()->Hint(), L"plain");
  Application->DestroyForms();
}

HHOOK WINAPI FailingHook(int, HOOKPROC, HINSTANCE, DWORD) {
  SetLastError(ERROR_ACCESS_DENIED);
  return nullptr;
}

TEST(UCodeApplication, AHookThatCannotBeInstalledLeavesTheProgramWithoutIt) {
  UCodeSetWindowsHookEx = FailingHook;
  ASSERT_NO_THROW(UCodeApplication());
  EXPECT_NE(UCodeApplication(), nullptr);
  EXPECT_FALSE(WideCharHookInstalled());
  TForm Form(nullptr);
  auto* Edit = new TEdit(&Form);
  Edit->SetParent(&Form);
  Form.Show();
  PostMessageA(Edit->Handle(), WM_CHAR, 'a', 1);
  Application->ProcessMessages();
  EXPECT_EQ(Edit->Text(), "a");
}

TEST(UCodeApplication, AcceleratorsCompareTheHotKeyWithoutCase) {
  EXPECT_TRUE(WideIsAccel(0x0416, L"&\u0436a"));
  EXPECT_TRUE(WideIsAccel('A', L"x&ab"));
  EXPECT_FALSE(WideIsAccel('A', L"x&&ab"));
  EXPECT_FALSE(WideIsAccel('B', L"x&ab"));
}

}  // namespace
