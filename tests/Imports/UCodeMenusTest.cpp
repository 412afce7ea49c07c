#include "Imports/UCodeMenus.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Imports/UCodeForms.h"
#include "Imports/UCodeSysUtils.h"
#include "classlib/Forms.h"
#include "tests/Imports/UnicodePlatformGuard.h"
#include "tests/support/MessagePump.h"

namespace {

const std::wstring Greek = L"\u0391\u03B8\u03AE\u03BD\u03B1";
const std::wstring Cyrillic = L"\u0414\u043E\u043C";

std::wstring EntryText(HMENU Menu, UINT Command) {
  wchar_t Buffer[128] = {};
  GetMenuStringW(Menu, Command, Buffer, 128, MF_BYCOMMAND);
  return Buffer;
}

int FakedMetric = 0;

int WINAPI FakedSystemMetrics(int Index) {
  return Index == FakedMetric ? 1 : GetSystemMetrics(Index);
}

// Makes the menus see a Far-East or a middle-eastern system for the scope.
class TLocaleGuard {
 public:
  explicit TLocaleGuard(int Metric) {
    FakedMetric = Metric;
    UCodeGetSystemMetrics = FakedSystemMetrics;
  }
  ~TLocaleGuard() { UCodeGetSystemMetrics = GetSystemMetrics; }
  TLocaleGuard(const TLocaleGuard&) = delete;
  TLocaleGuard& operator=(const TLocaleGuard&) = delete;
};

TEST(UCodeMenuText, HotKeysAndShortCutTexts) {
  EXPECT_EQ(WideGetHotKeyPos(L"a&&b&c"), 6);
  EXPECT_EQ(WideGetHotKey(L"&\u0416ar"), L"\u0416");
  EXPECT_EQ(WideGetHotKey(L"no && key"), L"");
  EXPECT_EQ(WideStripHotkey(L"&Save && go"), L"Save & go");
  EXPECT_TRUE(WideSameCaption(L"&\u0416ar", L"\u0436A&r"));
  EXPECT_FALSE(WideSameCaptionStr(L"&\u0416ar", L"\u0436ar"));
  EXPECT_EQ(WideShortCutToText(scCtrl | 'O'), L"Ctrl+O");
  EXPECT_EQ(WideShortCutToText(scShift | scCtrl | '5'), L"Shift+Ctrl+5");
  EXPECT_EQ(WideShortCutToText(VK_F5), AnsiToWide(ShortCutToText(VK_F5)));
  EXPECT_EQ(WideShortCutToText(VK_DELETE | scCtrl), AnsiToWide(ShortCutToText(VK_DELETE | scCtrl)));
}

TEST(UCodeMenuText, SyncingHotKeysMovesTheAmpersandOrRefuses) {
  std::wstring Dest = Cyrillic + L" Haus";
  SyncHotKeyPosition(L"??? &Haus", Dest);
  EXPECT_EQ(Dest, Cyrillic + L" &Haus");
  std::wstring Other = L"Anders";
  SyncHotKeyPosition(L"&Haus", Other);  // not the same text: nothing
  EXPECT_EQ(Other, L"Anders");
  std::wstring Pair = L"\U0001D11E Musik";  // two units, two "?"
  SyncHotKeyPosition(L"?? &Musik", Pair);
  EXPECT_EQ(Pair, L"\U0001D11E &Musik");
  const TLocaleGuard FarEast(SM_DBCSENABLED);
  std::wstring File = L"\u30D5\u30A1\u30A4\u30EB";  // the hot key as Far-East captions write it
  SyncHotKeyPosition(
      L"????"
      L"(&F)",
      File);
  EXPECT_EQ(File, L"\u30D5\u30A1\u30A4\u30EB(&F)");
}

class UCodeMenu : public testing::Test {
 protected:
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Menu = new TMainMenu(Form.get());
    Top = new TUCodeMenuItem(Form.get());
    Top->SetCaption(Greek);
    Top->SetShortCut(scCtrl | 'T');
    Menu->Items()->Add(Top);
    Open = new TUCodeMenuItem(Form.get());
    Open->SetCaption(L"\u00D6ffnen " + Cyrillic);
    Open->SetShortCut(scCtrl | 'O');
    Top->Add(Open);
    Help = new TUCodeMenuItem(Form.get());
    Help->SetCaption(L"\u6771\u4EAC");
    Help->SetShortCut(VK_F1);
    Top->Add(Help);
    Form->SetMenu(Menu);
  }
  std::unique_ptr<TForm> Form;
  TMainMenu* Menu = nullptr;
  TUCodeMenuItem* Top = nullptr;
  TUCodeMenuItem* Open = nullptr;
  TUCodeMenuItem* Help = nullptr;
};

