// Menu shortcuts against the keys of the focused control, through the application's message loop.
// The text boxes cut and paste: this program holds the clipboard lock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "tests/support/KeyPress.h"

namespace {

struct TKey {
  WORD Key;
  TShiftState Shift;
};

const std::vector<TKey> EditingKeys = {
    {VK_DELETE, 0}, {VK_BACK, 0},        {VK_HOME, 0},       {VK_END, 0},
    {VK_LEFT, 0},   {VK_RIGHT, 0},       {VK_UP, 0},         {VK_DOWN, 0},
    {'A', ssCtrl},  {'C', ssCtrl},       {'V', ssCtrl},      {'X', ssCtrl},
    {'Z', ssCtrl},  {VK_DELETE, ssCtrl}, {VK_HOME, ssShift}, {VK_LEFT, ssCtrl | ssShift},
};

// A form shown with a main menu; every click of an item is logged by its shortcut's text.
class ShortCutForm : public testing::Test {
 protected:
  void SetUp() override {
    Form = new TForm(Application);
    Form->SetBounds(0, 0, 400, 300);
    Menu = new TMainMenu(Form);
    Form->SetMenu(Menu);
  }
  void TearDown() override { Application->DestroyForms(); }

  TMenuItem* AddItem(TMenu* To, TShortCut Key) {
    auto* Item = new TMenuItem(Form);
    Item->SetCaption(ShortCutToText(Key));
    Item->SetShortCut(Key);
    Item->OnClick = [this](TObject* Sender) {
      Clicked.push_back(static_cast<TMenuItem*>(Sender)->Caption());
    };
    To->Items()->Add(Item);
    return Item;
  }
  template <class T>
  T* AddControl(TWinControl* Parent, int Top) {
    auto* Control = new T(Form);
    Control->SetParent(Parent);
    Control->SetBounds(10, Top, 150, 30);
    return Control;
  }
  void Focus(HWND Wnd) {
    SetFocus(Wnd);
    Target = Wnd;
  }
  // Presses the keys on the window given the focus and returns the menu items they clicked.
  std::vector<std::string> Press(const std::vector<TKey>& Keys) {
    Clicked.clear();
    for (const TKey& K : Keys) PressKey(Target, K.Key, K.Shift);
    return Clicked;
  }
  static std::vector<std::string> Texts(const std::vector<TKey>& Keys) {
    std::vector<std::string> Result;
    for (const TKey& K : Keys) Result.push_back(ShortCutToText(ShortCut(K.Key, K.Shift)));
    return Result;
  }

  TForm* Form = nullptr;
  TMainMenu* Menu = nullptr;
  HWND Target = nullptr;
  std::vector<std::string> Clicked;
};

TEST_F(ShortCutForm, TextBoxesKeepTheirEditingKeys) {
  for (const TKey& K : EditingKeys) AddItem(Menu, ShortCut(K.Key, K.Shift));
  AddItem(Menu, ShortCut(VK_F5, 0));
  AddItem(Menu, ShortCut('F', ssCtrl));
  auto* Edit = AddControl<TEdit>(Form, 10);
  auto* Memo = AddControl<TMemo>(Form, 50);
  auto* List = AddControl<TListBox>(Form, 90);
  Form->Show();
  const HWND Combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 10, 130, 150,
                                     100, Form->Handle(), nullptr, nullptr, nullptr);
  const HWND ComboEdit = FindWindowExA(Combo, nullptr, "Edit", nullptr);
  ASSERT_NE(ComboEdit, nullptr);

  for (const HWND Box : {Edit->Handle(), Memo->Handle(), ComboEdit}) {
    Focus(Box);
    SetWindowTextA(Box, "some text");
    EXPECT_TRUE(Press(EditingKeys).empty()) << testing::PrintToString(Press(EditingKeys));
    EXPECT_EQ(Press({{VK_F5, 0}, {'F', ssCtrl}}), (std::vector<std::string>{"F5", "Ctrl+F"}));
  }
  // Elsewhere the same keys are shortcuts.
  Focus(List->Handle());
  EXPECT_EQ(Press(EditingKeys), Texts(EditingKeys));
}

