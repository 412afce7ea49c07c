#include "classlib/Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>

#include "classlib/ActionClient.h"
#include "classlib/Menus.h"
#include "classlib/SysUtils.h"

TWinControl* CreationControl = nullptr;
std::function<void(std::exception_ptr Error)> HandleWindowException = ShowWindowException;

namespace {

// A global atom for the life of the program, named after the module and the thread that made it, so that
// two copies of the library in one process never read each other's property.
class TControlAtom {
 public:
  TControlAtom() {
    char Name[48];
    std::snprintf(Name, sizeof Name, "ControlOfs%.16llX%.8lX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))),
                  static_cast<unsigned long>(GetCurrentThreadId()));
    FAtom = GlobalAddAtomA(Name);
  }
  ~TControlAtom() { GlobalDeleteAtom(FAtom); }
  TControlAtom(const TControlAtom&) = delete;
  TControlAtom& operator=(const TControlAtom&) = delete;
  ATOM Get() const { return FAtom; }

 private:
  ATOM FAtom;
};

LPCSTR AtomName(ATOM Atom) {
  return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(Atom));
}

// Sets CreationControl for one window creation and clears it again however the creation ends.
class TCreationScope {
 public:
  explicit TCreationScope(TWinControl* Control) { CreationControl = Control; }
  ~TCreationScope() { CreationControl = nullptr; }
  TCreationScope(const TCreationScope&) = delete;
  TCreationScope& operator=(const TCreationScope&) = delete;
};

}  // namespace

ATOM ControlAtom() {
  static const TControlAtom Atom;
  return Atom.Get();
}

TWinControl* FindControl(HWND Wnd) {
  return Wnd ? static_cast<TWinControl*>(GetPropA(Wnd, AtomName(ControlAtom()))) : nullptr;
}

std::wstring ExceptionText(std::exception_ptr Error) {
  try {
    std::rethrow_exception(Error);
  } catch (const Exception& E) {
    return E.Message();
  } catch (const std::exception& E) {
    return AnsiToWide(E.what(), CP_UTF8);
  } catch (...) {
  }
  return L"Unknown exception";
}

void ShowWindowException(std::exception_ptr Error) {
  const TModalScope Modal;
  MessageBoxW(nullptr, ExceptionText(Error).c_str(), L"Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

BOOL CALLBACK TModalScope::Collect(HWND Wnd, LPARAM Param) {
  auto* Self = reinterpret_cast<TModalScope*>(Param);
  if (IsWindowVisible(Wnd) && (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_TOPMOST))
    Self->FTopmost.push_back(Wnd);
  if (IsWindowEnabled(Wnd)) {
    EnableWindow(Wnd, FALSE);
    Self->FDisabled.push_back(Wnd);
  }
  return TRUE;
}

TModalScope::TModalScope() : FActive(GetActiveWindow()), FFocus(GetFocus()) {
  // Hidden ones too: a window shown while the modal one is open takes no input either.
  EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(this));
  // Each goes to the top of its band: the lowest first keeps their order.
  for (auto It = FTopmost.rbegin(); It != FTopmost.rend(); ++It)
    SetWindowPos(*It, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TModalScope::~TModalScope() {
  for (const HWND Wnd : FDisabled)
    if (IsWindow(Wnd)) EnableWindow(Wnd, TRUE);
  for (auto It = FTopmost.rbegin(); It != FTopmost.rend(); ++It)
    if (IsWindow(*It)) SetWindowPos(*It, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Closing, the modal window handed the activation to a window that was still disabled.
  if (!FActive || !IsWindow(FActive) || !IsWindowVisible(FActive)) return;
  SetActiveWindow(FActive);
  // Already active again, the window did not hear of it: the control that had the focus takes it back.
  if (GetActiveWindow() == FActive && FFocus && IsChild(FActive, FFocus) && IsWindowVisible(FFocus) &&
      IsWindowEnabled(FFocus) && GetFocus() != FFocus)
    SetFocus(FFocus);
}

namespace {

// The first of its owners; GA_ROOTOWNER follows only the owners of pop-up windows.
HWND RootOwner(HWND Wnd) {
  HWND Root = Wnd;
  for (HWND Owner = GetWindow(Wnd, GW_OWNER); Owner; Owner = GetWindow(Owner, GW_OWNER)) Root = Owner;
  return Root;
}

bool TakesInput(HWND Wnd) {
  return Wnd && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd);
}

}  // namespace

HWND ModalFrontWindow(HWND Wnd) {
  if (IsWindowEnabled(Wnd)) return Wnd;
  const HWND Root = RootOwner(Wnd);
  const HWND Popup = GetLastActivePopup(Root);
  if (TakesInput(Popup)) return Popup;
  // The last one active was hidden without handing on the activation: the highest window of the same
  // owners that takes input.
  for (HWND Other = GetTopWindow(nullptr); Other; Other = GetWindow(Other, GW_HWNDNEXT))
    if (Other != Root && TakesInput(Other) && RootOwner(Other) == Root) return Other;
  return Wnd;
}

HWND RaiseFrontWindow(HWND Wnd) {
  const HWND Front = ModalFrontWindow(Wnd);
  // The platform keeps an owned window just above its owner: the owners go up first.
  std::vector<HWND> Chain;
  for (HWND Owned = Front; Owned && GetWindow(Owned, GW_OWNER); Owned = GetWindow(Owned, GW_OWNER))
    Chain.push_back(Owned);
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It)
    SetWindowPos(*It, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return Front;
}

HCURSOR CursorHandle(TCursor Cursor) {
  LPCSTR Shape = IDC_ARROW;
  switch (Cursor) {
    case crIBeam:
      Shape = IDC_IBEAM;
      break;
    case crSizeWE:
      Shape = IDC_SIZEWE;
      break;
    case crHourGlass:
      Shape = IDC_WAIT;
      break;
    case crNo:
      Shape = IDC_NO;
      break;
    case crHandPoint:
      Shape = IDC_HAND;
      break;
    default:
      break;
  }
  return LoadCursorA(nullptr, Shape);
}

TShiftState KeyboardShiftState() {
  TShiftState Shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) Shift |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) Shift |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) Shift |= ssAlt;
  return Shift;
}

