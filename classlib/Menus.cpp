#include "classlib/Menus.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "classlib/ActionClient.h"
#include "classlib/Controls.h"
#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"

namespace {

std::map<UINT, TMenuItem*>& Commands() {
  static std::map<UINT, TMenuItem*> Map;
  return Map;
}

UINT NextCommand() {
  static UINT Next = 100;
  return Next++;
}

struct TKeyName {
  WORD Key;
  const char* Name;
};

constexpr TKeyName KeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},      {VK_HOME, "Home"},  {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},    {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

std::string KeyName(WORD Key) {
  if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9')) return std::string(1, static_cast<char>(Key));
  if (Key >= VK_F1 && Key <= VK_F24) return "F" + IntToStr(Key - VK_F1 + 1);
  for (const TKeyName& K : KeyNames)
    if (K.Key == Key) return K.Name;
  return {};
}

WORD KeyOfName(const std::string& Name) {
  const std::string Upper = UpperCase(Name);
  if (Upper.size() == 1 && ((Upper[0] >= 'A' && Upper[0] <= 'Z') || (Upper[0] >= '0' && Upper[0] <= '9')))
    return static_cast<WORD>(Upper[0]);
  if (Upper.size() >= 2 && Upper[0] == 'F') {
    const int N = StrToIntDef(Upper.substr(1), 0);
    if (N >= 1 && N <= 24) return static_cast<WORD>(VK_F1 + N - 1);
  }
  for (const TKeyName& K : KeyNames)
    if (UpperCase(K.Name) == Upper) return K.Key;
  return 0;
}

}  // namespace

TShortCut ShortCut(WORD Key, uint8_t Shift) {
  TShortCut Result = Key & 0xFF;
  if (Shift & ssShift) Result |= scShift;
  if (Shift & ssCtrl) Result |= scCtrl;
  if (Shift & ssAlt) Result |= scAlt;
  return Result;
}

std::string ShortCutModifierText(TShortCut Value) {
  std::string Text;
  if (Value & scShift) Text += "Shift+";
  if (Value & scCtrl) Text += "Ctrl+";
  if (Value & scAlt) Text += "Alt+";
  return Text;
}

std::string ShortCutToText(TShortCut Value) {
  const std::string Name = KeyName(Value & 0xFF);
  if (Name.empty()) return {};
  return ShortCutModifierText(Value) + Name;
}

TShortCut TextToShortCut(const std::string& Text) {
  TShortCut Shift = 0;
  std::string Rest = Text;
  for (;;) {
    const std::string Upper = UpperCase(Rest);
    if (Upper.rfind("SHIFT+", 0) == 0) {
      Shift |= scShift;
      Rest.erase(0, 6);
    } else if (Upper.rfind("CTRL+", 0) == 0) {
      Shift |= scCtrl;
      Rest.erase(0, 5);
    } else if (Upper.rfind("ALT+", 0) == 0) {
      Shift |= scAlt;
      Rest.erase(0, 4);
    } else {
      break;
    }
  }
  const WORD Key = KeyOfName(Rest);
  return Key ? static_cast<TShortCut>(Key | Shift) : scNone;
}

// ---------------------------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(NextCommand()) {
  Commands()[FCommand] = this;
}

TMenuItem::~TMenuItem() {
  FActionLink.reset();
  Clear();
  if (FParent) FParent->Remove(this);
  Commands().erase(FCommand);
}

void TMenuItem::Changed() {
  TMenuItem* Root = this;
  while (Root->FParent) Root = Root->FParent;
  if (Root->FMenu) Root->FMenu->MenuChanged();
}

void TMenuItem::SetCaption(const std::string& Value) {
  FCaption = Value;
  Changed();
}

void TMenuItem::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  if (Value && FRadioItem && FParent)
    for (TMenuItem* Sibling : FParent->FItems)
      if (Sibling != this && Sibling->FRadioItem && Sibling->FGroupIndex == FGroupIndex)
        Sibling->FChecked = false;
  Changed();
}

void TMenuItem::SetEnabled(bool Value) {
  FEnabled = Value;
  Changed();
}

void TMenuItem::SetVisible(bool Value) {
  FVisible = Value;
  Changed();
}

void TMenuItem::SetDefault(bool Value) {
  FDefault = Value;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut Value) {
  FShortCut = Value;
  Changed();
}

