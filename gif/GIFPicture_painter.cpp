// The animation painter: frame delays, disposal methods and loop counts, on a thread or at once.
#include <algorithm>

#include "gif/GIFPicture.h"

#include <mmsystem.h>

namespace {

class TSystemPainterClock : public TGIFPainterClock {
 public:
  DWORD Now() override { return timeGetTime(); }
  bool WaitFor(HANDLE Event, DWORD Milliseconds) override {
    if (!Event) {
      ::Sleep(Milliseconds);
      return false;
    }
    return WaitForSingleObject(Event, Milliseconds) == WAIT_OBJECT_0;
  }
  void Sleep(DWORD Milliseconds) override { ::Sleep(Milliseconds); }
};

// Disposal values 4 to 7 are not defined: they dispose of nothing.
TGIFDisposal EffectiveDisposal(TGIFDisposal Value) {
  return Value <= dsRestorePrevious ? Value : dsKeep;
}

template <class F>
void ForEachGraphicControl(TGIFSubImage* Frame, F Body) {
  for (int I = 0; I < Frame->Extensions()->Count(); ++I)
    if (auto* Control = dynamic_cast<TGIFGraphicControlExtension*>(Frame->Extensions()->Extension(I)))
      Body(Control);
}

bool IsDeviceContext(HDC DC) {
  const DWORD Type = GetObjectType(DC);
  return Type == OBJ_DC || Type == OBJ_MEMDC || Type == OBJ_METADC || Type == OBJ_ENHMETADC;
}

}  // namespace

std::shared_ptr<TGIFPainterClock> SystemPainterClock() {
  static const auto Clock = std::make_shared<TSystemPainterClock>();
  return Clock;
}

TGIFPainter::TGIFPainter(TGIFPainter** APainter, TGIFRenderFlags AFlags, const RECT& ARect, TCanvas* ACanvas,
                         TGIFPicture* AImage)
    : FImage(AImage),
      FCanvas(ACanvas),
      FRect(ARect),
      FFlags(AFlags),
      FSpeed(AImage->PlaybackSpeedPercent),
      FPainterVar(APainter),
      FClock(AImage->PainterClock ? AImage->PainterClock : SystemPainterClock()) {
  FreeOnTerminate = true;
  if (AImage->PaintBackgroundColor != clNone)
    FBackgroundColor = AImage->PaintBackgroundColor;
  else if (AImage->GetGlobalColorMap()->Count() > 0)
    FBackgroundColor = AImage->GetBackgroundColor();
  else
    FBackgroundColor = clWindow;
  if (FFlags & rfCanvasCheck) FCanvasHandle = FCanvas->Handle();
  bool RestoresBackground = FFlags & rfRestoreEachPass;
  bool RestoresPrevious = false;
  for (int I = 0; I < AImage->Frames()->Count(); ++I)
    ForEachGraphicControl(AImage->Frame(I), [&](TGIFGraphicControlExtension* Control) {
      RestoresBackground |= Control->GetDisposal() == dsRestoreBackground;
      RestoresPrevious |= Control->GetDisposal() == dsRestorePrevious;
    });
  const bool KeepsBackground = RestoresBackground && (FFlags & rfTransparent);
  const bool Restores = RestoresBackground || RestoresPrevious;
  // All work bitmaps of one picture's painter together stay within what one frame may hold.
  CheckBitmapSize(FRect.right - FRect.left,
                  int64_t{FRect.bottom - FRect.top} * (KeepsBackground + 2 * Restores));
  if (KeepsBackground) FBackgroundBitmap = NewWorkBitmap(true);
  if (Restores) {
    FRestoreBitmap = NewWorkBitmap(true);
    FPreviousBitmap = NewWorkBitmap(false);
  }
  // Every threaded painter can be woken: one without the event would wait on at speed 0 or below.
  if (Threaded()) {
    FEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!FEvent) RaiseLastOSError();
  }
  if (FPainterVar) *FPainterVar = this;
}

TGIFPainter::~TGIFPainter() {
  PainterTerminated();
}