TShiftState MouseShiftState(WPARAM Keys) {
  TShiftState Shift = 0;
  if (Keys & MK_SHIFT) Shift |= ssShift;
  if (Keys & MK_CONTROL) Shift |= ssCtrl;
  if (Keys & MK_LBUTTON) Shift |= ssLeft;
  if (Keys & MK_RBUTTON) Shift |= ssRight;
  if (Keys & MK_MBUTTON) Shift |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) Shift |= ssAlt;
  return Shift;
}

std::string GetShortHint(const std::string& Hint) {
  return Hint.substr(0, Hint.find('|'));
}

std::string GetLongHint(const std::string& Hint) {
  const size_t Bar = Hint.find('|');
  return Bar == std::string::npos ? Hint : Hint.substr(Bar + 1);
}

RECT WorkAreaNear(const RECT& Rect) {
  MONITORINFO Monitor{};
  Monitor.cbSize = sizeof(Monitor);
  if (GetMonitorInfoW(MonitorFromRect(&Rect, MONITOR_DEFAULTTONEAREST), &Monitor)) return Monitor.rcWork;
  RECT Primary;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &Primary, 0);
  return Primary;
}

RECT MovedInto(RECT Rect, const RECT& Area) {
  OffsetRect(&Rect, std::min(0L, Area.right - Rect.right), std::min(0L, Area.bottom - Rect.bottom));
  OffsetRect(&Rect, std::max(0L, Area.left - Rect.left), std::max(0L, Area.top - Rect.top));
  return Rect;
}

char GetHotKey(const std::string& Caption) {
  for (size_t I = 0; I + 1 < Caption.size(); ++I) {
    if (Caption[I] != '&') continue;
    if (Caption[I + 1] != '&') return Caption[I + 1];
    ++I;  // "&&" is a literal ampersand
  }
  return 0;
}

bool IsAccel(WPARAM CharCode, const std::string& Caption) {
  const char Hot = GetHotKey(Caption);
  if (!Hot) return false;
  char A[2] = {static_cast<char>(CharCode), 0};
  char B[2] = {Hot, 0};
  CharUpperA(A);
  CharUpperA(B);
  return A[0] == B[0];
}

// ---------------------------------------------------------------------------------------------
// TControl

// The value WindowProc starts with; its type tells WindowProcIsOwn that nobody replaced it.
struct TControl::TOwnWndProc {
  TControl* Control;
  void operator()(TMessage& Message) const { Control->WndProc(Message); }
};

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), WindowProc(TOwnWndProc{this}), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  FActionLink.reset();
  SetParent(nullptr);
  FFont->OnChange = nullptr;
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EComponentError("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool Moved = ALeft != FLeft || ATop != FTop || AWidth != FWidth || AHeight != FHeight;
  if (Moved && !dynamic_cast<TWinControl*>(this)) Invalidate();  // the old place
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  if (!Moved) return;
  if (!dynamic_cast<TWinControl*>(this)) Invalidate();
  if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetClientSize(int AWidth, int AHeight) {
  SetBounds(FLeft, FTop, AWidth, AHeight);
}

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  if (!Value) Invalidate();
  FVisible = Value;
  if (Value) Invalidate();
  Perform(CM_VISIBLECHANGED, Value, 0);
  if (FParent && FAlign != alNone) FParent->Realign();
}

