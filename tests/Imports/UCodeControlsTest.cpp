#include "Imports/UCodeControls.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Imports/UCodeForms.h"
#include "Imports/UCodeGraphics.h"
#include "Imports/UCodeSysUtils.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "tests/Imports/UnicodePlatformGuard.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Pixels.h"

namespace {

const std::wstring Greek = L"\u0391\u03B8\u03AE\u03BD\u03B1";  // Athens
const std::wstring Japanese = L"\u6771\u4EAC";                 // Tokyo

// Edits and buttons over Unicode windows, as the wide controls make theirs.
class TWideEdit : public TEdit {
 public:
  using TEdit::TEdit;
  std::vector<char> KeysSeen;
  int TextChanges = 0;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override {
    CreateUnicodeHandle(this, Params, L"EDIT");
  }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_TEXTCHANGED) ++TextChanges;
    TEdit::Dispatch(Message);
  }
};

class TWideButton : public TButton {
 public:
  using TButton::TButton;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override {
    CreateUnicodeHandle(this, Params, L"BUTTON");
  }
};

class TCountingLabel : public TLabel {
 public:
  using TLabel::TLabel;
  int TextChanges = 0;

 protected:
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CM_TEXTCHANGED) ++TextChanges;
    TLabel::Dispatch(Message);
  }
};

class UCodeWindows : public testing::Test {
 protected:
  void SetUp() override {
    UCodeApplication();
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(50, 50, 400, 300);
    Edit = new TWideEdit(Form.get());
    Edit->SetParent(Form.get());
    Edit->SetBounds(10, 10, 200, 24);
  }
  void TearDown() override { Form.reset(); }

  std::unique_ptr<TForm> Form;
  TWideEdit* Edit = nullptr;
};

TEST_F(UCodeWindows, AUnicodeWindowShowsAndKeepsAWideCaptionAcrossRecreation) {
  Form->Show();
  ASSERT_TRUE(IsWindowUnicode(Edit->Handle()));
  SetControlWideText(Edit, Greek + Japanese);
  wchar_t Shown[32] = {};
  GetWindowTextW(Edit->Handle(), Shown, 32);
  EXPECT_EQ(std::wstring(Shown), Greek + Japanese);
  EXPECT_EQ(Edit->Text(), WideToAnsi(Greek + Japanese));  // the library sees the 8-bit form

  TWinControlTrap* Trap = FindWinControlTrap(Edit->Handle());
  ASSERT_NE(Trap, nullptr);
  const HWND Old = Edit->Handle();
  Edit->SetMaxLength(40);
  Edit->RecreateWnd();
  ASSERT_NE(Edit->Handle(), Old);
  EXPECT_TRUE(IsWindowUnicode(Edit->Handle()));
  EXPECT_EQ(GetControlWideText(Edit), Greek + Japanese);
  EXPECT_EQ(FindWinControlTrap(Edit->Handle()), Trap);

  // Without a window the text waits in the helper and comes back with the next window.
  Edit->DestroyHandle();
  EXPECT_EQ(GetControlWideText(Edit), Greek + Japanese);
  SetControlWideText(Edit, Japanese);
  Edit->HandleNeeded();
  EXPECT_EQ(GetControlWideText(Edit), Japanese);
  EXPECT_EQ(FindWinControlTrap(Edit->Handle()), Trap);
}

TEST_F(UCodeWindows, An8BitTextSetWhileTheWindowIsGoneIsNotLost) {
  Form->Show();
  SetControlWideText(Edit, Greek);
  Edit->DestroyHandle();
  Edit->SetText("plain");
  EXPECT_EQ(GetControlWideText(Edit), L"plain");
  Edit->HandleNeeded();
  EXPECT_EQ(GetControlWideText(Edit), L"plain");
}

TEST_F(UCodeWindows, ACaptionThatLooksTheSameIn8BitsStillChangesTheWindowOnce) {
  Form->Show();
  SetControlWideText(Edit, L"\u6771x");  // 8-bit form "?x"
  Edit->TextChanges = 0;
  SetControlWideText(Edit, L"\u4EACx");  // the same 8-bit form
  EXPECT_EQ(GetControlWideText(Edit), L"\u4EACx");
  EXPECT_EQ(Edit->TextChanges, 1);
  SetControlWideText(Edit, L"\u4EACx");
  EXPECT_EQ(Edit->TextChanges, 1);
}

