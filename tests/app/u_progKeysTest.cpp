// The player window's keys through the application's message loop: the search field keeps its editing
// keys, the playlist's shortcuts act in the list. The search field cuts and pastes: this program holds
// the clipboard lock.
#include <gtest/gtest.h>

#include "app/u_addordner.h"
#include "app/u_info.h"
#include "classlib/Menus.h"
#include "tests/app/ProgFixture.h"
#include "tests/support/DialogAnswer.h"
#include "tests/support/KeyPress.h"
#include "tests/support/MessagePump.h"

namespace {

class ProgKeys : public TProgFixture {
 protected:
  void SetUp() override {
    TProgFixture::SetUp();
    prog->Show();
    SetSongs({L"C:\\1.mp3", L"C:\\2.mp3", L"C:\\3.mp3", L"C:\\4.mp3", L"C:\\5.mp3"});
    SelectRows({1});
    List = prog->lv->Handle();
    Search = prog->suchwort->Handle();
  }
  static std::vector<std::wstring> Paths() {
    std::vector<std::wstring> Result;
    for (const Song& S : AlleSongs) Result.push_back(S[sfPath]);
    return Result;
  }
  static std::string SearchText() { return WindowText(prog->suchwort->Handle()); }
  // Where the keys go: the focus as the test gives it.
  HWND List = nullptr;
  HWND Search = nullptr;
};

TEST_F(ProgKeys, TheSearchFieldKeepsItsEditingKeys) {
  const std::vector<std::wstring> All = Paths();
  const std::wstring Totals = prog->status->Caption();
  prog->lv->SetFocus();
  PressKey(List, 'F', ssCtrl);  // a shortcut that is no editing key still acts
  ASSERT_TRUE(prog->pa_suche->Visible());
  TypeKeys(Search, "ABC");
  EXPECT_EQ(SearchText(), "abc");
  PressKey(Search, 'A', ssCtrl);
  PressKey(Search, VK_DELETE);
  EXPECT_EQ(Paths(), All);
  PressKey(Search, VK_HOME);
  PressKey(Search, VK_DELETE);
  EXPECT_EQ(SearchText(), "bc");
  PressKey(Search, VK_END);
  PressKey(Search, VK_BACK);
  EXPECT_EQ(SearchText(), "b");
  TypeKeys(Search, "CD");
  for (const WORD Key : {VK_LEFT, VK_LEFT, VK_UP, VK_DOWN, VK_RIGHT}) PressKey(Search, Key);
  PressKey(Search, VK_HOME, ssShift);
  PressKey(Search, 'X', ssCtrl);
  EXPECT_EQ(SearchText(), "d");
  PressKey(Search, 'V', ssCtrl);
  EXPECT_EQ(SearchText(), "bcd");
  PressKey(Search, VK_HOME);
  PressKey(Search, VK_END, ssShift);
  PressKey(Search, 'C', ssCtrl);
  PressKey(Search, VK_DELETE);
  EXPECT_EQ(SearchText(), "");
  PressKey(Search, 'V', ssCtrl);
  EXPECT_EQ(SearchText(), "bcd");
  PressKey(Search, VK_HOME);
  PressKey(Search, VK_END, ssShift);
  PressKey(Search, VK_BACK);
  EXPECT_EQ(SearchText(), "");
  PressKey(Search, 'Z', ssCtrl);
  EXPECT_EQ(SearchText(), "bcd");
  PressKey(Search, VK_DELETE, ssCtrl);
  EXPECT_EQ(Paths(), All);
  EXPECT_EQ(prog->SelectedRows(), std::vector<int>{1});
  EXPECT_EQ(prog->status->Caption(), Totals);

  // Nor do they act on any other control than the list.
  const HWND Button = prog->Suchen->Handle();
  prog->Suchen->SetFocus();
  PressKey(Button, VK_DELETE);
  PressKey(Button, VK_DELETE, ssCtrl);
  PressKey(Button, 'A', ssCtrl);
  EXPECT_EQ(Paths(), All);
  EXPECT_EQ(prog->SelectedRows(), std::vector<int>{1});
}

TEST_F(ProgKeys, TheListKeepsThePlaylistShortcuts) {
  prog->lv->SetFocus();
  PressKey(List, VK_DELETE);
  EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"C:\\1.mp3", L"C:\\3.mp3", L"C:\\4.mp3", L"C:\\5.mp3"}));
  PressKey(List, 'A', ssCtrl);
  EXPECT_EQ(prog->SelectedRows(), (std::vector<int>{0, 1, 2, 3}));
  for (const WORD Key : {VK_HOME, VK_END, VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT}) PressKey(List, Key);
  for (const WORD Key : {'C', 'V', 'X', 'Z'}) PressKey(List, Key, ssCtrl);
  PressKey(List, VK_BACK);
  EXPECT_EQ(AlleSongs.size(), 4u);  // the list's own keys only move its focus; the others change nothing
  PressKey(List, VK_DELETE, ssCtrl);
  EXPECT_TRUE(AlleSongs.empty());
  EXPECT_EQ(prog->lv->Items()->Count(), 0);
}

