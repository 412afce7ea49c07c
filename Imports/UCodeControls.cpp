#include "Imports/UCodeControls.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>

#include "Imports/UCodeGraphics.h"
#include "Imports/UCodeMenus.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeWindows.h"
#include "classlib/FormReader.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

namespace {

// The trap of a window is found through this window property.
constexpr char TrapProperty[] = "UCodeWinControlTrap";

// What the unit keeps for the life of the program. Once it is gone (the program ends), windows that
// still end take their traps off without storing or parking anything.
class TUnit {
 public:
  TUnit() {
    Helpers.SetOwnsObjects(true);
    char Name[32];
    std::snprintf(Name, sizeof Name, "UCodeWindow%.8lX", static_cast<unsigned long>(GetCurrentProcessId()));
    FWindowAtom = GlobalAddAtomA(Name);
  }
  ~TUnit() {
    GlobalDeleteAtom(FWindowAtom);
    Finalized = true;
  }
  TUnit(const TUnit&) = delete;
  TUnit& operator=(const TUnit&) = delete;

  ATOM WindowAtom() const { return FWindowAtom; }

  TComponentList Helpers;  // owns its helpers
  TComponentList Traps;    // parked traps, owned by nobody
  static inline bool Finalized = false;

 private:
  ATOM FWindowAtom;
};

TUnit& Unit() {
  static TUnit Instance;
  return Instance;
}

// Set only while CreateWindowExW runs: a common control asks its parent WM_NOTIFYFORMAT from inside its
// own creation, and the answer must already be Unicode.
TWinControl* UnicodeCreationControl = nullptr;

class TUnicodeCreationScope {
 public:
  explicit TUnicodeCreationScope(TWinControl* Control) { UnicodeCreationControl = Control; }
  ~TUnicodeCreationScope() { UnicodeCreationControl = nullptr; }
  TUnicodeCreationScope(const TUnicodeCreationScope&) = delete;
  TUnicodeCreationScope& operator=(const TUnicodeCreationScope&) = delete;
};

LPCSTR AtomName(ATOM Atom) {
  return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(Atom));
}

TWideControlHelper* HelperOf(TControl* Control) {
  if (TUnit::Finalized) return nullptr;
  return static_cast<TWideControlHelper*>(FindWideComponentHelperIndex(&Unit().Helpers, Control));
}

TWideControlHelper* NeededHelperOf(TControl* Control) {
  TWideControlHelper* Helper = HelperOf(Control);
  return Helper ? Helper : new TWideControlHelper(Control, &Unit().Helpers);
}

bool IsUnicodeWindowOf(TWinControl* Control) {
  return Control->HandleAllocated() && IsWindowUnicode(Control->Handle());
}

// The parked trap of a control, taken out of the list; the list is searched from its end.
TWinControlTrap* TakeParkedTrap(TWinControl* Control) {
  TComponentList& Traps = Unit().Traps;
  for (int I = Traps.Count(); I-- > 0;) {
    auto* Trap = static_cast<TWinControlTrap*>(Traps.Items(I));
    if (Trap->Control() != Control) continue;
    Traps.Extract(Trap);
    return Trap;
  }
  return nullptr;
}

void ParkTrap(TWinControlTrap* Trap) {
  if (Unit().Traps.IndexOf(Trap) < 0) Unit().Traps.Add(Trap);
}