bool TControl::Showing() const {
  for (const TControl* C = this; C; C = C->FParent)
    if (!C->FVisible) return false;
  return true;
}

void TControl::SetBiDiMode(TBiDiMode Value) {
  if (FBiDiMode == Value) return;
  FBiDiMode = Value;
  Invalidate();
}

UINT TControl::DrawTextBiDiModeFlags(UINT Flags) const {
  if (UseRightToLeftAlignment()) {
    if (Flags & DT_RIGHT)
      Flags &= ~DT_RIGHT;
    else if (!(Flags & DT_CENTER))
      Flags |= DT_RIGHT;
  }
  return UseRightToLeftReading() ? Flags | DT_RTLREADING : Flags;
}

void TControl::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
  Invalidate();
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  FAlign = Value;
  if (FParent) FParent->Realign();
}

std::string TControl::Text() {
  const auto Length = static_cast<size_t>(Perform(WM_GETTEXTLENGTH, 0, 0));
  std::string Buffer(Length + 1, '\0');
  const auto Got =
      static_cast<size_t>(Perform(WM_GETTEXT, Buffer.size(), reinterpret_cast<LPARAM>(Buffer.data())));
  Buffer.resize(std::min(Got, Length));
  return Buffer;
}

void TControl::SetText(const std::string& Value) {
  if (Text() == Value) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  FParentFont = Value;
  if (Value) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || !FParent) return;
  FAssigningParentFont = true;
  FFont->Assign(FParent->Font());
  FAssigningParentFont = false;
}

void TControl::FontChanged() {
  if (!FAssigningParentFont) FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
  Invalidate();
}

TColor TControl::Color() const {
  return FParentColor && FParent ? FParent->Color() : FColor;
}

void TControl::SetColor(TColor Value) {
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
  Invalidate();
}

void TControl::SetParentColor(bool Value) {
  FParentColor = Value;
  Invalidate();
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
  // A freed action has let its links go before its free notification comes.
  if (FActionLink && (AComponent == FActionLink->Action() || !FActionLink->Action())) FActionLink.reset();
}

TBasicAction* TControl::Action() const {
  return FActionLink ? FActionLink->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* Value) {
  SetClientAction(
      this, FActionLink, Value, [this] { return GetActionLinkClass()(this); },
      [this](TObject* Sender, bool CheckDefaults) { ActionChange(Sender, CheckDefaults); });
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* Action = dynamic_cast<TCustomAction*>(Sender);
  if (!Action) return;
  if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(Action->Caption());
  if (!CheckDefaults || Hint().empty()) SetHint(Action->Hint());
}

TControlActionLinkClass TControl::GetActionLinkClass() {
  return NewActionLink<TControlActionLink>;
}

// ---------------------------------------------------------------------------------------------
// TControlActionLink

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() &&
         FClient->Caption() == static_cast<TCustomAction*>(Action())->Caption();
}

bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && FClient->Hint() == static_cast<TCustomAction*>(Action())->Hint();
}

void TControlActionLink::SetCaption(const std::string& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}

void TControlActionLink::SetHint(const std::string& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage Message{Msg, WParam, LParam, 0};
  WindowProc(Message);
  return Message.Result;
}

void TControl::Invalidate() {
  if (FParent && FParent->HandleAllocated() && FVisible) {
    const RECT Rect = BoundsRect();
    InvalidateRect(FParent->FHandle, &Rect, TRUE);
  }
}

