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
  EXPECT_EQ(Log.Changes, 0);  // the program's own changes
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
