#include "Imports/UCodeStdCtrls.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "Imports/UCodeForms.h"
#include "Imports/UCodeRepStdCtrls.h"
#include "Imports/UCodeSysUtils.h"
#include "classlib/FormReader.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "tests/Imports/UnicodePlatformGuard.h"
#include "tests/support/Pixels.h"

#include <uxtheme.h>
#include <vssym32.h>

namespace {

const std::wstring Greek = L"\u0391\u03B8\u03AE\u03BD\u03B1";
const std::wstring Cyrillic = L"\u0416\u0430\u0440";
const std::wstring Japanese = L"\u6771\u4EAC";
const std::wstring Clef = L"\U0001D11E";  // outside the BMP: two units

class TRepForm : public TForm {
 public:
  explicit TRepForm(TComponent* AOwner) : TForm(AOwner) {
    RegisterFormClass<TRepForm>("TRepForm", {}, {FieldOf("Status", &TRepForm::Status)},
                                {UCodeRepStdCtrls::Classes()});
  }
  using TLabel = UCodeRepStdCtrls::TLabel;
  TLabel* Status = nullptr;
};

TEST(UCodeRepStdCtrls, AFormThatNamesTheLibrarysClassesGetsTheWideOnes) {
  TRepForm Form(nullptr);
  TReader Reader(R"(object F: TRepForm
  object Status: TLabel
    Caption = #913#952#942#957#945
    Hint = 'kurz|' + #26481#20140
  end
  object Name: TEdit
    Text = #1046
  end
  object Ok: TButton
    Caption = '&' + #1046#1072#1088
  end
  object Frame: TGroupBox
    Caption = #26481#20140
  end
  object Pick: TComboBox
    Text = #1046
    Items.Strings = (
      #913#952#942#957#945
      #26481#20140)
  end
end)",
                 "TEST");
  Reader.ReadRootComponent(&Form);
  ASSERT_NE(Form.Status, nullptr);
  EXPECT_EQ(Form.Status->Caption(), Greek);
  EXPECT_EQ(Form.Status->Hint(), L"kurz|" + Japanese);
  EXPECT_EQ(dynamic_cast<UCodeRepStdCtrls::TEdit*>(Form.FindComponent("Name"))->Text(), L"\u0416");
  EXPECT_EQ(dynamic_cast<TUCodeButton*>(Form.FindComponent("Ok"))->Caption(), L"&" + Cyrillic);
  EXPECT_EQ(dynamic_cast<TUCodeGroupBox*>(Form.FindComponent("Frame"))->Caption(), Japanese);
  auto* Pick = dynamic_cast<UCodeRepStdCtrls::TComboBox*>(Form.FindComponent("Pick"));
  ASSERT_NE(Pick, nullptr);
  EXPECT_EQ(Pick->Text(), L"\u0416");
  ASSERT_EQ(Pick->Items()->Count(), 2);
  EXPECT_EQ(Pick->Items()->Get(1), Japanese);
}

class UCodeStdCtrls : public testing::Test {
 protected:
  void SetUp() override {
    UCodeApplication();
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(40, 40, 420, 320);
  }
  template <class T>
  T* Make() {
    auto* Control = new T(Form.get());
    Control->SetParent(Form.get());
    return Control;
  }
  std::unique_ptr<TForm> Form;
};

TEST_F(UCodeStdCtrls, EditTextSelectionAndAWidePasswordCharacter) {
  auto* Edit = Make<TUCodeEdit>();
  Edit->SetText(Greek + Japanese);
  Form->Show();
  EXPECT_TRUE(IsWindowUnicode(Edit->Handle()));
  EXPECT_EQ(Edit->Text(), Greek + Japanese);
  Edit->SetSelStart(5);
  Edit->SetSelLength(2);
  EXPECT_EQ(Edit->GetSelStart(), 5);
  EXPECT_EQ(Edit->GetSelText(), Japanese);

  Edit->SetPasswordChar(L'\u25CF');
  EXPECT_EQ(SendMessageW(Edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
  EXPECT_EQ(Edit->TCustomEdit::PasswordChar(), '*');  // the library sees its 8-bit form
  EXPECT_EQ(Edit->PasswordChar(), L'\u25CF');
  Edit->RecreateWnd();
  EXPECT_EQ(SendMessageW(Edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), 0x25CF);
  Edit->TCustomEdit::SetPasswordChar('#');  // 8-bit code changes it behind the wide one
  Edit->RecreateWnd();
  EXPECT_EQ(SendMessageW(Edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '#');
  EXPECT_EQ(Edit->PasswordChar(), L'#');
}

TEST_F(UCodeStdCtrls, MemoLinesAreWideAndALineAfterAnEmptyLastLineIsKept) {
  auto* Memo = Make<TUCodeMemo>();
  TUCodeStrings* Lines = Memo->Lines();
  Lines->Add(Greek);
  Lines->Add(L"two\rparts");  // a lone CR is a break for the window and for the count alike
  Lines->Add(Japanese);
  ASSERT_EQ(Lines->Count(), 4);
  EXPECT_EQ(Lines->Get(0), Greek);
  EXPECT_EQ(Lines->Get(2), L"parts");
  EXPECT_EQ(Lines->Get(3), Japanese);
  Lines->Put(1, Cyrillic);
  EXPECT_EQ(Memo->Text(), Greek + L"\r\n" + Cyrillic + L"\r\nparts\r\n" + Japanese + L"\r\n");
  Lines->Insert(0, Clef);
  EXPECT_EQ(Lines->Get(0), Clef);

  Memo->SetText(L"a\r\n\r\n");  // the last line is empty
  Lines->Add(L"b");
  EXPECT_EQ(Memo->Text(), L"a\r\n\r\nb\r\n");
  Memo->SetText(L"a");  // the last line has no break
  Lines->Insert(1, L"b");
  EXPECT_EQ(Memo->Text(), L"a\r\nb");
  Lines->Insert(3, L"past the end");  // nothing, as behind an empty window line
  EXPECT_EQ(Memo->Text(), L"a\r\nb");
  Memo->SetText(L"a\r\n");
  Lines->Insert(2, L"behind the empty window line");
  EXPECT_EQ(Memo->Text(), L"a\r\n");
  Lines->SetText(L"x\ny");
  EXPECT_EQ(Memo->Text(), L"x\r\ny");
  EXPECT_EQ(Lines->Text(), L"x\r\ny");
}

TEST_F(UCodeStdCtrls, AMemoLineOfMoreThan65535CharactersIsTooLargeToRead) {
  auto* Memo = Make<TUCodeMemo>();
  Memo->SetWordWrap(false);  // one line of the text is one line of the window
  Memo->SetText(std::wstring(65536, L'x') + L"\r\n" + Greek);
  EXPECT_THROW(Memo->Lines()->Get(0), EOutOfResources);
  EXPECT_EQ(Memo->Lines()->Get(1), Greek);
}

TEST_F(UCodeStdCtrls, AButtonAnswersItsAltKeyOnALetterAbove255InEitherCase) {
  auto* Button = Make<TUCodeButton>();
  Button->SetCaption(L"&" + Cyrillic);
  int Clicks = 0;
  Button->OnClick = [&](TObject*) { ++Clicks; };
  Form->Show();
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, L'\u0436', 0), 1);  // small zhe
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, L'\u0416', 0), 1);  // capital
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, L'\u0430', 0), 0);  // not the hot key
  EXPECT_EQ(Clicks, 2);

  auto* Check = Make<TUCodeCheckBox>();
  Check->SetCaption(L"&\u03A9mega");
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, L'\u03C9', 0), 1);
  EXPECT_TRUE(Check->Checked());
  auto* Radio = Make<TUCodeRadioButton>();
  Radio->SetCaption(L"&" + Japanese);
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, L'\u6771', 0), 1);
  EXPECT_TRUE(Radio->Checked());
}

