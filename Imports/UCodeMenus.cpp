#include "Imports/UCodeMenus.h"

#include <windows.h>

#include "Imports/UCodeControls.h"
#include "Imports/UCodeForms.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeWindows.h"
#include "classlib/FormReader.h"
#include "classlib/SysUtils.h"

HKL(WINAPI* UCodeGetKeyboardLayout)(DWORD ThreadId) = GetKeyboardLayout;
int(WINAPI* UCodeGetSystemMetrics)(int Index) = GetSystemMetrics;

namespace {

bool FarEastLocale() {
  return UCodeGetSystemMetrics(SM_DBCSENABLED) != 0;
}

// "(&X)" at I: the hot key as Far-East captions write it.
bool IsParenthesisedHotKey(const std::wstring& S, size_t I) {
  return I + 3 < S.size() && S[I] == L'(' && S[I + 1] == L'&' && S[I + 3] == L')';
}

// Keys whose text is the library's own.
bool LibraryNamesKey(BYTE Key) {
  return Key == VK_BACK || Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_SPACE ||
         (Key >= VK_PRIOR && Key <= VK_DOWN) || Key == VK_INSERT || Key == VK_DELETE ||
         (Key >= VK_F1 && Key <= VK_F24);
}

// The character the layout gives the key; a digit key whose character is another one (as on layouts
// whose digits need Shift) shows the digit when the digit is typed on that key.
std::wstring KeyCharacter(BYTE Key) {
  const auto Char = static_cast<wchar_t>(MapVirtualKeyW(Key, MAPVK_VK_TO_CHAR) & 0xFFFF);
  if (Key >= '0' && Key <= '9' && Char != static_cast<wchar_t>(Key) &&
      LOBYTE(VkKeyScanW(static_cast<wchar_t>(Key))) == Key)
    return std::wstring(1, static_cast<wchar_t>(Key));
  return Char ? std::wstring(1, Char) : std::wstring();
}

std::wstring KeyName(BYTE Key) {
  const UINT ScanCode = MapVirtualKeyW(Key, MAPVK_VK_TO_VSC);
  if (!ScanCode) return {};
  wchar_t Name[256];
  const int Length = GetKeyNameTextW(static_cast<LONG>(ScanCode << 16), Name, 256);
  return std::wstring(Name, Length > 0 ? static_cast<size_t>(Length) : 0);
}

}  // namespace

int WideGetHotKeyPos(const std::wstring& S) {
  int Result = 0;
  for (size_t I = 0; I + 1 < S.size(); ++I) {
    if (S[I] != L'&') continue;
    if (S[I + 1] == L'&') {
      ++I;  // "&&" is a literal ampersand
      continue;
    }
    Result = static_cast<int>(I) + 2;
  }
  return Result;
}

std::wstring WideGetHotKey(const std::wstring& S) {
  const int Pos = WideGetHotKeyPos(S);
  return Pos ? S.substr(static_cast<size_t>(Pos) - 1, 1) : std::wstring();
}

std::wstring WideStripHotkey(const std::wstring& S) {
  std::wstring Result;
  for (size_t I = 0; I < S.size(); ++I) {
    if (FarEastLocale() && IsParenthesisedHotKey(S, I)) {
      I += 3;
      continue;
    }
    if (S[I] == L'&') {
      if (I + 1 < S.size() && S[I + 1] == L'&') Result += S[++I];
      continue;
    }
    Result += S[I];
  }
  return Result;
}

bool WideSameCaption(const std::wstring& A, const std::wstring& B) {
  return WideCompareText(WideStripHotkey(A), WideStripHotkey(B)) == 0;
}

bool WideSameCaptionStr(const std::wstring& A, const std::wstring& B) {
  return WideCompareStr(WideStripHotkey(A), WideStripHotkey(B)) == 0;
}

std::wstring WideShortCutToText(TShortCut ShortCut) {
  if (!IsUnicodePlatform) return AnsiToWide(ShortCutToText(ShortCut));
  const BYTE Key = LOBYTE(ShortCut);
  std::wstring Text;
  if (LibraryNamesKey(Key))
    Text = AnsiToWide(ShortCutToText(Key));
  else if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z') ||
           (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9))
    Text = KeyCharacter(Key);
  else
    Text = KeyName(Key);
  if (Text.empty()) return {};
  return AnsiToWide(ShortCutModifierText(ShortCut)) + Text;
}