TEST_F(UCodeWindows, ALabelKeepsItsWideCaptionAndFollows8BitChanges) {
  auto* Label = new TCountingLabel(Form.get());
  Label->SetParent(Form.get());
  SetControlWideText(Label, L"\u6771x");
  EXPECT_EQ(GetControlWideText(Label), L"\u6771x");
  ASSERT_NE(FindWideControlHelper(Label), nullptr);
  // The same 8-bit form: the library hears of the change by way of an empty text first.
  Label->TextChanges = 0;
  SetControlWideText(Label, L"\u4EACx");
  EXPECT_EQ(GetControlWideText(Label), L"\u4EACx");
  EXPECT_EQ(Label->TextChanges, 2);
  // 8-bit code changes the caption behind the wide one's back.
  Label->SetCaption("Neu");
  EXPECT_EQ(GetControlWideText(Label), L"Neu");
  delete Label;  // its helper goes with it
}

TEST_F(UCodeWindows, HintsKeepTheirWideTextAndChildrenTakeTheirParentsHint) {
  auto* Panel = new TPanel(Form.get());
  Panel->SetParent(Form.get());
  Edit->SetParent(Panel);
  SetControlWideHint(Panel, L"Kurz " + Greek + L"|Lang " + Japanese);
  EXPECT_EQ(GetParentWideHint(Edit), L"Kurz " + Greek + L"|Lang " + Japanese);
  EXPECT_EQ(WideGetShortHint(GetParentWideHint(Edit)), L"Kurz " + Greek);
  EXPECT_EQ(WideGetLongHint(GetParentWideHint(Edit)), L"Lang " + Japanese);
  EXPECT_EQ(WideGetLongHint(L"no bar"), L"no bar");
  Panel->SetHint("8-bit");
  EXPECT_EQ(GetControlWideHint(Panel), L"8-bit");
}

TEST_F(UCodeWindows, ACharacterAbove255ReachesTheWindowWholeWhileTheLibrarySaw255) {
  ASSERT_TRUE(WideCharHookInstalled());
  std::vector<unsigned char> Seen;
  Edit->OnKeyPress = [&](TObject*, char& Key) { Seen.push_back(static_cast<unsigned char>(Key)); };
  Form->Show();
  PostMessageW(Edit->Handle(), WM_CHAR, 0x03A9, 1);
  PostMessageW(Edit->Handle(), WM_CHAR, L'a', 1);
  Application->ProcessMessages();
  EXPECT_EQ(GetControlWideText(Edit), L"\u03A9a");
  EXPECT_EQ(Seen, (std::vector<unsigned char>{255, 'a'}));
  // A handler that replaces the character drops the packed one.
  Edit->OnKeyPress = [](TObject*, char& Key) { Key = 'x'; };
  PostMessageW(Edit->Handle(), WM_CHAR, 0x0416, 1);
  Application->ProcessMessages();
  EXPECT_EQ(GetControlWideText(Edit), L"\u03A9ax");
}

TEST_F(UCodeWindows, OnMessageMayStopAWideCharacter) {
  Form->Show();
  Application->OnMessage = [](MSG& Msg, bool& Handled) { Handled = Msg.message == WM_CHAR; };
  PostMessageW(Edit->Handle(), WM_CHAR, 0x03A9, 1);
  Application->ProcessMessages();
  Application->OnMessage = nullptr;
  EXPECT_EQ(GetControlWideText(Edit), L"");
}

TEST(UCodeCharacters, PackingKeepsTheCharacterInTheHighWord) {
  TMessage Message{WM_CHAR, 0x03A9, 0, 0};
  PackWideCharMessage(Message);
  EXPECT_EQ(Message.WParam, 0x03A900FFu);
  EXPECT_EQ(GetWideCharFromMessage(Message), L'\u03A9');
  UnpackWideCharMessage(Message);
  EXPECT_EQ(Message.WParam, 0x03A9u);
  SetWideCharInMessage(Message, L'a');
  EXPECT_EQ(Message.WParam, static_cast<WPARAM>('a'));
  Message.WParam = 0x03A90078;  // a handler replaced the 255 by "x"
  UnpackWideCharMessage(Message);
  EXPECT_EQ(Message.WParam, static_cast<WPARAM>('x'));
}

TEST_F(UCodeWindows, UnicodeWindowsAskForUnicodeNotifications) {
  Form->Show();
  auto* Other = new TEdit(Form.get());  // an 8-bit window
  Other->SetParent(Form.get());
  auto* Wide = new TWideEdit(Form.get());
  Wide->SetParent(Form.get());
  EXPECT_EQ(SendMessageW(Edit->Handle(), WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(Wide->Handle()), NF_QUERY),
            NFR_UNICODE);
  EXPECT_EQ(
      SendMessageW(Edit->Handle(), WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(Other->Handle()), NF_QUERY),
      NFR_ANSI);
}

