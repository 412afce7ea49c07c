#include "classlib/ComCtrls.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "classlib/Forms.h"
#include "tests/support/KeyPress.h"
#include "tests/support/MessagePump.h"

namespace {

// A hidden form holding one control of class T, laid out at a fixed size.
template <class T>
struct THost {
  TForm Form{nullptr};
  T* Control = new T(&Form);
  THost() {
    Form.SetBounds(0, 0, 400, 300);
    Control->SetParent(&Form);
  }
};

std::string ItemText(HWND List, int Row, int Column) {
  char Buffer[64] = {};
  LVITEMA Item{};
  Item.iSubItem = Column;
  Item.pszText = Buffer;
  Item.cchTextMax = sizeof Buffer;
  SendMessageA(List, LVM_GETITEMTEXTA, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(&Item));
  return Buffer;
}

std::vector<std::string> ColumnTexts(HWND List) {
  std::vector<std::string> Texts;
  for (int I = 0;; ++I) {
    char Buffer[64] = {};
    LVCOLUMNA Column{};
    Column.mask = LVCF_TEXT | LVCF_WIDTH;
    Column.pszText = Buffer;
    Column.cchTextMax = sizeof Buffer;
    if (!SendMessageA(List, LVM_GETCOLUMNA, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(&Column))) break;
    Texts.push_back(std::string(Buffer) + "/" + std::to_string(Column.cx));
  }
  return Texts;
}

void AddColumns(TListView* List) {
  TListColumn* Nr = List->Columns()->Add();
  Nr->SetCaption("Nr");
  Nr->SetWidth(30);
  List->Columns()->Add()->SetCaption("Titel");
}

TEST(ComCtrlsToolBarParts, AToolButtonClicksAndAnExtendedComboBoxListsItsItems) {
  TWinControl Parent(nullptr);
  Parent.SetVisible(false);
  Parent.SetBounds(0, 0, 300, 200);
  auto* Tool = new TToolButton(&Parent);
  Tool->SetParent(&Parent);
  int Clicks = 0;
  Tool->OnClick = [&](TObject*) { ++Clicks; };
  Tool->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Tool->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Clicks, 1);