void TControl::Repaint() {
  Invalidate();
  if (FParent && FParent->HandleAllocated()) UpdateWindow(FParent->FHandle);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

POINT TControl::ClientToScreen(POINT Point) {
  if (auto* Win = dynamic_cast<TWinControl*>(this)) {
    ::ClientToScreen(Win->Handle(), &Point);
    return Point;
  }
  if (!FParent) return Point;
  return FParent->ClientToScreen({Point.x + FLeft, Point.y + FTop});
}

bool TControl::WindowProcIsOwn() const {
  const TOwnWndProc* Own = WindowProc.target<TOwnWndProc>();
  return Own && Own->Control == this;
}

void TControl::WndProc(TMessage& Message) {
  Dispatch(Message);
}

void TControl::MouseDown(TMessage& Message, TMouseButton Button) {
  if (Button == mbLeft && FClickEvents) FClicked = true;
  if (OnMouseDown)
    OnMouseDown(this, Button, MouseShiftState(Message.WParam), GET_X_LPARAM(Message.LParam),
                GET_Y_LPARAM(Message.LParam));
}

void TControl::MouseUp(TMessage& Message, TMouseButton Button) {
  const int X = GET_X_LPARAM(Message.LParam);
  const int Y = GET_Y_LPARAM(Message.LParam);
  if (Button == mbLeft && FClicked) {
    FClicked = false;
    if (X >= 0 && Y >= 0 && X < FWidth && Y < FHeight) Click();
  }
  if (OnMouseUp) OnMouseUp(this, Button, MouseShiftState(Message.WParam), X, Y);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
      MouseDown(Message, mbLeft);
      break;
    case WM_RBUTTONDOWN:
      MouseDown(Message, mbRight);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(Message, mbMiddle);
      break;
    case WM_LBUTTONUP:
      MouseUp(Message, mbLeft);
      break;
    case WM_RBUTTONUP:
      MouseUp(Message, mbRight);
      break;
    case WM_MBUTTONUP:
      MouseUp(Message, mbMiddle);
      break;
    case WM_LBUTTONDBLCLK:
      if (OnDblClick) OnDblClick(this);
      break;
    case WM_MOUSEMOVE:
      if (OnMouseMove)
        OnMouseMove(this, MouseShiftState(Message.WParam), GET_X_LPARAM(Message.LParam),
                    GET_Y_LPARAM(Message.LParam));
      break;
    case WM_CONTEXTMENU:
      if (FPopupMenu) {
        POINT At{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        if (At.x == -1 && At.y == -1) At = ClientToScreen({0, 0});  // from the keyboard
        FPopupMenu->PopupComponent = this;
        FPopupMenu->Popup(At.x, At.y);
        return;
      }
      break;
    case CM_PARENTFONTCHANGED:
      ParentFontChanged();
      return;
    case CM_HINTSHOW:
      if (FActionLink && !FActionLink->DoShowHint(reinterpret_cast<THintInfo*>(Message.LParam)->HintStr))
        Message.Result = 1;
      return;
    default:
      break;
  }
  DefaultHandler(Message);
}

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(FText.size());
      break;
    case WM_GETTEXT:
      if (Message.WParam > 0) {
        const size_t Count = std::min(FText.size(), static_cast<size_t>(Message.WParam) - 1);
        auto* Buffer = reinterpret_cast<char*>(Message.LParam);
        FText.copy(Buffer, Count);
        Buffer[Count] = '\0';
        Message.Result = static_cast<LRESULT>(Count);
      }
      break;
    case WM_SETTEXT:
      FText = Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "";
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  Destroying();
  DestroyHandle();
  while (!FControls.empty()) delete FControls.back();  // each one leaves the list as it goes
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (Parent()) Parent()->HandleNeeded();  // which may already have made this window
  if (!FHandle) CreateHandle();
}

void TWinControl::CreateHandle() {
  CreateWnd();
  // A window shown at once may have drawn its text already (a caption set after creation is drawn at
  // once), in the system font: it draws again in its own.
  SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), IsWindowVisible(FHandle));
  const std::vector<TControl*> Children = FControls;
  for (TControl* Child : Children) {
    auto* WinChild = dynamic_cast<TWinControl*>(Child);
    if (WinChild && WinChild->Visible()) WinChild->HandleNeeded();
  }
  Realign();
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TControl* Child : FControls)
    if (auto* WinChild = dynamic_cast<TWinControl*>(Child)) WinChild->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  DestroyHandle();
  CreateHandle();
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount())
    throw EListError(Format(L"List index out of bounds (%d)", {Index}));
  return FControls[static_cast<size_t>(Index)];
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool Resized = AWidth != Width() || AHeight != Height();
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FHandle) SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  if (Resized && !FHandle) Realign();
}

