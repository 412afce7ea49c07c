#include "classlib/Forms.h"

#include <windowsx.h>

#include <algorithm>

#include "classlib/ComCtrls.h"
#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/FormReader.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "classlib/Threads.h"

namespace {

// The screen outlives the application, whose forms leave the screen's list as they go.
TScreen TheScreen(nullptr);
TApplication TheApplication(nullptr);

constexpr UINT CM_RELEASE = CM_BASE + 33;
// Timers of the application window.
constexpr UINT_PTR HintShowTimer = 1;
constexpr UINT_PTR HintHideTimer = 2;

void RouteToApplication(std::exception_ptr Error) {
  Application->HandleException(Error);
}

TComponent* FindFormComponent(const std::string& Name) {
  const size_t Dot = Name.find('.');
  for (int I = 0; I < Screen->FormCount(); ++I) {
    TForm* Form = Screen->Forms(I);
    if (UpperCase(Form->Name()) == UpperCase(Name.substr(0, Dot)))
      return Dot == std::string::npos ? Form : Form->FindComponent(Name.substr(Dot + 1));
  }
  return nullptr;
}

DWORD CaptionButtons(TBorderIcons Icons) {
  if (!(Icons & biSystemMenu)) return 0;
  return WS_SYSMENU | (Icons & biMinimize ? WS_MINIMIZEBOX : 0) | (Icons & biMaximize ? WS_MAXIMIZEBOX : 0);
}

void BorderStyles(TFormBorderStyle Border, TBorderIcons Icons, DWORD& Style, DWORD& ExStyle) {
  switch (Border) {
    case bsNone:
      Style |= WS_POPUP;
      break;
    case bsSingle:
      Style |= WS_CAPTION | CaptionButtons(Icons);
      break;
    case bsSizeable:
      Style |= WS_CAPTION | CaptionButtons(Icons) | WS_THICKFRAME;
      break;
    case bsDialog:
      Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
      ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      Style |= WS_CAPTION | WS_SYSMENU;
      ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
      ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
}

}  // namespace

TApplication* Application = &TheApplication;
TScreen* Screen = &TheScreen;

void Abort() {
  throw EAbort("Operation aborted");
}

TForm* GetParentForm(TControl* Control) {
  while (Control && Control->Parent()) Control = Control->Parent();
  return dynamic_cast<TForm*>(Control);
}

namespace {

// The control of a window, or of the nearest window around it that has one (a combo box's edit).
TWinControl* ControlOf(HWND Wnd) {
  TWinControl* Control = nullptr;
  for (; Wnd && !Control; Wnd = GetParent(Wnd)) Control = FindControl(Wnd);
  return Control;
}

// The keys a text box handles itself: moving the caret and deleting, also with Shift (selecting) and
// Ctrl (by words), and select all, copy, paste, cut and undo.
bool IsEditingKey(WORD Key, TShiftState Shift) {
  if (Shift & ssAlt) return false;
  switch (Key) {
    case VK_DELETE:
    case VK_BACK:
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      return true;
    case 'A':
    case 'C':
    case 'V':
    case 'X':
    case 'Z':
      return (Shift & ssCtrl) != 0;
    default:
      return false;
  }
}

// An edit window of any kind (single- or multi-line, a combo box's) is the one that selects its text
// itself.
bool IsTextBox(HWND Wnd) {
  return Wnd && (SendMessageA(Wnd, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0;
}

}  // namespace

TControl* FindDragTarget(POINT Pos) {
  TWinControl* Window = ControlOf(WindowFromPoint(Pos));
  if (!Window) return nullptr;
  ScreenToClient(Window->Handle(), &Pos);
  TControl* Child = Window->ControlAtPos(Pos);
  return Child ? Child : Window;
}

std::string GetHint(TControl* Control) {
  for (; Control; Control = Control->Parent())
    if (!Control->Hint().empty()) return Control->Hint();
  return {};
}

namespace {

// The control whose tooltip shows for a control: itself or its nearest parent with ShowHint.
TControl* HintControlOf(TControl* Control) {
  while (Control && !Control->ShowHint()) Control = Control->Parent();
  return Control;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TForm

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
  TControl::SetVisible(false);
  Screen->FForms.push_back(this);
}

TForm::~TForm() {
  auto& Forms = Screen->FForms;
  Forms.erase(std::remove(Forms.begin(), Forms.end(), this), Forms.end());
  if (Application->FMainForm == this) Application->FMainForm = nullptr;
  // Here, so that this class's DestroyWnd takes the menu off the window before the window goes.
  Destroying();
  DestroyHandle();
}

void TForm::CreateFromResource() {
  HandleWindowException = RouteToApplication;
  FindGlobalComponent = FindFormComponent;
  ReadComponentRes(UpperCase(ClassName()), this);
  if (OnCreate) OnCreate(this);
}

void TForm::BeforeDestruction() {
  if (FDestroyed) return;
  FDestroyed = true;
  if (OnDestroy) OnDestroy(this);
}

void TForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  BorderStyles(FBorderStyle, FBorderIcons, Params.Style, Params.ExStyle);
  Params.ExStyle |= WS_EX_CONTROLPARENT;
  if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (!Enabled()) Params.Style |= WS_DISABLED;
  Params.WndParent = Application->Handle();
}

void TForm::CreateWnd() {
  TWinControl::CreateWnd();
  if (FMenu) FMenu->SetWindow(FHandle);
  if (FClientWidth >= 0) SetClientSize(FClientWidth, FClientHeight);
}

void TForm::DestroyWnd() {
  if (FMenu) {
    ::SetMenu(FHandle, nullptr);
    FMenu->SetWindow(nullptr);
  }
  TWinControl::DestroyWnd();
}

void TForm::SetClientSize(int AWidth, int AHeight) {
  FClientWidth = AWidth;
  FClientHeight = AHeight;
  RECT Frame{0, 0, 0, 0};
  if (FHandle) {
    RECT Window, Client;
    GetWindowRect(FHandle, &Window);
    GetClientRect(FHandle, &Client);
    Frame = {0, 0, (Window.right - Window.left) - Client.right, (Window.bottom - Window.top) - Client.bottom};
  } else {
    DWORD Style = 0, ExStyle = 0;
    BorderStyles(FBorderStyle, FBorderIcons, Style, ExStyle);
    AdjustWindowRectEx(&Frame, Style, FMenu != nullptr, ExStyle);
    Frame.right -= Frame.left;
    Frame.bottom -= Frame.top;
  }
  SetBounds(Left(), Top(), AWidth + Frame.right, AHeight + Frame.bottom);
}

int TForm::ClientWidth() {
  return FHandle || FClientWidth < 0 ? TWinControl::ClientWidth() : FClientWidth;
}

int TForm::ClientHeight() {
  return FHandle || FClientHeight < 0 ? TWinControl::ClientHeight() : FClientHeight;
}

void TForm::SetVisible(bool Value) {
  if (Value == Visible()) return;
  if (Value) {
    // OnShow may run a message loop (an error box) in which a timer shows this form again.
    if (FShowing) return;
    FShowing = true;
    try {
      if (OnShow) OnShow(this);
    } catch (...) {
      FShowing = false;
      throw;
    }
    FShowing = false;
    HandleNeeded();
    if (!FPlaced) PlaceAtCentre();
    TControl::SetVisible(true);
    // A form shown while a modal window is open leaves that one active.
    ShowWindow(FHandle, FWindowState == wsMaximized ? SW_SHOWMAXIMIZED
                        : IsWindowEnabled(FHandle)  ? SW_SHOW
                                                    : SW_SHOWNA);
  } else {
    if (OnHide) OnHide(this);
    TControl::SetVisible(false);
    if (FHandle) ShowWindow(FHandle, SW_HIDE);
  }
}

void TForm::PlaceAtCentre() {
  FPlaced = true;
  RECT Area{0, 0, Screen->Width(), Screen->Height()};
  const TForm* MainForm = Application->MainForm();
  if (FPosition == poDesktopCenter)
    Area = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
            GetSystemMetrics(SM_XVIRTUALSCREEN) + Screen->DesktopWidth(),
            GetSystemMetrics(SM_YVIRTUALSCREEN) + Screen->DesktopHeight()};
  else if (FPosition == poMainFormCenter && MainForm && MainForm != this)
    Area = MainForm->BoundsRect();
  else if (FPosition != poScreenCenter && FPosition != poMainFormCenter)
    return;
  SetBounds(Area.left + (Area.right - Area.left - Width()) / 2,
            Area.top + (Area.bottom - Area.top - Height()) / 2, Width(), Height());
}

void TForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TForm::BringToFront() {
  if (!FHandle) return;
  // A form that waits for a modal window keeps that one above it and active.
  const bool Waits = !IsWindowEnabled(FHandle);
  SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | (Waits ? SWP_NOACTIVATE : 0));
  SetForegroundWindow(RaiseFrontWindow(FHandle));
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
  FBorderStyle = Value;
  RecreateWnd();
}

void TForm::SetBorderIcons(TBorderIcons Value) {
  FBorderIcons = Value;
  RecreateWnd();
}

void TForm::SetFormStyle(TFormStyle Value) {
  FFormStyle = Value;
  if (FHandle)
    SetWindowPos(FHandle, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetWindowState(TWindowState Value) {
  FWindowState = Value;
  if (FHandle && Visible())
    ShowWindow(FHandle, Value == wsMaximized ? SW_MAXIMIZE : Value == wsMinimized ? SW_MINIMIZE : SW_RESTORE);
}

void TForm::SetMenu(TMainMenu* Value) {
  if (FMenu) {
    if (FHandle) ::SetMenu(FHandle, nullptr);
    FMenu->SetWindow(nullptr);
    FMenu->RemoveFreeNotification(this);
  }
  FMenu = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  if (FHandle) Value->SetWindow(FHandle);
}

void TForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMenu) {
    if (FHandle) ::SetMenu(FHandle, nullptr);
    FMenu = nullptr;
  }
  if (AComponent == FActiveControl) FActiveControl = nullptr;
}

void TForm::SetActiveControl(TWinControl* Value) {
  if (Value == FActiveControl) return;
  if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
  FActiveControl = Value;
  if (Value) Value->FreeNotification(this);
}

bool TForm::CloseQuery() {
  bool CanClose = true;
  if (OnCloseQuery) OnCloseQuery(this, CanClose);
  return CanClose;
}

void TForm::Close() {
  if (!CloseQuery()) return;
  TCloseAction Action = caHide;
  if (OnClose) OnClose(this, Action);
  if (Action == caNone) return;
  if (Application->MainForm() == this) {
    Application->Terminate();
  } else if (Action == caHide) {
    Hide();
  } else if (Action == caMinimize) {
    ShowWindow(Handle(), SW_MINIMIZE);
  } else {
    Release();
  }
}

void TForm::Release() {
  PostMessageA(Handle(), CM_RELEASE, 0, 0);
}

bool TForm::IsShortCut(WORD Key, TShiftState Shift, HWND KeyWindow) {
  if (IsEditingKey(Key, Shift) && IsTextBox(KeyWindow)) return false;
  const TShortCut Value = ShortCut(Key, Shift);
  TWinControl* Focused = ControlOf(KeyWindow);
  if (GetParentForm(Focused) == this)
    for (TControl* Control = Focused; Control; Control = Control->Parent())
      if (Control->PopupMenu() && Control->PopupMenu()->IsShortCut(Value, KeyWindow)) return true;
  return FMenu && FMenu->IsShortCut(Value, KeyWindow);
}

void TForm::DialogKey(TMessage& Message) {
  if (Message.WParam != VK_TAB) return;
  const HWND Next = GetNextDlgTabItem(FHandle, GetFocus(), GetKeyState(VK_SHIFT) < 0);
  if (Next) ::SetFocus(Next);
  Message.Result = 1;
}

void TForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE:
      Close();
      return;
    // The system ends the session: a form answers with its close question, and one shown closes as by its
    // close button before the process ends.
    case WM_QUERYENDSESSION:
      Message.Result = CloseQuery();
      return;
    case WM_ENDSESSION:
      if (Message.WParam && IsWindowVisible(FHandle)) Close();
      return;
    case WM_ACTIVATE:
      if (LOWORD(Message.WParam) != WA_INACTIVE) {
        // A minimised form takes no focus; without a control to go back to, the form takes it itself.
        if (HIWORD(Message.WParam) == 0 && FActiveControl && FActiveControl->CanFocus())
          FActiveControl->SetFocus();
        else
          TWinControl::Dispatch(Message);
        if (OnActivate) OnActivate(this);
        return;
      }
      if (OnDeactivate) OnDeactivate(this);
      break;
    case CM_FOCUSCHANGED:
      SetActiveControl(reinterpret_cast<TWinControl*>(Message.LParam));
      return;
    case WM_INITMENUPOPUP:
      DispatchMenuOpen(reinterpret_cast<HMENU>(Message.WParam));
      break;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      if (DispatchMenuDrawing(Message)) return;
      break;
    case WM_COMMAND:
      if (Message.LParam == 0) {
        if (TMenuItem* Item = TMenuItem::FindCommand(LOWORD(Message.WParam))) {
          Item->Click();
          return;
        }
      }
      break;
    case WM_SIZE:
      // The user or the system maximised, minimised or restored the window. A hidden window's sizing
      // (its creation) leaves the state that showing it will apply.
      if (IsWindowVisible(FHandle))
        FWindowState = Message.WParam == SIZE_MAXIMIZED   ? wsMaximized
                       : Message.WParam == SIZE_MINIMIZED ? wsMinimized
                                                          : wsNormal;
      break;
    case CM_DIALOGKEY:
      DialogKey(Message);
      return;
    case CM_ACTIONEXECUTE: {
      auto* Action = reinterpret_cast<TBasicAction*>(Message.LParam);
      for (int I = 0; I < ComponentCount() && !Message.Result; ++I)
        if (Components(I)->ExecuteAction(Action)) Message.Result = 1;
      if (!Message.Result && ExecuteAction(Action)) Message.Result = 1;
      return;
    }
    case CM_RELEASE:
      BeforeDestruction();
      delete this;
      return;
    default:
      break;
  }
  TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// TScrollBox

