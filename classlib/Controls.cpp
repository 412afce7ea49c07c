#include "classlib/Controls.h"

#include <algorithm>
#include <cstdio>

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

void ShowWindowException(std::exception_ptr Error) {
  std::wstring Text = L"Unknown exception";
  try {
    std::rethrow_exception(Error);
  } catch (const Exception& E) {
    Text = E.Message();
  } catch (const std::exception& E) {
    Text = AnsiToWide(E.what(), CP_UTF8);
  } catch (...) {
  }
  MessageBoxW(nullptr, Text.c_str(), L"Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// ---------------------------------------------------------------------------------------------
// TControl

// The value WindowProc starts with; its type tells WindowProcIsOwn that nobody replaced it.
struct TControl::TOwnWndProc {
  TControl* Control;
  void operator()(TMessage& Message) const { Control->WndProc(Message); }
};

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), WindowProc(TOwnWndProc{this}) {}

TControl::~TControl() {
  SetParent(nullptr);
}

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EComponentError("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
}

void TControl::SetVisible(bool Value) {
  FVisible = Value;
}

void TControl::SetEnabled(bool Value) {
  FEnabled = Value;
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage Message{Msg, WParam, LParam, 0};
  WindowProc(Message);
  return Message.Result;
}

bool TControl::WindowProcIsOwn() const {
  const TOwnWndProc* Own = WindowProc.target<TOwnWndProc>();
  return Own && Own->Control == this;
}

void TControl::WndProc(TMessage& Message) {
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
  DefaultHandler(Message);
}

void TControl::DefaultHandler(TMessage& /*Message*/) {}

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
  const std::vector<TControl*> Children = FControls;
  for (TControl* Child : Children) {
    auto* WinChild = dynamic_cast<TWinControl*>(Child);
    if (WinChild && WinChild->Visible()) WinChild->HandleNeeded();
  }
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
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FHandle) SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetVisible(bool Value) {
  TControl::SetVisible(Value);
  if (FHandle) ShowWindow(FHandle, Value ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool Value) {
  TControl::SetEnabled(Value);
  if (FHandle) EnableWindow(FHandle, Value);
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  if (Parent()) {
    Params.Style |= WS_CHILD;
    Params.WndParent = Parent()->Handle();
  } else {
    Params.Style |= WS_POPUP;
  }
  if (Visible()) Params.Style |= WS_VISIBLE;
  if (!Enabled()) Params.Style |= WS_DISABLED;
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

void TWinControl::CreateWnd() {
  TCreateParams Params;
  CreateParams(Params);
  FDefWndProc = Params.WindowClass.lpfnWndProc;
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

void TWinControl::Dispatch(TMessage& Message) {
  TControl::Dispatch(Message);
  if (Message.Msg == WM_WINDOWPOSCHANGED) UpdateBounds();
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (FHandle)
    Message.Result = CallWindowProcA(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
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
  auto* WinChild = dynamic_cast<TWinControl*>(AControl);
  if (FHandle && WinChild && WinChild->Visible()) WinChild->HandleNeeded();
}

void TWinControl::RemoveControl(TControl* AControl) {
  if (auto* WinChild = dynamic_cast<TWinControl*>(AControl)) WinChild->DestroyHandle();
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