void TMenuItem::SetShortCutControl(TWinControl* Value) {
  if (FShortCutControl) FShortCutControl->RemoveFreeNotification(this);
  FShortCutControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FShortCutControl) FShortCutControl = nullptr;
  // A freed action has let its links go before its free notification comes.
  if (FActionLink && (AComponent == FActionLink->Action() || !FActionLink->Action())) FActionLink.reset();
}

void TMenuItem::SetRadioItem(bool Value) {
  FRadioItem = Value;
  Changed();
}

TMenuItem* TMenuItem::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format(L"List index out of bounds (%d)", {Index}));
  return FItems[static_cast<size_t>(Index)];
}

int TMenuItem::MenuIndex() const {
  if (!FParent) return -1;
  const auto& Siblings = FParent->FItems;
  return static_cast<int>(std::find(Siblings.begin(), Siblings.end(), this) - Siblings.begin());
}

void TMenuItem::Add(TMenuItem* Item) {
  Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (Item->FParent) Item->FParent->Remove(Item);
  FItems.insert(FItems.begin() + std::clamp(Index, 0, Count()), Item);
  Item->FParent = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
  const auto It = std::find(FItems.begin(), FItems.end(), Item);
  if (It == FItems.end()) return;
  FItems.erase(It);
  Item->FParent = nullptr;
  Changed();
}

void TMenuItem::Clear() {
  while (!FItems.empty()) delete FItems.back();
}

namespace {

// The window is the control's or one inside it.
bool IsWithin(HWND Wnd, TWinControl* Control) {
  if (!Wnd || !Control->HandleAllocated()) return false;
  return Wnd == Control->Handle() || IsChild(Control->Handle(), Wnd);
}

}  // namespace

TMenuItem* TMenuItem::FindShortCut(TShortCut Value, HWND KeyWindow) {
  if (!FVisible || !FEnabled) return nullptr;
  if (Value != scNone && FShortCut == Value && (!FShortCutControl || IsWithin(KeyWindow, FShortCutControl)))
    return this;
  for (TMenuItem* Item : FItems)
    if (TMenuItem* Found = Item->FindShortCut(Value, KeyWindow)) return Found;
  return nullptr;
}

TMenuItem* TMenuItem::FindCommand(UINT Command) {
  const auto It = Commands().find(Command);
  return It == Commands().end() ? nullptr : It->second;
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (FAutoCheck) SetChecked(!FChecked);
  if (OnClick) OnClick(this);
}

void TMenuItem::InitiateAction() {
  if (TBasicAction* Action = this->Action()) Action->Update();
}

void TMenuItem::AppendTo(HMENU Menu) {
  if (!FVisible) return;
  if (FCaption == "-") {
    AppendMenuA(Menu, MF_SEPARATOR, 0, nullptr);
    return;
  }
  std::string Text = FCaption;
  if (FShortCut != scNone) Text += "\t" + ShortCutToText(FShortCut);
  MENUITEMINFOA Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
  const TMenu* Owner = GetParentMenu();
  Info.fType = (FRadioItem ? MFT_RADIOCHECK : 0) | (Owner && Owner->OwnerDraw() ? MFT_OWNERDRAW : 0);
  Info.fState = (FChecked ? MFS_CHECKED : 0) | (FEnabled ? 0 : MFS_DISABLED) | (FDefault ? MFS_DEFAULT : 0);
  Info.wID = FCommand;
  Info.dwTypeData = Text.data();
  if (!FItems.empty()) {
    Info.fMask |= MIIM_SUBMENU;
    Info.hSubMenu = CreatePopupMenu();
    for (TMenuItem* Item : FItems) Item->AppendTo(Info.hSubMenu);
  }
  InsertMenuItemA(Menu, GetMenuItemCount(Menu), TRUE, &Info);
  Appended(Menu);
}

namespace {

// Room left and right of an entry's texts, and between caption and shortcut.
constexpr int TextMargin = 6;
constexpr int ShortCutGap = 16;
constexpr UINT MeasureFlags = DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE;

int TextWidth(HDC DC, const std::string& Text) {
  RECT Rect{0, 0, 0, 0};
  DrawTextA(DC, Text.c_str(), static_cast<int>(Text.size()), &Rect, MeasureFlags);
  return Rect.right;
}

}  // namespace

HFONT MenuFont(bool Bold) {
  static const auto Make = [](bool AsBold) {
    NONCLIENTMETRICSA Metrics{};
    Metrics.cbSize = sizeof Metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof Metrics, &Metrics, 0);
    if (AsBold) Metrics.lfMenuFont.lfWeight = FW_BOLD;
    return CreateFontIndirectA(&Metrics.lfMenuFont);
  };
  static const HFONT Normal = Make(false);
  static const HFONT BoldFont = Make(true);
  return Bold ? BoldFont : Normal;
}