void TControlScrollBar::SetPosition(int Value) {
  FControl->ScrollTo(Value);
}

int TControlScrollBar::Range() const {
  int Bottom = 0;
  for (int I = 0; I < FControl->ControlCount(); ++I) {
    const TControl* Child = FControl->Controls(I);
    if (Child->Visible()) Bottom = std::max(Bottom, Child->Top() + Child->Height());
  }
  return Bottom + FPosition;
}

TScrollBox::TScrollBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 185, 41);
}

void TScrollBox::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateScrollBar();
}

void TScrollBox::ScrollTo(int Position) {
  const int Last = std::max(0, FVertScrollBar.Range() - ClientHeight());
  Position = std::clamp(Position, 0, Last);
  const int Delta = Position - FVertScrollBar.FPosition;
  if (Delta != 0) {
    FVertScrollBar.FPosition = Position;
    for (int I = 0; I < ControlCount(); ++I) {
      TControl* Child = Controls(I);
      Child->SetBounds(Child->Left(), Child->Top() - Delta, Child->Width(), Child->Height());
    }
    Invalidate();
  }
  if (FHandle) SetScrollPos(FHandle, SB_VERT, Position, TRUE);
}

void TScrollBox::UpdateScrollBar() {
  if (!FHandle || FUpdating) return;
  // Showing or hiding the bar resizes the client area, which comes back here.
  FUpdating = true;
  SCROLLINFO Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = SIF_RANGE | SIF_PAGE;
  Info.nMax = FVertScrollBar.Range() - 1;
  Info.nPage = static_cast<UINT>(std::max(0, ClientHeight()));
  SetScrollInfo(FHandle, SB_VERT, &Info, TRUE);
  ScrollTo(FVertScrollBar.FPosition);
  FUpdating = false;
}