WNDPROC SystemClassProc(HINSTANCE Instance, const std::wstring& SubClass) {
  WNDCLASSW Class;
  for (HINSTANCE Where : {Instance, static_cast<HINSTANCE>(nullptr), GetModuleHandleA("comctl32.dll")})
    if (GetClassInfoW(Where, SubClass.c_str(), &Class)) return Class.lpfnWndProc;
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Helpers, texts and hints

TWideControlHelper::TWideControlHelper(TControl* AControl, TComponentList* StoreList)
    : TWideComponentHelper(AControl, StoreList) {}

TWideControlHelper* FindWideControlHelper(TControl* Control) {
  return HelperOf(Control);
}

std::wstring GetControlWideText(TControl* Control) {
  auto* Windowed = dynamic_cast<TWinControl*>(Control);
  if (!IsUnicodePlatform || (Windowed && Windowed->HandleAllocated() && !IsUnicodeWindowOf(Windowed)))
    return AnsiToWide(Control->Text());
  if (Windowed && Windowed->HandleAllocated()) {
    const HWND Wnd = Windowed->Handle();
    std::wstring Buffer(static_cast<size_t>(GetWindowTextLengthW(Wnd)) + 1, L'\0');
    Buffer.resize(static_cast<size_t>(GetWindowTextW(Wnd, Buffer.data(), static_cast<int>(Buffer.size()))));
    return Buffer;
  }
  // Without a window the helper holds the text, unless 8-bit code has set another one since.
  TWideControlHelper* Helper = HelperOf(Control);
  return Helper ? GetSyncedWideString(Helper->Caption, Control->Text()) : AnsiToWide(Control->Text());
}

void SetControlWideText(TControl* Control, const std::wstring& Text) {
  auto* Windowed = dynamic_cast<TWinControl*>(Control);
  if (!IsUnicodePlatform || (Windowed && Windowed->HandleAllocated() && !IsUnicodeWindowOf(Windowed))) {
    Control->SetText(WideToAnsi(Text));
  } else if (!Windowed) {
    TWideControlHelper* Helper = NeededHelperOf(Control);
    SetSyncedWideString(Text, Helper->Caption, Control->Text(),
                        [Control](const std::string& S) { Control->SetText(S); });
  } else if (!Windowed->HandleAllocated()) {
    StoreControlWideText(Control, Text);
  } else if (Text != GetControlWideText(Control)) {
    UCode_SetWindowTextW(Windowed->Handle(), Text.c_str());
    Control->Perform(CM_TEXTCHANGED, 0, 0);
  }
}

void StoreControlWideText(TControl* Control, const std::wstring& Text) {
  if (TUnit::Finalized) return;
  NeededHelperOf(Control)->Caption = Text;
  Control->SetText(WideToAnsi(Text));
}

bool IsWideCaptionStored(TControl* Control) {
  return !Control->ActionLink() || !Control->ActionLink()->IsCaptionLinked();
}

bool IsWideHintStored(TControl* Control) {
  return !Control->ActionLink() || !Control->ActionLink()->IsHintLinked();
}

void WideListControl_AddItem(TCustomListControl* Control, const std::wstring& Item, TObject* AObject) {
  if (auto* Wide = dynamic_cast<IWideCustomListControl*>(Control))
    Wide->AddItem(Item, AObject);
  else
    Control->AddItem(WideToAnsi(Item), AObject);
}

std::wstring GetControlWideHint(TControl* Control) {
  TWideControlHelper* Helper = IsUnicodePlatform ? HelperOf(Control) : nullptr;
  return Helper ? GetSyncedWideString(Helper->Hint, Control->Hint()) : AnsiToWide(Control->Hint());
}

void SetControlWideHint(TControl* Control, const std::wstring& Hint) {
  if (!IsUnicodePlatform) {
    Control->SetHint(WideToAnsi(Hint));
    return;
  }
  SetSyncedWideString(Hint, NeededHelperOf(Control)->Hint, Control->Hint(),
                      [Control](const std::string& S) { Control->SetHint(S); });
}

std::wstring GetParentWideHint(TControl* Control) {
  for (; Control; Control = Control->Parent()) {
    std::wstring Hint = GetControlWideHint(Control);
    if (!Hint.empty()) return Hint;
  }
  return {};
}

std::wstring WideGetShortHint(const std::wstring& Hint) {
  return Hint.substr(0, Hint.find(L'|'));
}

std::wstring WideGetLongHint(const std::wstring& Hint) {
  const size_t Bar = Hint.find(L'|');
  return Bar == std::wstring::npos ? Hint : Hint.substr(Bar + 1);
}

UINT DestroyWindowMessage() {
  static const UINT Message = RegisterWindowMessageA("UCodeDestroyWindow");
  return Message;
}

// ---------------------------------------------------------------------------------------------
// Window creation

std::wstring RegisterUnicodeClass(const TCreateParams& Params) {
  const std::wstring Name = AnsiToWide(Params.WinClassName.substr(0, 64)) + L".UnicodeClass";
  const HINSTANCE Instance = GetModuleHandleW(nullptr);
  WNDCLASSW Class;
  if (GetClassInfoW(Instance, Name.c_str(), &Class)) {
    if (Class.lpfnWndProc == InitialUnicodeWndProc) return Name;
    if (!UnregisterClassW(Name.c_str(), Instance)) RaiseLastOSError();
  }
  const WNDCLASSA& Library = Params.WindowClass;
  const std::wstring MenuName =
      Library.lpszMenuName && !IsResourceId(Library.lpszMenuName) ? AnsiToWide(Library.lpszMenuName) : L"";
  Class = WNDCLASSW{};
  Class.style = Library.style;
  Class.lpfnWndProc = InitialUnicodeWndProc;
  Class.cbClsExtra = Library.cbClsExtra;
  Class.cbWndExtra = Library.cbWndExtra;
  Class.hInstance = Instance;
  Class.hIcon = Library.hIcon;
  Class.hCursor = Library.hCursor;
  Class.hbrBackground = Library.hbrBackground;
  Class.lpszMenuName = MenuName.empty() ? reinterpret_cast<LPCWSTR>(Library.lpszMenuName) : MenuName.c_str();
  Class.lpszClassName = Name.c_str();
  if (!RegisterClassW(&Class)) RaiseLastOSError();
  return Name;
}

void CreateUnicodeHandle(TWinControl* Control, const TCreateParams& Params, const std::wstring& SubClass) {
  if (!IsUnicodePlatform) {
    // The library's own class: its window procedure binds the window to the control.
    const HWND Wnd = CreateWindowExA(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(),
                                     Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                                     Params.WndParent, nullptr, Params.WindowClass.hInstance, Params.Param);
    if (Wnd) Control->AttachWindow(Wnd);
    return;
  }
  const WNDPROC System = SubClass.empty() ? nullptr : SystemClassProc(Params.WindowClass.hInstance, SubClass);
  Control->SetDefWndProc(System ? System : DefWindowProcW);
  const std::wstring ClassName = RegisterUnicodeClass(Params);
  {
    const TUnicodeCreationScope Scope(Control);
    const HWND Wnd = CreateWindowExW(Params.ExStyle, ClassName.c_str(), nullptr, Params.Style, Params.X,
                                     Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr,
                                     GetModuleHandleW(nullptr), Params.Param);
    if (!Wnd) RaiseLastOSError();
    Control->AttachWindow(Wnd);
  }
  SubClassUnicodeControl(Control, Params.Caption);
}

void CreateUnicodeHandle_ComCtl(TWinControl* Control, const TCreateParams& Params,
                                const std::wstring& SubClass) {
  if (SubClass.empty())
    throw EUCodeInternalError(
        L"UCode Internal Error: Only call CreateUnicodeHandle_ComCtl for Common Controls.");
  CreateUnicodeHandle(Control, Params, SubClass);
  if (IsUnicodePlatform) SendMessageW(Control->Handle(), CCM_SETUNICODEFORMAT, 1, 0);
}

LRESULT CALLBACK InitialUnicodeWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* Control = CreationControl;
  if (!Control) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  Control->AttachWindow(Wnd);
  TWinControlTrap* Trap = TakeParkedTrap(Control);
  ParkTrap(Trap ? Trap : new TWinControlTrap(Control));
  SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::StdWndProc));
  if ((GetWindowLongPtrW(Wnd, GWL_STYLE) & WS_CHILD) && GetWindowLongPtrW(Wnd, GWLP_ID) == 0)
    SetWindowLongPtrW(Wnd, GWLP_ID, reinterpret_cast<LONG_PTR>(Wnd));
  SetPropA(Wnd, AtomName(ControlAtom()), Control);
  SetPropA(Wnd, AtomName(Unit().WindowAtom()), Control);
  CreationControl = nullptr;
  return CallWindowProcW(&TWinControl::StdWndProc, Wnd, Msg, WParam, LParam);
}