RECT TMenuItem::ItemTextRect(const RECT& Rect, bool TopLevel) {
  RECT Text = Rect;
  Text.left += TextMargin + (TopLevel ? 0 : GetSystemMetrics(SM_CXMENUCHECK));
  Text.right -= TextMargin;
  return Text;
}

RECT TMenuItem::CaptionRect(const RECT& TextRect, int ShortCutWidth) {
  RECT Caption = TextRect;
  if (ShortCutWidth > 0) Caption.right -= ShortCutWidth + ShortCutGap;
  return Caption;
}

UINT TMenuItem::TextAlignment() const {
  static const UINT Alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  const auto* Popup = dynamic_cast<const TPopupMenu*>(GetParentMenu());
  return Popup ? Alignments[Popup->Alignment()] : DT_LEFT;
}

void TMenuItem::MeasureItem(HDC DC, int& Width, int& Height) {
  if (OnMeasureItem) {
    OnMeasureItem(this, DC, Width, Height);
    return;
  }
  const HGDIOBJ Old = SelectObject(DC, MenuFont(FDefault));
  const std::string ShortCut = ShortCutToText(FShortCut);
  const bool TopLevel = FParent && !FParent->FParent && dynamic_cast<TMainMenu*>(GetParentMenu());
  Width = ItemTextRect({0, 0, 0, 0}, TopLevel).left + TextMargin + TextWidth(DC, FCaption) +
          (ShortCut.empty() ? 0 : ShortCutGap + TextWidth(DC, ShortCut));
  TEXTMETRICA Metrics{};
  GetTextMetricsA(DC, &Metrics);
  Height = std::max<int>(Metrics.tmHeight + 4, GetSystemMetrics(SM_CYMENU));
  SelectObject(DC, Old);
}