TEST_F(UCodeStdCtrls, ALabelMeasuresAndDrawsItsWideCaption) {
  auto* Label = Make<TUCodeLabel>();
  Label->Font()->SetName("Tahoma");
  Label->SetCaption(Japanese + Greek);
  TBitmap Reference;
  Reference.SetSize(10, 10);
  Reference.Canvas()->Font()->Assign(Label->Font());
  Reference.Canvas()->RequiredState(csHandleValid | csFontValid);
  RECT Expected{0, 0, 0, 0};
  const std::wstring Text = Japanese + Greek;
  DrawTextW(Reference.Canvas()->Handle(), Text.c_str(), -1, &Expected,
            DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS);
  EXPECT_EQ(Label->Width(), Expected.right);  // auto-sized to the wide text
  EXPECT_EQ(Label->Height(), Expected.bottom);

  // Disabled, the text is drawn embossed: highlight one pixel down and right of the shadow.
  Label->SetEnabled(false);
  TBitmap Picture;
  Picture.SetPixelFormat(pf24bit);
  Picture.SetSize(Label->Width() + 2, Label->Height() + 2);
  Picture.Canvas()->Brush()->SetColor(clBlack);
  Picture.Canvas()->FillRect({0, 0, Picture.Width(), Picture.Height()});
  Label->SetTransparent(true);
  Label->Paint(Picture.Canvas());
  // Smoothed glyphs (the Chinese and Japanese font linked to the face) blend the highlight's edges into
  // the black: a pixel brighter than the shadow can only be highlight.
  const COLORREF Dark = ColorToRGB(clBtnShadow);
  int Highlight = 0, Shadow = 0;
  for (int Y = 0; Y < Picture.Height(); ++Y)
    for (int X = 0; X < Picture.Width(); ++X) {
      const auto Pixel = static_cast<COLORREF>(Picture.Canvas()->Pixels(X, Y));
      Highlight += GetRValue(Pixel) > GetRValue(Dark) && GetGValue(Pixel) > GetGValue(Dark) &&
                   GetBValue(Pixel) > GetBValue(Dark);
      Shadow += Pixel == Dark;
    }
  EXPECT_GT(Highlight, 10);
  EXPECT_GT(Shadow, 10);
}

// The label's pixels as it paints itself, and as the system draws Text with Flags on the label's colour.
std::vector<COLORREF> LabelPixels(TUCodeLabel* Label, const std::wstring* Text = nullptr, UINT Flags = 0) {
  TBitmap Picture;
  Picture.SetPixelFormat(pf24bit);
  Picture.SetSize(Label->Width(), Label->Height());
  TCanvas* Canvas = Picture.Canvas();
  if (Text) {
    Canvas->Brush()->SetColor(Label->Color());
    Canvas->FillRect({0, 0, Label->Width(), Label->Height()});
    Canvas->Font()->Assign(Label->Font());
    Canvas->RequiredState(csHandleValid | csFontValid);
    SetBkMode(Canvas->Handle(), TRANSPARENT);
    SetTextColor(Canvas->Handle(), ColorToRGB(Label->Font()->Color()));
    RECT Rect{0, 0, Label->Width(), Label->Height()};
    DrawTextW(Canvas->Handle(), Text->c_str(), -1, &Rect, Flags);
  } else {
    Label->Paint(Canvas);
  }
  std::vector<COLORREF> Pixels;
  for (int Y = 0; Y < Label->Height(); ++Y)
    for (int X = 0; X < Label->Width(); ++X) Pixels.push_back(static_cast<COLORREF>(Canvas->Pixels(X, Y)));
  return Pixels;
}