void TWinControl::SetVisible(bool Value) {
  TControl::SetVisible(Value);
  if (Value && !FHandle && Parent() && Parent()->HandleAllocated()) HandleNeeded();
  if (FHandle) ShowWindow(FHandle, Value ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool Value) {
  TControl::SetEnabled(Value);
  if (FHandle) EnableWindow(FHandle, Value);
}

int TWinControl::ClientWidth() {
  RECT Rect{};
  if (!FHandle) return Width();
  GetClientRect(FHandle, &Rect);
  return Rect.right;
}

int TWinControl::ClientHeight() {
  RECT Rect{};
  if (!FHandle) return Height();
  GetClientRect(FHandle, &Rect);
  return Rect.bottom;
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Repaint() {
  if (!FHandle) return;
  RedrawWindow(FHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
}

bool TWinControl::Focused() {
  return FHandle && GetFocus() == FHandle;
}

bool TWinControl::CanFocus() {
  for (TControl* C = this; C; C = C->Parent())
    if (!C->Visible() || !C->Enabled()) return false;
  return true;
}

void TWinControl::SetFocus() {
  ::SetFocus(Handle());
}

void TWinControl::Realign() {
  if (FControls.empty() || FAligning) return;
  FAligning = true;
  RECT Area{0, 0, ClientWidth(), ClientHeight()};
  for (TAlign Kind : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* C : FControls) {
      if (C->Align() != Kind || !C->Visible()) continue;
      const int W = Area.right - Area.left;
      const int H = Area.bottom - Area.top;
      switch (Kind) {
        case alTop:
          C->SetBounds(Area.left, Area.top, W, C->Height());
          Area.top += C->Height();
          break;
        case alBottom:
          Area.bottom -= C->Height();
          C->SetBounds(Area.left, Area.bottom, W, C->Height());
          break;
        case alLeft:
          C->SetBounds(Area.left, Area.top, C->Width(), H);
          Area.left += C->Width();
          break;
        case alRight:
          Area.right -= C->Width();
          C->SetBounds(Area.right, Area.top, C->Width(), H);
          break;
        default:
          C->SetBounds(Area.left, Area.top, W, H);
          break;
      }
    }
  }
  FAligning = false;
}

TControl* TWinControl::ControlAtPos(POINT Point) {
  for (auto It = FControls.rbegin(); It != FControls.rend(); ++It) {
    TControl* C = *It;
    if (dynamic_cast<TWinControl*>(C) || !C->Visible()) continue;
    const RECT Rect = C->BoundsRect();
    if (PtInRect(&Rect, Point)) return C;
  }
  return nullptr;
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Caption = FText;
  Params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (Parent()) {
    Params.Style |= WS_CHILD;
    Params.WndParent = Parent()->Handle();
  } else {
    Params.Style |= WS_POPUP;
  }
  if (Visible()) Params.Style |= WS_VISIBLE;
  if (!Enabled()) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = Left();
  Params.Y = Top();
  Params.Width = Width();
  Params.Height = Height();
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcA;
  Params.WindowClass.hInstance = GetModuleHandleA(nullptr);
  Params.WindowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  Params.WindowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* SystemClass) {
  static const bool CommonControls = [] {
    const INITCOMMONCONTROLSEX Init{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&Init) != FALSE;
  }();
  (void)CommonControls;
  WNDCLASSA System;
  if (!GetClassInfoA(nullptr, SystemClass, &System) &&
      !GetClassInfoA(GetModuleHandleA("comctl32.dll"), SystemClass, &System))
    RaiseLastOSError();
  const HINSTANCE Instance = Params.WindowClass.hInstance;
  Params.WindowClass = System;
  Params.WindowClass.hInstance = Instance;
  Params.WindowClass.style &= ~CS_GLOBALCLASS;
  Params.WindowClass.lpszClassName = nullptr;
}

void TWinControl::CreateWnd() {
  TCreateParams Params;
  CreateParams(Params);
  FDefWndProc = Params.WindowClass.lpfnWndProc;
  FSystemClass = FDefWndProc != DefWindowProcA;
  WNDCLASSA Registered;
  const HINSTANCE Instance = Params.WindowClass.hInstance;
  const bool Known = GetClassInfoA(Instance, Params.WinClassName.c_str(), &Registered);
  if (!Known || Registered.lpfnWndProc != StdWndProc) {
    if (Known) UnregisterClassA(Params.WinClassName.c_str(), Instance);
    WNDCLASSA Class = Params.WindowClass;
    Class.lpfnWndProc = StdWndProc;
    Class.lpszClassName = Params.WinClassName.c_str();
    if (!RegisterClassA(&Class)) RaiseLastOSError();
  }
  const TCreationScope Scope(this);
  CreateWindowHandle(Params);
  if (!FHandle) RaiseLastOSError();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  FHandle = CreateWindowExA(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style,
                            Params.X, Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr,
                            Params.WindowClass.hInstance, Params.Param);
}

void TWinControl::DestroyWnd() {
  FText = Text();  // the next window starts with it
  DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
  const HWND Wnd = FHandle;
  DestroyWindow(Wnd);
  // Normally WM_NCDESTROY has detached the window already; not when it was destroyed from inside its own
  // WM_NCDESTROY, and then the window procedure must not find this control any more.
  RemovePropA(Wnd, AtomName(ControlAtom()));
  FHandle = nullptr;
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  if (FHandle) SendMessageA(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
  for (TControl* Child : FControls) Child->Perform(CM_PARENTFONTCHANGED, 0, 0);
}

bool TWinControl::DoKeyDown(TMessage& Message) {
  if (!OnKeyDown) return false;
  WORD Key = static_cast<WORD>(Message.WParam);
  OnKeyDown(this, Key, KeyboardShiftState());
  Message.WParam = Key;
  return Key == 0;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  if (!OnKeyUp) return false;
  WORD Key = static_cast<WORD>(Message.WParam);
  OnKeyUp(this, Key, KeyboardShiftState());
  Message.WParam = Key;
  return Key == 0;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  if (!OnKeyPress) return false;
  char Key = static_cast<char>(Message.WParam);
  OnKeyPress(this, Key);
  if (!Key) return true;
  // The character is the low word: what the rest of wParam holds passes on unless the key changed.
  if (static_cast<unsigned char>(Key) != LOBYTE(Message.WParam))
    Message.WParam = (Message.WParam & ~WPARAM{0xFFFF}) | static_cast<unsigned char>(Key);
  return false;
}

void TWinControl::CNCtlColor(TMessage& Message) {
  const auto DC = reinterpret_cast<HDC>(Message.WParam);
  SetTextColor(DC, ColorToRGB(Font()->Color()));
  SetBkColor(DC, ColorToRGB(Color()));
  if (!FBrush) FBrush = std::make_unique<TBrush>();
  FBrush->SetColor(Color());
  Message.Result = reinterpret_cast<LRESULT>(FBrush->Handle());
}

void TWinControl::ReflectToChild(TMessage& Message, HWND Child) {
  TWinControl* Control = FindControl(Child);
  if (Control && Control != this)
    Message.Result = Control->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
  else
    DefaultHandler(Message);
}

// Alt with a key (or a key on a form without an edit): the first child whose accelerator it is handles
// it and answers 1.
void TWinControl::DialogChar(TMessage& Message) {
  for (TControl* Child : std::vector<TControl*>(FControls)) {
    if (!Child->Visible() || !Child->Enabled()) continue;
    if (Child->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam)) {
      Message.Result = 1;
      return;
    }
  }
}

bool TWinControl::ForwardMouse(TMessage& Message) {
  const bool IsMouse =
      Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MBUTTONDBLCLK && Message.Msg != WM_MOUSEWHEEL;
  if (!IsMouse) return false;
  const POINT At{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  TControl* Target = FMouseCapture ? FMouseCapture : ControlAtPos(At);
  if (!Target || !Target->Enabled()) return false;
  const bool Down =
      Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_RBUTTONDOWN || Message.Msg == WM_MBUTTONDOWN;
  const bool Up = Message.Msg == WM_LBUTTONUP || Message.Msg == WM_RBUTTONUP || Message.Msg == WM_MBUTTONUP;
  if (Down) {
    FMouseCapture = Target;
    SetCapture(FHandle);
  }
  // The target may be freed by its handler: the capture ends first.
  if (Up) {
    FMouseCapture = nullptr;
    if (GetCapture() == FHandle) ReleaseCapture();
  }
  Message.Result =
      Target->Perform(Message.Msg, Message.WParam, MAKELPARAM(At.x - Target->Left(), At.y - Target->Top()));
  // The window's default handling, which the forwarded release skips, would ask for the context menu.
  if (Message.Msg == WM_RBUTTONUP) {
    const POINT Screen = ClientToScreen(At);
    SendMessageA(FHandle, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FHandle), MAKELPARAM(Screen.x, Screen.y));
  }
  return true;
}

// A context menu asked for by the mouse over a control without a window is that control's, when it
// has one.
bool TWinControl::ChildContextMenu(TMessage& Message) {
  POINT At{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  if (At.x == -1 && At.y == -1) return false;  // from the keyboard
  ScreenToClient(FHandle, &At);
  TControl* Child = ControlAtPos(At);
  if (!Child || !Child->PopupMenu()) return false;
  Message.Result = Child->Perform(Message.Msg, Message.WParam, Message.LParam);
  return true;
}

void TWinControl::WMPaint(TMessage& Message) {
  PAINTSTRUCT Paint;
  const HDC DC = Message.WParam ? reinterpret_cast<HDC>(Message.WParam) : BeginPaint(FHandle, &Paint);
  TCanvas Canvas;
  Canvas.SetHandle(DC);
  PaintWindow(&Canvas);
  for (TControl* Child : FControls) {
    if (dynamic_cast<TWinControl*>(Child) || !Child->Visible()) continue;
    const int Saved = SaveDC(DC);
    Canvas.SetHandle(nullptr);
    IntersectClipRect(DC, Child->Left(), Child->Top(), Child->Left() + Child->Width(),
                      Child->Top() + Child->Height());
    SetWindowOrgEx(DC, -Child->Left(), -Child->Top(), nullptr);
    Canvas.SetHandle(DC);
    Child->Paint(&Canvas);
    Canvas.SetHandle(nullptr);
    RestoreDC(DC, Saved);
    Canvas.SetHandle(DC);
  }
  Canvas.SetHandle(nullptr);
  if (!Message.WParam) EndPaint(FHandle, &Paint);
}

bool TWinControl::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.WParam) != FHandle || LOWORD(Message.LParam) != HTCLIENT) return false;
  POINT At;
  GetCursorPos(&At);
  ScreenToClient(FHandle, &At);
  TControl* Child = ControlAtPos(At);
  const TCursor Shape = Child && Child->Cursor() != crDefault ? Child->Cursor() : Cursor();
  if (Shape == crDefault) return false;
  ::SetCursor(CursorHandle(Shape));
  Message.Result = TRUE;
  return true;
}