// While the list's menu runs its own loop: Downs presses of Down, then Enter.
int Downs = 0;
void CALLBACK ChooseEntry(HWND, UINT, UINT_PTR Id, DWORD) {
  const HWND Menu = FindThreadWindow("#32768");
  if (!Menu) return;
  KillTimer(nullptr, Id);
  for (int I = 0; I < Downs; ++I) PostMessageA(Menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(Menu, WM_KEYDOWN, VK_RETURN, 0);
}

// The keys go where the focus is now: after a command of the list's menu it is back in the list.
TEST_F(ProgKeys, AfterAContextMenuCommandTheKeysActInTheList) {
  prog->lv->SetFocus();
  const auto* Alle = static_cast<TMenuItem*>(prog->FindComponent("p_alle"));
  Downs = 0;
  for (int I = 0; I < prog->popup->Items()->Count(); ++I) {
    const TMenuItem* Item = prog->popup->Items()->Items(I);
    if (Item->Visible() && Item->Caption() != "-") ++Downs;
    if (Item == Alle) break;
  }
  const UINT_PTR Timer = SetTimer(nullptr, 0, 50, ChooseEntry);
  prog->popup->Popup(prog->Left() + 50, prog->Top() + 50);
  KillTimer(nullptr, Timer);
  ASSERT_EQ(prog->SelectedRows(), (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(GetFocus(), List);
  PressKey(GetFocus(), VK_DELETE);
  EXPECT_TRUE(AlleSongs.empty());
}

// After a file dialog, and after another window closed by its title bar.
TEST_F(ProgKeys, AfterADialogOrAClosedWindowTheKeysActInTheList) {
  prog->lv->SetFocus();
  AnswerNextDialog("", [](HWND Dialog) { PostMessageA(Dialog, WM_COMMAND, IDCANCEL, 0); });
  PressKey(List, 'S', ssCtrl);
  EXPECT_EQ(GetFocus(), List);
  PressKey(GetFocus(), 'A', ssCtrl);
  EXPECT_EQ(prog->SelectedRows(), (std::vector<int>{0, 1, 2, 3, 4}));

  SelectRows({1});
  info->Show();
  SendMessageA(info->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(info->Visible());
  EXPECT_EQ(GetFocus(), List);
  PressKey(GetFocus(), 'A', ssCtrl);
  EXPECT_EQ(prog->SelectedRows(), (std::vector<int>{0, 1, 2, 3, 4}));
}

// Every menu shortcut, pressed with the focus in the list and in the search field: which item runs. The
// items only record their name here; their commands have tests of their own.
TEST_F(ProgKeys, EveryMenuShortcutRunsItsItemWhereItBelongs) {
  std::vector<std::string> Run;
  for (int I = 0; I < prog->ComponentCount(); ++I)
    if (auto* Item = dynamic_cast<TMenuItem*>(prog->Components(I)))
      Item->OnClick = [&Run](TObject* Sender) { Run.push_back(static_cast<TMenuItem*>(Sender)->Name()); };
  prog->msuche->SetChecked(true);
  prog->pa_suche->Show();
  struct TFall {
    WORD Key;
    TShiftState Shift;
    const char* InDerListe;
    const char* ImSuchfeld;  // nullptr: the key is the field's own
  };
  const TFall Faelle[] = {
      {VK_F1, 0, "i1", "i1"},
      {VK_F2, 0, "mw1", "mw1"},
      {VK_F3, 0, "mw2", "mw2"},
      {VK_F4, 0, "mw3", "mw3"},
      {VK_F5, 0, "mw4", "mw4"},
      {'O', ssCtrl, "mp3", "mp3"},
      {'S', ssCtrl, "mp2", "mp2"},
      {'N', ssCtrl, "mp4", "mp4"},
      {'L', ssCtrl, "mw5", "mw5"},
      {'F', ssCtrl, "msuche", "msuche"},
      {'A', ssCtrl, "mp9", nullptr},
      {VK_DELETE, ssCtrl, "mp7", nullptr},
      {VK_DELETE, 0, "p4", nullptr},  // the list's own menu comes first
      {'C', ssCtrl, "p_copyfile", nullptr},
      {'V', ssCtrl, "mp11", nullptr},
      {'Q', ssCtrl, "p5", nullptr},
  };
  for (const TFall& Fall : Faelle) {
    const std::string Taste = ShortCutToText(ShortCut(Fall.Key, Fall.Shift));
    prog->lv->SetFocus();
    Run.clear();
    PressKey(List, Fall.Key, Fall.Shift);
    EXPECT_EQ(Run, std::vector<std::string>{Fall.InDerListe}) << Taste << " in the list";
    prog->suchwort->SetFocus();
    Run.clear();
    PressKey(Search, Fall.Key, Fall.Shift);
    EXPECT_EQ(Run, Fall.ImSuchfeld ? std::vector<std::string>{Fall.ImSuchfeld} : std::vector<std::string>{})
        << Taste << " in the search field";
  }
}

// Adding folders shows every song again before its window opens, from the key and from the File menu.
TEST_F(ProgKeys, AddingFoldersEndsTheFilterFirst) {
  SetSongs({L"C:\\Beatles\\x.mp3", L"C:\\Queen\\y.mp3", L"C:\\Abba\\z.mp3"});
  for (const char* Item : {"mp4", "m_openordner"}) {
    prog->suchwort->SetText(L"Beatles");
    prog->SuchenClick(prog->Suchen);
    ASSERT_TRUE(IstGefiltert);
    ASSERT_EQ(prog->lv->Items()->Count(), 1);
    if (std::string(Item) == "mp4") {
      prog->lv->SetFocus();
      PressKey(List, 'N', ssCtrl);
    } else {
      static_cast<TMenuItem*>(prog->FindComponent(Item))->Click();
    }
    EXPECT_FALSE(IstGefiltert) << Item;
    EXPECT_EQ(prog->lv->Items()->Count(), 3) << Item;
    EXPECT_TRUE(addordner->Visible()) << Item;
    addordner->Hide();
  }
}

// Every menu's items in their order, each with its key; separators left out.
TEST_F(ProgKeys, EveryMenuHoldsItsItemsInOrderWithTheirKeys) {
  const auto Inhalt = [](const TMenuItem* Menu) {
    std::vector<std::string> Result;
    for (int I = 0; I < Menu->Count(); ++I) {
      const TMenuItem* Item = Menu->Items(I);
      if (Item->Caption() == "-") continue;
      const std::string Key = ShortCutToText(Item->ShortCut());
      Result.push_back(Key.empty() ? Item->Name() : Item->Name() + " " + Key);
    }
    return Result;
  };
  const auto Menu = [](const char* Name) { return static_cast<TMenuItem*>(prog->FindComponent(Name)); };
  using L = std::vector<std::string>;
  EXPECT_EQ(Inhalt(prog->MainMenu1->Items()), (L{"mdatei", "mwiedergabe", "mp0", "Suche1", "Einstellungen1",
                                                 "m_soft_de", "m_soft_en", "Info1"}));
  EXPECT_EQ(Inhalt(Menu("mdatei")), (L{"m_opendatei", "m_openordner", "mtxtexport", "m_bug", "mclose"}));
  EXPECT_EQ(Inhalt(Menu("mwiedergabe")), (L{"mw1 F2", "mw2 F3", "mw3 F4", "mw4 F5", "Wiederholen",
                                            "mw5 Ctrl+L", "mw6", "m_fehler", "zufall"}));
  EXPECT_EQ(Inhalt(Menu("mp0")), (L{"mp1", "mp3 Ctrl+O", "mp2 Ctrl+S", "mp4 Ctrl+N", "mp9 Ctrl+A",
                                    "mp10 Ctrl+C", "mp11 Ctrl+V", "mp5", "mp6", "mp7 Ctrl+Del", "mp8 Del"}));
  EXPECT_EQ(Inhalt(Menu("Suche1")),
            (L{"msuche Ctrl+F", "suchoptpanel", "Suchoptionen1", "m_regexsuche", "ergalsemp"}));
  EXPECT_EQ(Inhalt(Menu("Einstellungen1")),
            (L{"sa", "Sprache1", "m_einstshortcuts", "verk", "m_einst_sendenan", "so", "einstsave",
               "einstload", "einstautosave", "einstautoload"}));
  EXPECT_EQ(Inhalt(Menu("Info1")), (L{"i1 F1", "m_bug_i", "i2", "Software1", "i3", "i4", "i5", "i6", "i11",
                                      "i9", "i7", "i10", "i8", "i12"}));
  EXPECT_EQ(Inhalt(prog->popup->Items()),
            (L{"p1", "pop_title_next", "p3", "p6", "p_copyfile Ctrl+C", "p5 Ctrl+Q", "p_alle", "pss0", "pss1",
               "pss2", "pss3", "pss4", "pss5", "pss6", "pss7", "p4 Del"}));
  EXPECT_EQ(Inhalt(prog->akpopup->Items()), (L{"akp1", "akp2", "akp3", "akp4", "akp5", "akp6", "akp7", "akp8",
                                               "akp9", "akp10", "akp11", "akp12"}));
}

}  // namespace