TEST_F(UCodeStdCtrls, ALabelCutsItsWideCaptionWithDotsAndMayShowItsAmpersand) {
  auto* Label = Make<TUCodeLabel>();
  Label->Font()->SetName("Tahoma");
  Label->SetCaption(Cyrillic);
  const int LineHeight = Label->Height();
  Label->SetAutoSize(false);
  Label->SetBounds(0, 0, 60, LineHeight);
  const std::wstring Long = Cyrillic + L" " + Greek + L" " + Japanese + L" " + Greek;
  Label->SetCaption(Long);
  Label->SetEllipsisPosition(epEndEllipsis);
  EXPECT_EQ(LabelPixels(Label), LabelPixels(Label, &Long, DT_NOCLIP | DT_END_ELLIPSIS));
  EXPECT_NE(LabelPixels(Label), LabelPixels(Label, &Long, DT_NOCLIP));

  // Lines beyond its height go word by word; the dots follow what stays.
  Label->SetBounds(0, 0, 200, LineHeight);
  Label->SetCaption(Cyrillic + L" " + Greek + L"\r\n" + Japanese + L" " + Greek);
  Label->SetEllipsisPosition(epWordEllipsis);
  const std::wstring Kept = Cyrillic + L"...";
  EXPECT_EQ(LabelPixels(Label), LabelPixels(Label, &Kept, DT_NOCLIP | DT_WORD_ELLIPSIS));

  // Without ShowAccelChar the ampersand shows, is measured, and makes no accelerator.
  auto* Edit = Make<TUCodeEdit>();
  Label->SetFocusControl(Edit);
  Label->SetEllipsisPosition(epNone);
  Label->SetAutoSize(true);
  Label->SetShowAccelChar(false);
  const std::wstring Marked = L"&" + Cyrillic;
  Label->SetCaption(Marked);
  EXPECT_EQ(LabelPixels(Label), LabelPixels(Label, &Marked, DT_NOCLIP | DT_EXPANDTABS | DT_NOPREFIX));
  Form->Show();
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, L'\u0416', 0), 0);
  Label->SetShowAccelChar(true);
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, L'\u0416', 0), 1);
}

TEST_F(UCodeStdCtrls, RightToLeftALabelsAndAGroupBoxsCaptionsStandAtTheRight) {
  auto* Label = Make<TUCodeLabel>();
  Label->SetAutoSize(false);
  Label->SetBounds(0, 0, 200, 20);
  Label->SetCaption(Greek);
  Label->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(LabelPixels(Label),
            LabelPixels(Label, &Greek, DT_NOCLIP | DT_EXPANDTABS | DT_RIGHT | DT_RTLREADING));

  auto* Box = Make<TUCodeGroupBox>();
  Box->SetBounds(10, 40, 300, 120);
  Box->SetCaption(Greek);
  Box->SetBiDiMode(bdRightToLeft);
  Form->Show();
  const TPixels Shown = PaintedClient(Box->Handle(), RGB(255, 0, 255));
  const COLORREF Text = ColorToRGB(clWindowText);
  // Smoothed text: every dark pixel counts.
  EXPECT_GT(Shown.Count({200, 0, 292, 12}, Text, 96), 10);
  EXPECT_EQ(Shown.Count({0, 0, 200, 12}, Text, 96), 0);
  EXPECT_EQ(Shown.Count({292, 0, 300, 12}, Text, 96), 0);
}

TEST_F(UCodeStdCtrls, CaptionsOfButtonsAndGroupBoxesLiveInTheirUnicodeWindows) {
  auto* Box = Make<TUCodeGroupBox>();
  auto* Check = new TUCodeCheckBox(Form.get());
  Check->SetParent(Box);
  Box->SetCaption(Japanese);
  Check->SetCaption(Clef + Greek);
  Form->Show();
  EXPECT_TRUE(IsWindowUnicode(Box->Handle()));
  wchar_t Shown[16] = {};
  GetWindowTextW(Check->Handle(), Shown, 16);
  EXPECT_EQ(std::wstring(Shown), Clef + Greek);
  Box->RecreateWnd();
  EXPECT_EQ(Box->Caption(), Japanese);
  EXPECT_EQ(Check->Caption(), Clef + Greek);
}

TEST_F(UCodeStdCtrls, AGroupBoxDrawsItsFrameItsCaptionAndTheLabelsInIt) {
  auto* Box = Make<TUCodeGroupBox>();
  Box->SetBounds(10, 10, 300, 120);
  Box->SetCaption(Greek + Japanese);
  auto* Label = new TUCodeLabel(Form.get());
  Label->SetParent(Box);
  Label->SetBounds(20, 40, 100, 20);
  Label->SetCaption(Cyrillic + L" Wort");
  Form->Show();
  SetWindowTheme(Box->Handle(), L" ", L" ");  // the classic look
  const TPixels Shown = PaintedClient(Box->Handle(), RGB(255, 0, 255));
  const COLORREF Text = ColorToRGB(clWindowText);
  const int TextHeight = Label->Height();
  EXPECT_GT(Shown.Count({8, 0, 150, TextHeight}, Text), 10);                     // the caption
  EXPECT_GT(Shown.Count({0, TextHeight, 2, 120}, ColorToRGB(clBtnShadow)), 50);  // the frame's left
  EXPECT_GT(
      Shown.Count({Label->Left(), Label->Top(), Label->Left() + Label->Width(), Label->Top() + 20}, Text),
      10);
  EXPECT_EQ(Shown.Count({0, 0, 300, 120}, RGB(255, 0, 255)), 0);  // all of it erased
}

TEST_F(UCodeStdCtrls, AThemedGroupBoxDrawsTheThemesFrameAroundItsWideCaption) {
  ASSERT_TRUE(ThemesEnabled());  // Wine's prefix comes with its light theme on
  auto* Box = Make<TUCodeGroupBox>();
  Box->SetBounds(10, 10, 300, 120);
  Box->SetCaption(Greek + Japanese);
  Form->Show();
  const TPixels Shown = PaintedClient(Box->Handle(), RGB(255, 0, 255));

  // The theme's frame drawn by itself, on the box's colour.
  TBitmap Frame;
  Frame.SetPixelFormat(pf24bit);
  Frame.SetSize(300, 120);
  Frame.Canvas()->Brush()->SetColor(Box->Color());
  Frame.Canvas()->FillRect({0, 0, 300, 120});
  Frame.Canvas()->Font()->Assign(Box->Font());
  Frame.Canvas()->RequiredState(csHandleValid | csFontValid);
  SIZE Zero{};
  GetTextExtentPoint32W(Frame.Canvas()->Handle(), L"0", 1, &Zero);
  RECT Outer{0, Zero.cy / 2 - 1, 300, 120};
  const HTHEME Theme = OpenThemeData(Box->Handle(), L"BUTTON");
  ASSERT_NE(Theme, nullptr);
  DrawThemeBackground(Theme, Frame.Canvas()->Handle(), BP_GROUPBOX, GBS_NORMAL, &Outer, nullptr);
  CloseThemeData(Theme);
  int Same = 0;
  for (int Y = 30; Y < 110; ++Y)
    for (int X : {0, 1, 298, 299})
      Same += Shown.At(X, Y) == static_cast<COLORREF>(Frame.Canvas()->Pixels(X, Y));
  EXPECT_EQ(Same, 320);
  EXPECT_EQ(Shown.Count({0, 0, 300, 120}, RGB(255, 0, 255)), 0);
  // The caption stands where the frame's top line would be.
  const COLORREF Background = ColorToRGB(Box->Color());
  EXPECT_GT(Zero.cy * 100 - Shown.Count({8, 0, 108, Zero.cy}, Background), 20);

  // A window the theme is turned off for is drawn classically.
  SetWindowTheme(Box->Handle(), L" ", L" ");
  const TPixels Classic = PaintedClient(Box->Handle(), RGB(255, 0, 255));
  EXPECT_GT(Classic.Count({0, Zero.cy, 2, 120}, ColorToRGB(clBtnShadow)), 50);
}

