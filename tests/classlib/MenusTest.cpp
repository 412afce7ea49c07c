#include "classlib/Menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/Controls.h"
#include "classlib/Forms.h"
#include "tests/support/MessagePump.h"

namespace {

TEST(MenusShortCut, TextAndKeyRoundTrip) {
  struct TCase {
    TShortCut Value;
    const char* Text;
  };
  const TCase Cases[] = {
      {ShortCut('O', ssCtrl), "Ctrl+O"},
      {ShortCut(VK_DELETE, ssShift), "Shift+Del"},
      {ShortCut(VK_F5, 0), "F5"},
      {ShortCut(VK_F12, ssCtrl | ssAlt), "Ctrl+Alt+F12"},
      {ShortCut('7', ssShift | ssCtrl | ssAlt), "Shift+Ctrl+Alt+7"},
      {ShortCut(VK_RETURN, ssAlt), "Alt+Enter"},
      {ShortCut(VK_NEXT, 0), "PgDn"},
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(ShortCutToText(C.Value), C.Text);
    EXPECT_EQ(TextToShortCut(C.Text), C.Value) << C.Text;
  }
  EXPECT_EQ(ShortCut('O', ssCtrl), scCtrl | 'O');
  EXPECT_EQ(TextToShortCut("ctrl+shift+o"), scCtrl | scShift | 'O');
  for (const char* NoKey : {"", "Ctrl+", "F25", "F0", "Foo", "Ctrl+Foo", "Shift"})
    EXPECT_EQ(TextToShortCut(NoKey), scNone) << NoKey;
  EXPECT_EQ(ShortCutToText(scNone), "");
  EXPECT_EQ(ShortCutToText(scCtrl | VK_NUMLOCK), "");  // a key without a name
}

TMenuItem* NewItem(TComponent* Owner, TMenuItem* Parent, const std::string& Caption) {
  auto* Item = new TMenuItem(Owner);
  Item->SetCaption(Caption);
  Parent->Add(Item);
  return Item;
}

struct TItemState {
  std::string Text;
  UINT Type;
  UINT State;
};

TItemState StateOf(HMENU Menu, int Position) {
  char Buffer[64] = {};
  MENUITEMINFOA Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
  Info.dwTypeData = Buffer;
  Info.cch = sizeof Buffer;
  if (!GetMenuItemInfoA(Menu, static_cast<UINT>(Position), TRUE, &Info)) return {"(none)", 0, 0};
  return {Buffer, Info.fType & (MFT_RADIOCHECK | MFT_SEPARATOR), Info.fState & (MFS_CHECKED | MFS_DISABLED)};
}

// A hidden form with a main menu "&File" holding Open (Ctrl+O), a separator and two radio items.
struct TMenuForm {
  TForm Form{nullptr};
  TMainMenu* Menu = new TMainMenu(&Form);
  TMenuItem* File = NewItem(&Form, Menu->Items(), "&File");
  TMenuItem* Open = NewItem(&Form, File, "&Open");
  TMenuItem* Line = NewItem(&Form, File, "-");
  TMenuItem* Fast = NewItem(&Form, File, "Fast");
  TMenuItem* Slow = NewItem(&Form, File, "Slow");
  TMenuForm() {
    Open->SetShortCut(ShortCut('O', ssCtrl));
    for (TMenuItem* Item : {Fast, Slow}) Item->SetRadioItem(true);
    Form.SetMenu(Menu);
  }
  HMENU Sub() { return GetSubMenu(GetMenu(Form.Handle()), 0); }
};

TEST(MenusMainMenu, TheBarShowsTextsChecksAndStatesAndFollowsChanges) {
  TMenuForm M;
  ASSERT_EQ(GetMenuItemCount(GetMenu(M.Form.Handle())), 1);
  EXPECT_EQ(StateOf(GetMenu(M.Form.Handle()), 0).Text, "&File");
  EXPECT_EQ(GetMenuItemCount(M.Sub()), 4);
  EXPECT_EQ(StateOf(M.Sub(), 0).Text, "&Open\tCtrl+O");
  EXPECT_EQ(StateOf(M.Sub(), 1).Type, static_cast<UINT>(MFT_SEPARATOR));
  EXPECT_EQ(StateOf(M.Sub(), 2).Type, static_cast<UINT>(MFT_RADIOCHECK));

  M.Fast->SetChecked(true);
  M.Open->SetEnabled(false);
  EXPECT_EQ(StateOf(M.Sub(), 2).State, static_cast<UINT>(MFS_CHECKED));
  EXPECT_EQ(StateOf(M.Sub(), 0).State, static_cast<UINT>(MFS_DISABLED));
  M.Slow->SetChecked(true);
  EXPECT_EQ(StateOf(M.Sub(), 2).State, 0u);
  EXPECT_EQ(StateOf(M.Sub(), 3).State, static_cast<UINT>(MFS_CHECKED));

  M.Line->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(M.Sub()), 3);
  delete M.Fast;  // leaves its parent and the bar
  EXPECT_EQ(M.File->Count(), 3);
  EXPECT_EQ(GetMenuItemCount(M.Sub()), 2);
  EXPECT_EQ(StateOf(M.Sub(), 1).Text, "Slow");

  // A new window of the form gets the bar again.
  M.Form.RecreateWnd();
  EXPECT_EQ(StateOf(M.Sub(), 1).Text, "Slow");
}