void SubClassUnicodeControl(TWinControl* Control, const std::string& Caption) {
  if (!IsWindowUnicode(Control->Handle()))
    throw EUCodeInternalError(L"Internal Error: SubClassUnicodeControl.Control is not Unicode.");
  TWinControlTrap* Trap = TakeParkedTrap(Control);
  if (!Trap) Trap = new TWinControlTrap(Control);
  Trap->SubClassControl(Control);
  TWideControlHelper* Helper = HelperOf(Control);
  SetControlWideText(Control, Helper ? GetSyncedWideString(Helper->Caption, Caption) : AnsiToWide(Caption));
}

// ---------------------------------------------------------------------------------------------
// Characters above 255

void PackWideCharMessage(TMessage& Message) {
  Assert(HIWORD(Message.WParam) == 0, L"Internal Error: the high word of a WM_CHAR is in use.");
  if (Message.WParam > 255) Message.WParam = MAKEWPARAM(255, LOWORD(Message.WParam));
}

void UnpackWideCharMessage(TMessage& Message) {
  if (HIWORD(Message.WParam) != 0 && LOWORD(Message.WParam) == 255)
    Message.WParam = HIWORD(Message.WParam);
  else
    Message.WParam = LOWORD(Message.WParam);
}

wchar_t GetWideCharFromMessage(const TMessage& Message) {
  if (LOWORD(Message.WParam) == 255 && HIWORD(Message.WParam) != 0)
    return static_cast<wchar_t>(HIWORD(Message.WParam));
  return static_cast<wchar_t>(LOWORD(Message.WParam));
}

