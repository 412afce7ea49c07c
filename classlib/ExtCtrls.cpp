#include "classlib/ExtCtrls.h"

#include "classlib/Forms.h"
#include "classlib/TypInfo.h"

// ---------------------------------------------------------------------------------------------
// TPanel

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelOuter(TBevelCut Value) {
  FBevelOuter = Value;
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut Value) {
  FBevelInner = Value;
  Invalidate();
}

void TPanel::SetAlignment(TAlignment Value) {
  FAlignment = Value;
  Invalidate();
}

void TPanel::PaintWindow(TCanvas* Canvas) {
  RECT Rect{0, 0, ClientWidth(), ClientHeight()};
  for (TBevelCut Bevel : {FBevelOuter, FBevelInner}) {
    if (Bevel == bvLowered) DrawEdge(Canvas->Handle(), &Rect, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if (Bevel == bvRaised) DrawEdge(Canvas->Handle(), &Rect, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  }
  const std::string Caption = Text();
  if (Caption.empty()) return;
  Canvas->Font()->Assign(Font());
  Canvas->RequiredState(csHandleValid | csFontValid);
  SetBkMode(Canvas->Handle(), TRANSPARENT);
  SetTextColor(Canvas->Handle(), ColorToRGB(Font()->Color()));
  const UINT Align = FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
  DrawTextA(Canvas->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &Rect,
            DT_SINGLELINE | DT_VCENTER | Align);
}

void TPanel::Dispatch(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (Message.Msg == CM_TEXTCHANGED || Message.Msg == WM_SIZE) Invalidate();
}

// ---------------------------------------------------------------------------------------------
// TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
  FShape = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  FStyle = Value;
  Invalidate();
}

void TBevel::Paint(TCanvas* Canvas) {
  // A frame is an etched edge, a box a sunken (raised) one, a line one side of such a box.
  constexpr UINT Sides[] = {BF_RECT, BF_RECT, BF_TOP, BF_BOTTOM, BF_LEFT, BF_RIGHT, 0};
  if (FShape == bsSpacer) return;
  RECT Rect{0, 0, Width(), Height()};
  const bool Lowered = FStyle == bsLowered;
  if (FShape == bsFrame) {
    DrawEdge(Canvas->Handle(), &Rect, Lowered ? EDGE_ETCHED : EDGE_BUMP, BF_RECT);
    return;
  }
  DrawEdge(Canvas->Handle(), &Rect, Lowered ? EDGE_SUNKEN : EDGE_RAISED, Sides[FShape]);
}

// ---------------------------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  SetBounds(0, 0, 105, 105);
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() {
  FPicture->OnChange = nullptr;
}

void TImage::PictureChanged() {
  if (FAutoSize && FPicture->Width() > 0) SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
  Invalidate();
}

void TImage::Paint(TCanvas* Canvas) {
  TGraphic* Graphic = FPicture->Graphic();
  if (!Graphic || Graphic->Empty()) return;
  RECT Rect{0, 0, Graphic->Width(), Graphic->Height()};
  if (FStretch) {
    Rect = {0, 0, Width(), Height()};
  } else if (FCenter) {
    OffsetRect(&Rect, (Width() - Graphic->Width()) / 2, (Height() - Graphic->Height()) / 2);
  }
  Canvas->StretchDraw(Rect, Graphic);
}

void TImage::SetStretch(bool Value) {
  FStretch = Value;
  Invalidate();
}

void TImage::SetCenter(bool Value) {
  FCenter = Value;
  Invalidate();
}

void TImage::SetAutoSize(bool Value) {
  FAutoSize = Value;
  PictureChanged();
}

// ---------------------------------------------------------------------------------------------
// TTimer

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  const HINSTANCE Instance = GetModuleHandleA(nullptr);
  WNDCLASSA Class{};
  if (!GetClassInfoA(Instance, "TTimerWindow", &Class)) {
    Class.lpfnWndProc = WndProc;
    Class.hInstance = Instance;
    Class.lpszClassName = "TTimerWindow";
    if (!RegisterClassA(&Class)) RaiseLastOSError();
  }
  FWindow = CreateWindowExA(0, "TTimerWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Instance, nullptr);
  if (!FWindow) RaiseLastOSError();
  SetWindowLongPtrA(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TTimer::~TTimer() {
  KillTimer(FWindow, 1);
  DestroyWindow(FWindow);
}

LRESULT CALLBACK TTimer::WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* Timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  if (Msg != WM_TIMER || !Timer) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  try {
    if (Timer->FEnabled && Timer->OnTimer) Timer->OnTimer(Timer);
  } catch (...) {
    Application->HandleException(std::current_exception());
  }
  return 0;
}

void TTimer::UpdateTimer() {
  KillTimer(FWindow, 1);
  if (FEnabled && FInterval > 0 && OnTimer) SetTimer(FWindow, 1, FInterval, nullptr);
}

void TTimer::SetEnabled(bool Value) {
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  OnTimer = std::move(Value);
  UpdateTimer();
}

// ---------------------------------------------------------------------------------------------
// Published properties

void RegisterExtCtrls() {
  using namespace Published;
  const std::vector<std::string> Bevels{"bvNone", "bvLowered", "bvRaised", "bvSpace"};
  static const TClassInfo PanelInfo =
      MakeClassInfo<TPanel>("TPanel", GetClass("TWinControl"),
                            {Enum<TPanel>(
                                 "BevelOuter", Bevels, [](TPanel* C) { return C->BevelOuter(); },
                                 [](TPanel* C, int64_t V) { C->SetBevelOuter(static_cast<TBevelCut>(V)); }),
                             Enum<TPanel>(
                                 "BevelInner", Bevels, [](TPanel* C) { return C->BevelInner(); },
                                 [](TPanel* C, int64_t V) { C->SetBevelInner(static_cast<TBevelCut>(V)); }),
                             Enum<TPanel>(
                                 "Alignment", {"taLeftJustify", "taRightJustify", "taCenter"},
                                 [](TPanel* C) { return C->Alignment(); },
                                 [](TPanel* C, int64_t V) { C->SetAlignment(static_cast<TAlignment>(V)); })});
  static const TClassInfo BevelInfo = MakeClassInfo<TBevel>(
      "TBevel", GetClass("TControl"),
      {Enum<TBevel>(
           "Shape",
           {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"},
           [](TBevel* C) { return C->Shape(); },
           [](TBevel* C, int64_t V) { C->SetShape(static_cast<TBevelShape>(V)); }),
       Enum<TBevel>(
           "Style", {"bsLowered", "bsRaised"}, [](TBevel* C) { return C->Style(); },
           [](TBevel* C, int64_t V) { C->SetStyle(static_cast<TBevelStyle>(V)); })});
  static const TClassInfo ImageInfo = MakeClassInfo<TImage>(
      "TImage", GetClass("TControl"),
      {Object<TImage>("Picture", [](TImage* C) { return C->Picture(); }),
       Bool<TImage>(
           "Stretch", [](TImage* C) { return C->Stretch(); }, [](TImage* C, bool V) { C->SetStretch(V); }),
       Bool<TImage>(
           "Center", [](TImage* C) { return C->Center(); }, [](TImage* C, bool V) { C->SetCenter(V); }),
       Bool<TImage>(
           "AutoSize", [](TImage* C) { return C->AutoSize(); },
           [](TImage* C, bool V) { C->SetAutoSize(V); })});
  TPropInfo OnTimer{"OnTimer", tkMethod};
  OnTimer.SetMethod = [](TObject* I, const std::any& Handler) {
    const auto* Typed = std::any_cast<TNotifyEvent>(&Handler);
    if (!Typed) throw EPropertyError("Handler of the wrong type for event OnTimer");
    static_cast<TTimer*>(I)->SetOnTimer(*Typed);
  };
  static const TClassInfo TimerInfo = MakeClassInfo<TTimer>(
      "TTimer", GetClass("TComponent"),
      {Bool<TTimer>(
           "Enabled", [](TTimer* C) { return C->Enabled(); }, [](TTimer* C, bool V) { C->SetEnabled(V); }),
       Int<TTimer>(
           "Interval", [](TTimer* C) { return C->Interval(); },
           [](TTimer* C, int64_t V) { C->SetInterval(static_cast<unsigned>(V)); }),
       OnTimer});
  for (const TClassInfo* Info : {&PanelInfo, &BevelInfo, &ImageInfo, &TimerInfo}) RegisterClass(Info);
}