TEST_F(ShortCutForm, TheEditingKeysReachTheEdit) {
  for (const TKey& K : EditingKeys) AddItem(Menu, ShortCut(K.Key, K.Shift));
  auto* Edit = AddControl<TEdit>(Form, 10);
  std::vector<std::string> Seen;
  Edit->OnKeyDown = [&](TObject*, WORD& Key, TShiftState Shift) {
    Seen.push_back(ShortCutToText(ShortCut(Key, Shift & (ssCtrl | ssShift))));
  };
  Form->Show();
  const HWND Box = Edit->Handle();
  Focus(Box);
  const auto Selection = [Box] {
    DWORD Start = 0, End = 0;
    SendMessageA(Box, EM_GETSEL, reinterpret_cast<WPARAM>(&Start), reinterpret_cast<LPARAM>(&End));
    return std::make_pair(Start, End);
  };
  using TRange = std::pair<DWORD, DWORD>;
  TypeKeys(Box, "ABC DEF");
  EXPECT_EQ(WindowText(Box), "abc def");
  Press({{VK_HOME, 0}, {VK_DELETE, 0}});
  EXPECT_EQ(WindowText(Box), "bc def");
  Press({{VK_END, 0}, {VK_BACK, 0}});
  EXPECT_EQ(WindowText(Box), "bc de");
  Press({{VK_LEFT, 0}, {VK_LEFT, 0}});
  EXPECT_EQ(Selection(), TRange(3, 3));
  Press({{VK_RIGHT, 0}});
  EXPECT_EQ(Selection(), TRange(4, 4));
  Press({{VK_HOME, ssShift}, {'X', ssCtrl}});
  EXPECT_EQ(WindowText(Box), "e");
  Press({{'V', ssCtrl}, {'V', ssCtrl}});
  EXPECT_EQ(WindowText(Box), "bc dbc de");
  Press({{'Z', ssCtrl}});
  EXPECT_EQ(WindowText(Box), "bc de");
  Press({{VK_HOME, 0}, {VK_RIGHT, ssShift}, {'C', ssCtrl}, {VK_END, 0}, {'V', ssCtrl}});
  EXPECT_EQ(WindowText(Box), "bc deb");
  Seen.clear();
  Press(EditingKeys);
  EXPECT_EQ(Seen, Texts(EditingKeys));
  EXPECT_TRUE(Clicked.empty());
}

TEST_F(ShortCutForm, ContextMenuKeysAndBoundItemsActWhereTheirControlHasTheFocus) {
  auto* Panel = AddControl<TPanel>(Form, 10);
  Panel->SetBounds(0, 0, 200, 200);
  auto* Inner = AddControl<TListBox>(Panel, 10);
  auto* Button = AddControl<TButton>(Form, 220);
  auto* Popup = new TPopupMenu(Form);
  Panel->SetPopupMenu(Popup);
  AddItem(Popup, ShortCut(VK_DELETE, 0));
  TMenuItem* Bound = AddItem(Menu, ShortCut(VK_DELETE, ssCtrl));
  Bound->SetShortCutControl(Inner);
  AddItem(Menu, ShortCut(VK_F5, 0));
  Form->Show();
  const std::vector<TKey> Keys = {{VK_DELETE, 0}, {VK_DELETE, ssCtrl}, {VK_F5, 0}};

  Focus(Inner->Handle());  // inside the panel: its context menu counts
  EXPECT_EQ(Press(Keys), (std::vector<std::string>{"Del", "Ctrl+Del", "F5"}));
  Focus(Button->Handle());
  EXPECT_EQ(Press(Keys), std::vector<std::string>{"F5"});

  delete Inner;  // a freed control leaves no dangling reference, and the item acts anywhere again
  EXPECT_EQ(Bound->ShortCutControl(), nullptr);
  EXPECT_EQ(Press(Keys), (std::vector<std::string>{"Ctrl+Del", "F5"}));
}

}  // namespace