TEST_F(UCodeMenu, EntriesShowWideCaptionsAndShortCutTextsButNoneOnTheBar) {
  Form->Show();
  const HMENU Bar = GetMenu(Form->Handle());
  ASSERT_NE(Bar, nullptr);
  EXPECT_EQ(EntryText(Bar, Top->Command()), Greek);
  EXPECT_EQ(EntryText(Bar, Open->Command()), L"\u00D6ffnen " + Cyrillic + L"\tCtrl+O");
  EXPECT_EQ(EntryText(Bar, Help->Command()), L"\u6771\u4EAC\t" + AnsiToWide(ShortCutToText(VK_F1)));
  // A change rebuilds the menu, and the entry follows.
  Help->SetCaption(L"\u0425\u0435\u043B\u043F");
  EXPECT_EQ(EntryText(GetMenu(Form->Handle()), Help->Command()),
            L"\u0425\u0435\u043B\u043F\t" + AnsiToWide(ShortCutToText(VK_F1)));
}

TEST_F(UCodeMenu, AutomaticHotKeysMoveIntoTheWideCaption) {
  Open->SetCaption(Cyrillic + L" Haus");
  Menu->SetAutoHotkeys(maAutomatic);
  Form->Show();
  EXPECT_EQ(Open->TMenuItem::Caption(), "??? &Haus");
  EXPECT_EQ(Open->Caption(), Cyrillic + L" &Haus");
  EXPECT_EQ(EntryText(GetMenu(Form->Handle()), Open->Command()), Cyrillic + L" &Haus\tCtrl+O");
}

TEST_F(UCodeMenu, AHotKeyBesideACharacterOutsideTheBMPFollowsToo) {
  Help->SetCaption(L"\U0001D11E Musik");
  Menu->SetAutoHotkeys(maAutomatic);
  Form->Show();
  EXPECT_EQ(Help->TMenuItem::Caption(), "?? &Musik");
  EXPECT_EQ(Help->Caption(), L"\U0001D11E &Musik");
  EXPECT_EQ(EntryText(GetMenu(Form->Handle()), Help->Command()),
            L"\U0001D11E &Musik\t" + AnsiToWide(ShortCutToText(VK_F1)));
}

TEST_F(UCodeMenu, ANonUnicodePlatformKeepsTheLibrarysEntries) {
  TUnicodePlatformGuard Guard(false);
  Form->Show();
  EXPECT_EQ(EntryText(GetMenu(Form->Handle()), Open->Command()),
            AnsiToWide(WideToAnsi(L"\u00D6ffnen " + Cyrillic)) + L"\tCtrl+O");
}

// The input language after a switch to German.
HKL WINAPI GermanLayout(DWORD) {
  return reinterpret_cast<HKL>(static_cast<ULONG_PTR>(0x04070407));
}

TEST_F(UCodeMenu, AnotherInputLanguageMakesTheEntryTextsAnewWhenTheMenuOpens) {
  Form->Show();
  const HMENU Bar = GetMenu(Form->Handle());
  const HMENU Sub = GetSubMenu(Bar, 0);
  std::wstring Stale = L"stale";
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_STRING;
  Info.dwTypeData = Stale.data();
  ASSERT_TRUE(SetMenuItemInfoW(Sub, Open->Command(), FALSE, &Info));
  SendMessageW(Form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Sub), 0);
  EXPECT_EQ(EntryText(Bar, Open->Command()), L"stale");  // the same input language: nothing to do
  UCodeGetKeyboardLayout = GermanLayout;
  SendMessageW(Form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Sub), 0);
  UCodeGetKeyboardLayout = GetKeyboardLayout;
  EXPECT_EQ(EntryText(Bar, Open->Command()), L"\u00D6ffnen " + Cyrillic + L"\tCtrl+O");
  EXPECT_EQ(Open->KeyboardLayout(), GermanLayout(0));
}