// ---------------------------------------------------------------------------------------------
// Wide menu items

void SyncHotKeyPosition(const std::wstring& Source, std::wstring& Dest) {
  if (WideToAnsi(Source) == WideToAnsi(Dest)) return;
  if (WideToAnsi(WideStripHotkey(Source)) != WideToAnsi(WideStripHotkey(Dest))) return;
  std::wstring Result = WideStripHotkey(Dest);
  const bool FarEast = FarEastLocale();
  for (size_t I = 0; I < Source.size() && I <= Result.size(); ++I) {
    // The stripping took such a group away whole: it comes back whole.
    if (FarEast && IsParenthesisedHotKey(Source, I)) {
      Result.insert(I, Source, I, 4);
      I += 3;
      continue;
    }
    if (Source[I] != L'&') continue;
    Result.insert(I, 1, L'&');
    if (I + 1 < Source.size() && Source[I + 1] == L'&') ++I;  // a literal "&", kept by the stripping
  }
  if (WideToAnsi(Source) != WideToAnsi(Result))
    throw EUCodeInternalError(Format("Internal Error: SyncHotKeyPosition Failed (\"%s\" <> \"%s\").",
                                     {WideToAnsi(Source), WideToAnsi(Result)}));
  Dest = Result;
}

std::wstring TUCodeMenuItem::Caption() {
  const std::string Ansi = TMenuItem::Caption();
  const std::string WideAnsi = WideToAnsi(FCaption);
  if (Ansi != WideAnsi && WideSameCaptionStr(AnsiToWide(Ansi), AnsiToWide(WideAnsi))) {
    SyncHotKeyPosition(AnsiToWide(Ansi), FCaption);
  }
  return GetSyncedWideString(FCaption, Ansi);
}

std::wstring TUCodeMenuItem::ShownCaption() {
  try {
    return Caption();
  } catch (const EUCodeInternalError&) {
    return WideStripHotkey(FCaption);  // the text without hot keys
  }
}

void TUCodeMenuItem::SetCaption(const std::wstring& Value) {
  SetSyncedWideString(Value, FCaption, TMenuItem::Caption(),
                      [this](const std::string& S) { TMenuItem::SetCaption(S); });
}

std::wstring TUCodeMenuItem::Hint() {
  return GetSyncedWideString(FHint, TMenuItem::Hint());
}

void TUCodeMenuItem::SetHint(const std::wstring& Value) {
  SetSyncedWideString(Value, FHint, TMenuItem::Hint(),
                      [this](const std::string& S) { TMenuItem::SetHint(S); });
}

void TUCodeMenuItem::DefineProperties(TFiler* Filer) {
  TMenuItem::DefineProperties(Filer);
  DefineWideProperties(Filer, this);
}

void TUCodeMenuItem::Appended(HMENU Menu) {
  FEntryMenu = Menu;
  UpdateMenuItemWide(this, Menu);
}

void TUCodeMenuItem::InitiateAction() {
  if (UCodeGetKeyboardLayout(0) != FKeyboardLayout) UpdateMenuItemWide(this, FEntryMenu);
  TMenuItem::InitiateAction();
}

void TUCodeMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* Action = dynamic_cast<TCustomAction*>(Sender);
  if (Action && dynamic_cast<IWideAction*>(Action)) {
    if (!CheckDefaults || Caption().empty()) SetCaption(GetWideActionCaption(Action));
    if (!CheckDefaults || Hint().empty()) SetHint(GetWideActionHint(Action));
  }
  TMenuItem::ActionChange(Sender, CheckDefaults);
}

TMenuActionLinkClass TUCodeMenuItem::GetActionLinkClass() {
  return [](TMenuItem* Client) -> TMenuActionLink* { return new TUCodeMenuActionLink(Client); };
}