TEST(MenusMainMenu, CommandsFromTheBarClickTheirItem) {
  TMenuForm M;
  std::vector<std::string> Clicked;
  for (TMenuItem* Item : {M.Open, M.Fast, M.Slow})
    Item->OnClick = [&](TObject* Sender) { Clicked.push_back(static_cast<TMenuItem*>(Sender)->Caption()); };
  M.Slow->SetAutoCheck(true);
  M.Fast->SetAutoCheck(true);
  M.Fast->SetChecked(true);

  const UINT Command = GetMenuItemID(M.Sub(), 3);
  EXPECT_EQ(Command, M.Slow->Command());
  SendMessageA(M.Form.Handle(), WM_COMMAND, Command, 0);
  EXPECT_EQ(Clicked, std::vector<std::string>{"Slow"});
  EXPECT_TRUE(M.Slow->Checked());
  EXPECT_FALSE(M.Fast->Checked());  // radio items of one group
  M.Open->SetEnabled(false);
  SendMessageA(M.Form.Handle(), WM_COMMAND, M.Open->Command(), 0);
  EXPECT_EQ(Clicked.size(), 1u);

  // Another group is left alone; a plain item never unchecks others.
  M.Slow->SetGroupIndex(1);
  M.Fast->SetChecked(true);
  EXPECT_TRUE(M.Slow->Checked());
  M.Open->SetChecked(true);
  EXPECT_TRUE(M.Fast->Checked());
}

TEST(MenusMainMenu, FreeingTheMenuOrItsFormLeavesNothingBehind) {
  TForm(nullptr).HandleNeeded();  // the application's window and the platform's own stay
  const int Before = CountThreadWindows();
  {
    TMenuForm M;
    const HWND Wnd = M.Form.Handle();
    const UINT Command = M.Open->Command();
    delete M.Menu;
    EXPECT_EQ(M.Form.Menu(), nullptr);
    EXPECT_EQ(GetMenu(Wnd), nullptr);
    EXPECT_EQ(TMenuItem::FindCommand(Command), nullptr);
    SendMessageA(Wnd, WM_COMMAND, Command, 0);  // a stale command does nothing
    M.Form.RecreateWnd();
    EXPECT_EQ(GetMenu(M.Form.Handle()), nullptr);
  }
  {
    TMenuForm M;  // items owned by the form and held by the menu: both orders of freeing
    M.Form.Handle();
    delete M.File;
    EXPECT_EQ(M.Menu->Items()->Count(), 0);
  }
  EXPECT_EQ(CountThreadWindows(), Before);
}

TEST(MenusMainMenu, AMenuThatOutlivesItsFormServesTheNextForm) {
  TMainMenu Menu(nullptr);
  NewItem(nullptr, Menu.Items(), "&File");
  {
    TForm First(nullptr);
    First.SetMenu(&Menu);
    First.HandleNeeded();
  }
  TForm Second(nullptr);
  Second.SetMenu(&Menu);
  ASSERT_EQ(GetMenuItemCount(GetMenu(Second.Handle())), 1);
  Menu.Items()->Items(0)->SetCaption("&Datei");
  EXPECT_EQ(StateOf(GetMenu(Second.Handle()), 0).Text, "&Datei");
}

TEST(MenusShortCut, TheFirstVisibleEnabledItemWithTheKeyIsClicked) {
  TMenuForm M;
  TMenuItem* Hidden = NewItem(&M.Form, M.Menu->Items(), "Hidden");
  TMenuItem* Refresh = NewItem(&M.Form, M.Menu->Items(), "Refresh");
  Hidden->SetShortCut(VK_F5);
  Hidden->SetVisible(false);
  Refresh->SetShortCut(VK_F5);
  std::vector<std::string> Clicked;
  for (TMenuItem* Item : {M.Open, Hidden, Refresh})
    Item->OnClick = [&](TObject* Sender) { Clicked.push_back(static_cast<TMenuItem*>(Sender)->Caption()); };

  EXPECT_TRUE(M.Form.IsShortCut('O', ssCtrl, nullptr));
  EXPECT_FALSE(M.Form.IsShortCut('O', 0, nullptr));
  EXPECT_TRUE(M.Form.IsShortCut(VK_F5, 0, nullptr));
  M.File->SetEnabled(false);  // hides the items below it
  EXPECT_FALSE(M.Form.IsShortCut('O', ssCtrl, nullptr));
  EXPECT_FALSE(M.Menu->IsShortCut(scNone, nullptr));
  EXPECT_EQ(Clicked, (std::vector<std::string>{"&Open", "Refresh"}));
}

void CALLBACK ChooseFirstEntry(HWND, UINT, UINT_PTR Id, DWORD) {
  KillTimer(nullptr, Id);
  const HWND MenuWnd = FindThreadWindow("#32768");
  PostMessageA(MenuWnd, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(MenuWnd, WM_KEYDOWN, VK_RETURN, 0);
}

TEST(MenusPopup, PopupAsksOnPopupAndClicksTheChosenItem) {
  TForm Form(nullptr);
  TPopupMenu Popup(nullptr);
  TMenuItem* First = NewItem(nullptr, Popup.Items(), "First");
  TMenuItem* Second = NewItem(nullptr, Popup.Items(), "Second");
  NewItem(nullptr, Popup.Items(), "Third");
  std::vector<std::string> Log;
  Popup.OnPopup = [&](TObject*) {
    Log.push_back("popup");
    First->SetVisible(false);  // changes made here are shown
  };
  First->OnClick = [&](TObject*) { Log.push_back("first"); };
  Second->OnClick = [&](TObject*) { Log.push_back("second"); };

  // While the menu runs its own loop, a timer picks the first entry.
  const UINT_PTR Timer = SetTimer(nullptr, 0, 100, ChooseFirstEntry);
  Form.SetPopupMenu(&Popup);
  Form.Show();
  SendMessageA(Form.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Form.Handle()), MAKELPARAM(-1, -1));
  KillTimer(nullptr, Timer);
  EXPECT_EQ(Log, (std::vector<std::string>{"popup", "second"}));
  EXPECT_EQ(Popup.PopupComponent, &Form);
}

}  // namespace