void SetWideCharInMessage(TMessage& Message, wchar_t Ch) {
  Message.WParam = static_cast<WPARAM>(Ch);
  PackWideCharMessage(Message);
}

// ---------------------------------------------------------------------------------------------
// Hints

void PrepareWideHintShow(TMessage& Message) {
  if (!IsUnicodePlatform) return;
  auto* Info = reinterpret_cast<THintInfo*>(Message.LParam);
  if (!Info || !Info->HintWindowClass) return;
  if (Info->HintWindowClass == GetClass("THintWindow"))
    Info->HintWindowClass = UCodeCustomHintWindowClass();
  else if (!Info->HintWindowClass->InheritsFrom(UCodeCustomHintWindowClass()))
    return;
  Info->HintData = Info;
  Info->HintStr = WideToAnsi(WideGetShortHint(GetParentWideHint(Info->HintControl)));
}

bool IsWideHintData(void* HintData) {
  const auto* Info = static_cast<const THintInfo*>(HintData);
  return Info && Info->HintData == HintData && Info->HintWindowClass &&
         Info->HintWindowClass->InheritsFrom(UCodeCustomHintWindowClass());
}

std::wstring WideHintWithShortCut(const THintInfo* HintInfo) {
  const std::wstring Result = AnsiToWide(HintInfo->HintStr);
  if (Result.empty()) return Result;
  const std::wstring Short = WideGetShortHint(GetParentWideHint(HintInfo->HintControl));
  if (WideToAnsi(Short) == HintInfo->HintStr) return Short;
  auto* Action =
      HintInfo->HintControl ? dynamic_cast<TCustomAction*>(HintInfo->HintControl->Action()) : nullptr;
  if (Application->HintShortCuts && Action && Action->ShortCut() != scNone &&
      HintInfo->HintStr == Format("%s (%s)", {WideToAnsi(Short), ShortCutToText(Action->ShortCut())}))
    return Format(L"%s (%s)", {Short, WideShortCutToText(Action->ShortCut())});
  return Result;
}

// ---------------------------------------------------------------------------------------------
// TWinControlTrap

// The control's message method while the trap is on; its type tells whether it is a trap's.
struct TWinControlTrap::TTrapWindowProc {
  TWinControlTrap* Trap;
  void operator()(TMessage& Message) const { Trap->WindowProc(Message); }
};

TWinControlTrap* FindWinControlTrap(HWND Wnd) {
  return static_cast<TWinControlTrap*>(GetPropA(Wnd, TrapProperty));
}

TWinControlTrap::TWinControlTrap(TWinControl* AControl) : TComponent(nullptr), FControl(AControl) {
  AControl->FreeNotification(this);
}

TWinControlTrap::~TWinControlTrap() {
  if (!TUnit::Finalized) Unit().Traps.Extract(this);
}

bool TWinControlTrap::HookedWindowProc() const {
  const TTrapWindowProc* Hook = FControl->WindowProc.target<TTrapWindowProc>();
  return Hook && Hook->Trap == this;
}