void TMenuItem::DrawItemBackground(HDC DC, const RECT& Rect, UINT State, bool TopLevel) {
  const bool Selected = (State & ODS_SELECTED) != 0;
  SetBkColor(DC, GetSysColor(Selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  ExtTextOutA(DC, 0, 0, ETO_OPAQUE, &Rect, nullptr, 0, nullptr);
  if (!FChecked || TopLevel) return;
  const int Size = GetSystemMetrics(SM_CXMENUCHECK);
  RECT Check{Rect.left + TextMargin / 2, Rect.top + (Rect.bottom - Rect.top - Size) / 2, 0, 0};
  Check.right = Check.left + Size;
  Check.bottom = Check.top + Size;
  DrawFrameControl(DC, &Check, DFC_MENU, FRadioItem ? DFCS_MENUBULLET : DFCS_MENUCHECK);
}

void TMenuItem::AdvancedDrawItem(HDC DC, const RECT& Rect, UINT State, bool TopLevel) {
  if (OnAdvancedDrawItem) {
    OnAdvancedDrawItem(this, DC, Rect, State);
    return;
  }
  DrawItemBackground(DC, Rect, State, TopLevel);
  const HGDIOBJ Old = SelectObject(DC, MenuFont(FDefault));
  SetBkMode(DC, TRANSPARENT);
  const bool Grayed = (State & (ODS_DISABLED | ODS_GRAYED)) != 0;
  SetTextColor(DC, GetSysColor(Grayed                        ? COLOR_GRAYTEXT
                               : (State & ODS_SELECTED) != 0 ? COLOR_HIGHLIGHTTEXT
                                                             : COLOR_MENUTEXT));
  RECT Text = ItemTextRect(Rect, TopLevel);
  constexpr UINT Flags = DT_SINGLELINE | DT_EXPANDTABS | DT_VCENTER;
  const std::string ShortCut = ShortCutToText(FShortCut);
  RECT Caption = CaptionRect(Text, ShortCut.empty() ? 0 : TextWidth(DC, ShortCut));
  DrawTextA(DC, FCaption.c_str(), -1, &Caption, Flags | TextAlignment());
  DrawTextA(DC, ShortCut.c_str(), -1, &Text, Flags | DT_RIGHT);
  SelectObject(DC, Old);
}

bool DispatchMenuDrawing(TMessage& Message) {
  if (Message.Msg == WM_MEASUREITEM) {
    auto* Measure = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
    TMenuItem* Item = Measure->CtlType == ODT_MENU ? TMenuItem::FindCommand(Measure->itemID) : nullptr;
    if (!Item) return false;
    const HDC DC = GetDC(nullptr);
    int Width = static_cast<int>(Measure->itemWidth), Height = static_cast<int>(Measure->itemHeight);
    Item->MeasureItem(DC, Width, Height);
    ReleaseDC(nullptr, DC);
    Measure->itemWidth = static_cast<UINT>(Width);
    Measure->itemHeight = static_cast<UINT>(Height);
    Message.Result = TRUE;
    return true;
  }
  if (Message.Msg == WM_DRAWITEM) {
    const auto* Draw = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
    TMenuItem* Item = Draw->CtlType == ODT_MENU ? TMenuItem::FindCommand(Draw->itemID) : nullptr;
    if (!Item) return false;
    const bool TopLevel =
        Item->Parent() && !Item->Parent()->Parent() && dynamic_cast<TMainMenu*>(Item->GetParentMenu());
    const int Saved = SaveDC(Draw->hDC);
    Item->AdvancedDrawItem(Draw->hDC, Draw->rcItem, Draw->itemState, TopLevel);
    RestoreDC(Draw->hDC, Saved);
    Message.Result = TRUE;
    return true;
  }
  return false;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* Root = this;
  while (Root->FParent) Root = Root->FParent;
  return Root->FMenu;
}

// Each item without a hot key gets one: the first letter or digit of its caption that none of its
// siblings has taken.
void TMenuItem::RethinkHotkeys() {
  const auto Upper = [](char C) { return static_cast<char>(std::toupper(static_cast<unsigned char>(C))); };
  std::string Used;
  for (const TMenuItem* Item : FItems)
    if (const char Hot = GetHotKey(Item->FCaption)) Used += Upper(Hot);
  for (TMenuItem* Item : FItems) {
    if (Item->FCaption == "-" || GetHotKey(Item->FCaption)) continue;
    for (size_t I = 0; I < Item->FCaption.size(); ++I) {
      const char Key = Upper(Item->FCaption[I]);
      const bool Valid = (Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9');
      if (!Valid || Used.find(Key) != std::string::npos) continue;
      Item->FCaption.insert(I, 1, '&');
      Used += Key;
      break;
    }
  }
  for (TMenuItem* Item : FItems) Item->RethinkHotkeys();
}

TBasicAction* TMenuItem::Action() const {
  return FActionLink ? FActionLink->Action() : nullptr;
}

void TMenuItem::SetAction(TBasicAction* Value) {
  SetClientAction(
      this, FActionLink, Value, [this] { return GetActionLinkClass()(this); },
      [this](TObject* Sender, bool CheckDefaults) { ActionChange(Sender, CheckDefaults); });
}

void TMenuItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* Action = dynamic_cast<TCustomAction*>(Sender);
  if (!Action) return;
  if (!CheckDefaults || FCaption.empty()) SetCaption(Action->Caption());
  if (!CheckDefaults || FHint.empty()) SetHint(Action->Hint());
  if (!CheckDefaults || FShortCut == scNone) SetShortCut(Action->ShortCut());
}

TMenuActionLinkClass TMenuItem::GetActionLinkClass() {
  return [](TMenuItem* Client) { return new TMenuActionLink(Client); };
}

// ---------------------------------------------------------------------------------------------
// TMenuActionLink

bool TMenuActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() &&
         FClient->Caption() == static_cast<TCustomAction*>(Action())->Caption();
}

bool TMenuActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == static_cast<TCustomAction*>(Action())->Hint();
}

void TMenuActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}

void TMenuActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}

// ---------------------------------------------------------------------------------------------
// TMenu

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  FItems->FMenu = nullptr;
  delete FItems;
  DestroyMenuHandle();
}

void TMenu::SetOwnerDraw(bool Value) {
  FOwnerDraw = Value;
  MenuChanged();
}

void TMenu::SetAutoHotkeys(TMenuAutoFlag Value) {
  FAutoHotkeys = Value;
  MenuChanged();
}

HMENU TMenu::Handle() {
  if (!FHandle) {
    if (FAutoHotkeys == maAutomatic) FItems->RethinkHotkeys();
    FHandle = CreateMenuHandle();
    for (TMenuItem* Item : FItems->FItems) Item->AppendTo(FHandle);
  }
  return FHandle;
}