void TWinControl::Dispatch(TMessage& Message) {
  if (FHandle && ForwardMouse(Message)) return;
  switch (Message.Msg) {
    case WM_PAINT:
      if (PaintsItself()) break;
      WMPaint(Message);
      return;
    case WM_ERASEBKGND:
      if (PaintsItself()) break;
      {
        RECT Rect;
        GetClientRect(FHandle, &Rect);
        if (!FBrush) FBrush = std::make_unique<TBrush>();
        FBrush->SetColor(Color());
        FillRect(reinterpret_cast<HDC>(Message.WParam), &Rect, FBrush->Handle());
        Message.Result = 1;
      }
      return;
    case WM_SETCURSOR:
      if (WMSetCursor(Message)) return;
      break;
    case WM_CONTEXTMENU:
      if (ChildContextMenu(Message)) return;
      break;
    case WM_SIZE:
      Realign();
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_DRAWITEM: {
      HWND Child = reinterpret_cast<HWND>(Message.LParam);
      if (Message.Msg == WM_NOTIFY) Child = reinterpret_cast<NMHDR*>(Message.LParam)->hwndFrom;
      if (Message.Msg == WM_DRAWITEM) {
        const auto* Draw = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
        Child = Draw->CtlType == ODT_MENU ? nullptr : Draw->hwndItem;
      }
      if (Child) {
        ReflectToChild(Message, Child);
        return;
      }
      break;
    }
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORSTATIC:
      CNCtlColor(Message);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(Message)) return;
      break;
    case WM_KEYUP:
      if (DoKeyUp(Message)) return;
      break;
    case WM_CHAR:
      if (DoKeyPress(Message)) return;
      break;
    case WM_SETFOCUS: {
      TControl* Top = this;
      while (Top->Parent()) Top = Top->Parent();
      if (Top != this) Top->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(this));
      if (OnEnter) OnEnter(this);
      break;
    }
    case WM_KILLFOCUS:
      if (OnExit) OnExit(this);
      break;
    case CM_DIALOGCHAR:
      DialogChar(Message);
      return;
    default:
      break;
  }
  TControl::Dispatch(Message);
  if (Message.Msg == WM_WINDOWPOSCHANGED) UpdateBounds();
}