void TWinControlTrap::SubClassControl(TWinControl* AControl) {
  FHandle = AControl->Handle();
  SetPropA(FHandle, TrapProperty, this);
  FPrevWin32Proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(FHandle, GWLP_WNDPROC));
  FPrevDefWin32Proc = AControl->DefWndProc();
  SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Proc));
  AControl->SetDefWndProc(&DefWin32Proc);
  if (AControl->WindowProcIsOwn()) {
    FSavedWindowProc = AControl->WindowProc;
    AControl->WindowProc = TTrapWindowProc{this};
    return;
  }
  if (HookedWindowProc()) return;
  // Somebody else's method: it may already pass the messages on to this trap (a window made again
  // under a method that was put over the trap's).
  FProbing = true;
  FProbeSeen = false;
  AControl->Perform(WM_NULL, 0, 0);
  FProbing = false;
  if (FProbeSeen) return;
  FSavedWindowProc = AControl->WindowProc;
  AControl->WindowProc = TTrapWindowProc{this};
}

void TWinControlTrap::UnSubClass() {
  if (!FControl || !FHandle) return;
  const bool Destroying = (FControl->ComponentState() & csDestroying) != 0;
  if (!Destroying) StoreControlWideText(FControl, GetControlWideText(FControl));
  if (HookedWindowProc()) FControl->WindowProc = FSavedWindowProc;
  FControl->SetDefWndProc(FPrevDefWin32Proc);
  SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FPrevWin32Proc));
  RemovePropA(FHandle, TrapProperty);
  FHandle = nullptr;
  if (!Destroying && !TUnit::Finalized) ParkTrap(this);
}

void TWinControlTrap::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != FControl) return;
  FControl = nullptr;
  FPendingFree = true;
  FreeWhenUnused();
}

// A trap is freed once no call of its own procedures is running any more.
void TWinControlTrap::FreeWhenUnused() {
  if (FPendingFree && FWin32ProcLevel == 0 && FWindowProcLevel == 0) delete this;
}

LRESULT CALLBACK TWinControlTrap::Win32Proc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControlTrap* Trap = FindWinControlTrap(Wnd);
  if (!Trap) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  return Trap->Win32Message(Wnd, Msg, WParam, LParam);
}

LRESULT TWinControlTrap::Win32Message(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  ++FWin32ProcLevel;
  FLastWin32Msg = Msg;
  const LRESULT Result = CallWindowProcW(FPrevWin32Proc, Wnd, Msg, WParam, LParam);
  // Also when the control's method never saw it, the next message of the library is its own.
  FLastWin32Msg = 0;
  --FWin32ProcLevel;
  FreeWhenUnused();
  return Result;
}

void TWinControlTrap::WindowProc(TMessage& Message) {
  if (FProbing && Message.Msg == WM_NULL) FProbeSeen = true;
  if (!FControl) return;
  ++FWindowProcLevel;
  if (!FControl->HandleAllocated() || !FHandle) {
    FSavedWindowProc(Message);
  } else {
    const bool FromWindow = FLastWin32Msg != 0;
    FLastWin32Msg = 0;
    if (Message.Msg == CM_HINTSHOW) PrepareWideHintShow(Message);
    const bool TextMessage =
        Message.Msg == WM_SETTEXT || Message.Msg == WM_GETTEXT || Message.Msg == WM_GETTEXTLENGTH;
    if (TextMessage && !FromWindow) {
      // The library's 8-bit text: the system converts it on its way to and from the Unicode window.
      Message.Result = SendMessageA(FHandle, Message.Msg, Message.WParam, Message.LParam);
    } else {
      if (Message.Msg == WM_CHAR) PackWideCharMessage(Message);
      const TWndMethod Saved = FSavedWindowProc;
      Saved(Message);
    }
    if (Message.Msg == DestroyWindowMessage() && FControl) UnSubClass();
  }
  --FWindowProcLevel;
  FreeWhenUnused();
}

LRESULT CALLBACK TWinControlTrap::DefWin32Proc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControlTrap* Trap = FindWinControlTrap(Wnd);
  if (!Trap) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  return Trap->DefWin32Message(Wnd, Msg, WParam, LParam);
}