bool TMenu::IsShortCut(TShortCut Value, HWND KeyWindow) {
  TMenuItem* Item = FItems->FindShortCut(Value, KeyWindow);
  if (!Item || Item == FItems) return false;
  Item->Click();
  return true;
}

void TMenu::MenuChanged() {
  DestroyMenuHandle();
}

void TMenu::DestroyMenuHandle() {
  if (FHandle) DestroyMenu(FHandle);
  FHandle = nullptr;
}

void TMainMenu::SetWindow(HWND Wnd) {
  FWindow = Wnd;
  if (Wnd) ::SetMenu(Wnd, Handle());
}

void TMainMenu::MenuChanged() {
  if (!FWindow) {
    TMenu::MenuChanged();
    return;
  }
  const HMENU Old = Handle();
  FHandle = nullptr;
  ::SetMenu(FWindow, Handle());
  DestroyMenu(Old);
  DrawMenuBar(FWindow);
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {
  PopupList()->FMenus.push_back(this);
}

TPopupMenu::~TPopupMenu() {
  std::vector<TPopupMenu*>& Menus = PopupList()->FMenus;
  Menus.erase(std::remove(Menus.begin(), Menus.end(), this), Menus.end());
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  DestroyMenuHandle();
  const HWND Owner = PopupList()->Window();
  // The menu closes on a click elsewhere only while its owner is in front; the window that was active
  // takes the activation back before the command runs, and with it the focus of its control.
  const HWND Active = GetActiveWindow();
  SetForegroundWindow(Owner);
  static const UINT Alignments[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  const auto Command = static_cast<UINT>(TrackPopupMenu(
      Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON | Alignments[FAlignment], X, Y, 0, Owner, nullptr));
  PostMessageA(Owner, WM_NULL, 0, 0);
  if (Active && IsWindow(Active) && GetActiveWindow() == Owner) SetForegroundWindow(Active);
  if (TMenuItem* Item = TMenuItem::FindCommand(Command)) Item->Click();
}

void DispatchMenuOpen(HMENU Menu) {
  for (int I = 0; I < GetMenuItemCount(Menu); ++I) {
    MENUITEMINFOA Info{};
    Info.cbSize = sizeof Info;
    Info.fMask = MIIM_ID;
    if (!GetMenuItemInfoA(Menu, static_cast<UINT>(I), TRUE, &Info)) continue;
    if (TMenuItem* Item = TMenuItem::FindCommand(Info.wID)) Item->InitiateAction();
  }
}

// ---------------------------------------------------------------------------------------------
// TPopupList

namespace {

const char* const PopupListClass = "VelmaroPopupList";

std::unique_ptr<TPopupList>& PopupListSlot() {
  static std::unique_ptr<TPopupList> List = std::make_unique<TPopupList>();
  return List;
}

}  // namespace

TPopupList* PopupList() {
  return PopupListSlot().get();
}

void SetPopupList(std::unique_ptr<TPopupList> Value) {
  std::unique_ptr<TPopupList>& Slot = PopupListSlot();
  Value->FMenus = std::move(Slot->FMenus);
  Slot = std::move(Value);
}

TPopupList::~TPopupList() {
  if (FWindow) DestroyWindow(FWindow);
}

HWND TPopupList::Window() {
  if (FWindow) return FWindow;
  const HINSTANCE Instance = GetModuleHandleA(nullptr);
  WNDCLASSA Class{};
  if (!GetClassInfoA(Instance, PopupListClass, &Class)) {
    Class.lpfnWndProc = WindowProc;
    Class.hInstance = Instance;
    Class.lpszClassName = PopupListClass;
    RegisterClassA(&Class);
  }
  FWindow = CreateWindowExA(WS_EX_TOOLWINDOW, PopupListClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            Instance, nullptr);
  SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return FWindow;
}

LRESULT CALLBACK TPopupList::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* List = reinterpret_cast<TPopupList*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  if (!List) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  TMessage Message{Msg, WParam, LParam, 0};
  try {
    List->WndProc(Message);
  } catch (...) {
    Application->HandleException(std::current_exception());
  }
  return Message.Result;
}

TMenuItem* TPopupList::SelectedItem(const TMessage& Message) const {
  const auto Menu = reinterpret_cast<HMENU>(Message.LParam);
  if (!Menu || HIWORD(Message.WParam) == 0xFFFF) return nullptr;
  // A sub-menu's entry is named by its place, any other by its command.
  MENUITEMINFOA Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_ID;
  const bool ByPlace = (HIWORD(Message.WParam) & MF_POPUP) != 0;
  if (!GetMenuItemInfoA(Menu, LOWORD(Message.WParam), ByPlace, &Info)) return nullptr;
  TMenuItem* Item = TMenuItem::FindCommand(Info.wID);
  const auto* Owner = Item ? dynamic_cast<TPopupMenu*>(Item->GetParentMenu()) : nullptr;
  return Owner && std::find(FMenus.begin(), FMenus.end(), Owner) != FMenus.end() ? Item : nullptr;
}

void TPopupList::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_INITMENUPOPUP:
      DispatchMenuOpen(reinterpret_cast<HMENU>(Message.WParam));
      return;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      if (DispatchMenuDrawing(Message)) return;
      Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
      return;
    case WM_MENUSELECT: {
      const TMenuItem* Item = SelectedItem(Message);
      Application->SetHint(Item ? GetLongHint(Item->Hint()) : std::string());
      return;
    }
    default:
      Message.Result = DefWindowProcA(FWindow, Message.Msg, Message.WParam, Message.LParam);
  }
}

