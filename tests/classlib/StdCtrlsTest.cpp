#include "classlib/StdCtrls.h"

#include <gtest/gtest.h>

#include <memory>

#include "classlib/Forms.h"
#include "tests/support/MessagePump.h"

namespace {

struct TParentFixture {
  std::unique_ptr<TWinControl> Parent = std::make_unique<TWinControl>(nullptr);
  TParentFixture() {
    Parent->SetVisible(false);
    Parent->SetBounds(0, 0, 300, 200);
  }
};

TEST(StdCtrlsCheckBox, ClickFiresOnlyWhenCheckedChanges) {
  TParentFixture P;
  auto* Box = new TCheckBox(P.Parent.get());
  Box->SetParent(P.Parent.get());
  int Clicks = 0;
  Box->OnClick = [&](TObject*) { ++Clicks; };
  Box->SetChecked(false);
  EXPECT_EQ(Clicks, 0);
  Box->SetChecked(true);
  Box->SetChecked(true);
  EXPECT_EQ(Clicks, 1);
  // The window shows the state, and a click on the box toggles it through the same rule.
  EXPECT_EQ(SendMessageA(Box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(Box->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(Box->Checked());
  EXPECT_EQ(Clicks, 2);
  Box->RecreateWnd();
  EXPECT_EQ(SendMessageA(Box->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(StdCtrlsRadioButton, CheckingFiresAndUnchecksSiblingsSilently) {
  TParentFixture P;
  TRadioButton* Radios[3];
  int Clicks[3] = {};
  for (int I = 0; I < 3; ++I) {
    Radios[I] = new TRadioButton(P.Parent.get());
    Radios[I]->SetParent(P.Parent.get());
    Radios[I]->OnClick = [&Clicks, I](TObject*) { ++Clicks[I]; };
  }
  Radios[0]->SetChecked(true);
  Radios[1]->SetChecked(true);
  EXPECT_FALSE(Radios[0]->Checked());
  EXPECT_TRUE(Radios[1]->Checked());
  EXPECT_EQ(Clicks[0], 1);
  EXPECT_EQ(Clicks[1], 1);
  Radios[1]->SetChecked(false);  // unchecking fires nothing
  EXPECT_EQ(Clicks[1], 1);
  SendMessageA(Radios[2]->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(Radios[2]->Checked());
  EXPECT_EQ(Clicks[2], 1);
  EXPECT_EQ(SendMessageA(Radios[0]->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(StdCtrlsText, CaptionSurvivesANewWindowAndReportsChangesOnce) {
  TParentFixture P;
  auto* Edit = new TEdit(P.Parent.get());
  Edit->SetParent(P.Parent.get());
  int Changes = 0;
  const TWndMethod Saved = Edit->WindowProc;
  Edit->WindowProc = [&](TMessage& M) {
    if (M.Msg == CM_TEXTCHANGED) ++Changes;
    Saved(M);
  };
  Edit->SetText("abc");
  Edit->SetText("abc");
  EXPECT_EQ(Changes, 1);
  Edit->RecreateWnd();
  EXPECT_EQ(Edit->Text(), "abc");
  char Buffer[8] = {};
  GetWindowTextA(Edit->Handle(), Buffer, sizeof Buffer);
  EXPECT_STREQ(Buffer, "abc");
  Edit->WindowProc = Saved;
}

TEST(StdCtrlsMemo, LinesAreTheTextSplitAtLineBreaks) {
  TParentFixture P;
  auto* Memo = new TMemo(P.Parent.get());
  Memo->SetParent(P.Parent.get());
  Memo->Lines()->Add("one");
  Memo->Lines()->Add("two");
  Memo->Lines()->Insert(1, "between");
  EXPECT_EQ(Memo->Lines()->Count(), 3);
  EXPECT_EQ(Memo->Lines()->Get(1), "between");
  EXPECT_EQ(Memo->Text(), "one\r\nbetween\r\ntwo\r\n");
  Memo->Lines()->Delete(0);
  EXPECT_EQ(Memo->Lines()->Get(0), "between");
}

TEST(StdCtrlsLabel, AutoSizeFollowsTheCaptionAndAcceleratorFocuses) {
  TParentFixture P;
  auto* Label = new TLabel(P.Parent.get());
  Label->SetParent(P.Parent.get());
  Label->SetCaption("W");
  const int Narrow = Label->Width();
  Label->SetCaption("WWWWWWWW");
  EXPECT_GT(Label->Width(), Narrow);
  auto* Edit = new TEdit(P.Parent.get());
  Edit->SetParent(P.Parent.get());
  P.Parent->SetVisible(true);  // only a control that can take the focus gets it
  Label->SetCaption("&Name");
  Label->SetFocusControl(Edit);
  EXPECT_EQ(Label->Perform(CM_DIALOGCHAR, 'x', 0), 0);
  EXPECT_EQ(Label->Perform(CM_DIALOGCHAR, 'n', 0), 1);
  delete Edit;
  EXPECT_EQ(Label->FocusControl(), nullptr);
}

TEST(StdCtrlsLabel, WithoutShowAccelCharTheAmpersandShowsAndRightToLeftSwapsTheSides) {
  TParentFixture P;
  auto* Label = new TLabel(P.Parent.get());
  Label->SetParent(P.Parent.get());
  Label->SetCaption("&Name");
  const int Marked = Label->Width();
  Label->SetShowAccelChar(false);
  EXPECT_GT(Label->Width(), Marked);  // the ampersand is measured as a character
  auto* Edit = new TEdit(P.Parent.get());
  Edit->SetParent(P.Parent.get());
  P.Parent->SetVisible(true);
  Label->SetFocusControl(Edit);
  EXPECT_EQ(Label->Perform(CM_DIALOGCHAR, 'n', 0), 0);

  EXPECT_EQ(Label->DrawTextBiDiModeFlags(DT_CENTER), static_cast<UINT>(DT_CENTER));
  Label->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(Label->DrawTextBiDiModeFlags(0), static_cast<UINT>(DT_RIGHT | DT_RTLREADING));
  EXPECT_EQ(Label->DrawTextBiDiModeFlags(DT_RIGHT), static_cast<UINT>(DT_RTLREADING));
  EXPECT_EQ(Label->DrawTextBiDiModeFlags(DT_CENTER), static_cast<UINT>(DT_CENTER | DT_RTLREADING));
  Label->SetBiDiMode(bdRightToLeftNoAlign);
  EXPECT_EQ(Label->DrawTextBiDiModeFlags(0), static_cast<UINT>(DT_RTLREADING));
}

TEST(StdCtrlsLabel, AWrappingLabelKeepsItsWidthAndGrowsDown) {
  TParentFixture P;
  auto* Label = new TLabel(P.Parent.get());
  Label->SetParent(P.Parent.get());
  Label->SetWidth(120);
  Label->SetWordWrap(true);
  Label->SetCaption("One");
  const int OneLine = Label->Height();
  EXPECT_EQ(Label->Width(), 120);
  Label->SetCaption("Some words that take more than one line of one hundred and twenty pixels");
  EXPECT_EQ(Label->Width(), 120);
  EXPECT_GT(Label->Height(), 2 * OneLine);
  Label->Font()->SetSize(Label->Font()->Size() + 2);
  EXPECT_EQ(Label->Width(), 120);
}

// What a combo box reported: its changes, clicks and the characters it saw.
struct TComboLog {
  int Changes = 0;
  int Clicks = 0;
  std::string Keys;
};

TComboBox* NewCombo(TParentFixture& P, TComboLog& Log) {
  auto* Combo = new TComboBox(P.Parent.get());
  Combo->SetParent(P.Parent.get());
  Combo->OnChange = [&Log](TObject*) { ++Log.Changes; };
  Combo->OnClick = [&Log](TObject*) { ++Log.Clicks; };
  return Combo;
}

TEST(StdCtrlsComboBox, ItemsAndTextSurviveANewWindowAndProgramTextIsNoChange) {
  TParentFixture P;
  TComboLog Log;
  TComboBox* Combo = NewCombo(P, Log);
  Combo->Items()->Add("one");
  Combo->Items()->Add("two");
  Combo->SetText("typed");
  Combo->Items()->Add("three");  // refilling the list keeps the text
  EXPECT_EQ(Combo->Text(), "typed");
  EXPECT_EQ(SendMessageA(Combo->Handle(), CB_GETCOUNT, 0, 0), 3);
  Combo->RecreateWnd();
  EXPECT_EQ(Combo->Text(), "typed");
  EXPECT_EQ(SendMessageA(Combo->Handle(), CB_GETCOUNT, 0, 0), 3);
  Combo->Items()->Clear();
  EXPECT_EQ(SendMessageA(Combo->Handle(), CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Combo->Text(), "typed");
  EXPECT_EQ(Log.Changes, 0);
  EXPECT_EQ(Log.Clicks, 0);
  ASSERT_NE(Combo->EditHandle(), nullptr);
  EXPECT_EQ(GetParent(Combo->EditHandle()), Combo->Handle());
}

TEST(StdCtrlsComboBox, TypedAndPickedTextIsAChangeAndKeyPressSeesTheEditsCharacters) {
  TParentFixture P;
  TComboLog Log;
  TComboBox* Combo = NewCombo(P, Log);
  Combo->Items()->Add("first");
  Combo->Items()->Add("second");
  Combo->OnKeyPress = [&Log](TObject*, char& Key) {
    Log.Keys += Key;
    if (Key == '\r') Key = 0;  // swallowed: the edit never sees it
    if (Key == 'u') Key = 'U';
  };
  const HWND Edit = Combo->EditHandle();
  SendMessageA(Edit, WM_CHAR, 'x', 0);
  SendMessageA(Edit, WM_CHAR, 'u', 0);
  SendMessageA(Edit, WM_CHAR, '\r', 0);
  EXPECT_EQ(Log.Keys, "xu\r");
  EXPECT_EQ(Combo->Text(), "xU");
  EXPECT_EQ(Log.Changes, 2);

  // An arrow key picks the next item: the text is the item's when OnChange runs.
  std::string Seen;
  Combo->OnChange = [&](TObject*) { Seen = Combo->Text(); };
  SendMessageA(Edit, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(Combo->ItemIndex(), 0);
  EXPECT_EQ(Seen, "first");
  EXPECT_EQ(Log.Clicks, 1);
}

}  // namespace