// A check box that draws as soon as its window exists, as one made while its parent shows may do before the
// font arrives.
class TEagerCheckBox : public TUCodeCheckBox {
 public:
  using TUCodeCheckBox::TUCodeCheckBox;

 protected:
  void CreateWnd() override {
    TUCodeCheckBox::CreateWnd();
    UpdateWindow(FHandle);
  }
};

TEST_F(UCodeStdCtrls, AControlThatDrewBeforeItsFontArrivedDrawsAgainInIt) {
  auto* Panel = Make<TPanel>();
  Panel->SetBounds(0, 0, 300, 120);
  Panel->SetVisible(false);
  auto* Check = new TEagerCheckBox(Form.get());
  Check->SetParent(Panel);
  Check->SetBounds(10, 10, 200, 25);
  Check->SetCaption(Greek + L" Wort");
  Form->Show();
  Panel->Show();
  const TPixels Shown = ShownWindow(Check->Handle());
  InvalidateRect(Check->Handle(), nullptr, TRUE);
  EXPECT_EQ(Shown, ShownWindow(Check->Handle()));  // nothing left in the system font
}

// An item's text as the window tells it wide: its length asked with LengthMsg, the text with TextMsg.
std::wstring WindowItemText(HWND Wnd, int Index, UINT LengthMsg = LB_GETTEXTLEN, UINT TextMsg = LB_GETTEXT) {
  std::wstring Buffer(static_cast<size_t>(SendMessageW(Wnd, LengthMsg, static_cast<WPARAM>(Index), 0)) + 1,
                      L'\0');
  Buffer.resize(static_cast<size_t>(
      SendMessageW(Wnd, TextMsg, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(Buffer.data()))));
  return Buffer;
}

TEST_F(UCodeStdCtrls, AListBoxKeepsItsWideItemsTheSelectionAndTheTopRowAcrossANewWindow) {
  auto* List = Make<TUCodeListBox>();
  List->SetBounds(0, 0, 200, 80);
  for (int I = 0; I < 40; ++I) List->Items()->Add(Greek + std::to_wstring(I));
  List->Items()->InsertObject(1, Japanese, List);
  Form->Show();
  ASSERT_TRUE(IsWindowUnicode(List->Handle()));
  EXPECT_EQ(WindowItemText(List->Handle(), 1), Japanese);
  EXPECT_EQ(List->Items()->IndexOf(Japanese), 1);
  EXPECT_EQ(List->Items()->GetObject(1), List);
  List->SetItemIndex(30);
  List->SetTopIndex(25);
  List->Items()->Put(30, Clef);  // a new text keeps the row selected
  EXPECT_EQ(List->ItemIndex(), 30);
  List->SetStyle(lbOwnerDrawFixed);  // a new window
  EXPECT_EQ(List->ItemIndex(), 30);
  EXPECT_EQ(List->TopIndex(), 25);
  EXPECT_EQ(List->Items()->Get(30), Clef);
  EXPECT_EQ(WindowItemText(List->Handle(), 30), Clef);
  EXPECT_EQ(List->Items()->Count(), 41);
  List->Items()->Exchange(0, 1);
  EXPECT_EQ(List->Items()->Get(0), Japanese);
  EXPECT_EQ(List->TListBox::Items()->Get(0), WideToAnsi(Japanese));
}

TEST_F(UCodeStdCtrls, AVirtualListBoxNeverTellsMoreThanTheLengthItToldBefore) {
  auto* List = Make<TUCodeListBox>();
  List->SetStyle(lbVirtual);
  int Asked = 0;
  List->OnData = [&](TWinControl*, int Index, std::string& Data) {
    Data = std::string(static_cast<size_t>(3 + Asked++), static_cast<char>('a' + Index));
  };
  List->SetCount(3);
  Form->Show();
  const HWND Wnd = List->Handle();
  const auto Length = SendMessageW(Wnd, LB_GETTEXTLEN, 2, 0);
  ASSERT_EQ(Length, 3);
  std::wstring Buffer(8, L'#');  // room for the length told and its zero, and a guard behind
  EXPECT_EQ(SendMessageW(Wnd, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(Buffer.data())), 3);
  EXPECT_EQ(Buffer, std::wstring(L"ccc\0####", 8));
  EXPECT_EQ(SendMessageW(Wnd, LB_GETTEXTLEN, 3, 0), LB_ERR);
  EXPECT_EQ(List->Items()->Get(0).substr(0, 1), L"a");
}

TEST_F(UCodeStdCtrls, AVirtualListBoxTellsARowPast65535AsFoundAndEmpty) {
  auto* List = Make<TUCodeListBox>();
  List->SetStyle(lbVirtual);
  List->OnData = [](TWinControl*, int, std::string& Data) { Data = "row"; };
  List->SetCount(70000);
  Form->Show();
  EXPECT_EQ(WindowItemText(List->Handle(), 65535), L"row");
  std::wstring Buffer(4, L'#');
  EXPECT_EQ(SendMessageW(List->Handle(), LB_GETTEXTLEN, 65536, 0), 0);
  EXPECT_EQ(SendMessageW(List->Handle(), LB_GETTEXT, 65536, reinterpret_cast<LPARAM>(Buffer.data())), 0);
  EXPECT_EQ(Buffer, std::wstring(L"\0###", 4));
  EXPECT_EQ(SendMessageW(List->Handle(), LB_GETTEXTLEN, 70000, 0), LB_ERR);
}