std::unique_ptr<TBitmap> TGIFPainter::NewWorkBitmap(bool CopyCanvas) const {
  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->SetSize(FRect.right - FRect.left, FRect.bottom - FRect.top);
  Bitmap->Canvas()->Brush()->SetColor(FBackgroundColor);
  if (CopyCanvas) Bitmap->Canvas()->CopyRect(Bitmap->Canvas()->ClipRect(), FCanvas, FRect);
  return Bitmap;
}

void TGIFPainter::PainterTerminated() {
  if (FImage) {
    TThreadListLock Lock(*FImage->PainterList());
    if (FPainterVar && *FPainterVar == this) *FPainterVar = nullptr;
    Lock->Remove(this);
    FImage = nullptr;
  }
  // Out of the list nobody signals the event any more.
  FRestoreBitmap.reset();
  FPreviousBitmap.reset();
  FBackgroundBitmap.reset();
  if (FEvent) CloseHandle(FEvent);
  FEvent = nullptr;
}

void TGIFPainter::ResumeAsync() {
  if (Threaded()) Start();
}

void TGIFPainter::Stop() {
  Terminate();
  if (!Threaded()) return;
  SetEvent(FEvent);
  SetPriority(THREAD_PRIORITY_NORMAL);
  Start();
}

// ---------------------------------------------------------------------------------------------
// The frame loop

void TGIFPainter::Execute() {
  try {
    FRestart = true;
    while (FRestart && !Terminated()) PlayRun();
    FrameIndex = -1;
    FirePaintEvent(OnPaintEnd);
  } catch (...) {
    Terminate();  // an error ends the painter and goes no further
  }
}

void TGIFPainter::PlayRun() {
  FrameIndex = 0;
  FirePaintEvent(OnPaintStart);
  FPainted = false;
  FRestart = false;
  TRun Run;
  Run.Delay = Threaded() ? 0 : 1;
  FPreviousDisposal = dsKeep;
  FOldTime = FClock->Now();
  FDelayUsed = 0;
  while ((Run.LoopCount != 0 || (FFlags & rfRepeatAlways)) && Running()) {
    FrameIndex = Run.StartFrame;
    if (FPainted) FirePaintEvent(OnAnimationRepeat);
    // A pass that paints nothing would only be repeated at once, for ever: the animation ends.
    if (!PlayPass(Run)) break;
    if (Run.LoopCount > 0) --Run.LoopCount;
    if ((FFlags & (rfAnimate | rfRepeat)) != (rfAnimate | rfRepeat)) break;
  }
}

bool TGIFPainter::PlayPass(TRun& Run) {
  bool Painted = false;
  while (Running()) {
    // A missing or empty frame ends the pass.
    bool Ready = false;
    WithFrame([&](TGIFSubImage* Frame) { Ready = !Frame->IsEmpty(); });
    if (!Ready) break;
    WaitForFrame(Run.Delay);
    if (Terminated()) break;
    FirePaintEvent(OnFrameBeforePaint);
    if (Terminated()) break;
    if (!WithFrame([&](TGIFSubImage* Frame) { ReadFrameExtensions(Frame, Run); })) break;
    RunSynchronized([this] { PaintCurrentFrame(); });
    Painted = true;
    FPreviousDisposal = FDisposal;
    if (Terminated()) break;
    if (!WithFrame([&](TGIFSubImage* Frame) { Run.Delay = FrameDelay(Frame); })) break;
    const int Shown = FrameIndex;
    FirePaintEvent(OnFrameAfterPaint);
    if (Terminated()) break;
    if (FrameIndex == Shown) ++FrameIndex;
    if (!(FFlags & rfAnimate)) break;
  }
  return Painted;
}

bool TGIFPainter::WithFrame(const std::function<void(TGIFSubImage* Frame)>& Body) {
  if (!FImage) return false;
  TThreadListLock Lock(*FImage->PainterList());
  if (FrameIndex < 0 || FrameIndex >= FImage->Frames()->Count()) return false;
  Body(FImage->Frame(FrameIndex));
  return true;
}