LRESULT TWinControlTrap::DefWin32Message(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
    case WM_NOTIFYFORMAT: {
      const auto Asking = reinterpret_cast<HWND>(WParam);
      const bool Wide =
          IsUnicodePlatform &&
          (IsWindowUnicode(Asking) || (UnicodeCreationControl && UnicodeCreationControl->HandleAllocated() &&
                                       UnicodeCreationControl->Handle() == Asking));
      return Wide ? NFR_UNICODE : NFR_ANSI;
    }
    case WM_CHAR: {
      TMessage Message{Msg, WParam, LParam, 0};
      UnpackWideCharMessage(Message);
      WParam = Message.WParam;
      break;
    }
    case WM_IME_CHAR:
      if (!IsWinXPOrLater) return SendMessageW(Wnd, WM_CHAR, WParam, LParam);
      break;
    case WM_DESTROY: {
      const WNDPROC Previous = FPrevDefWin32Proc;
      UnSubClass();
      return CallWindowProcW(Previous, Wnd, Msg, WParam, LParam);
    }
    default:
      break;
  }
  return CallWindowProcW(FPrevDefWin32Proc, Wnd, Msg, WParam, LParam);
}

// ---------------------------------------------------------------------------------------------
// TUCodeCustomHintWindow

namespace {

constexpr UINT WideHintFlags = DT_NOPREFIX | DT_WORDBREAK;

}  // namespace

const TClassInfo* UCodeCustomHintWindowClass() {
  static const TClassInfo Info = [] {
    RegisterLibraryClasses();
    return MakeClassInfo<TUCodeCustomHintWindow>("TUCodeCustomHintWindow", GetClass("THintWindow"), {});
  }();
  RegisterClass(&Info);
  return &Info;
}

void TUCodeCustomHintWindow::CreateWindowHandle(const TCreateParams& Params) {
  CreateUnicodeHandle(this, Params, L"");
}

void TUCodeCustomHintWindow::PaintWindow(TCanvas* Canvas) {
  if (!IsUnicodePlatform) {
    THintWindow::PaintWindow(Canvas);
    return;
  }
  if (FSuspendPaint) return;
  RECT Rect{2, 2, ClientWidth(), ClientHeight()};
  Canvas->Font()->Assign(Font());
  Canvas->Font()->SetColor(clInfoText);
  Canvas->RequiredState(csHandleValid | csFontValid);
  SetBkMode(Canvas->Handle(), TRANSPARENT);
  UCode_DrawTextW(Canvas->Handle(), Caption().c_str(), -1, &Rect, WideHintFlags);
}

void TUCodeCustomHintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg != CM_TEXTCHANGED) {
    THintWindow::Dispatch(Message);
    return;
  }
  TWinControl::Dispatch(Message);
  if (FActivating) return;
  const SIZE Size = WideCanvasTextExtent(Canvas(), Caption());
  SetBounds(Left(), Top(), Size.cx + 6, Size.cy + 6);
}

void TUCodeCustomHintWindow::ActivateHint(RECT Rect, const std::string& AHint) {
  const TValueScope<bool> Activating(FActivating, true);
  THintWindow::ActivateHint(Rect, AHint);
}

void TUCodeCustomHintWindow::ActivateHintData(RECT Rect, const std::string& AHint, void* AData) {
  if (!IsUnicodePlatform || !IsWideHintData(AData)) {
    THintWindow::ActivateHintData(Rect, AHint, AData);
    return;
  }
  {
    const TValueScope<bool> SuspendPaint(FSuspendPaint, true);
    const TValueScope<bool> Activating(FActivating, true);
    THintWindow::ActivateHintData(Rect, AHint, AData);
    SetCaption(WideHintWithShortCut(static_cast<const THintInfo*>(AData)));
  }
  Repaint();
}

RECT TUCodeCustomHintWindow::CalcHintRect(int MaxWidth, const std::string& AHint, void* AData) {
  if (!IsUnicodePlatform || !IsWideHintData(AData)) return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
  RECT Rect{0, 0, MaxWidth, 0};
  const std::wstring Hint = WideHintWithShortCut(static_cast<const THintInfo*>(AData));
  UCode_DrawTextW(Canvas()->Handle(), Hint.c_str(), -1, &Rect, WideHintFlags | DT_CALCRECT);
  Rect.right += 6;
  Rect.bottom += 2;
  return Rect;
}