// The leftmost and rightmost column between Top and Bottom that is not all Background; -1 when there is
// none. The outer columns are left out, where a focus frame may go.
std::pair<int, int> ColumnsOf(const TPixels& Shown, int Top, int Bottom, COLORREF Background) {
  int Left = -1, Right = -1;
  for (int X = 1; X + 1 < Shown.Width(); ++X)
    if (Shown.Count({X, Top, X + 1, Bottom}, Background) < Bottom - Top) {
      if (Left < 0) Left = X;
      Right = X;
    }
  return {Left, Right};
}

TEST_F(UCodeStdCtrls, AnOwnerDrawnListBoxDrawsItsWideItemsTwoPixelsInFromTheReadingSide) {
  auto* List = Make<TUCodeListBox>();
  List->SetBounds(0, 0, 200, 80);
  List->SetStyle(lbOwnerDrawFixed);
  List->Items()->Add(Cyrillic);
  List->Items()->Add(AnsiToWide(WideToAnsi(Cyrillic)));  // what the 8-bit text would show
  Form->Show();
  const HWND Wnd = List->Handle();
  const auto Row = static_cast<int>(SendMessageW(Wnd, LB_GETITEMHEIGHT, 0, 0));
  const COLORREF Back = GetSysColor(COLOR_WINDOW);
  const TPixels Ltr = PaintedClient(Wnd, RGB(255, 0, 255));
  // Between the rows' edges, where a focus frame may go.
  const auto [Left, Right] = ColumnsOf(Ltr, 1, Row - 1, Back);
  EXPECT_GE(Left, 2);
  EXPECT_LE(Left, 4);
  EXPECT_NE(ColumnsOf(Ltr, Row + 1, 2 * Row - 1, Back), std::make_pair(Left, Right));  // not "???"

  List->SetBiDiMode(bdRightToLeft);
  const TPixels Rtl = PaintedClient(Wnd, RGB(255, 0, 255));
  const auto [RtlLeft, RtlRight] = ColumnsOf(Rtl, 1, Row - 1, Back);
  EXPECT_LE(RtlRight, Rtl.Width() - 3);
  EXPECT_GE(RtlRight, Rtl.Width() - 5);
  EXPECT_EQ(RtlRight - RtlLeft, Right - Left);

  int Drawn = 0;  // the program's own drawing goes first
  List->OnDrawItem = [&](TWinControl*, int, const RECT&, UINT, HDC) { ++Drawn; };
  PaintedClient(Wnd, RGB(255, 0, 255));
  EXPECT_GT(Drawn, 0);
}

// A list window that refuses every new item, as one out of memory does.
LRESULT CALLBACK RefusingListProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  const auto Previous = reinterpret_cast<WNDPROC>(GetPropW(Wnd, L"Previous"));
  if (Msg == LB_ADDSTRING || Msg == LB_INSERTSTRING) return LB_ERRSPACE;
  if (Msg == CB_ADDSTRING || Msg == CB_INSERTSTRING) return CB_ERRSPACE;
  return CallWindowProcW(Previous, Wnd, Msg, WParam, LParam);
}

// Makes the window refuse new items for the scope.
class TRefusingList {
 public:
  explicit TRefusingList(HWND Wnd) : FWnd(Wnd) {
    SetPropW(Wnd, L"Previous",
             reinterpret_cast<HANDLE>(
                 SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingListProc))));
  }
  ~TRefusingList() {
    SetWindowLongPtrW(FWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RemovePropW(FWnd, L"Previous")));
  }
  TRefusingList(const TRefusingList&) = delete;
  TRefusingList& operator=(const TRefusingList&) = delete;

 private:
  HWND FWnd;
};

TEST_F(UCodeStdCtrls, AnItemTheWindowRefusesRaisesOutOfResourcesAndIsNoItem) {
  auto* List = Make<TUCodeListBox>();
  List->Items()->Add(Greek);
  auto* Combo = Make<TUCodeComboBox>();
  Combo->Items()->Add(Greek);
  Form->Show();
  {
    const TRefusingList Refusing(List->Handle());
    EXPECT_THROW(List->Items()->Add(Cyrillic), EOutOfResources);
    EXPECT_THROW(List->Items()->Insert(0, Cyrillic), EOutOfResources);
  }
  {
    const TRefusingList Refusing(Combo->Handle());
    EXPECT_THROW(Combo->Items()->Add(Cyrillic), EOutOfResources);
  }
  EXPECT_EQ(List->Items()->Count(), 1);
  EXPECT_EQ(List->TListBox::Items()->Count(), 1);
  EXPECT_EQ(Combo->Items()->Count(), 1);
  EXPECT_EQ(Combo->TComboBox::Items()->Count(), 1);
  List->Items()->Add(Japanese);  // the items and the window still agree
  EXPECT_EQ(WindowItemText(List->Handle(), 1), Japanese);
  EXPECT_EQ(SendMessageW(List->Handle(), LB_GETCOUNT, 0, 0), 2);
}

TEST_F(UCodeStdCtrls, CopySelectionTakesTheSelectedItemsWideWithTheirObjects) {
  TObject First, Second, Third;
  auto* List = Make<TUCodeListBox>();
  List->SetMultiSelect(true);
  List->Items()->AddObject(Greek, &First);
  List->Items()->AddObject(Japanese, &Second);
  List->Items()->AddObject(Cyrillic, &Third);
  auto* Combo = Make<TUCodeComboBox>();
  auto* Plain = Make<TListBox>();  // takes 8-bit items only
  Form->Show();
  SendMessageW(List->Handle(), LB_SETSEL, TRUE, 0);
  SendMessageW(List->Handle(), LB_SETSEL, TRUE, 2);
  List->CopySelection(Combo);
  ASSERT_EQ(Combo->Items()->Count(), 2);
  EXPECT_EQ(Combo->Items()->Get(0), Greek);
  EXPECT_EQ(Combo->Items()->Get(1), Cyrillic);
  EXPECT_EQ(WindowItemText(Combo->Handle(), 1, CB_GETLBTEXTLEN, CB_GETLBTEXT), Cyrillic);
  EXPECT_EQ(Combo->Items()->GetObject(1), &Third);

  Combo->SetItemIndex(1);
  Combo->CopySelection(List);
  ASSERT_EQ(List->Items()->Count(), 4);
  EXPECT_EQ(List->Items()->Get(3), Cyrillic);
  EXPECT_EQ(List->Items()->GetObject(3), &Third);
  Combo->CopySelection(Plain);
  ASSERT_EQ(Plain->Items()->Count(), 1);
  EXPECT_EQ(Plain->Items()->Get(0), WideToAnsi(Cyrillic));
  EXPECT_EQ(Plain->Items()->GetObject(0), &Third);

  List->SetMultiSelect(false);  // then the item at ItemIndex alone
  List->SetItemIndex(1);
  List->CopySelection(Combo);
  EXPECT_EQ(Combo->Items()->Get(2), Japanese);
  EXPECT_EQ(Combo->Items()->GetObject(2), &Second);
}