int TGIFPainter::MinimumWait(int Delay) const {
  return std::max(1, MulDiv(std::min(Delay, MinimumDelay) * DelayMultiplier, 100, FSpeed));
}

void TGIFPainter::WaitForFrame(int& Delay) {
  // The first frame of a threaded run shows at once.
  if (Delay <= 0) return;
  WithFrame([](TGIFSubImage* Frame) { Frame->RenderedBitmap(); });
  const DWORD NewTime = FClock->Now();
  if (FSpeed > 0) {
    // Half of the time lost since the last wait is taken from this one, but the painter never spins:
    // however late it is, each frame waits the minimum.
    const int64_t Drift = (int64_t{static_cast<DWORD>(NewTime - FOldTime)} - FDelayUsed) / 2;
    const int64_t Units = std::clamp<int64_t>(int64_t{Delay} * DelayMultiplier - Drift, 0, 0x7FFFFFFF / 100);
    Delay = std::max(MulDiv(static_cast<int>(Units), 100, FSpeed), MinimumWait(Delay));
    FDelayUsed = Delay;
  } else {
    Delay = Threaded() ? -1 : 12000;
  }
  FOldTime = NewTime;
  if (!Threaded()) return SleepAndDispatch(Delay);
  if (FClock->WaitFor(FEvent, Delay < 0 ? INFINITE : static_cast<DWORD>(Delay))) {
    FDelayUsed = 0;
    FOldTime = FClock->Now();
  }
}

// The caller's thread stays responsive: its messages are dispatched between slices of at most 100 ms.
void TGIFPainter::SleepAndDispatch(int Delay) {
  Delay = std::max(Delay, 1);
  DWORD Time = FClock->Now();
  while (Delay > 0 && Running()) {
    FClock->Sleep(static_cast<DWORD>(std::min(Delay, 100)));
    const DWORD Now = FClock->Now();
    Delay -= static_cast<int>(Now - Time);
    Time = Now;
    DispatchMessages();
  }
}

void TGIFPainter::DispatchMessages() {
  MSG Msg;
  while (Running() && PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    if (Msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(Msg.wParam));
      Terminate();
      return;
    }
    TranslateMessage(&Msg);
    DispatchMessageA(&Msg);
  }
}

void TGIFPainter::ReadFrameExtensions(TGIFSubImage* Frame, TRun& Run) {
  const TGIFGraphicControlExtension* Control = Frame->GraphicControlExtension();
  FDisposal = Control ? EffectiveDisposal(Control->GetDisposal()) : dsKeep;
  for (int I = 0; I < Frame->Extensions()->Count() && !Run.LoopFound; ++I) {
    if (auto* Loop = dynamic_cast<TGIFAppExtNSLoop*>(Frame->Extensions()->Extension(I))) {
      Run.LoopFound = true;
      Run.LoopCount = Loop->RepeatCount;
      if (Threaded() && (Loop->RepeatCount == 0 || (FFlags & rfRepeatAlways))) Run.LoopCount = -1;
      Run.StartFrame = FrameIndex;
    }
  }
}

int TGIFPainter::FrameDelay(TGIFSubImage* Frame) const {
  const TGIFGraphicControlExtension* Control = Frame->GraphicControlExtension();
  if (!Control || Control->GetDelay() <= 0) return DefaultDelay;
  const int Delay = std::max(Control->GetDelay(), MinimumDelay);
  return Threaded() ? Delay : std::min(Delay, MaximumDelay);
}

void TGIFPainter::RunSynchronized(const std::function<void()>& Method) {
  if (Terminated()) return;
  if (!Threaded()) return Method();
  // Stop may come while the call waits for the main thread.
  Synchronize([&] {
    if (!Terminated()) Method();
  });
}

void TGIFPainter::FirePaintEvent(const TNotifyEvent& Event) {
  if (Event) RunSynchronized([&] { Event(this); });
}

// ---------------------------------------------------------------------------------------------
// Drawing (in the main thread)