TControlActionLinkClass TWinControl::GetActionLinkClass() {
  return NewActionLink<TWinControlActionLink>;
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (FHandle)
    Message.Result = CallWindowProcA(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
  else
    TControl::DefaultHandler(Message);
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* Control = FindControl(Wnd);
  if (!Control && CreationControl) {
    Control = CreationControl;
    CreationControl = nullptr;
    Control->AttachWindow(Wnd);
  }
  if (!Control) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  TMessage Message{Msg, WParam, LParam, 0};
  try {
    // A copy, so that a handler may replace WindowProc or free the control while the call runs.
    const TWndMethod Method = Control->WindowProc;
    Method(Message);
  } catch (...) {
    try {
      if (HandleWindowException) HandleWindowException(std::current_exception());
    } catch (...) {
    }
  }
  // The control may have been freed by the message; only a window that still names it is detached.
  if (Msg == WM_NCDESTROY && FindControl(Wnd) == Control) Control->DetachWindow();
  return Message.Result;
}

void TWinControl::InsertControl(TControl* AControl) {
  FControls.push_back(AControl);
  AControl->FParent = this;
  AControl->ParentFontChanged();
  auto* WinChild = dynamic_cast<TWinControl*>(AControl);
  if (FHandle && WinChild && WinChild->Visible()) WinChild->HandleNeeded();
  if (AControl->Align() != alNone) Realign();
  AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (auto* WinChild = dynamic_cast<TWinControl*>(AControl)) WinChild->DestroyHandle();
  AControl->Invalidate();
  if (FMouseCapture == AControl) FMouseCapture = nullptr;
  FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
  AControl->FParent = nullptr;
}

void TWinControl::AttachWindow(HWND Wnd) {
  FHandle = Wnd;
  SetPropA(Wnd, AtomName(ControlAtom()), this);
}

void TWinControl::DetachWindow() {
  RemovePropA(FHandle, AtomName(ControlAtom()));
  FHandle = nullptr;
}

// The window was moved or sized from outside: the control takes the new place.
void TWinControl::UpdateBounds() {
  RECT Rect;
  if (!GetWindowRect(FHandle, &Rect)) return;
  if (Parent() && Parent()->HandleAllocated())
    MapWindowPoints(HWND_DESKTOP, Parent()->FHandle, reinterpret_cast<POINT*>(&Rect), 2);
  TControl::SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
}

// ---------------------------------------------------------------------------------------------
// THintWindow

namespace {

// A memory DC for measuring text, made when first needed.
class TMeasureCanvas : public TCanvas {
 public:
  ~TMeasureCanvas() override {
    if (!FDC) return;
    SetHandle(nullptr);
    DeleteDC(FDC);
  }

 protected:
  void CreateHandle() override {
    FDC = CreateCompatibleDC(nullptr);
    SetHandle(FDC);
  }

 private:
  HDC FDC = nullptr;
};

constexpr UINT HintTextFlags = DT_LEFT | DT_NOPREFIX | DT_WORDBREAK;

}  // namespace

THintWindow::THintWindow(TComponent* AOwner) : TWinControl(AOwner) {
  TControl::SetVisible(false);
  SetColor(clInfoBk);
  Font()->SetColor(clInfoText);
}

THintWindow::~THintWindow() = default;

void THintWindow::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClass.style |= CS_SAVEBITS;
}