// While the menu runs its own loop: the first entry is selected, then the menu closed.
void CALLBACK SelectFirstEntryAndClose(HWND, UINT, UINT_PTR Id, DWORD) {
  KillTimer(nullptr, Id);
  const HWND MenuWnd = FindThreadWindow("#32768");
  PostMessageA(MenuWnd, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(MenuWnd, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST(UCodePopupList, TheSelectedEntryGivesTheApplicationItsWideLongHint) {
  UCodeApplication();
  ASSERT_NE(dynamic_cast<TUCodePopupList*>(PopupList()), nullptr);
  TForm Form(nullptr);
  TPopupMenu Popup(nullptr);
  auto* Item = new TUCodeMenuItem(nullptr);
  Item->SetCaption(Greek);
  Item->SetHint(L"kurz|" + Cyrillic);
  Popup.Items()->Add(Item);
  std::vector<std::wstring> Hints;
  Application->OnHint = [&](TObject*) { Hints.push_back(UCodeApplication()->Hint()); };
  Form.Show();
  const UINT_PTR Timer = SetTimer(nullptr, 0, 100, SelectFirstEntryAndClose);
  Popup.Popup(Form.Left() + 10, Form.Top() + 10);
  KillTimer(nullptr, Timer);
  Application->OnHint = nullptr;
  EXPECT_EQ(Hints, (std::vector<std::wstring>{Cyrillic, L""}));
}

TEST(UCodePopupList, OnAMiddleEasternSystemTheFirstVisibleEntryIsMadeAnewAsAMenuOpens) {
  UCodeApplication();
  TPopupMenu Popup(nullptr);
  auto* Hidden = new TUCodeMenuItem(nullptr);
  Hidden->SetCaption(L"x");
  Hidden->SetVisible(false);
  Popup.Items()->Add(Hidden);
  auto* First = new TUCodeMenuItem(nullptr);
  First->SetCaption(Greek);
  Popup.Items()->Add(First);
  const HMENU Menu = Popup.Handle();
  std::wstring Stale = L"stale";
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_STRING;
  Info.dwTypeData = Stale.data();
  ASSERT_TRUE(SetMenuItemInfoW(Menu, First->Command(), FALSE, &Info));
  SendMessageW(PopupList()->Window(), WM_ENTERMENULOOP, 0, 0);
  EXPECT_EQ(EntryText(Menu, First->Command()), L"stale");
  const TLocaleGuard MiddleEast(SM_MIDEASTENABLED);
  SendMessageW(PopupList()->Window(), WM_ENTERMENULOOP, 0, 0);
  EXPECT_EQ(EntryText(Menu, First->Command()), Greek);
}

// What the popup list's window draws for an entry of an owner-drawn menu.
std::vector<COLORREF> DrawnEntry(TMenuItem* Item, const RECT& Rect, UINT State) {
  TBitmap Picture;
  Picture.SetPixelFormat(pf24bit);
  Picture.SetSize(Rect.right, Rect.bottom);
  DRAWITEMSTRUCT Draw{};
  Draw.CtlType = ODT_MENU;
  Draw.itemID = Item->Command();
  Draw.itemAction = ODA_DRAWENTIRE;
  Draw.itemState = State;
  Draw.hDC = Picture.Canvas()->Handle();
  Draw.rcItem = Rect;
  EXPECT_EQ(SendMessageW(PopupList()->Window(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&Draw)), TRUE);
  std::vector<COLORREF> Pixels;
  for (int Y = 0; Y < Rect.bottom; ++Y)
    for (int X = 0; X < Rect.right; ++X)
      Pixels.push_back(static_cast<COLORREF>(Picture.Canvas()->Pixels(X, Y)));
  return Pixels;
}

MEASUREITEMSTRUCT MeasuredEntry(TMenuItem* Item) {
  MEASUREITEMSTRUCT Measure{};
  Measure.CtlType = ODT_MENU;
  Measure.itemID = Item->Command();
  EXPECT_EQ(SendMessageW(PopupList()->Window(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&Measure)), TRUE);
  return Measure;
}

int MenuTextWidth(const std::wstring& Text) {
  TBitmap Canvas;
  Canvas.SetSize(1, 1);
  SelectObject(Canvas.Canvas()->Handle(), MenuFont(false));
  RECT Rect{0, 0, 0, 0};
  DrawTextW(Canvas.Canvas()->Handle(), Text.c_str(), -1, &Rect, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  return Rect.right;
}

TEST(UCodePopupList, AnOwnerDrawnMenuMeasuresAndDrawsItsEntriesWide) {
  UCodeApplication();
  TPopupMenu Popup(nullptr);
  Popup.SetOwnerDraw(true);
  const std::wstring Wide = Cyrillic + Cyrillic + Cyrillic;
  auto* Item = new TUCodeMenuItem(nullptr);
  Item->SetCaption(Wide);
  Item->SetShortCut(scCtrl | 'O');
  Popup.Items()->Add(Item);
  auto* Plain = new TMenuItem(nullptr);  // what the 8-bit caption gives
  Plain->SetCaption(WideToAnsi(Wide));
  Plain->SetShortCut(scCtrl | 'O');
  Popup.Items()->Add(Plain);
  const HMENU Menu = Popup.Handle();
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(Menu, Item->Command(), FALSE, &Info));
  EXPECT_TRUE(Info.fType & MFT_OWNERDRAW);

  ASSERT_NE(MenuTextWidth(Wide), MenuTextWidth(AnsiToWide(WideToAnsi(Wide))));  // else nothing to see
  const MEASUREITEMSTRUCT Measured = MeasuredEntry(Item);
  const MEASUREITEMSTRUCT PlainMeasured = MeasuredEntry(Plain);
  EXPECT_EQ(static_cast<int>(Measured.itemWidth - PlainMeasured.itemWidth),
            MenuTextWidth(Wide) - MenuTextWidth(AnsiToWide(WideToAnsi(Wide))));
  EXPECT_EQ(Measured.itemHeight, PlainMeasured.itemHeight);

  const RECT Rect{0, 0, static_cast<LONG>(Measured.itemWidth), static_cast<LONG>(Measured.itemHeight)};
  const std::vector<COLORREF> Drawn = DrawnEntry(Item, Rect, 0);
  const std::vector<COLORREF> Background(Drawn.size(), GetSysColor(COLOR_MENU));
  EXPECT_NE(Drawn, Background);
  EXPECT_NE(Drawn, DrawnEntry(Plain, Rect, 0));
  EXPECT_NE(Drawn, DrawnEntry(Item, Rect, ODS_DISABLED));
  // The shortcut text stands at the right end, where an entry without one has no ink.
  const auto InkAtRight = [&](const std::vector<COLORREF>& Pixels) {
    int Ink = 0;
    for (LONG Y = 0; Y < Rect.bottom; ++Y)
      for (LONG X = Rect.right - MenuTextWidth(L"Ctrl+O"); X < Rect.right; ++X)
        Ink += Pixels[static_cast<size_t>(Y * Rect.right + X)] != GetSysColor(COLOR_MENU);
    return Ink;
  };
  EXPECT_GT(InkAtRight(Drawn), 20);
  // Wider than measured, a right-aligned menu moves the caption towards its shortcut text.
  const RECT Wider{0, 0, Rect.right + 60, Rect.bottom};
  const auto FirstInk = [&](const std::vector<COLORREF>& Pixels) {
    for (LONG X = 0; X < Wider.right; ++X)
      for (LONG Y = 0; Y < Wider.bottom; ++Y)
        if (Pixels[static_cast<size_t>(Y * Wider.right + X)] != GetSysColor(COLOR_MENU)) return X;
    return -1L;
  };
  const LONG Left = FirstInk(DrawnEntry(Item, Wider, 0));
  Popup.SetAlignment(paRight);
  EXPECT_GE(FirstInk(DrawnEntry(Item, Wider, 0)), Left + 50);
  Popup.SetAlignment(paLeft);
  Item->SetShortCut(scNone);
  EXPECT_EQ(InkAtRight(DrawnEntry(Item, Rect, 0)), 0);
  Item->OnAdvancedDrawItem = [](TObject*, HDC, const RECT&, UINT) {};  // the program's own drawing
  EXPECT_NE(DrawnEntry(Item, Rect, 0), Drawn);
}

}  // namespace