TEST_F(UCodeWindows, AControlFreedByItsOwnClickLeavesNothingBehind) {
  auto* Button = new TWideButton(Form.get());
  Button->SetParent(Form.get());
  SetControlWideText(Button, Greek);
  bool Clicked = false;
  Button->OnClick = [&](TObject* Sender) {
    Clicked = true;
    delete Sender;
  };
  Form->Show();
  const HWND Wnd = Button->Handle();
  SendMessageW(Wnd, BM_CLICK, 0, 0);
  EXPECT_TRUE(Clicked);
  EXPECT_FALSE(IsWindow(Wnd));
  EXPECT_EQ(Form->ControlCount(), 1);
  // The form and its remaining windows go on working.
  SetControlWideText(Edit, Japanese);
  EXPECT_EQ(GetControlWideText(Edit), Japanese);
}

TEST_F(UCodeWindows, AControlFreedWhileTheLibraryPerformsAMessageOnIt) {
  auto* Button = new TWideButton(Form.get());
  Button->SetParent(Form.get());
  Button->OnClick = [](TObject* Sender) { delete Sender; };
  Form->Show();
  // The click starts in the control's method, outside its window's procedure.
  Button->Perform(BM_CLICK, 0, 0);
  PumpMessagesFor(20);
  EXPECT_EQ(Form->ControlCount(), 1);
  SetControlWideText(Edit, Greek);
  EXPECT_EQ(GetControlWideText(Edit), Greek);
}

TEST_F(UCodeWindows, TheParentsShortHintShowsWideForAChildWithoutOne) {
  auto* Panel = new TPanel(Form.get());
  Panel->SetParent(Form.get());
  Panel->SetBounds(0, 0, 300, 100);
  Edit->SetParent(Panel);
  Edit->SetShowHint(true);
  SetControlWideHint(Panel, L"Kurz " + Greek + L"|Lang");
  Form->Show();
  Application->ActivateHint(Edit, Edit->ClientToScreen({5, 5}));
  auto* Window = dynamic_cast<TUCodeCustomHintWindow*>(Application->HintWindow());
  ASSERT_NE(Window, nullptr);
  EXPECT_TRUE(IsWindowUnicode(Window->Handle()));
  EXPECT_TRUE(IsWindowVisible(Window->Handle()));
  EXPECT_EQ(Window->Caption(), L"Kurz " + Greek);
  // The window is as wide as the wide text needs.
  RECT Client;
  GetClientRect(Window->Handle(), &Client);
  EXPECT_GE(Client.right, WideTextWidth(Window->Canvas(), L"Kurz " + Greek));
  Application->CancelHint();
  EXPECT_FALSE(IsWindowVisible(Window->Handle()));
}

TEST_F(UCodeWindows, AHintWindowIsSizedInTheHintFontAndDrawsItsText) {
  Edit->SetShowHint(true);
  SetControlWideHint(Edit, L"Search for this Term " + Greek);
  Form->Show();
  Application->ActivateHint(Edit, Edit->ClientToScreen({5, 5}));
  auto* Window = dynamic_cast<TUCodeCustomHintWindow*>(Application->HintWindow());
  ASSERT_NE(Window, nullptr);
  TBitmap Measure;
  Measure.Canvas()->Font()->Assign(Window->Font());
  const int TextWidth = WideTextWidth(Measure.Canvas(), Window->Caption());
  const int TextHeight = WideTextHeight(Measure.Canvas(), Window->Caption());
  // As wide and high as the text needs in the window's own font, with the margins and the border.
  EXPECT_LE(Window->Width(), TextWidth + 12);
  EXPECT_GE(Window->Width(), TextWidth + 6);
  EXPECT_LE(Window->Height(), TextHeight + 10);
  const TPixels Shown = PaintedClient(Window->Handle(), RGB(255, 0, 255));
  EXPECT_GT(Shown.Count({2, 2, 2 + TextWidth, 2 + TextHeight}, ColorToRGB(clInfoText)), 30);
  Application->CancelHint();
}

