#include "Imports/UCodeComCtrls.h"

#include <gtest/gtest.h>

#include <memory>

#include "Imports/UCodeForms.h"
#include "Imports/UCodeSysUtils.h"
#include "classlib/Forms.h"
#include "tests/support/Pixels.h"

namespace {

const std::wstring Greek = L"\u0391\u03B8\u03AE\u03BD\u03B1";
const std::wstring Cyrillic = L"\u041C\u043E\u0441\u043A\u0432\u0430";
const std::wstring Japanese = L"\u6771\u4EAC";
const std::wstring Clef = L"\U0001D11E";

// The text the window shows in a cell, asked as the system asks: with a buffer of Size characters.
std::wstring Cell(TListView* View, int Row, int Column, int Size = 256) {
  std::wstring Buffer(static_cast<size_t>(Size), L'#');
  LVITEMW Item{};
  Item.iSubItem = Column;
  Item.pszText = Buffer.data();
  Item.cchTextMax = Size;
  const auto Length = SendMessageW(View->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(Row),
                                   reinterpret_cast<LPARAM>(&Item));
  return std::wstring(Item.pszText, static_cast<size_t>(Length));
}

std::wstring ColumnTitle(TListView* View, int Column) {
  wchar_t Buffer[64] = {};
  LVCOLUMNW Info{};
  Info.mask = LVCF_TEXT;
  Info.pszText = Buffer;
  Info.cchTextMax = 64;
  SendMessageW(View->Handle(), LVM_GETCOLUMNW, static_cast<WPARAM>(Column), reinterpret_cast<LPARAM>(&Info));
  return Buffer;
}

class UCodeListView : public testing::Test {
 protected:
  void SetUp() override {
    UCodeApplication();
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(30, 30, 500, 300);
    View = new TUCodeListView(Form.get());
    View->SetParent(Form.get());
    View->SetBounds(0, 0, 480, 260);
    View->SetViewStyle(vsReport);
    for (const std::wstring& Title : {Greek, Japanese, Cyrillic}) View->Columns()->Add()->SetCaption(Title);
  }
  std::unique_ptr<TForm> Form;
  TUCodeListView* View = nullptr;
};

TEST_F(UCodeListView, OwnerDataRowsShowTheirWideCellsAndEmptyOnesWhereNoneIsSet) {
  View->SetOwnerData(true);
  View->OnData = [](TObject*, TListItem* Row) {
    auto* Item = static_cast<TUCodeListItem*>(Row);
    if (Item->Index() % 2) return;  // odd rows get nothing
    Item->SetCaption(Greek + std::to_wstring(Item->Index()));
    Item->SubItems()->Add(Japanese);
    if (Item->Index() == 0) Item->SubItems()->Add(Clef + Cyrillic);
  };
  View->Items()->SetCount(4);
  Form->Show();
  EXPECT_EQ(ColumnTitle(View, 1), Japanese);
  EXPECT_EQ(Cell(View, 0, 0), Greek + L"0");
  EXPECT_EQ(Cell(View, 0, 1), Japanese);
  EXPECT_EQ(Cell(View, 0, 2), Clef + Cyrillic);
  EXPECT_EQ(Cell(View, 2, 1), Japanese);
  EXPECT_EQ(Cell(View, 2, 2), L"");  // beyond the row's sub-items
  // A row for which OnData sets nothing shows nothing of the row asked before it.
  EXPECT_EQ(Cell(View, 1, 0), L"");
  EXPECT_EQ(Cell(View, 1, 1), L"");
  // A text longer than the buffer is cut to its size less one.
  EXPECT_EQ(Cell(View, 0, 0, 4), Greek.substr(0, 3));
}

TEST_F(UCodeListView, TypingInAnOwnerDataListSelectsOnlyWhatTheFindHandlerFinds) {
  View->SetOwnerData(true);
  View->OnData = [](TObject*, TListItem* Row) {
    static_cast<TUCodeListItem*>(Row)->SetCaption(Greek + std::to_wstring(Row->Index()));
  };
  View->Items()->SetCount(5);
  Form->Show();
  View->SetItemIndex(3);
  // Without a handler nothing is found: the selection stays where it was.
  SendMessageW(View->Handle(), WM_CHAR, 'x', 1);
  EXPECT_EQ(View->ItemIndex(), 3);
  std::wstring Asked;
  TItemFind Kind = ifData;
  View->OnDataFind = [&](TObject*, TItemFind Find, const std::wstring& Text, int, bool, int& Index) {
    Kind = Find;
    Asked = Text;
    Index = 1;
  };
  SendMessageW(View->Handle(), WM_CHAR, Greek[0], 1);
  EXPECT_EQ(Kind, ifPartialString);
  EXPECT_EQ(Asked.substr(Asked.size() - 1), Greek.substr(0, 1));
  EXPECT_EQ(View->ItemIndex(), 1);
}

TEST_F(UCodeListView, TheTemporaryRowIsTheListsOwn) {
  View->SetOwnerData(true);
  View->OnData = [](TObject*, TListItem* Row) { static_cast<TUCodeListItem*>(Row)->SetCaption(Greek); };
  View->Items()->SetCount(2);
  Form->Show();
  EXPECT_EQ(Cell(View, 1, 0), Greek);
  View->SetOwnerData(false);
  TUCodeListItem* First = View->Items()->Add();
  First->SetCaption(L"first");
  View->Items()->Clear();  // the first row ever made goes
  View->SetOwnerData(true);
  View->Items()->SetCount(1);
  EXPECT_EQ(Cell(View, 0, 0), Greek);
}

TEST_F(UCodeListView, ANewWindowKeepsTheWideTextsTheSelectionAndTheFirstRowShown) {
  for (int I = 0; I < 60; ++I) {
    TUCodeListItem* Item = View->Items()->Add();
    Item->SetCaption(Cyrillic + std::to_wstring(I));
    Item->SubItems()->Add(Japanese + std::to_wstring(I));
  }
  Form->Show();
  View->SetItemIndex(45);
  View->EnsureVisible(45);
  const auto Top = SendMessageW(View->Handle(), LVM_GETTOPINDEX, 0, 0);
  ASSERT_GT(Top, 0);
  View->SetViewStyle(vsList);
  View->SetViewStyle(vsReport);
  EXPECT_EQ(SendMessageW(View->Handle(), LVM_GETTOPINDEX, 0, 0), Top);
  EXPECT_EQ(View->ItemIndex(), 45);
  EXPECT_EQ(Cell(View, 45, 0), Cyrillic + L"45");
  EXPECT_EQ(Cell(View, 45, 1), Japanese + L"45");
  EXPECT_EQ(ColumnTitle(View, 2), Cyrillic);
  // The library's 8-bit texts follow the wide ones.
  EXPECT_EQ(View->Items()->Item(3)->TListItem::Caption, WideToAnsi(Cyrillic + L"3"));
  EXPECT_EQ(View->Items()->Item(3)->TListItem::SubItems()->Get(0), WideToAnsi(Japanese + L"3"));
}

TEST_F(UCodeListView, ColumnTitlesSetBy8BitCodeAreShownToo) {
  Form->Show();
  View->Columns()->Items(0)->TListColumn::SetCaption("Plain");
  EXPECT_EQ(ColumnTitle(View, 0), L"Plain");
  EXPECT_EQ(View->Columns()->Items(0)->Caption(), L"Plain");
  View->Columns()->Items(0)->SetCaption(Clef);
  EXPECT_EQ(ColumnTitle(View, 0), Clef);
}

TEST_F(UCodeListView, AlphaSortWithoutOnCompareOrdersTheWideCaptions) {
  for (const wchar_t* Caption : {L"\u0412", L"\u0411", L"\u0410"}) View->Items()->Add()->SetCaption(Caption);
  Form->Show();
  View->AlphaSort();
  EXPECT_EQ(View->Items()->Item(0)->Caption(), L"\u0410");
  EXPECT_EQ(View->Items()->Item(2)->Caption(), L"\u0412");
  EXPECT_EQ(Cell(View, 1, 0), L"\u0411");
}

TEST_F(UCodeListView, SubItemsChangedBy8BitCodeAreShownAndKeepTheOthersWide) {
  TUCodeListItem* Item = View->Items()->Add();
  for (const std::wstring& Text : {Greek, Japanese, Cyrillic}) Item->SubItems()->Add(Text);
  Form->Show();
  TStringList* Ansi = Item->TListItem::SubItems();
  Ansi->Put(0, "plain");
  EXPECT_EQ(Cell(View, 0, 1), L"plain");
  Ansi->Delete(1);  // Japanese
  EXPECT_EQ(Cell(View, 0, 2), Cyrillic);
  Ansi->Insert(0, "first");
  ASSERT_EQ(Item->SubItems()->Count(), 3);
  EXPECT_EQ(Item->SubItems()->Get(0), L"first");
  EXPECT_EQ(Item->SubItems()->Get(2), Cyrillic);
}

// Types Text into the label editor of Row and ends with Enter; the editor, or nullptr when refused.
HWND EditLabel(TListView* View, int Row, const std::wstring& Text) {
  View->SetFocus();
  const auto Edit = reinterpret_cast<HWND>(SendMessageW(View->Handle(), LVM_EDITLABELW, Row, 0));
  if (!Edit) return nullptr;
  for (const wchar_t Ch : Text) SendMessageW(Edit, WM_CHAR, Ch, 1);
  SendMessageW(Edit, WM_KEYUP, 'A', 0xC0000001);
  SendMessageW(Edit, WM_KEYDOWN, VK_RETURN, 1);
  return Edit;
}

TEST_F(UCodeListView, AWideLabelTypedByTheUserReachesOnEditedAndTheItemKeepsIt) {
  TUCodeListItem* Item = View->Items()->Add();
  Item->SetCaption(L"old");
  View->Items()->Add()->SetCaption(Greek);
  Form->Show();
  std::wstring Edited;
  View->OnEdited = [&](TObject*, TUCodeListItem* Row, std::wstring& S) {
    EXPECT_EQ(Row, Item);
    Edited = S;
    S += L"!";
  };
  std::string Keys;
  View->OnKeyUp = [&](TObject*, WORD& Key, TShiftState) { Keys += static_cast<char>(Key); };
  View->OnKeyPress = [&](TObject*, char& Key) {
    Keys += Key;
    if (Key == 'x') Key = 0;
  };
  ASSERT_NE(EditLabel(View, 0, L"\u0416\u0408nxew"), nullptr);
  EXPECT_EQ(Edited, L"\u0416\u0408new");
  EXPECT_EQ(Keys.size(), 7u);                     // the editor's keys went through the control's key events
  EXPECT_EQ(Keys.find('\b'), std::string::npos);  // U+0408 is no Backspace to 8-bit code
  EXPECT_EQ(Keys.back(), 'A');
  EXPECT_EQ(Item->Caption(), L"\u0416\u0408new!");
  EXPECT_EQ(Cell(View, 0, 0), L"\u0416\u0408new!");
  // The library's 8-bit OnEdited that leaves the text alone keeps it wide.
  View->OnEdited = nullptr;
  std::string Ansi;
  View->TListView::OnEdited = [&](TObject*, TListItem*, std::string& S) { Ansi = S; };
  EditLabel(View, 1, Cyrillic);
  EXPECT_EQ(Ansi, WideToAnsi(Cyrillic));
  EXPECT_EQ(View->Items()->Item(1)->Caption(), Cyrillic);
  // Refused by OnEditing: no editor.
  View->OnEditing = [](TObject*, TListItem*, bool& AllowEdit) { AllowEdit = false; };
  EXPECT_EQ(EditLabel(View, 0, L"no"), nullptr);
  EXPECT_EQ(Item->Caption(), L"\u0416\u0408new!");
}

TEST_F(UCodeListView, RowsKeepTheirDataAndCheckMarksThroughCopiesAndNewWindowsAndMustBeWide) {
  View->AddItem(Greek, Form.get());
  TUCodeListItem* First = View->Items()->Item(0);
  First->SubItems()->Add(Japanese);
  View->SetCheckboxes(true);
  Form->Show();
  First->SetChecked(true);
  const auto ExStyle = SendMessageW(View->Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_EQ(ExStyle & (LVS_EX_CHECKBOXES | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP),
            LVS_EX_CHECKBOXES | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP);
  View->SetViewStyle(vsList);  // a new window
  EXPECT_TRUE(First->Checked());
  TUCodeListItem* Copy = View->Items()->Add();
  Copy->Assign(First);
  EXPECT_EQ(Copy->Caption(), Greek);
  EXPECT_EQ(Copy->Data, Form.get());
  EXPECT_EQ(Copy->SubItems()->Get(0), Japanese);
  EXPECT_TRUE(Copy->Checked());
  EXPECT_EQ(Cell(View, 1, 0), Greek);
  // A kind of row that is not wide is refused.
  View->TListView::OnCreateItemClass = [](TObject*, TListItemClass& ItemClass) {
    ItemClass = [](TListView* Owner, int Index) { return new TListItem(Owner, Index); };
  };
  EXPECT_THROW(View->Items()->Add(), EUCodeInternalError);
  EXPECT_EQ(View->Items()->Count(), 2);
}

// The first row's pixels as the window paints them.
TPixels FirstRow(TListView* View) {
  RECT Row{LVIR_BOUNDS, 0, 0, 0};
  SendMessageW(View->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&Row));
  const TPixels All = PaintedClient(View->Handle(), RGB(1, 2, 3));
  std::vector<COLORREF> Pixels;
  for (int Y = Row.top; Y < Row.bottom; ++Y)
    for (int X = Row.left; X < Row.right; ++X) Pixels.push_back(All.At(X, Y));
  return TPixels(Row.right - Row.left, Row.bottom - Row.top, Pixels);
}

TEST_F(UCodeListView, AnOwnerDrawnRowShowsItsWideCaptionUnlessOnDrawItemDrawsIt) {
  View->SetOwnerDraw(true);
  TUCodeListItem* Item = View->Items()->Add();
  Item->SetCaption(Greek);
  Form->Show();
  const TPixels Wide = FirstRow(View);
  Item->SetCaption(AnsiToWide(WideToAnsi(Greek)));
  const TPixels Ansi = FirstRow(View);
  EXPECT_NE(Wide, Ansi);
  Item->SetCaption(L"");
  const TPixels Empty = FirstRow(View);
  EXPECT_NE(Wide, Empty);
  TListItem* Drawn = nullptr;
  View->OnDrawItem = [&](TObject*, TListItem* Row, const RECT&, UINT) { Drawn = Row; };
  FirstRow(View);
  EXPECT_EQ(Drawn, Item);
}

TEST_F(UCodeListView, AnInfoTipThatOnInfoTipWritesReachesTheWindowAndOneItLeavesAloneStaysWide) {
  View->Items()->Add()->SetCaption(Greek);
  View->Items()->Add()->SetCaption(Cyrillic);
  Form->Show();
  std::string Offered;
  View->OnInfoTip = [&](TObject*, TListItem* Item, std::string& Tip) {
    Offered = Tip;
    if (Item->Index() == 1) Tip = "tip";
  };
  // Asked as the window asks its parent, offering the row's text.
  const auto Ask = [&](int Row, const std::wstring& Given) {
    std::wstring Buffer = Given;
    Buffer.resize(80);
    NMLVGETINFOTIPW Tip{};
    Tip.hdr.hwndFrom = View->Handle();
    Tip.hdr.code = LVN_GETINFOTIPW;
    Tip.pszText = Buffer.data();
    Tip.cchTextMax = 80;
    Tip.iItem = Row;
    SendMessageW(Form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&Tip));
    return std::wstring(Buffer.c_str());
  };
  EXPECT_EQ(Ask(0, Greek), Greek);
  EXPECT_EQ(Offered, WideToAnsi(Greek));
  EXPECT_EQ(Ask(1, Cyrillic), L"tip");
}