TCanvas* THintWindow::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TMeasureCanvas>();
  FCanvas->Font()->Assign(Font());
  // Selected now: those who measure with the handle alone would otherwise measure in the DC's system font.
  FCanvas->RequiredState(csHandleValid | csFontValid);
  return FCanvas.get();
}

void THintWindow::PaintWindow(TCanvas* Canvas) {
  RECT Rect{2, 2, ClientWidth(), ClientHeight()};
  Canvas->Font()->Assign(Font());
  Canvas->RequiredState(csHandleValid | csFontValid);
  SetBkMode(Canvas->Handle(), TRANSPARENT);
  const std::string Caption = Text();
  DrawTextA(Canvas->Handle(), Caption.c_str(), -1, &Rect, HintTextFlags);
}

void THintWindow::Dispatch(TMessage& Message) {
  // The mouse goes through to the control below, whose hint this is.
  if (Message.Msg == WM_NCHITTEST) {
    Message.Result = HTTRANSPARENT;
    return;
  }
  TWinControl::Dispatch(Message);
  // Measured here only when the caption changes outside an activation, which sizes the window itself.
  if (Message.Msg == CM_TEXTCHANGED && !FActivating) {
    const SIZE Size = Canvas()->TextExtent(Text());
    SetBounds(Left(), Top(), Size.cx + 6, Size.cy + 6);
  }
}

RECT THintWindow::CalcHintRect(int MaxWidth, const std::string& AHint, void* /*AData*/) {
  RECT Rect{0, 0, MaxWidth, 0};
  DrawTextA(Canvas()->Handle(), AHint.c_str(), -1, &Rect, HintTextFlags | DT_CALCRECT);
  Rect.right += 6;
  Rect.bottom += 2;
  return Rect;
}

void THintWindow::ActivateHint(RECT Rect, const std::string& AHint) {
  const bool Saved = FActivating;
  FActivating = true;
  try {
    SetText(AHint);
    Rect.bottom += 4;
    Rect = MovedInto(Rect, WorkAreaNear(Rect));  // a hint near the screen's edge is read whole
    SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
    SetWindowPos(Handle(), HWND_TOPMOST, Rect.left, Rect.top, Width(), Height(),
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
  } catch (...) {
    FActivating = Saved;
    throw;
  }
  FActivating = Saved;
}

void THintWindow::ActivateHintData(RECT Rect, const std::string& AHint, void* /*AData*/) {
  ActivateHint(Rect, AHint);
}

void THintWindow::ReleaseHandle() {
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}