TEST_F(UCodeWindows, AHintWithTheActionsShortCutShowsTheWideShortCut) {
  auto* Action = new TAction(Form.get());
  Action->SetShortCut(scCtrl | 'O');
  Edit->SetAction(Action);
  Edit->SetShowHint(true);
  SetControlWideHint(Edit, Greek + L"|lang");
  Form->Show();
  Application->ActivateHint(Edit, Edit->ClientToScreen({5, 5}));
  auto* Window = dynamic_cast<TUCodeCustomHintWindow*>(Application->HintWindow());
  ASSERT_NE(Window, nullptr);
  EXPECT_EQ(Window->Caption(), Greek + L" (Ctrl+O)");
  Application->CancelHint();
}

TEST_F(UCodeWindows, ResizingOnATextChangeWaitsWhileTheHintActivates) {
  TUCodeCustomHintWindow Window(nullptr);
  Window.ActivateHint({10, 10, 300, 40}, "short");
  EXPECT_EQ(Window.Width(), 290);
  Window.SetCaption(Greek);  // outside an activation the window takes the text's size
  EXPECT_EQ(Window.Width(), WideTextWidth(Window.Canvas(), Greek) + 6);
}

TEST(UCodeAnsiRoad, WindowsOfTheANSIRoadWorkWith8BitText) {
  TUnicodePlatformGuard Guard(false);
  TForm Form(nullptr);
  auto* Edit = new TWideEdit(&Form);
  Edit->SetParent(&Form);
  SetControlWideText(Edit, L"abc\u00E9");
  Form.Show();
  EXPECT_FALSE(IsWindowUnicode(Edit->Handle()));
  EXPECT_EQ(FindWinControlTrap(Edit->Handle()), nullptr);
  EXPECT_EQ(GetControlWideText(Edit), L"abc\u00E9");
  SetControlWideText(Edit, Greek);
  EXPECT_EQ(Edit->Text(), WideToAnsi(Greek));
  SetControlWideHint(Edit, Greek);
  EXPECT_EQ(GetControlWideHint(Edit), AnsiToWide(WideToAnsi(Greek)));
  Edit->RecreateWnd();
  EXPECT_EQ(Edit->Text(), WideToAnsi(Greek));
}

TEST(UCodeCanvas, WideTextIsMeasuredAndDrawnAsTheSystemDrawsIt) {
  const std::wstring Text = L"Ab " + Greek + L" " + Japanese + L" \u0416";
  TBitmap Ours, Reference;
  for (TBitmap* B : {&Ours, &Reference}) {
    B->SetPixelFormat(pf24bit);
    B->SetSize(300, 40);
    B->Canvas()->Brush()->SetColor(clWhite);
    B->Canvas()->FillRect({0, 0, 300, 40});
    B->Canvas()->Font()->SetName("Tahoma");
    B->Canvas()->Font()->SetSize(12);
    B->Canvas()->Font()->SetColor(clBlack);
  }
  WideTextOut(Ours.Canvas(), 3, 4, Text);
  TCanvas* Canvas = Reference.Canvas();
  Canvas->RequiredState(csHandleValid | csFontValid | csBrushValid);
  RECT Rect{3, 4, 300, 40};
  DrawTextW(Canvas->Handle(), Text.c_str(), -1, &Rect, DT_NOCLIP | DT_SINGLELINE | DT_NOPREFIX);
  SIZE Expected;
  GetTextExtentPoint32W(Canvas->Handle(), Text.c_str(), static_cast<int>(Text.size()), &Expected);
  EXPECT_EQ(WideTextWidth(Ours.Canvas(), Text), Expected.cx);
  EXPECT_EQ(WideTextHeight(Ours.Canvas(), Text), Expected.cy);
  EXPECT_EQ(Ours.Canvas()->PenPos().x, 3 + Expected.cx);
  int Dark = 0, Differ = 0;
  for (int Y = 0; Y < 40; ++Y)
    for (int X = 0; X < 300; ++X) {
      const TColor Pixel = Ours.Canvas()->Pixels(X, Y);
      Dark += Pixel != clWhite;
      Differ += Pixel != Reference.Canvas()->Pixels(X, Y);
    }
  EXPECT_GT(Dark, 50);
  EXPECT_EQ(Differ, 0);
}

TEST(UCodeCanvas, RightToLeftTextMovesXByItsWidth) {
  TBitmap Bitmap;
  Bitmap.SetSize(300, 40);
  Bitmap.Canvas()->SetTextFlags(ETO_RTLREADING);
  const int Width = WideTextWidth(Bitmap.Canvas(), Greek);
  WideTextOut(Bitmap.Canvas(), 100, 0, Greek);
  EXPECT_EQ(Bitmap.Canvas()->PenPos().x, 100 + Width + 1 + Width);
}

}  // namespace