TEST_F(UCodeListView, TheSelectedRowsCopyWideWithTheirDataToAListBoxAndAnotherListView) {
  View->SetMultiSelect(true);
  View->AddItem(Greek, Form.get());
  View->AddItem(Japanese, nullptr);
  View->AddItem(Clef + Cyrillic, View);
  auto* List = new TUCodeListBox(Form.get());
  List->SetParent(Form.get());
  auto* Other = new TUCodeListView(Form.get());
  Other->SetParent(Form.get());
  Form->Show();
  LVITEMW Selected{};
  Selected.stateMask = Selected.state = LVIS_SELECTED;
  for (const WPARAM Row : {0, 2})
    SendMessageW(View->Handle(), LVM_SETITEMSTATE, Row, reinterpret_cast<LPARAM>(&Selected));
  View->CopySelection(List);
  View->CopySelection(Other);
  ASSERT_EQ(List->Items()->Count(), 2);
  EXPECT_EQ(List->Items()->Get(1), Clef + Cyrillic);
  EXPECT_EQ(List->Items()->GetObject(1), View);
  ASSERT_EQ(Other->Items()->Count(), 2);
  EXPECT_EQ(Other->Items()->Item(0)->Caption(), Greek);
  EXPECT_EQ(Other->Items()->Item(0)->Data, Form.get());
  EXPECT_EQ(Cell(Other, 1, 0), Clef + Cyrillic);
}