namespace {

// The flags of an entry's texts: single line, tabs expanded.
constexpr UINT ItemTextFlags = DT_SINGLELINE | DT_EXPANDTABS;

int WideTextWidth(HDC DC, const std::wstring& Text) {
  if (Text.empty()) return 0;
  RECT Rect{0, 0, 0, 0};
  UCode_DrawTextW(DC, Text.c_str(), -1, &Rect, ItemTextFlags | DT_CALCRECT | DT_NOCLIP);
  return Rect.right;
}

int WideShortCutWidth(HDC DC, TShortCut ShortCut, bool Wide) {
  return WideTextWidth(DC, Wide ? WideShortCutToText(ShortCut) : AnsiToWide(ShortCutToText(ShortCut)));
}

}  // namespace

// The library measures the 8-bit texts; the wide ones may be wider or narrower.
void TUCodeMenuItem::MeasureItem(HDC DC, int& Width, int& Height) {
  TMenuItem::MeasureItem(DC, Width, Height);
  if (!IsUnicodePlatform || OnMeasureItem) return;
  const HGDIOBJ Old = SelectObject(DC, MenuFont(Default()));
  Width += WideTextWidth(DC, ShownCaption()) - WideTextWidth(DC, AnsiToWide(TMenuItem::Caption()));
  if (ShortCut() != scNone)
    Width += WideShortCutWidth(DC, ShortCut(), true) - WideShortCutWidth(DC, ShortCut(), false);
  SelectObject(DC, Old);
}

void TUCodeMenuItem::AdvancedDrawItem(HDC DC, const RECT& Rect, UINT State, bool TopLevel) {
  if (!IsUnicodePlatform || OnAdvancedDrawItem) {
    TMenuItem::AdvancedDrawItem(DC, Rect, State, TopLevel);
    return;
  }
  DrawItemBackground(DC, Rect, State, TopLevel);
  SelectObject(DC, MenuFont(Default()));
  SetBkMode(DC, TRANSPARENT);
  const std::wstring Text = ShownCaption();
  const std::wstring Keys = ShortCut() != scNone ? WideShortCutToText(ShortCut()) : std::wstring();
  const RECT Place = ItemTextRect(Rect, TopLevel);
  const RECT Caption = CaptionRect(Place, WideTextWidth(DC, Keys));
  const auto Draw = [&](int Offset, COLORREF Color) {
    SetTextColor(DC, Color);
    RECT Where = Caption;
    OffsetRect(&Where, Offset, Offset);
    UCode_DrawTextW(DC, Text.c_str(), -1, &Where, ItemTextFlags | DT_VCENTER | TextAlignment());
    Where = Place;
    OffsetRect(&Where, Offset, Offset);
    UCode_DrawTextW(DC, Keys.c_str(), -1, &Where, ItemTextFlags | DT_VCENTER | DT_RIGHT);
  };
  if (!(State & (ODS_DISABLED | ODS_GRAYED))) {
    Draw(0, GetSysColor((State & ODS_SELECTED) ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    return;
  }
  // Disabled: embossed, unless the two colours would not tell apart.
  const COLORREF Highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF Shadow = GetSysColor(COLOR_BTNSHADOW);
  if (Highlight != Shadow) Draw(1, Highlight);
  Draw(0, Shadow);
}

std::wstring WideGetMenuItemHint(TMenuItem* Item) {
  if (auto* Wide = dynamic_cast<TUCodeMenuItem*>(Item)) return Wide->Hint();
  return AnsiToWide(Item->Hint());
}

void UpdateMenuItemWide(TUCodeMenuItem* Item, HMENU Menu) {
  Item->FKeyboardLayout = UCodeGetKeyboardLayout(0);
  if (!IsUnicodePlatform || !Item->Visible() || !Item->Parent() || !Menu) return;
  if (Item->ComponentState() & (csReading | csDestroying)) return;
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_FTYPE;
  if (!GetMenuItemInfoW(Menu, Item->Command(), FALSE, &Info)) return;
  if (Info.fType & (MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR)) return;
  auto* MainMenu = dynamic_cast<TMainMenu*>(Item->GetParentMenu());
  const bool OnBar = MainMenu && !Item->Parent()->Parent();
  std::wstring Text = Item->Caption();
  if (Item->Count() == 0 && Item->ShortCut() != scNone && !OnBar)
    Text += L"\t" + WideShortCutToText(Item->ShortCut());
  const int Length = GetMenuStringW(Menu, Item->Command(), nullptr, 0, MF_BYCOMMAND);
  std::wstring Shown(static_cast<size_t>(std::max(Length, 0)) + 1, L'\0');
  Shown.resize(static_cast<size_t>(
      GetMenuStringW(Menu, Item->Command(), Shown.data(), static_cast<int>(Shown.size()), MF_BYCOMMAND)));
  if (Shown == Text) return;
  Info.fMask = MIIM_STRING;
  Info.dwTypeData = Text.data();
  if (!SetMenuItemInfoW(Menu, Item->Command(), FALSE, &Info)) RaiseLastOSError();
  if (OnBar && MainMenu->Window()) DrawMenuBar(MainMenu->Window());
}

bool TUCodeMenuActionLink::IsCaptionLinked() {
  auto* Client = dynamic_cast<TUCodeMenuItem*>(this->Client());
  return TMenuActionLink::IsCaptionLinked() && Client &&
         WideSameCaption(GetWideActionCaption(Action()), Client->Caption());
}

bool TUCodeMenuActionLink::IsHintLinked() {
  auto* Client = dynamic_cast<TUCodeMenuItem*>(this->Client());
  return TMenuActionLink::IsHintLinked() && Client && GetWideActionHint(Action()) == Client->Hint();
}

void TUCodeMenuActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked())
    static_cast<TUCodeMenuItem*>(Client())->SetCaption(
        WideActionCaptionOrDefault(Action(), AnsiToWide(Value)));
}

void TUCodeMenuActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked())
    static_cast<TUCodeMenuItem*>(Client())->SetHint(WideActionHintOrDefault(Action(), AnsiToWide(Value)));
}

// The hint of an item of a listed menu goes to the wide application object, and no further. On a
// middle-eastern system the first visible entry of each menu is made anew as the menu opens.
void TUCodePopupList::WndProc(TMessage& Message) {
  if (Message.Msg == WM_ENTERMENULOOP && UCodeGetSystemMetrics(SM_MIDEASTENABLED)) {
    for (TPopupMenu* Menu : Menus())
      for (int I = 0; I < Menu->Items()->Count(); ++I)
        if (Menu->Items()->Items(I)->Visible()) {
          if (auto* Item = dynamic_cast<TUCodeMenuItem*>(Menu->Items()->Items(I)))
            UpdateMenuItemWide(Item, Menu->Handle());
          break;
        }
  }
  if (Message.Msg == WM_MENUSELECT) {
    if (TMenuItem* Item = SelectedItem(Message)) {
      UCodeApplication()->SetHint(WideGetLongHint(WideGetMenuItemHint(Item)));
      return;
    }
    UCodeApplication()->SetHint(L"");
  }
  TPopupList::WndProc(Message);
}

namespace {

[[maybe_unused]] const bool WidePopupListInstalled =
    (SetPopupList(std::make_unique<TUCodePopupList>()), true);

}  // namespace

const TClassInfo* UCodeMenuItemClass() {
  static const TClassInfo Info = [] {
    using namespace Published;
    RegisterLibraryClasses();
    TClassInfo Info = MakeClassInfo<TUCodeMenuItem>(
        "TUCodeMenuItem", GetClass("TMenuItem"),
        {WideStr<TUCodeMenuItem>(
             "Caption", [](TUCodeMenuItem* I) { return I->Caption(); },
             [](TUCodeMenuItem* I, const std::wstring& V) { I->SetCaption(V); }),
         WideStr<TUCodeMenuItem>(
             "Hint", [](TUCodeMenuItem* I) { return I->Hint(); },
             [](TUCodeMenuItem* I, const std::wstring& V) { I->SetHint(V); })});
    // An action that supplies a text keeps it: the form does not.
    Info.Props[0].Stored = [](TObject* I) {
      TMenuActionLink* Link = static_cast<TUCodeMenuItem*>(I)->ActionLink();
      return !Link || !Link->IsCaptionLinked();
    };
    Info.Props[1].Stored = [](TObject* I) {
      TMenuActionLink* Link = static_cast<TUCodeMenuItem*>(I)->ActionLink();
      return !Link || !Link->IsHintLinked();
    };
    return Info;
  }();
  RegisterClass(&Info);
  return &Info;
}