TEST_F(UCodeStdCtrls, WideCaptionsAndHintsGoIntoFormsOnlyWhenNoActionSuppliesThem) {
  auto* Button = Make<TUCodeButton>();
  const TClassInfo* Info = UCodeStdCtrlsClass("TUCodeButton");
  const TPropInfo* Caption = GetPropInfo(Info, "Caption");
  const TPropInfo* Hint = GetPropInfo(Info, "Hint");
  ASSERT_EQ(Caption->Kind, tkWString);
  ASSERT_EQ(Hint->Kind, tkWString);
  Button->SetCaption(Greek);
  EXPECT_TRUE(IsStoredProp(Button, Caption));
  auto* Action = new TUCodeAction(Form.get());
  Action->SetCaption(Japanese);
  Action->SetHint(Cyrillic);
  Button->SetAction(Action);
  EXPECT_EQ(Button->Caption(), Japanese);
  EXPECT_FALSE(IsStoredProp(Button, Caption));
  EXPECT_FALSE(IsStoredProp(Button, Hint));
  Button->SetHint(Greek);  // a hint of its own
  EXPECT_TRUE(IsStoredProp(Button, Hint));
  EXPECT_FALSE(IsStoredProp(Button, Caption));
}

std::wstring ComboItemText(HWND Wnd, int Index) {
  return WindowItemText(Wnd, Index, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

// What a combo box reported: its changes and clicks.
struct TComboLog {
  int Changes = 0;
  int Clicks = 0;
};

class UCodeComboBox : public UCodeStdCtrls {
 protected:
  TUCodeComboBox* MakeCombo(std::initializer_list<std::wstring> Items) {
    auto* Combo = Make<TUCodeComboBox>();
    Combo->SetBounds(10, 10, 200, 21);
    for (const std::wstring& Item : Items) Combo->Items()->Add(Item);
    Combo->OnChange = [this](TObject*) { ++Log.Changes; };
    Combo->OnClick = [this](TObject*) { ++Log.Clicks; };
    return Combo;
  }
  static void Type(HWND Wnd, wchar_t Ch) { SendMessageW(Wnd, WM_CHAR, Ch, 1); }
  TComboLog Log;
};

TEST_F(UCodeComboBox, WideItemsTextAndSelectionSurviveANewWindow) {
  auto* Combo = MakeCombo({Greek, Cyrillic, Japanese + Clef});
  Combo->SetText(Cyrillic + Clef);
  Form->Show();
  ASSERT_TRUE(IsWindowUnicode(Combo->Handle()));
  ASSERT_TRUE(IsWindowUnicode(Combo->EditHandle()));
  EXPECT_EQ(Combo->Text(), Cyrillic + Clef);
  EXPECT_EQ(ComboItemText(Combo->Handle(), 2), Japanese + Clef);
  EXPECT_EQ(Combo->Items()->IndexOf(Japanese + Clef), 2);
  Combo->Items()->Add(Japanese);  // refilling the list keeps the text
  EXPECT_EQ(Combo->Text(), Cyrillic + Clef);
  Combo->SetStyle(csSimple);  // a new window
  EXPECT_EQ(Combo->Text(), Cyrillic + Clef);
  EXPECT_EQ(ComboItemText(Combo->Handle(), 3), Japanese);
  Combo->SetItemIndex(2);
  Combo->SetStyle(csDropDownList);
  EXPECT_EQ(Combo->ItemIndex(), 2);
  EXPECT_EQ(Combo->Text(), Japanese + Clef);
  EXPECT_EQ(Combo->Items()->Count(), 4);
  EXPECT_EQ(Combo->TComboBox::Items()->Get(0), WideToAnsi(Greek));
  Combo->SetStyle(csDropDown);
  Combo->SetText(Greek + Japanese);
  Combo->Items()->Clear();
  EXPECT_EQ(SendMessageW(Combo->Handle(), CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Combo->Text(), Greek + Japanese);
  // Of the program's own changes only the clearing of the wide items is told.
  EXPECT_EQ(Log.Changes, 1);
}

TEST_F(UCodeComboBox, ItemsChangedBy8BitCodeKeepTheOthersWide) {
  auto* Combo = MakeCombo({Greek, Cyrillic, Japanese});
  auto* List = Make<TUCodeListBox>();
  for (const std::wstring& Item : {Greek, Cyrillic, Japanese}) List->Items()->Add(Item);
  Form->Show();
  const std::vector<std::pair<TStrings*, TUCodeStrings*>> Both{{Combo->TComboBox::Items(), Combo->Items()},
                                                               {List->TListBox::Items(), List->Items()}};
  for (auto [Ansi, Items] : Both) {
    Ansi->Insert(0, "plain");
    Ansi->Delete(2);  // Cyrillic
    EXPECT_EQ(Items->Get(2), Japanese);
    Ansi->Put(2, "put");
    Ansi->Add("end");
    Ansi->PutObject(1, List);
  }
  for (TUCodeStrings* Items : {Combo->Items(), List->Items()}) {
    ASSERT_EQ(Items->Count(), 4);
    EXPECT_EQ(Items->Get(0), L"plain");
    EXPECT_EQ(Items->Get(1), Greek);
    EXPECT_EQ(Items->GetObject(1), List);
    EXPECT_EQ(Items->Get(2), L"put");
    EXPECT_EQ(Items->Get(3), L"end");
  }
  EXPECT_EQ(ComboItemText(Combo->Handle(), 1), Greek);
  EXPECT_EQ(WindowItemText(List->Handle(), 1), Greek);
  Combo->TComboBox::Items()->Clear();
  EXPECT_EQ(Combo->Items()->Count(), 0);
}

// Items whose 8-bit forms are alike ("?a") are told apart by their place.
TEST_F(UCodeComboBox, ItemsDeletedBy8BitCodeLeaveTheOthersTheirOwnWideTexts) {
  const std::wstring Zhe = L"\u0416", De = L"\u0414";
  auto* Combo = MakeCombo({Zhe + L"a", De + L"a"});
  auto* List = Make<TUCodeListBox>();
  List->Items()->Add(Zhe + L"a");
  List->Items()->Add(De + L"a");
  Form->Show();
  const std::vector<std::pair<TStrings*, TUCodeStrings*>> Both{{Combo->TComboBox::Items(), Combo->Items()},
                                                               {List->TListBox::Items(), List->Items()}};
  for (auto [Ansi, Items] : Both) {
    Ansi->Delete(0);
    ASSERT_EQ(Items->Count(), 1);
    EXPECT_EQ(Items->Get(0), De + L"a");
    Items->Clear();
    for (const wchar_t* Tail : {L"a", L"b", L"c"}) Items->Add(Zhe + Tail);
    Ansi->BeginUpdate();
    Ansi->Delete(0);
    Ansi->Delete(0);
    Ansi->EndUpdate();
    ASSERT_EQ(Items->Count(), 1);
    EXPECT_EQ(Items->Get(0), Zhe + L"c");
  }
  EXPECT_EQ(ComboItemText(Combo->Handle(), 0), Zhe + L"c");
  EXPECT_EQ(WindowItemText(List->Handle(), 0), Zhe + L"c");
}

TEST_F(UCodeComboBox, AnExchangeTakesTheSelectionAlongAndAComboReadsAMissingItemAsEmpty) {
  auto* Combo = MakeCombo({Greek, Cyrillic, Japanese});
  auto* List = Make<TUCodeListBox>();
  for (const std::wstring& Item : {Greek, Cyrillic, Japanese}) List->Items()->Add(Item);
  Form->Show();
  Combo->SetItemIndex(0);
  List->SetItemIndex(0);
  Combo->Items()->Exchange(0, 2);
  List->Items()->Exchange(0, 2);
  EXPECT_EQ(Combo->ItemIndex(), 2);
  EXPECT_EQ(List->ItemIndex(), 2);
  EXPECT_EQ(Combo->Text(), Greek);
  EXPECT_EQ(ComboItemText(Combo->Handle(), 0), Japanese);
  EXPECT_EQ(WindowItemText(List->Handle(), 2), Greek);
  EXPECT_EQ(Combo->Items()->Get(3), L"");
  EXPECT_EQ(Combo->Items()->Get(-1), L"");
  EXPECT_THROW(List->Items()->Get(3), EStringListError);
}

// The 8-bit forms "?a" and "?b" alone cannot tell which wide text goes where.
TEST_F(UCodeComboBox, SortingThe8BitItemsKeepsEachWideTextWithItsObject) {
  const std::wstring Zhe = L"\u0416", De = L"\u0414";
  auto* Combo = MakeCombo({});
  auto* List = Make<TUCodeListBox>();
  Form->Show();
  const std::vector<std::pair<TStrings*, TUCodeStrings*>> Both{{Combo->TComboBox::Items(), Combo->Items()},
                                                               {List->TListBox::Items(), List->Items()}};
  for (auto [Ansi, Items] : Both) {
    for (const wchar_t* Tail : {L"d", L"b", L"c"}) Items->AddObject(Zhe + Tail, nullptr);
    Items->AddObject(De + L"a", List);
    dynamic_cast<TStringList*>(Ansi)->Sort();
    ASSERT_EQ(Items->Count(), 4);
    EXPECT_EQ(Items->Get(0), De + L"a");
    EXPECT_EQ(Items->GetObject(0), List);
    EXPECT_EQ(Items->Get(1), Zhe + L"b");
    EXPECT_EQ(Items->Get(3), Zhe + L"d");
    EXPECT_EQ(Items->GetObject(3), nullptr);
    // A sorted list takes a wide add at its sorted place, as it does an 8-bit one.
    dynamic_cast<TStringList*>(Ansi)->SetSorted(true);
    EXPECT_EQ(Items->AddObject(De + L"bb", Combo), 2);
    EXPECT_EQ(Items->Get(2), De + L"bb");
    EXPECT_EQ(Items->GetObject(2), Combo);
    EXPECT_EQ(Items->Get(3), Zhe + L"c");
  }
  EXPECT_EQ(ComboItemText(Combo->Handle(), 0), De + L"a");
  EXPECT_EQ(WindowItemText(List->Handle(), 0), De + L"a");
  EXPECT_EQ(WindowItemText(List->Handle(), 2), De + L"bb");
  EXPECT_EQ(ComboItemText(Combo->Handle(), 3), Zhe + L"c");
}

TEST_F(UCodeComboBox, AMovedItemTakesItsWideTextToItsNewPlaceEitherWay) {
  const std::wstring Alpha = L"\u0391", Beta = L"\u0392", Gamma = L"\u0393", Delta = L"\u0394";
  auto* Combo = MakeCombo({Alpha, Beta, Gamma, Delta});
  auto* List = Make<TUCodeListBox>();
  for (const std::wstring& Item : {Alpha, Beta, Gamma, Delta}) List->Items()->Add(Item);
  Form->Show();
  for (TUCodeStrings* Items : {static_cast<TUCodeStrings*>(Combo->Items()), List->Items()}) {
    Items->Move(0, 2);
    EXPECT_EQ(Items->Text(), Beta + L"\r\n" + Gamma + L"\r\n" + Alpha + L"\r\n" + Delta + L"\r\n");
    Items->Move(3, 0);
    EXPECT_EQ(Items->Text(), Delta + L"\r\n" + Beta + L"\r\n" + Gamma + L"\r\n" + Alpha + L"\r\n");
  }
  EXPECT_EQ(ComboItemText(Combo->Handle(), 3), Alpha);
  EXPECT_EQ(WindowItemText(List->Handle(), 0), Delta);
}

TEST_F(UCodeComboBox, TypingCompletesToAWideItemAndAPickedItemIsTheTextWide) {
  auto* Combo = MakeCombo({L"zwei", Greek, Greek + L" " + Clef});
  std::wstring Pressed;
  Combo->OnKeyPress = [&](TObject*, char& Key) {
    Pressed += static_cast<wchar_t>(static_cast<unsigned char>(Key));
    if (Key == '!') Key = 0;
  };
  Form->Show();
  const HWND Edit = Combo->EditHandle();
  Type(Edit, Greek[0]);
  EXPECT_EQ(Combo->Text(), Greek);
  EXPECT_EQ(Combo->GetSelStart(), 1);
  EXPECT_EQ(Combo->GetSelLength(), 4);
  EXPECT_EQ(Combo->ItemIndex(), 1);
  EXPECT_EQ(Log.Changes, 1);
  for (wchar_t Ch : Greek.substr(1)) Type(Edit, Ch);  // the same item: no new change
  EXPECT_EQ(Log.Changes, 1);
  Type(Edit, L' ');  // now only the longer item begins so
  EXPECT_EQ(Combo->Text(), Greek + L" " + Clef);
  EXPECT_EQ(Combo->GetSelLength(), 2);
  Type(Edit, L'!');         // taken by OnKeyPress
  Type(Edit, Japanese[0]);  // begins no item: typed over the selection
  EXPECT_EQ(Combo->Text(), Greek + L" " + Japanese.substr(0, 1));
  EXPECT_EQ(Pressed.size(), 8u);
  EXPECT_EQ(Pressed.back(), L'\u00FF');  // a character above 255 reaches the 8-bit event packed

  // Completion only at the end of the text, and only when asked for.
  Combo->SetText(L"we");
  Combo->SetSelStart(0);
  Type(Edit, L'z');
  EXPECT_EQ(Combo->Text(), L"zwe");
  Combo->AutoComplete = false;
  Combo->SetText(L"");
  Type(Edit, L'z');
  EXPECT_EQ(Combo->Text(), L"z");

  // Picked from the list by the keyboard: the text is the wide item when OnChange runs.
  std::wstring Seen;
  Combo->OnChange = [&](TObject*) { Seen = Combo->Text(); };
  Combo->SetItemIndex(0);
  SendMessageW(Edit, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(Combo->ItemIndex(), 1);
  EXPECT_EQ(Seen, Greek);
}

TEST_F(UCodeComboBox, TypeAheadInADropDownListKeepsCharactersTypedWithinAQuarterPastASecond) {
  auto* Combo = MakeCombo({L"ab", L"b", L"avocado", L"apple", Greek});
  Combo->SetStyle(csDropDownList);
  Form->Show();
  const HWND Wnd = Combo->Handle();
  Type(Wnd, L'a');
  EXPECT_EQ(Combo->ItemIndex(), 0);
  Type(Wnd, L'b');  // "ab"; alone "b" would pick the second item
  EXPECT_EQ(Combo->ItemIndex(), 0);
  Sleep(1300);
  Type(Wnd, L'b');
  EXPECT_EQ(Combo->ItemIndex(), 1);
  Sleep(1300);
  Type(Wnd, L'a');
  Type(Wnd, L'v');
  EXPECT_EQ(Combo->ItemIndex(), 2);
  Type(Wnd, VK_BACK);  // "a" again
  Type(Wnd, L'p');
  EXPECT_EQ(Combo->ItemIndex(), 3);
  Sleep(1300);
  Type(Wnd, Greek[0]);
  EXPECT_EQ(Combo->ItemIndex(), 4);
  EXPECT_EQ(Combo->Text(), Greek);
  EXPECT_EQ(Log.Changes, 6);  // each new item picked
}

TEST_F(UCodeComboBox, AnOwnerDrawnComboDrawsItsWideItem) {
  auto* Combo = MakeCombo({Cyrillic, AnsiToWide(WideToAnsi(Cyrillic))});
  Combo->SetStyle(csOwnerDrawFixed);
  Form->Show();
  Combo->SetItemIndex(0);
  const TPixels Wide = PaintedClient(Combo->Handle(), RGB(255, 0, 255));
  Combo->SetItemIndex(1);
  const TPixels Ansi = PaintedClient(Combo->Handle(), RGB(255, 0, 255));
  EXPECT_NE(Wide, Ansi);  // the item drawn wide, not as "???"
}

TEST(UCodeStdCtrlsAnsi, TheANSIRoadKeepsWorkingControls) {
  TUnicodePlatformGuard Guard(false);
  TForm Form(nullptr);
  auto* Memo = new TUCodeMemo(&Form);
  Memo->SetParent(&Form);
  Memo->Lines()->Add(L"eins");
  Memo->Lines()->Add(L"zwei \u00E4");
  Form.Show();
  EXPECT_FALSE(IsWindowUnicode(Memo->Handle()));
  EXPECT_EQ(Memo->Lines()->Count(), 2);
  EXPECT_EQ(Memo->Lines()->Get(1), L"zwei \u00E4");
  auto* Edit = new TUCodeEdit(&Form);
  Edit->SetParent(&Form);
  Edit->SetText(L"abc\u00E9");
  Edit->SetSelStart(3);
  Edit->SetSelLength(1);
  EXPECT_EQ(Edit->GetSelText(), L"\u00E9");
  auto* Combo = new TUCodeComboBox(&Form);
  Combo->SetParent(&Form);
  Combo->Items()->Add(L"\u00E9t\u00E9");
  SendMessageA(Combo->EditHandle(), WM_CHAR, 0xE9, 1);  // completes on the 8-bit road too
  EXPECT_FALSE(IsWindowUnicode(Combo->EditHandle()));
  EXPECT_EQ(Combo->Text(), L"\u00E9t\u00E9");
  EXPECT_EQ(Combo->GetSelStart(), 1);
  EXPECT_EQ(Combo->GetSelLength(), 2);
}

}  // namespace