// Whichever side sorts, the other follows, and the objects stay with their texts.
TEST_F(UCodeListView, SortingSubItemsOnEitherSideKeepsTextsAndObjectsTogether) {
  const std::wstring Zhe = L"\u0416", De = L"\u0414";
  TUCodeListItem* Item = View->Items()->Add();
  TWideSubItems* Wide = Item->SubItems();
  TStringList* Ansi = Item->TListItem::SubItems();
  Form->Show();
  Wide->AddObject(Zhe + L"b", Form.get());
  Wide->AddObject(De + L"a", View);
  Ansi->Sort();
  EXPECT_EQ(Wide->Get(0), De + L"a");
  EXPECT_EQ(Wide->GetObject(0), View);
  EXPECT_EQ(Cell(View, 0, 2), Zhe + L"b");
  Wide->Clear();
  Wide->AddObject(L"b", Form.get());
  Wide->AddObject(L"a", View);
  Wide->Sort();
  EXPECT_EQ(Ansi->Get(0), "a");
  EXPECT_EQ(Wide->GetObject(0), View);
  EXPECT_EQ(Ansi->GetObject(1), Form.get());
  Ansi->Put(0, "x");
  EXPECT_EQ(Wide->Get(0), L"x");
  EXPECT_EQ(Wide->Get(1), L"b");
  Wide->SetSorted(true);
  Wide->Add(Greek);
  Wide->Add(L"c");
  EXPECT_EQ(Wide->Text(), L"b\r\nc\r\nx\r\n" + Greek + L"\r\n");
  EXPECT_EQ(Ansi->Get(1), "c");
  EXPECT_EQ(Cell(View, 0, 4), Greek);
}

}  // namespace