  auto* Combo = new TComboBoxEx(&Parent);
  Combo->SetParent(&Parent);
  Combo->Items()->Add("one");
  Combo->SetItemIndex(1);
  Combo->Items()->Add("two");  // before the window: shown when it comes
  const HWND Window = Combo->Handle();
  EXPECT_EQ(SendMessageA(Window, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(Combo->ItemIndex(), 1);
  char Text[16] = {};
  COMBOBOXEXITEMA Item{};
  Item.mask = CBEIF_TEXT;
  Item.iItem = 1;
  Item.pszText = Text;
  Item.cchTextMax = sizeof Text;
  SendMessageA(Window, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&Item));
  EXPECT_STREQ(Text, "two");
  Combo->Items()->Delete(0);
  EXPECT_EQ(SendMessageA(Window, CB_GETCOUNT, 0, 0), 1);
}

TEST(ComCtrlsListView, ColumnsReachTheWindowAndFollowChanges) {
  THost<TListView> Host;
  TListView* List = Host.Control;
  List->SetViewStyle(vsReport);
  AddColumns(List);  // before the window
  const HWND Wnd = List->Handle();
  EXPECT_EQ(ColumnTexts(Wnd), (std::vector<std::string>{"Nr/30", "Titel/50"}));

  List->Columns()->Items(1)->SetCaption("Title");
  List->Columns()->Add()->SetCaption("Dauer");
  EXPECT_EQ(ColumnTexts(Wnd), (std::vector<std::string>{"Nr/30", "Title/50", "Dauer/50"}));
  List->Columns()->Delete(0);
  EXPECT_EQ(ColumnTexts(Wnd), (std::vector<std::string>{"Title/50", "Dauer/50"}));

  List->SetMultiSelect(true);  // a new window, the same columns
  EXPECT_NE(List->Handle(), Wnd);
  EXPECT_EQ(ColumnTexts(List->Handle()), (std::vector<std::string>{"Title/50", "Dauer/50"}));
}

// A width the user dragged lives in the window: it is what Width reports, and a new caption or a new
// window keeps it.
TEST(ComCtrlsListView, AColumnWidthTheUserDraggedSurvivesCaptionsAndANewWindow) {
  THost<TListView> Host;
  TListView* List = Host.Control;
  List->SetViewStyle(vsReport);
  AddColumns(List);
  SendMessageA(List->Handle(), LVM_SETCOLUMNWIDTH, 1, 120);
  EXPECT_EQ(List->Columns()->Items(1)->Width(), 120);
  List->Columns()->Items(0)->SetCaption("Nummer");
  EXPECT_EQ(ColumnTexts(List->Handle()), (std::vector<std::string>{"Nummer/30", "Titel/120"}));
  List->Columns()->Items(0)->SetWidth(44);
  EXPECT_EQ(ColumnTexts(List->Handle()), (std::vector<std::string>{"Nummer/44", "Titel/120"}));
  List->SetMultiSelect(true);
  EXPECT_EQ(ColumnTexts(List->Handle()), (std::vector<std::string>{"Nummer/44", "Titel/120"}));
  EXPECT_EQ(List->Columns()->Items(0)->Width(), 44);
}

TEST(ComCtrlsListView, StoredItemsShowTheirCaptionAndSubItems) {
  THost<TListView> Host;
  TListView* List = Host.Control;
  List->SetViewStyle(vsReport);
  AddColumns(List);
  TListItem* First = List->Items()->Add();
  First->Caption = "1";
  First->SubItems()->Add("Intro \xe4");
  const HWND Wnd = List->Handle();
  TListItem* Second = List->Items()->Add();  // after the window
  Second->Caption = "2";

  EXPECT_EQ(SendMessageA(Wnd, LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(ItemText(Wnd, 0, 0), "1");
  EXPECT_EQ(ItemText(Wnd, 0, 1), "Intro \xe4");
  EXPECT_EQ(ItemText(Wnd, 1, 0), "2");
  EXPECT_EQ(ItemText(Wnd, 1, 1), "");  // no sub-item
  EXPECT_EQ(List->Items()->Item(1), Second);
  EXPECT_THROW(List->Items()->Item(2), EListError);

  List->Items()->Clear();
  EXPECT_EQ(SendMessageA(Wnd, LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(List->Items()->Count(), 0);
}

TEST(ComCtrlsListView, OwnerDataAsksOnDataForEachShownRow) {
  THost<TListView> Host;
  TListView* List = Host.Control;
  List->SetViewStyle(vsReport);
  List->SetOwnerData(true);
  AddColumns(List);
  std::vector<int> Asked;
  List->OnData = [&](TObject* Sender, TListItem* Item) {
    EXPECT_EQ(Sender, List);
    EXPECT_EQ(Item->ListView(), List);
    Asked.push_back(Item->Index());
    Item->Caption = "row " + std::to_string(Item->Index());
    Item->SubItems()->Add("title " + std::to_string(Item->Index()));
  };
  List->Items()->SetCount(100000);
  const HWND Wnd = List->Handle();
  EXPECT_EQ(SendMessageA(Wnd, LVM_GETITEMCOUNT, 0, 0), 100000);
  EXPECT_EQ(List->Items()->Count(), 100000);

  EXPECT_EQ(ItemText(Wnd, 99999, 0), "row 99999");
  EXPECT_EQ(ItemText(Wnd, 42, 1), "title 42");
  EXPECT_EQ(ItemText(Wnd, 42, 2), "");  // a column without a sub-item
  ASSERT_FALSE(Asked.empty());
  EXPECT_EQ(Asked.front(), 99999);

  // Painting the visible rows asks for those rows only.
  Host.Form.Show();
  Asked.clear();
  List->Invalidate();
  UpdateWindow(Wnd);
  EXPECT_FALSE(Asked.empty());
  for (int Row : Asked) EXPECT_LT(Row, 50);

  List->Items()->SetCount(3);
  EXPECT_EQ(SendMessageA(Wnd, LVM_GETITEMCOUNT, 0, 0), 3);
  List->SetItemIndex(2);
  List->SetHideSelection(false);  // a new window keeps count and selection
  EXPECT_EQ(SendMessageA(List->Handle(), LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(List->ItemIndex(), 2);
  EXPECT_EQ(ItemText(List->Handle(), 1, 0), "row 1");
}

// Plain move keys and clicks in owner data leave the row they lead to selected and focused, as the
// control's own handling does; keys that lead nowhere, keys and clicks with Shift or Ctrl and keys a
// handler took keep the rest.
TEST(ComCtrlsListView, MoveKeysAndClicksInOwnerDataSelectAsTheControlDoes) {
  THost<TListView> Host;
  TListView* List = Host.Control;
  List->SetViewStyle(vsReport);
  List->SetOwnerData(true);
  List->SetMultiSelect(true);
  AddColumns(List);
  List->Items()->SetCount(1000);
  Host.Form.Show();
  const HWND Wnd = List->Handle();
  const auto Selected = [Wnd] {
    std::vector<int> Rows;
    for (int Row = -1; (Row = static_cast<int>(SendMessageA(Wnd, LVM_GETNEXTITEM, static_cast<WPARAM>(Row),
                                                            LVNI_SELECTED))) >= 0;)
      Rows.push_back(Row);
    return Rows;
  };
  const auto Focused = [Wnd] {
    return static_cast<int>(SendMessageA(Wnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  };
  List->SetItemIndex(0);
  PressKey(Wnd, VK_UP);
  EXPECT_EQ(Selected(), std::vector<int>{0});
  for (int I = 0; I < 3; ++I) PressKey(Wnd, VK_DOWN);
  EXPECT_EQ(Selected(), std::vector<int>{3});
  EXPECT_EQ(Focused(), 3);
  PressKey(Wnd, VK_END);
  PressKey(Wnd, VK_DOWN);
  PressKey(Wnd, VK_NEXT);
  EXPECT_EQ(Selected(), std::vector<int>{999});
  PressKey(Wnd, VK_HOME);
  EXPECT_EQ(Selected(), std::vector<int>{0});
  PressKey(Wnd, VK_DOWN, ssShift);
  EXPECT_EQ(Selected(), (std::vector<int>{0, 1}));
  PressKey(Wnd, VK_DOWN);
  EXPECT_EQ(Selected(), std::vector<int>{2});
  PressKey(Wnd, VK_DOWN, ssCtrl);
  EXPECT_EQ(Selected(), std::vector<int>{2});
  EXPECT_EQ(Focused(), 3);
  PressKey(Wnd, VK_DOWN);
  EXPECT_EQ(Selected(), std::vector<int>{4});
  List->OnKeyDown = [](TObject*, WORD& Key, TShiftState) { Key = 0; };
  PressKey(Wnd, VK_DOWN);
  EXPECT_EQ(Selected(), std::vector<int>{4});
  EXPECT_EQ(Focused(), 4);

  const auto Click = [Wnd](int Row, WPARAM Keys = 0) {
    RECT Box{};
    Box.left = LVIR_BOUNDS;
    SendMessageA(Wnd, LVM_GETITEMRECT, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(&Box));
    const LPARAM At = MAKELPARAM(Box.left + 20, (Box.top + Box.bottom) / 2);
    SendMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON | Keys, At);
    SendMessageA(Wnd, WM_LBUTTONUP, Keys, At);
    PumpMessagesFor(20);
  };
  Click(6);
  EXPECT_EQ(Selected(), std::vector<int>{6});
  EXPECT_EQ(Focused(), 6);
  Click(6);
  EXPECT_EQ(Selected(), std::vector<int>{6});
  Click(8, MK_CONTROL);
  EXPECT_EQ(Selected(), (std::vector<int>{6, 8}));
  Click(8);
  EXPECT_EQ(Selected(), std::vector<int>{8});
  EXPECT_EQ(Focused(), 8);
}

// Several selected rows are cleared in one step before a plain move key or a click beside them: the list
// stays where it showed, the key goes on from the focused row, and the rows shown selected are drawn so.
TEST(ComCtrlsListView, SeveralSelectedRowsAreClearedWhereTheListShows) {
  THost<TListView> Host;
  TListView* List = Host.Control;
  List->SetViewStyle(vsReport);
  List->SetOwnerData(true);
  List->SetMultiSelect(true);
  List->SetRowSelect(true);
  List->SetHideSelection(false);
  List->SetBounds(0, 0, 300, 250);  // some ten rows
  AddColumns(List);
  List->Items()->SetCount(1000);
  Host.Form.Show();
  const HWND Wnd = List->Handle();
  const auto Rows = [Wnd](UINT Flag) {
    std::vector<int> Result;
    for (int Row = -1;
         (Row = static_cast<int>(SendMessageA(Wnd, LVM_GETNEXTITEM, static_cast<WPARAM>(Row), Flag))) >= 0;)
      Result.push_back(Row);
    return Result;
  };
  const auto Colour = [Wnd](int Row) {
    RECT Box{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(Wnd, LVM_GETITEMRECT, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(&Box));
    UpdateWindow(Wnd);
    const HDC Dc = GetDC(Wnd);
    const COLORREF Result = GetPixel(Dc, Box.left + 15, (Box.top + Box.bottom) / 2);
    ReleaseDC(Wnd, Dc);
    return Result;
  };
  List->SetItemIndex(500);
  List->EnsureVisible(507);
  for (int I = 0; I < 4; ++I) PressKey(Wnd, VK_DOWN, ssShift);
  ASSERT_EQ(Rows(LVNI_SELECTED), (std::vector<int>{500, 501, 502, 503, 504}));
  const int Top = List->TopIndex();
  ASSERT_NE(Colour(502), Colour(506));

  PressKey(Wnd, VK_DOWN);
  EXPECT_EQ(Rows(LVNI_SELECTED), std::vector<int>{505});
  EXPECT_EQ(Rows(LVNI_FOCUSED), std::vector<int>{505});
  EXPECT_EQ(List->TopIndex(), Top);
  EXPECT_EQ(Colour(502), Colour(498));
  PressKey(Wnd, VK_DOWN, ssShift);
  EXPECT_EQ(Rows(LVNI_SELECTED), (std::vector<int>{505, 506}));

  RECT Box{LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(Wnd, LVM_GETITEMRECT, 503, reinterpret_cast<LPARAM>(&Box));
  const LPARAM At = MAKELPARAM(Box.left + 20, (Box.top + Box.bottom) / 2);
  SendMessageA(Wnd, WM_LBUTTONDOWN, MK_LBUTTON, At);
  SendMessageA(Wnd, WM_LBUTTONUP, 0, At);
  PumpMessagesFor(20);
  EXPECT_EQ(Rows(LVNI_SELECTED), std::vector<int>{503});
  EXPECT_EQ(List->TopIndex(), Top);
  EXPECT_EQ(Colour(506), Colour(498));

  const auto Press = [Wnd](int Row, UINT Msg) {
    RECT Box{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(Wnd, LVM_GETITEMRECT, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(&Box));
    SendMessageA(Wnd, Msg, Msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                 MAKELPARAM(Box.left + 20, (Box.top + Box.bottom) / 2));
  };
  // Showing the last rows, Wine's control goes back to its first row when its count drops: it is put back.
  List->EnsureVisible(0);
  Press(0, WM_LBUTTONDOWN);
  Press(0, WM_LBUTTONUP);
  PressKey(Wnd, VK_DOWN, ssShift);
  List->EnsureVisible(999);
  const int LastTop = List->TopIndex();
  Press(998, WM_LBUTTONDOWN);
  Press(998, WM_LBUTTONUP);
  EXPECT_EQ(Rows(LVNI_SELECTED), std::vector<int>{998});
  EXPECT_EQ(List->TopIndex(), LastTop);

  // The first row works as any: pressed among several selected rows it leaves them selected until the
  // button is released (the rows may be dragged); focused, a Down key goes on from it.
  List->EnsureVisible(0);
  Press(0, WM_LBUTTONDOWN);
  Press(0, WM_LBUTTONUP);
  for (int I = 0; I < 3; ++I) PressKey(Wnd, VK_DOWN, ssShift);
  Press(0, WM_LBUTTONDOWN);
  EXPECT_EQ(Rows(LVNI_SELECTED), (std::vector<int>{0, 1, 2, 3}));
  Press(0, WM_LBUTTONUP);
  PumpMessagesFor(20);
  EXPECT_EQ(Rows(LVNI_SELECTED), std::vector<int>{0});
  Press(4, WM_LBUTTONDOWN);
  Press(4, WM_LBUTTONUP);
  for (int I = 0; I < 4; ++I) PressKey(Wnd, VK_UP, ssShift);
  ASSERT_EQ(Rows(LVNI_SELECTED), (std::vector<int>{0, 1, 2, 3, 4}));
  PressKey(Wnd, VK_DOWN);
  EXPECT_EQ(Rows(LVNI_SELECTED), std::vector<int>{1});
  EXPECT_EQ(Rows(LVNI_FOCUSED), std::vector<int>{1});
}

// What Shift and Ctrl keys and clicks leave selected, focused and anchored, and where the list shows, is
// what the platform's own list view leaves, step by step.
TEST(ComCtrlsListView, ShiftAndCtrlSelectAsTheBareControl) {
  THost<TListView> Host;
  TListView* List = Host.Control;
  List->SetViewStyle(vsReport);
  List->SetOwnerData(true);
  List->SetMultiSelect(true);
  List->SetRowSelect(true);
  List->SetHideSelection(false);
  List->SetBounds(0, 0, 300, 250);
  AddColumns(List);
  List->Items()->SetCount(300);
  Host.Form.Show();
  const HWND Wnd = List->Handle();
  const HWND Bare = CreateWindowExA(
      WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
      WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, 0, 0, 300,
      250, Host.Form.Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(Bare, WM_SETFONT, SendMessageA(Wnd, WM_GETFONT, 0, 0), FALSE);
  SendMessageA(Bare, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (int C = 0; C < 2; ++C) {
    LVCOLUMNA Column{};
    Column.mask = LVCF_WIDTH;
    Column.cx = C == 0 ? 30 : 100;
    SendMessageA(Bare, LVM_INSERTCOLUMNA, static_cast<WPARAM>(C), reinterpret_cast<LPARAM>(&Column));
  }
  SendMessageA(Bare, LVM_SETITEMCOUNT, 300, 0);
  ASSERT_EQ(SendMessageA(Bare, LVM_GETCOUNTPERPAGE, 0, 0), SendMessageA(Wnd, LVM_GETCOUNTPERPAGE, 0, 0));
  const auto State = [](HWND W) {
    std::vector<int> Result;
    for (int Row = -1; (Row = static_cast<int>(
                            SendMessageA(W, LVM_GETNEXTITEM, static_cast<WPARAM>(Row), LVNI_SELECTED))) >= 0;)
      Result.push_back(Row);
    Result.push_back(-100);
    Result.push_back(
        static_cast<int>(SendMessageA(W, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
    Result.push_back(static_cast<int>(SendMessageA(W, LVM_GETSELECTIONMARK, 0, 0)));
    Result.push_back(static_cast<int>(SendMessageA(W, LVM_GETTOPINDEX, 0, 0)));
    return Result;
  };
  const auto Click = [](HWND W, int Row, WPARAM Keys) {
    SendMessageA(W, LVM_ENSUREVISIBLE, static_cast<WPARAM>(Row), FALSE);
    RECT Box{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(W, LVM_GETITEMRECT, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(&Box));
    const LPARAM At = MAKELPARAM(Box.left + 20, (Box.top + Box.bottom) / 2);
    SendMessageA(W, WM_LBUTTONDOWN, MK_LBUTTON | Keys, At);
    SendMessageA(W, WM_LBUTTONUP, Keys, At);
  };
  struct TStep {
    WORD Key;  // 0: a click on Row
    TShiftState Shift;
    int Row;
  };
  const std::vector<TStep> Steps = {{0, 0, 5},
                                    {VK_DOWN, ssShift, 0},
                                    {VK_DOWN, ssShift, 0},
                                    {VK_UP, ssShift, 0},
                                    {VK_UP, ssShift, 0},
                                    {VK_UP, ssShift, 0},
                                    {VK_UP, ssShift, 0},
                                    {VK_NEXT, ssShift, 0},
                                    {VK_NEXT, ssShift, 0},
                                    {VK_PRIOR, ssShift, 0},
                                    {VK_END, ssShift, 0},
                                    {VK_UP, ssShift, 0},
                                    {VK_HOME, ssShift, 0},
                                    {VK_DOWN, ssShift, 0},
                                    {0, ssCtrl, 20},
                                    {VK_DOWN, ssShift, 0},
                                    {0, ssShift, 30},
                                    {0, ssShift, 26},
                                    {0, ssShift, 12},
                                    {VK_DOWN, ssShift | ssCtrl, 0},
                                    {0, ssCtrl, 14},
                                    {0, ssCtrl, 14},
                                    {VK_DOWN, ssShift, 0},
                                    {VK_DOWN, 0, 0},
                                    {VK_UP, ssShift, 0},
                                    {0, 0, 0},
                                    {VK_UP, ssShift, 0},
                                    {VK_DOWN, ssShift, 0},
                                    {0, 0, 299},
                                    {VK_DOWN, ssShift, 0},
                                    {VK_UP, ssShift, 0},
                                    {0, ssShift, 250},
                                    {0, 0, 0},
                                    {VK_END, ssShift, 0},
                                    {VK_UP, ssShift, 0},
                                    {0, 0, 299},
                                    {VK_HOME, ssShift, 0},
                                    {VK_DOWN, ssShift, 0},
                                    {0, ssCtrl, 100},
                                    {VK_HOME, ssShift, 0}};
  for (size_t I = 0; I < Steps.size(); ++I) {
    const TStep& Step = Steps[I];
    for (const HWND W : {Wnd, Bare}) {
      SetFocus(W);
      if (Step.Key)
        PressKey(W, Step.Key, Step.Shift);
      else
        Click(W, Step.Row, (Step.Shift & ssShift ? MK_SHIFT : 0) | (Step.Shift & ssCtrl ? MK_CONTROL : 0));
      PumpMessagesFor(10);
    }
    const std::vector<int> Expected = State(Bare);
    EXPECT_EQ(State(Wnd), Expected) << "step " << I;
    std::vector<int> Indexes = List->SelectedIndexes();
    Indexes.push_back(-100);
    EXPECT_TRUE(std::equal(Indexes.begin(), Indexes.end(), Expected.begin())) << "step " << I;
  }
  List->SelectAll();
  LVITEMA All{};
  All.state = All.stateMask = LVIS_SELECTED;
  SendMessageA(Bare, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&All));
  EXPECT_EQ(State(Wnd), State(Bare));
  DestroyWindow(Bare);
}

TEST(ComCtrlsListView, SelectionAndColumnClick) {
  THost<TListView> Host;
  TListView* List = Host.Control;
  List->SetViewStyle(vsReport);
  AddColumns(List);
  for (const char* Caption : {"a", "b", "c"}) List->Items()->Add()->Caption = Caption;
  List->SetItemIndex(1);  // before the window
  EXPECT_EQ(List->ItemIndex(), 1);
  const HWND Wnd = List->Handle();
  EXPECT_EQ(List->ItemIndex(), 1);
  EXPECT_EQ(List->SelCount(), 1);
  List->SetItemIndex(-1);
  EXPECT_EQ(List->ItemIndex(), -1);
  EXPECT_EQ(List->SelCount(), 0);

  std::vector<std::string> Clicked;
  List->OnColumnClick = [&](TObject*, TListColumn* Column) { Clicked.push_back(Column->Caption()); };
  NMLISTVIEW Notify{};
  Notify.hdr = {Wnd, 0, static_cast<UINT>(LVN_COLUMNCLICK)};
  Notify.iItem = -1;
  for (int Column : {1, 0, 5}) {
    Notify.iSubItem = Column;
    SendMessageA(Host.Form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&Notify));
  }
  EXPECT_EQ(Clicked, (std::vector<std::string>{"Titel", "Nr"}));
}

TEST(ComCtrlsListView, ADoubleClickFiresOnce) {
  THost<TListView> Host;
  TListView* List = Host.Control;
  List->SetViewStyle(vsReport);
  AddColumns(List);
  List->Items()->Add()->Caption = "a";
  int Clicks = 0;
  List->OnDblClick = [&](TObject*) { ++Clicks; };
  const HWND Wnd = List->Handle();
  const LPARAM At = MAKELPARAM(20, 25);  // on the first row
  for (UINT Msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    SendMessageA(Wnd, Msg, Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, At);
  PumpMessagesFor(50);
  EXPECT_EQ(Clicks, 1);
}

TEST(ComCtrlsTrackBar, PositionStaysInRangeAndReportsChangesOnce) {
  THost<TTrackBar> Host;
  TTrackBar* Bar = Host.Control;
  int Changes = 0;
  Bar->OnChange = [&](TObject*) { ++Changes; };
  Bar->SetMax(100);
  Bar->SetPosition(150);
  EXPECT_EQ(Bar->Position(), 100);
  Bar->SetPosition(100);
  EXPECT_EQ(Changes, 1);
  Bar->SetMax(40);  // pulls the position along
  EXPECT_EQ(Bar->Position(), 40);
  EXPECT_EQ(Changes, 2);

  const HWND Wnd = Bar->Handle();
  EXPECT_EQ(SendMessageA(Wnd, TBM_GETRANGEMAX, 0, 0), 40);
  EXPECT_EQ(SendMessageA(Wnd, TBM_GETPOS, 0, 0), 40);
  Bar->SetMin(10);
  Bar->SetPosition(-5);
  EXPECT_EQ(SendMessageA(Wnd, TBM_GETPOS, 0, 0), 10);
  EXPECT_EQ(Changes, 3);

  // The user moves the thumb: the control notifies its parent, which hands it back to the bar.
  SendMessageA(Wnd, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(Bar->Position(), 11);
  EXPECT_EQ(Changes, 4);

  Bar->SetOrientation(trVertical);  // a new window with the same range and place
  EXPECT_NE(Bar->Handle(), Wnd);
  EXPECT_EQ(GetWindowLongPtrA(Bar->Handle(), GWL_STYLE) & TBS_VERT, TBS_VERT);
  EXPECT_EQ(SendMessageA(Bar->Handle(), TBM_GETRANGEMIN, 0, 0), 10);
  EXPECT_EQ(SendMessageA(Bar->Handle(), TBM_GETPOS, 0, 0), 11);
  EXPECT_EQ(Changes, 4);
}

// The texts of a tab control's tabs.
std::vector<std::string> TabTexts(HWND Tabs) {
  std::vector<std::string> Texts;
  const int Count = static_cast<int>(SendMessageA(Tabs, TCM_GETITEMCOUNT, 0, 0));
  for (int I = 0; I < Count; ++I) {
    char Buffer[64] = {};
    TCITEMA Item{};
    Item.mask = TCIF_TEXT;
    Item.pszText = Buffer;
    Item.cchTextMax = sizeof Buffer;
    SendMessageA(Tabs, TCM_GETITEMA, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(&Item));
    Texts.push_back(Buffer);
  }
  return Texts;
}

TTabSheet* AddPage(TPageControl* Pages, const std::string& Caption) {
  auto* Page = new TTabSheet(Pages->Owner());
  Page->SetCaption(Caption);
  Page->SetPageControl(Pages);
  return Page;
}

TEST(ComCtrlsPageControl, TheActivePageAloneIsShownAndTheTabsFollowThePages) {
  THost<TPageControl> Host;
  TPageControl* Pages = Host.Control;
  TTabSheet* One = AddPage(Pages, "One");
  TTabSheet* Two = AddPage(Pages, "Two");
  EXPECT_EQ(Pages->ActivePage(), One);  // the first page added
  EXPECT_TRUE(One->Visible());
  EXPECT_FALSE(Two->Visible());

  const HWND Tabs = Pages->Handle();
  TTabSheet* Three = AddPage(Pages, "Three");
  EXPECT_EQ(TabTexts(Tabs), (std::vector<std::string>{"One", "Two", "Three"}));
  Two->SetCaption("Zwei");
  Three->SetTabVisible(false);
  EXPECT_EQ(TabTexts(Tabs), (std::vector<std::string>{"One", "Zwei"}));

  Pages->SetActivePage(Two);
  EXPECT_EQ(SendMessageA(Tabs, TCM_GETCURSEL, 0, 0), 1);
  const auto Shown = [](TWinControl* Page) {
    return (GetWindowLongPtrA(Page->Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
  };
  EXPECT_TRUE(Shown(Two));
  EXPECT_FALSE(Shown(One));
  EXPECT_FALSE(One->Visible());

  // A page fills the control below its tabs.
  RECT Area;
  GetClientRect(Tabs, &Area);
  EXPECT_GT(Two->Top(), 0);
  EXPECT_LE(Two->Top() + Two->Height(), Area.bottom);
  EXPECT_GT(Two->Width(), Area.right / 2);

  // The user goes to the first tab: the page follows and OnChange fires.
  int Changes = 0;
  Pages->OnChange = [&](TObject*) { ++Changes; };
  SendMessageA(Tabs, WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_EQ(Pages->ActivePage(), One);
  EXPECT_EQ(Changes, 1);
  // The keys go on from a page that the code chose.
  Pages->SetActivePage(Two);
  SendMessageA(Tabs, WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_EQ(Pages->ActivePage(), One);
  EXPECT_EQ(Changes, 2);

  TPageControl Other(&Host.Form);
  EXPECT_THROW(Other.SetActivePage(One), EComponentError);
}

TEST(ComCtrlsPageControl, NextPageWrapsAroundAndSkipsPagesWithoutTab) {
  THost<TPageControl> Host;
  TPageControl* Pages = Host.Control;
  EXPECT_EQ(Pages->FindNextPage(nullptr, true, true), nullptr);
  TTabSheet* A = AddPage(Pages, "A");
  TTabSheet* B = AddPage(Pages, "B");
  TTabSheet* C = AddPage(Pages, "C");
  TTabSheet* D = AddPage(Pages, "D");
  EXPECT_EQ(Pages->FindNextPage(nullptr, true, true), A);
  EXPECT_EQ(Pages->FindNextPage(nullptr, false, true), D);
  EXPECT_EQ(Pages->FindNextPage(D, true, true), A);
  EXPECT_EQ(Pages->FindNextPage(A, false, true), D);
  C->SetTabVisible(false);
  EXPECT_EQ(Pages->FindNextPage(B, true, true), D);
  EXPECT_EQ(Pages->FindNextPage(B, true, false), C);
  EXPECT_EQ(Pages->FindNextPage(D, false, true), B);

  Pages->SetActivePage(D);
  Pages->SelectNextPage(true);
  EXPECT_EQ(Pages->ActivePage(), A);
  Pages->SelectNextPage(false);
  EXPECT_EQ(Pages->ActivePage(), D);
  Pages->SelectNextPage(false);
  EXPECT_EQ(Pages->ActivePage(), B);
  EXPECT_EQ(Pages->ActivePageIndex(), 1);

  // A single page with a tab is its own next page.
  A->SetTabVisible(false);
  D->SetTabVisible(false);
  Pages->SelectNextPage(true);
  EXPECT_EQ(Pages->ActivePage(), B);
}

TEST(ComCtrlsPageControl, AFreedPageLeavesAndTheFirstPageTakesOver) {
  THost<TPageControl> Host;
  TPageControl* Pages = Host.Control;
  TTabSheet* One = AddPage(Pages, "One");
  TTabSheet* Two = AddPage(Pages, "Two");
  auto* Label = new TLabel(&Host.Form);
  Label->SetParent(Two);
  Pages->SetActivePage(Two);
  const HWND Tabs = Pages->Handle();
  delete Two;
  EXPECT_EQ(Pages->PageCount(), 1);
  EXPECT_EQ(Pages->ActivePage(), One);
  EXPECT_TRUE(One->Visible());
  EXPECT_EQ(TabTexts(Tabs), std::vector<std::string>{"One"});
  EXPECT_THROW(Pages->Pages(1), EListError);
  // The form frees the page control with its last page.
}

}  // namespace

namespace {

std::vector<std::string> Captions(TListView* List) {
  std::vector<std::string> Result;
  for (int I = 0; I < List->Items()->Count(); ++I) Result.push_back(ItemText(List->Handle(), I, 0));
  return Result;
}

void Select(HWND List, int Row) {
  LVITEMA State{};
  State.stateMask = State.state = LVIS_SELECTED;
  SendMessageA(List, LVM_SETITEMSTATE, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(&State));
}

}  // namespace

TEST(ComCtrlsListView, DeletedRowsLeaveTheWindowAndTheOthersMoveUp) {
  THost<TListView> Host;
  TListView* List = Host.Control;
  List->SetViewStyle(vsReport);
  List->SetMultiSelect(true);
  AddColumns(List);
  for (const char* Caption : {"a", "b", "c", "d"}) List->Items()->Add()->Caption = Caption;
  const HWND Wnd = List->Handle();
  Select(Wnd, 3);
  List->Items()->BeginUpdate();
  List->Items()->BeginUpdate();
  List->Items()->Delete(1);
  List->Items()->EndUpdate();
  List->Items()->EndUpdate();
  List->Items()->EndUpdate();  // one too many does nothing
  EXPECT_EQ(Captions(List), (std::vector<std::string>{"a", "c", "d"}));
  EXPECT_EQ(List->Items()->Item(2)->Caption, "d");
  EXPECT_EQ(List->Items()->Item(2)->Index(), 2);
  EXPECT_TRUE(List->Items()->Item(2)->Selected());
  EXPECT_FALSE(List->Items()->Item(1)->Selected());
  EXPECT_THROW(List->Items()->Delete(3), EListError);
  EXPECT_EQ(List->Items()->Count(), 3);
}

TEST(ComCtrlsListView, AlphaSortOrdersByTheCompareEventAndTheSelectionFollows) {
  THost<TListView> Host;
  TListView* List = Host.Control;
  List->SetViewStyle(vsReport);
  List->SetMultiSelect(true);
  AddColumns(List);
  const std::vector<std::pair<const char*, const char*>> Rows = {{"b", "2"}, {"a", "10"}, {"c", "2"}};
  for (const auto& [Caption, Number] : Rows) {
    TListItem* Item = List->Items()->Add();
    Item->Caption = Caption;
    Item->SubItems()->Add(Number);
  }
  const HWND Wnd = List->Handle();
  Select(Wnd, 1);  // "a"

  List->AlphaSort();  // by caption without a handler
  EXPECT_EQ(Captions(List), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(List->Items()->Item(0)->Selected());
  EXPECT_FALSE(List->Items()->Item(1)->Selected());

  intptr_t Seen = 0;
  List->OnCompare = [&](TObject* Sender, TListItem* A, TListItem* B, intptr_t Data, int& Compare) {
    EXPECT_EQ(Sender, List);
    Seen = Data;
    Compare = std::stoi(A->SubItems()->Get(0)) - std::stoi(B->SubItems()->Get(0));
  };
  List->AlphaSort(7);
  EXPECT_EQ(Seen, 7);
  // The two "2" rows keep the order they had.
  EXPECT_EQ(Captions(List), (std::vector<std::string>{"b", "c", "a"}));
  EXPECT_EQ(ItemText(Wnd, 2, 1), "10");
  EXPECT_TRUE(List->Items()->Item(2)->Selected());
  for (int I = 0; I < 3; ++I) EXPECT_EQ(List->Items()->Item(I)->Index(), I);
}

TEST(ComCtrlsProgressBar, PositionStaysInRangeAndReachesTheWindow) {
  THost<TProgressBar> Host;
  TProgressBar* Bar = Host.Control;
  Bar->SetMax(7);
  Bar->SetPosition(9);
  EXPECT_EQ(Bar->Position(), 7);
  const HWND Wnd = Bar->Handle();
  EXPECT_EQ(SendMessageA(Wnd, PBM_GETRANGE, FALSE, 0), 7);
  EXPECT_EQ(SendMessageA(Wnd, PBM_GETPOS, 0, 0), 7);
  Bar->SetMax(3);  // pulls the position along
  EXPECT_EQ(SendMessageA(Wnd, PBM_GETPOS, 0, 0), 3);
  Bar->SetMax(0);  // an empty range shows nothing done
  Bar->SetPosition(2);
  EXPECT_EQ(Bar->Position(), 0);
  EXPECT_EQ(SendMessageA(Wnd, PBM_GETPOS, 0, 0), 0);
}