void TGIFPainter::PaintCurrentFrame() {
  WithFrame([this](TGIFSubImage* Frame) {
    if (FRestoreBitmap) {
      PaintFrame(Frame);
    } else {
      Frame->Draw(FCanvas, FRect, FFlags & rfTransparent, FFlags & rfTile);
      FPainted = true;
    }
    if (FImage->Frames()->Count() > PainterCachedFrames) {
      Frame->ReleaseBitmap();
      Frame->ReleaseMask();
      Frame->SetPalette(nullptr);
    }
  });
}

void TGIFPainter::PaintFrame(TGIFSubImage* Frame) {
  if ((FFlags & rfCanvasCheck) && !IsDeviceContext(FCanvasHandle)) return Terminate();
  // A new pass starts from the background over the whole rectangle, so that it looks as the first did.
  if ((FFlags & rfRestoreEachPass) && FrameIndex == 0) RestoreBackground(nullptr);
  TBitmap* Target = FRestoreBitmap.get();
  const RECT Work{0, 0, FRect.right - FRect.left, FRect.bottom - FRect.top};
  // Restore-previous draws on a copy, so that the restore bitmap keeps the state before the frame.
  if (FDisposal == dsRestorePrevious) {
    Target = FPreviousBitmap.get();
    BitBlt(Target->Canvas()->Handle(), 0, 0, Work.right, Work.bottom, FRestoreBitmap->Canvas()->Handle(), 0,
           0, SRCCOPY);
  }
  const HDC DC = Target->Canvas()->Handle();
  HPALETTE Palette = Frame->FramePalette();
  const HPALETTE OldPalette = Palette ? SelectPalette(DC, Palette, FALSE) : nullptr;
  if (Palette) RealizePalette(DC);
  Frame->Draw(Target->Canvas(), Work, FFlags & rfTransparent, FFlags & rfTile);
  if (OldPalette) SelectPalette(DC, OldPalette, FALSE);
  BitBlt(FCanvas->Handle(), FRect.left, FRect.top, Work.right, Work.bottom, DC, 0, 0, SRCCOPY);
  FCanvas->Changed();
  if (FDisposal == dsRestoreBackground) RestoreBackground(Frame);
  FPainted = true;
}

std::vector<RECT> TGIFPainter::FrameAreas(TGIFSubImage* Frame) const {
  const int W = FRect.right - FRect.left;
  const int H = FRect.bottom - FRect.top;
  if (!Frame) return {RECT{0, 0, W, H}};
  const int ImageWidth = std::max(FImage->Width(), 1);
  const int ImageHeight = std::max(FImage->Height(), 1);
  std::vector<RECT> Areas;
  if ((FFlags & rfTile) && Frame->Width() < FImage->Width() && Frame->Height() < FImage->Height()) {
    for (int X = Frame->Left(); X < W; X += ImageWidth)
      for (int Y = Frame->Top(); Y < H; Y += ImageHeight)
        Areas.push_back({X, Y, X + Frame->Width(), Y + Frame->Height()});
  } else {
    Areas.push_back({MulDiv(Frame->Left(), W, ImageWidth), MulDiv(Frame->Top(), H, ImageHeight),
                     MulDiv(Frame->Left() + Frame->Width(), W, ImageWidth),
                     MulDiv(Frame->Top() + Frame->Height(), H, ImageHeight)});
  }
  return Areas;
}

void TGIFPainter::RestoreBackground(TGIFSubImage* Frame) {
  TCanvas* Canvas = FRestoreBitmap->Canvas();
  for (const RECT& Area : FrameAreas(Frame)) {
    if (FFlags & rfTransparent) {
      BitBlt(Canvas->Handle(), Area.left, Area.top, Area.right - Area.left, Area.bottom - Area.top,
             FBackgroundBitmap->Canvas()->Handle(), Area.left, Area.top, SRCCOPY);
    } else {
      Canvas->Brush()->SetColor(FBackgroundColor);
      Canvas->FillRect(Area);
    }
  }
}