void TScrollBox::WMVScroll(TMessage& Message) {
  const int Position = FVertScrollBar.FPosition;
  const int Page = ClientHeight();
  switch (LOWORD(Message.WParam)) {
    case SB_LINEUP:
      ScrollTo(Position - FVertScrollBar.FIncrement);
      break;
    case SB_LINEDOWN:
      ScrollTo(Position + FVertScrollBar.FIncrement);
      break;
    case SB_PAGEUP:
      ScrollTo(Position - Page);
      break;
    case SB_PAGEDOWN:
      ScrollTo(Position + Page);
      break;
    case SB_TOP:
      ScrollTo(0);
      break;
    case SB_BOTTOM:
      ScrollTo(FVertScrollBar.Range());
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      if (LOWORD(Message.WParam) == SB_THUMBTRACK && !FVertScrollBar.FTracking) break;
      SCROLLINFO Info{};
      Info.cbSize = sizeof Info;
      Info.fMask = SIF_TRACKPOS;
      GetScrollInfo(FHandle, SB_VERT, &Info);
      ScrollTo(Info.nTrackPos);
      break;
    }
    default:
      break;
  }
}

bool TScrollBox::MouseWheel(TMessage& Message) {
  const int Delta = GET_WHEEL_DELTA_WPARAM(Message.WParam);
  const TMouseWheelUpDownEvent& Event = Delta < 0 ? OnMouseWheelDown : OnMouseWheelUp;
  if (Delta == 0 || !Event) return false;
  bool Handled = false;
  Event(this, KeyboardShiftState(), POINT{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)},
        Handled);
  return Handled;
}

void TScrollBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_VSCROLL:
      if (Message.LParam == 0) {
        WMVScroll(Message);
        return;
      }
      break;
    case WM_MOUSEWHEEL:
      if (MouseWheel(Message)) return;
      break;
    default:
      break;
  }
  TWinControl::Dispatch(Message);
  if (Message.Msg == WM_SIZE) UpdateScrollBar();
}

// ---------------------------------------------------------------------------------------------
// TApplication

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
  DestroyForms();
}

void TApplication::Initialize() {
  HandleWindowException = RouteToApplication;
  Handle();
}

HWND TApplication::Handle() {
  if (FHandle) return FHandle;
  const HINSTANCE Instance = GetModuleHandleA(nullptr);
  WNDCLASSA Class{};
  if (!GetClassInfoA(Instance, "TApplication", &Class)) {
    Class.lpfnWndProc = WndProc;
    Class.hInstance = Instance;
    Class.hIcon = LoadIconA(Instance, "MAINICON");
    Class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    Class.lpszClassName = "TApplication";
    if (!RegisterClassA(&Class)) RaiseLastOSError();
  }
  const HWND Wnd = CreateWindowExA(0, "TApplication", FTitle.c_str(),
                                   WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                                   GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                                   nullptr, nullptr, Instance, this);
  if (!Wnd) RaiseLastOSError();
  // Other threads' synchronised calls wake the message loop; WM_NULL runs them.
  SetWakeMainThread([Wnd] { PostMessageA(Wnd, WM_NULL, 0, 0); });
  return FHandle;
}

void TApplication::SetHint(const std::string& Value) {
  if (FHint == Value) return;
  FHint = Value;
  if (OnHint) {
    OnHint(this);
    return;
  }
  THintAction Action(nullptr);
  Action.SetHint(Value);
  Action.Execute();
}

void TApplication::SetShowHint(bool Value) {
  FShowHint = Value;
  if (!Value) CancelHint();
}

const TClassInfo* TApplication::HintWindowClass() const {
  RegisterLibraryClasses();
  return FHintWindowClass ? FHintWindowClass : GetClass("THintWindow");
}

void TApplication::ActivateHint(POINT CursorPos) {
  ActivateHint(FindDragTarget(CursorPos), CursorPos);
}

void TApplication::ActivateHint(TControl* Target, POINT CursorPos) {
  if (FHandle) KillTimer(FHandle, HintShowTimer);
  TControl* Control = FShowHint ? HintControlOf(Target) : nullptr;
  if (!Control) {
    CancelHint();
    return;
  }
  FHintControl = Control;
  Control->FreeNotification(this);
  THintInfo Info;
  Info.HintControl = Control;
  Info.HintWindowClass = HintWindowClass();
  Info.HintPos = {CursorPos.x, CursorPos.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
  Info.HintMaxWidth = Screen->Width();
  Info.CursorRect = {0, 0, Control->Width(), Control->Height()};
  const POINT Origin = Control->ClientToScreen({0, 0});
  Info.CursorPos = {CursorPos.x - Origin.x, CursorPos.y - Origin.y};
  Info.HideTimeout = HintHidePause;
  Info.HintStr = GetShortHint(GetHint(Control));
  const bool Show = Control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info)) == 0;
  if (!Show || Info.HintStr.empty() || !Info.HintWindowClass || !Info.HintWindowClass->Create) {
    if (FHintWindow) FHintWindow->ReleaseHandle();
    FHintActive = false;
    return;
  }
  if (!FHintWindow || GetClassInfo(FHintWindow) != Info.HintWindowClass) {
    delete FHintWindow;
    FHintWindow = nullptr;
    TComponent* Window = Info.HintWindowClass->Create(this);
    FHintWindow = dynamic_cast<THintWindow*>(Window);
    if (!FHintWindow) {
      delete Window;
      throw EComponentError("The hint window class " + Info.HintWindowClass->Name + " is no THintWindow");
    }
  }
  FHintWindow->SetColor(Info.HintColor);
  RECT Rect = FHintWindow->CalcHintRect(Info.HintMaxWidth, Info.HintStr, Info.HintData);
  OffsetRect(&Rect, Info.HintPos.x, Info.HintPos.y);
  FHintWindow->ActivateHintData(Rect, Info.HintStr, Info.HintData);
  FHintActive = true;
  if (Info.HideTimeout > 0) SetTimer(Handle(), HintHideTimer, static_cast<UINT>(Info.HideTimeout), nullptr);
}

void TApplication::CancelHint() {
  if (FHandle) {
    KillTimer(FHandle, HintShowTimer);
    KillTimer(FHandle, HintHideTimer);
  }
  if (FHintWindow) FHintWindow->ReleaseHandle();
  FHintActive = false;
  FHintControl = nullptr;
}