// ---------------------------------------------------------------------------------------------
// Published properties

void RegisterMenus() {
  using namespace Published;
  static const TClassInfo MenuItemInfo = [] {
    TClassInfo Info = MakeClassInfo<TMenuItem>(
        "TMenuItem", GetClass("TComponent"),
        {Str<TMenuItem>(
             "Caption", [](TMenuItem* I) { return I->Caption(); },
             [](TMenuItem* I, const std::string& V) { I->SetCaption(V); }),
         Bool<TMenuItem>(
             "Checked", [](TMenuItem* I) { return I->Checked(); },
             [](TMenuItem* I, bool V) { I->SetChecked(V); }),
         Bool<TMenuItem>(
             "Enabled", [](TMenuItem* I) { return I->Enabled(); },
             [](TMenuItem* I, bool V) { I->SetEnabled(V); }),
         Bool<TMenuItem>(
             "Visible", [](TMenuItem* I) { return I->Visible(); },
             [](TMenuItem* I, bool V) { I->SetVisible(V); }),
         Bool<TMenuItem>(
             "RadioItem", [](TMenuItem* I) { return I->RadioItem(); },
             [](TMenuItem* I, bool V) { I->SetRadioItem(V); }),
         Bool<TMenuItem>(
             "AutoCheck", [](TMenuItem* I) { return I->AutoCheck(); },
             [](TMenuItem* I, bool V) { I->SetAutoCheck(V); }),
         Int<TMenuItem>(
             "GroupIndex", [](TMenuItem* I) { return I->GroupIndex(); },
             [](TMenuItem* I, int64_t V) { I->SetGroupIndex(static_cast<int>(V)); }),
         Int<TMenuItem>(
             "ShortCut", [](TMenuItem* I) { return I->ShortCut(); },
             [](TMenuItem* I, int64_t V) { I->SetShortCut(static_cast<TShortCut>(V)); }),
         Component<TMenuItem, TWinControl>(
             "ShortCutControl", [](TMenuItem* I) { return I->ShortCutControl(); },
             [](TMenuItem* I, TWinControl* V) { I->SetShortCutControl(V); }),
         Str<TMenuItem>(
             "Hint", [](TMenuItem* I) { return I->Hint(); },
             [](TMenuItem* I, const std::string& V) { I->SetHint(V); }),
         Event<TMenuItem>("OnClick", &TMenuItem::OnClick)});
    Info.SetParentComponent = [](TComponent* Child, TComponent* Parent) {
      auto* Item = static_cast<TMenuItem*>(Child);
      if (auto* Menu = dynamic_cast<TMenu*>(Parent))
        Menu->Items()->Add(Item);
      else if (auto* ParentItem = dynamic_cast<TMenuItem*>(Parent))
        ParentItem->Add(Item);
      else
        throw EReadError("A menu item belongs into a menu");
    };
    return Info;
  }();
  static const TClassInfo MainMenuInfo = MakeClassInfo<TMainMenu>("TMainMenu", GetClass("TComponent"), {});
  static const TClassInfo PopupMenuInfo = MakeClassInfo<TPopupMenu>(
      "TPopupMenu", GetClass("TComponent"), {Event<TPopupMenu>("OnPopup", &TPopupMenu::OnPopup)});
  RegisterClass(&MenuItemInfo);
  RegisterClass(&MainMenuInfo);
  RegisterClass(&PopupMenuInfo);
}