// Keys, clicks and the wheel end a tooltip; moving onto another control starts its pause anew.
void TApplication::HintMouseMessage(const MSG& Msg) {
  const bool Key = Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST;
  const bool Mouse = Msg.message >= WM_MOUSEFIRST && Msg.message <= WM_MOUSELAST;
  if (!Key && !Mouse) return;
  if (Msg.message != WM_MOUSEMOVE) {
    if (FHintActive || Key) CancelHint();
    return;
  }
  TControl* Control = FShowHint ? HintControlOf(FindDragTarget(Msg.pt)) : nullptr;
  if (!Control) {
    CancelHint();
    return;
  }
  if (Control == FHintControl) return;
  const int Pause = FHintActive ? HintShortPause : HintPause;
  if (FHintWindow) FHintWindow->ReleaseHandle();
  FHintControl = Control;
  Control->FreeNotification(this);
  SetTimer(Handle(), HintShowTimer, static_cast<UINT>(Pause), nullptr);
}

void TApplication::HintTimer(UINT_PTR Id) {
  KillTimer(FHandle, Id);
  if (Id == HintShowTimer) {
    POINT Pos;
    GetCursorPos(&Pos);
    ActivateHint(Pos);
  } else if (FHintWindow) {
    FHintWindow->ReleaseHandle();
    FHintActive = false;
  }
}

void TApplication::DoMouseIdle() {
  POINT Pos;
  GetCursorPos(&Pos);
  TControl* Control = FindDragTarget(Pos);
  if (Control != FMouseControl) {
    FMouseControl = Control;
    if (Control) Control->FreeNotification(this);
  }
  if (FShowHint && !FMouseControl) CancelHint();
  SetHint(GetLongHint(GetHint(Control)));
}

void TApplication::DispatchAction(TMessage& Message) {
  for (TForm* Form : {Screen->ActiveForm(), FMainForm})
    if (Form && Form->Perform(Message.Msg, Message.WParam, Message.LParam)) {
      Message.Result = 1;
      return;
    }
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FHintWindow) FHintWindow = nullptr;
  if (AComponent == FHintControl) {
    FHintControl = nullptr;
    FHintActive = false;
  }
  if (AComponent == FMouseControl) FMouseControl = nullptr;
}

void TApplication::SetTitle(const std::string& Value) {
  FTitle = Value;
  if (FHandle) SetWindowTextA(FHandle, Value.c_str());
}

LRESULT CALLBACK TApplication::WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* Self = reinterpret_cast<TApplication*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  if (Msg == WM_NCCREATE) {
    Self = static_cast<TApplication*>(reinterpret_cast<CREATESTRUCTA*>(LParam)->lpCreateParams);
    Self->FHandle = Wnd;
    SetWindowLongPtrA(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Self));
  }
  if (!Self) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  TMessage Message{Msg, WParam, LParam, 0};
  try {
    for (const auto& [Cookie, Hook] : std::vector(Self->FHooks))
      if (Hook(Message)) return Message.Result;
    switch (Msg) {
      case WM_CLOSE:
        if (Self->FMainForm) Self->FMainForm->Close();
        return 0;
      case WM_ENDSESSION:
        if (WParam) Self->Terminate();
        return 0;
      case WM_TIMER:
        Self->HintTimer(WParam);
        return 0;
      case CM_ACTIONEXECUTE:
        Self->DispatchAction(Message);
        return Message.Result;
      case WM_NULL:
        CheckSynchronize();
        return 0;
      case WM_NCDESTROY:
        SetWakeMainThread(nullptr);
        Self->FHandle = nullptr;
        break;
      default:
        break;
    }
  } catch (...) {
    Self->HandleException(std::current_exception());
  }
  return DefWindowProcA(Wnd, Msg, WParam, LParam);
}

int TApplication::HookMainWindow(TWindowHook Hook) {
  FHooks.emplace_back(FNextHook, std::move(Hook));
  return FNextHook++;
}

void TApplication::UnhookMainWindow(int Cookie) {
  FHooks.erase(
      std::remove_if(FHooks.begin(), FHooks.end(), [Cookie](const auto& H) { return H.first == Cookie; }),
      FHooks.end());
}

void TApplication::Run() {
  if (!FMainForm) return;
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  FMainForm->Show();
  while (!FTerminated) HandleMessage();
}

void TApplication::Terminate() {
  if (FTerminated) return;
  FTerminated = true;
  // A menu being tracked runs its own loop, which swallows the quit message and would keep the program
  // running without a window: end it, so that control comes back to Run.
  EndMenu();
  PostQuitMessage(0);
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  try {
    HintMouseMessage(Msg);
    bool Handled = false;
    if (OnMessage) OnMessage(Msg, Handled);
    if (Handled || IsKeyMsg(Msg) || IsDlgMsg(Msg)) return true;
  } catch (...) {
    HandleException(std::current_exception());
    return true;
  }
  TranslateMessage(&Msg);
  DispatchMessageA(&Msg);
  return true;
}

// Menu shortcuts, dialog keys (Tab) and accelerators (Alt with a letter) of the form under the focus.
bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN && Msg.message != WM_SYSCHAR) return false;
  TForm* Form = GetParentForm(ControlOf(Msg.hwnd));
  if (!Form) return false;
  if (Msg.message == WM_SYSCHAR) return Form->Perform(CM_DIALOGCHAR, Msg.wParam, Msg.lParam) != 0;
  const auto Key = static_cast<WORD>(Msg.wParam);
  // Alt comes from the message itself (its context bit), which a posted key carries too.
  auto Shift = static_cast<TShiftState>(KeyboardShiftState() & ~ssAlt);
  if (Msg.lParam & (1 << 29)) Shift |= ssAlt;
  if (Key != VK_SHIFT && Key != VK_CONTROL && Key != VK_MENU && Form->IsShortCut(Key, Shift, Msg.hwnd))
    return true;
  if (Msg.message == WM_KEYDOWN && Key == VK_TAB &&
      !(SendMessageA(Msg.hwnd, WM_GETDLGCODE, Key, reinterpret_cast<LPARAM>(&Msg)) &
        (DLGC_WANTTAB | DLGC_WANTALLKEYS)))
    return Form->Perform(CM_DIALOGKEY, Key, Msg.lParam) != 0;
  return false;
}

bool TApplication::IsDlgMsg(MSG& Msg) {
  return FDialogHandle && IsDialogMessageA(FDialogHandle, &Msg);
}

void TApplication::ProcessMessages() {
  MSG Msg;
  while (ProcessMessage(Msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG Msg;
  if (!ProcessMessage(Msg)) Idle();
}

void TApplication::Idle() {
  bool Done = true;
  try {
    DoMouseIdle();
    if (OnIdle) OnIdle(this, Done);
    for (auto* Listener : std::vector(IdleListeners)) (*Listener)(Done);
  } catch (...) {
    HandleException(std::current_exception());
  }
  if (Done && !FTerminated) WaitMessage();
}

void TApplication::HandleException(std::exception_ptr Error) {
  try {
    std::rethrow_exception(Error);
  } catch (const EAbort&) {
    return;
  } catch (...) {
  }
  if (OnException)
    OnException(this, Error);
  else
    ShowException(Error);
}

int TApplication::MessageBox(const std::wstring& Text, const std::wstring& Caption, UINT Flags) {
  TForm* Active = Screen->ActiveForm();
  const HWND Owner = Active && Active->HandleAllocated() ? Active->Handle() : Handle();
  const TModalScope Modal;
  return MessageBoxW(Owner, Text.c_str(), Caption.c_str(), Flags);
}

// Owned by the program's windows, so that one of them brought to the front brings the message along, and
// captioned by the window the user was working in, so that it speaks the program's language.
void TApplication::ShowException(std::exception_ptr Error) {
  TForm* Active = Screen->ActiveForm();
  std::wstring Caption;
  if (Active && Active->HandleAllocated()) {
    Caption.resize(static_cast<size_t>(GetWindowTextLengthW(Active->Handle())) + 1);
    Caption.resize(static_cast<size_t>(
        GetWindowTextW(Active->Handle(), Caption.data(), static_cast<int>(Caption.size()))));
  }
  MessageBox(ExceptionText(Error), Caption.empty() ? L"Error" : Caption, MB_OK | MB_ICONERROR);
}

void TApplication::DestroyForms() {
  // Each form hears OnDestroy while all forms still exist, the last created first.
  for (int I = ComponentCount(); I-- > 0;)
    if (auto* Form = dynamic_cast<TForm*>(Components(I))) Form->BeforeDestruction();
  FMainForm = nullptr;
  DestroyComponents();
  if (FHandle) DestroyWindow(FHandle);
  FHandle = nullptr;
  FTerminated = false;
  MSG Msg;
  PeekMessageA(&Msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // a Terminate's quit message
}

// ---------------------------------------------------------------------------------------------
// TScreen, TApplicationEvents

TForm* TScreen::Forms(int Index) const {
  if (Index < 0 || Index >= FormCount()) throw EListError(Format(L"List index out of bounds (%d)", {Index}));
  return FForms[static_cast<size_t>(Index)];
}

RECT TScreen::WorkAreaRect() const {
  RECT Rect;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &Rect, 0);
  return Rect;
}

TForm* TScreen::ActiveForm() const {
  return dynamic_cast<TForm*>(FindControl(GetActiveWindow()));
}

TApplicationEvents::TApplicationEvents(TComponent* AOwner) : TComponent(AOwner) {
  FListener = [this](bool& Done) {
    if (OnIdle) OnIdle(this, Done);
  };
  Application->IdleListeners.push_back(&FListener);
}

TApplicationEvents::~TApplicationEvents() {
  auto& Listeners = Application->IdleListeners;
  Listeners.erase(std::remove(Listeners.begin(), Listeners.end(), &FListener), Listeners.end());
}

// ---------------------------------------------------------------------------------------------
// Published properties of the library's classes

namespace {

struct TIdent {
  const char* Name;
  int64_t Value;
};

bool LookUp(std::initializer_list<TIdent> Table, const std::string& Name, int64_t& Value) {
  for (const TIdent& I : Table)
    if (UpperCase(I.Name) == UpperCase(Name)) {
      Value = I.Value;
      return true;
    }
  return false;
}

}  // namespace

bool IdentToColor(const std::string& Name, int64_t& Value) {
  return LookUp({{"clBlack", clBlack},         {"clMaroon", clMaroon},
                 {"clGreen", clGreen},         {"clOlive", clOlive},
                 {"clNavy", clNavy},           {"clPurple", clPurple},
                 {"clTeal", clTeal},           {"clGray", clGray},
                 {"clSilver", clSilver},       {"clRed", clRed},
                 {"clLime", clLime},           {"clYellow", clYellow},
                 {"clBlue", clBlue},           {"clFuchsia", clFuchsia},
                 {"clAqua", clAqua},           {"clWhite", clWhite},
                 {"clNone", clNone},           {"clDefault", clDefault},
                 {"clWindow", clWindow},       {"clWindowText", clWindowText},
                 {"clBtnFace", clBtnFace},     {"clBtnText", clBtnText},
                 {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText},
                 {"clGrayText", clGrayText},   {"clInfoBk", clInfoBk},
                 {"clInfoText", clInfoText},   {"clMenu", clMenu},
                 {"clMenuText", clMenuText},   {"clHotLight", clHotLight}},
                Name, Value);
}

namespace {

bool IdentToCursor(const std::string& Name, int64_t& Value) {
  return LookUp({{"crDefault", crDefault},
                 {"crArrow", crArrow},
                 {"crIBeam", crIBeam},
                 {"crSizeWE", crSizeWE},
                 {"crHourGlass", crHourGlass},
                 {"crNo", crNo},
                 {"crHandPoint", crHandPoint}},
                Name, Value);
}

void RegisterBaseClasses() {
  using namespace Published;
  static const TClassInfo ComponentInfo =
      MakeClassInfo<TComponent>("TComponent", nullptr,
                                {Int<TComponent>(
                                    "Tag", [](TComponent* C) { return C->Tag(); },
                                    [](TComponent* C, int64_t V) { C->SetTag(static_cast<intptr_t>(V)); })});
  static const TClassInfo FontInfo = MakeClassInfo<TFont>(
      "TFont", nullptr,
      {Str<TFont>(
           "Name", [](TFont* F) { return F->Name(); }, [](TFont* F, const std::string& V) { F->SetName(V); }),
       Int<TFont>(
           "Size", [](TFont* F) { return F->Size(); },
           [](TFont* F, int64_t V) { F->SetSize(static_cast<int>(V)); }),
       Int<TFont>(
           "Height", [](TFont* F) { return F->Height(); },
           [](TFont* F, int64_t V) { F->SetHeight(static_cast<int>(V)); }),
       Set<TFont>(
           "Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, [](TFont* F) { return F->Style(); },
           [](TFont* F, int64_t V) { F->SetStyle(static_cast<TFontStyles>(V)); }),
       Int<TFont>(
           "Color", [](TFont* F) { return F->Color(); },
           [](TFont* F, int64_t V) { F->SetColor(static_cast<TColor>(V)); }, IdentToColor),
       Int<TFont>(
           "Charset", [](TFont* F) { return F->Charset(); },
           [](TFont* F, int64_t V) { F->SetCharset(static_cast<BYTE>(V)); })});
  static TClassInfo ControlInfo = MakeClassInfo<TControl>(
      "TControl", &ComponentInfo,
      {Int<TControl>(
           "Left", [](TControl* C) { return C->Left(); },
           [](TControl* C, int64_t V) { C->SetLeft(static_cast<int>(V)); }),
       Int<TControl>(
           "Top", [](TControl* C) { return C->Top(); },
           [](TControl* C, int64_t V) { C->SetTop(static_cast<int>(V)); }),
       Int<TControl>(
           "Width", [](TControl* C) { return C->Width(); },
           [](TControl* C, int64_t V) { C->SetWidth(static_cast<int>(V)); }),
       Int<TControl>(
           "Height", [](TControl* C) { return C->Height(); },
           [](TControl* C, int64_t V) { C->SetHeight(static_cast<int>(V)); }),
       Bool<TControl>(
           "Visible", [](TControl* C) { return C->Visible(); },
           [](TControl* C, bool V) { C->SetVisible(V); }),
       Bool<TControl>(
           "Enabled", [](TControl* C) { return C->Enabled(); },
           [](TControl* C, bool V) { C->SetEnabled(V); }),
       Enum<TControl>(
           "Align", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
           [](TControl* C) { return C->Align(); },
           [](TControl* C, int64_t V) { C->SetAlign(static_cast<TAlign>(V)); }),
       Str<TControl>(
           "Caption", [](TControl* C) { return C->Caption(); },
           [](TControl* C, const std::string& V) { C->SetCaption(V); }),
       Str<TControl>(
           "Hint", [](TControl* C) { return C->Hint(); },
           [](TControl* C, const std::string& V) { C->SetHint(V); }),
       Bool<TControl>(
           "ShowHint", [](TControl* C) { return C->ShowHint(); },
           [](TControl* C, bool V) { C->SetShowHint(V); }),
       Object<TControl>("Font", [](TControl* C) { return C->Font(); }),
       Bool<TControl>(
           "ParentFont", [](TControl* C) { return C->ParentFont(); },
           [](TControl* C, bool V) { C->SetParentFont(V); }),
       Int<TControl>(
           "Color", [](TControl* C) { return C->Color(); },
           [](TControl* C, int64_t V) { C->SetColor(static_cast<TColor>(V)); }, IdentToColor),
       Bool<TControl>(
           "ParentColor", [](TControl* C) { return C->ParentColor(); },
           [](TControl* C, bool V) { C->SetParentColor(V); }),
       Int<TControl>(
           "Cursor", [](TControl* C) { return C->Cursor(); },
           [](TControl* C, int64_t V) { C->SetCursor(static_cast<TCursor>(V)); }, IdentToCursor),
       Component<TControl, TPopupMenu>(
           "PopupMenu", [](TControl* C) { return C->PopupMenu(); },
           [](TControl* C, TPopupMenu* V) { C->SetPopupMenu(V); }),
       Event<TControl>("OnClick", &TControl::OnClick),
       Event<TControl>("OnDblClick", &TControl::OnDblClick),
       Event<TControl>("OnMouseDown", &TControl::OnMouseDown),
       Event<TControl>("OnMouseUp", &TControl::OnMouseUp),
       Event<TControl>("OnMouseMove", &TControl::OnMouseMove)});
  static const TClassInfo WinControlInfo =
      MakeClassInfo<TWinControl>("TWinControl", &ControlInfo,
                                 {Bool<TWinControl>(
                                      "TabStop", [](TWinControl* C) { return C->TabStop(); },
                                      [](TWinControl* C, bool V) { C->SetTabStop(V); }),
                                  Event<TWinControl>("OnKeyDown", &TWinControl::OnKeyDown),
                                  Event<TWinControl>("OnKeyUp", &TWinControl::OnKeyUp),
                                  Event<TWinControl>("OnKeyPress", &TWinControl::OnKeyPress),
                                  Event<TWinControl>("OnEnter", &TWinControl::OnEnter),
                                  Event<TWinControl>("OnExit", &TWinControl::OnExit)});
  static const auto PutIntoParent = [](TComponent* Child, TComponent* Parent) {
    auto* ParentControl = dynamic_cast<TWinControl*>(Parent);
    if (!ParentControl) throw EReadError("A control belongs into a windowed control");
    static_cast<TControl*>(Child)->SetParent(ParentControl);
  };
  ControlInfo.SetParentComponent = PutIntoParent;
  static const TClassInfo FormInfo = MakeClassInfo<TForm>(
      "TForm", &WinControlInfo,
      {Int<TForm>(
           "ClientWidth", [](TForm* F) { return F->ClientWidth(); },
           [](TForm* F, int64_t V) { F->SetClientWidth(static_cast<int>(V)); }),
       Int<TForm>(
           "ClientHeight", [](TForm* F) { return F->ClientHeight(); },
           [](TForm* F, int64_t V) { F->SetClientHeight(static_cast<int>(V)); }),
       Enum<TForm>(
           "BorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
           [](TForm* F) { return F->BorderStyle(); },
           [](TForm* F, int64_t V) { F->SetBorderStyle(static_cast<TFormBorderStyle>(V)); }),
       Set<TForm>(
           "BorderIcons", {"biSystemMenu", "biMinimize", "biMaximize"},
           [](TForm* F) { return F->BorderIcons(); },
           [](TForm* F, int64_t V) { F->SetBorderIcons(static_cast<TBorderIcons>(V)); }),
       Enum<TForm>(
           "FormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"},
           [](TForm* F) { return F->FormStyle(); },
           [](TForm* F, int64_t V) { F->SetFormStyle(static_cast<TFormStyle>(V)); }),
       Enum<TForm>(
           "Position",
           {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
            "poDesktopCenter", "poMainFormCenter"},
           [](TForm* F) { return F->Position(); },
           [](TForm* F, int64_t V) { F->SetPosition(static_cast<TPosition>(V)); }),
       Enum<TForm>(
           "WindowState", {"wsNormal", "wsMinimized", "wsMaximized"},
           [](TForm* F) { return F->WindowState(); },
           [](TForm* F, int64_t V) { F->SetWindowState(static_cast<TWindowState>(V)); }),
       Component<TForm, TMainMenu>(
           "Menu", [](TForm* F) { return F->Menu(); }, [](TForm* F, TMainMenu* V) { F->SetMenu(V); }),
       Component<TForm, TWinControl>(
           "ActiveControl", [](TForm* F) { return F->ActiveControl(); },
           [](TForm* F, TWinControl* V) { F->SetActiveControl(V); }),
       Event<TForm>("OnCreate", &TForm::OnCreate), Event<TForm>("OnShow", &TForm::OnShow),
       Event<TForm>("OnHide", &TForm::OnHide), Event<TForm>("OnActivate", &TForm::OnActivate),
       Event<TForm>("OnDeactivate", &TForm::OnDeactivate), Event<TForm>("OnCloseQuery", &TForm::OnCloseQuery),
       Event<TForm>("OnClose", &TForm::OnClose), Event<TForm>("OnDestroy", &TForm::OnDestroy)});
  static const TClassInfo HintWindowInfo = MakeClassInfo<THintWindow>("THintWindow", &WinControlInfo, {});
  static const TClassInfo ScrollBarInfo = MakeClassInfo<TControlScrollBar>(
      "TControlScrollBar", nullptr,
      {Bool<TControlScrollBar>(
           "Tracking", [](TControlScrollBar* B) { return B->Tracking(); },
           [](TControlScrollBar* B, bool V) { B->SetTracking(V); }),
       Int<TControlScrollBar>(
           "Increment", [](TControlScrollBar* B) { return B->Increment(); },
           [](TControlScrollBar* B, int64_t V) { B->SetIncrement(static_cast<int>(V)); })});
  static const TClassInfo ScrollBoxInfo = MakeClassInfo<TScrollBox>(
      "TScrollBox", &WinControlInfo,
      {Object<TScrollBox>("VertScrollBar", [](TScrollBox* C) { return C->VertScrollBar(); }),
       Event<TScrollBox>("OnMouseWheelDown", &TScrollBox::OnMouseWheelDown),
       Event<TScrollBox>("OnMouseWheelUp", &TScrollBox::OnMouseWheelUp)});
  static const TClassInfo AppEventsInfo =
      MakeClassInfo<TApplicationEvents>("TApplicationEvents", &ComponentInfo,
                                        {Event<TApplicationEvents>("OnIdle", &TApplicationEvents::OnIdle)});
  for (const TClassInfo* Info :
       {&ComponentInfo, &FontInfo, static_cast<const TClassInfo*>(&ControlInfo), &WinControlInfo, &FormInfo,
        &HintWindowInfo, &ScrollBarInfo, &ScrollBoxInfo, &AppEventsInfo})
    RegisterClass(Info);
}

}  // namespace

void RegisterLibraryClasses() {
  static const bool Done = [] {
    RegisterBaseClasses();
    RegisterStdCtrls();
    RegisterExtCtrls();
    RegisterComCtrls();
    RegisterMenus();
    RegisterDialogs();
    return true;
  }();
  (void)Done;
}

const TClassInfo* FormClassInfo() {
  RegisterLibraryClasses();
  return GetClass("TForm");
}
