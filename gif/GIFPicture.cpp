// The GIF picture class and its registration with the platform's pictures and clipboard.
#include "gif/GIFPicture.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "classlib/Clipbrd.h"

UINT GIFClipboardFormat = 0;
bool IsPaletteDisplay = false;

namespace {

// Registered for the program's whole run.
struct TRegistration {
  TRegistration() {
    TPicture::RegisterFileFormat("gif", "GIF Image", GraphicClassOf<TGIFPicture>());
    GIFClipboardFormat = RegisterClipboardFormatA("GIF Image");
    TPicture::RegisterClipboardFormat(GIFClipboardFormat, GraphicClassOf<TGIFPicture>());
    // No screen (a service, a test without a display) is no palette display.
    if (const HDC Screen = GetDC(nullptr)) {
      IsPaletteDisplay = GetDeviceCaps(Screen, BITSPIXEL) * GetDeviceCaps(Screen, PLANES) <= 8;
      ReleaseDC(nullptr, Screen);
    }
  }
  ~TRegistration() { TPicture::UnregisterGraphicClass(GraphicClassOf<TGIFPicture>()); }
} Registration;

}  // namespace

TGIFProgressScope::TGIFProgressScope(TGraphic* Image, TObject* Sender, const char* Message, bool RedrawAtEnd)
    : FImage(Image),
      FSender(Sender),
      FMessage(Message),
      FRedrawAtEnd(RedrawAtEnd),
      FExceptions(std::uncaught_exceptions()) {
  FImage->Progress(FSender, psStarting, 0, false, RECT{}, FMessage);
}

TGIFProgressScope::~TGIFProgressScope() {
  const bool Failed = std::uncaught_exceptions() > FExceptions;
  try {
    FImage->Progress(FSender, psEnding, Failed ? 0 : 100, FRedrawAtEnd || FImage->PaletteModified(), RECT{},
                     FMessage);
  } catch (...) {
    // A handler's error must not replace the one passing, nor leave a destructor.
  }
}

void TGIFProgressScope::Row(int Y, int Height) {
  if (Y % 32 == 0)
    FImage->Progress(FSender, psRunning, static_cast<uint8_t>(MulDiv(Y, 100, Height)), false, RECT{},
                     FMessage);
}

TGIFPicture::TGIFPicture() {
  Clear();
}

TGIFPicture::~TGIFPicture() {
  StopAllPainters();
  {
    // Only a painter on this very thread, up the stack, can be left: it finds no picture any more.
    TThreadListLock Lock(FPainterList);
    for (int I = 0; I < Lock->Count(); ++I) static_cast<TGIFPainter*>(Lock->Get(I))->FImage = nullptr;
    Lock->Clear();
  }
  Clear();
}

void TGIFPicture::Clear() {
  StopAllPainters();
  TThreadListLock Lock(FPainterList);
  FFrames.Clear();
  FHeader.ColorMap()->Clear();
  FHeader.SetWidth(0);
  FHeader.SetHeight(0);
  FHeader.BuildPackedFields();
  SetPalette(nullptr);
}

void TGIFPicture::Warning(TObject* Sender, int Severity, const std::string& Message) {
  if (OnWarningMessage) OnWarningMessage(Sender, Severity, Message);
}

int TGIFPicture::Add(TPersistent* Source) {
  TGIFSubImage* Frame = dynamic_cast<TGIFSubImage*>(Source);
  if (!Frame) {
    if (!dynamic_cast<TGraphic*>(Source)) RaiseGIFError("Object type not supported for operation");
    std::unique_ptr<TGIFSubImage> New(new TGIFSubImage(this));
    New->Assign(Source);
    Frame = New.release();
  }
  TThreadListLock Lock(FPainterList);
  const int Index = FFrames.Add(Frame);
  Lock.Unlock();
  ReleaseCachedBitmap();
  Changed(this);
  return Index;
}

TGIFFormatVersion TGIFPicture::GetVersion() const {
  TGIFFormatVersion Result = fvNone;
  for (int I = 0; I < FFrames.Count() && Result != fv89a; ++I)
    Result = std::max(Result, FFrames.Frame(I)->GetVersion());
  return Result;
}

int TGIFPicture::MaxColorResolution() const {
  int Result = std::max(FHeader.ColorMap()->BitsPerPixel() - 1, 0);
  for (int I = 0; I < FFrames.Count(); ++I) Result = std::max(Result, FFrames.Frame(I)->ColorResolution());
  return Result;
}

int TGIFPicture::MaxBitsPerPixel() const {
  int Result = FHeader.ColorMap()->BitsPerPixel();
  for (int I = 0; I < FFrames.Count(); ++I) Result = std::max(Result, FFrames.Frame(I)->BitsPerPixel());
  return Result;
}

void TGIFPicture::GrowScreen(int Right, int Bottom) {
  const int NewWidth = std::clamp(Right, Width(), 65535);
  const int NewHeight = std::clamp(Bottom, Height(), 65535);
  if (NewWidth == Width() && NewHeight == Height()) return;
  FHeader.SetWidth(NewWidth);
  FHeader.SetHeight(NewHeight);
  ReleaseCachedBitmap();
}

void TGIFPicture::GrowLogicalScreen() {
  for (int I = 0; I < FFrames.Count(); ++I) {
    const TGIFSubImage* Frame = FFrames.Frame(I);
    GrowScreen(Frame->Left() + Frame->Width(), Frame->Top() + Frame->Height());
  }
}

void TGIFPicture::SetWidth(int Value) {
  for (int I = 0; I < FFrames.Count(); ++I)
    if (Frame(I)->Left() + Frame(I)->Width() > Value)
      RaiseGIFError("Image width too small for contained frames");
  if (Value == Width()) return;
  FHeader.SetWidth(Value);
  ReleaseCachedBitmap();
  Changed(this);
}

void TGIFPicture::SetHeight(int Value) {
  for (int I = 0; I < FFrames.Count(); ++I)
    if (Frame(I)->Top() + Frame(I)->Height() > Value)
      RaiseGIFError("Image height too small for contained frames");
  if (Value == Height()) return;
  FHeader.SetHeight(Value);
  ReleaseCachedBitmap();
  Changed(this);
}

// ---------------------------------------------------------------------------------------------
// Streams

void TGIFPicture::SaveToStream(TStream* Stream) {
  TGIFProgressScope Scope(this, this, "Saving...", true);
  FHeader.SaveToStream(Stream);
  FFrames.SaveToStream(Stream);
  TGIFTrailer(this).SaveToStream(Stream);
}

void TGIFPicture::LoadFromStream(TStream* Stream) {
  TGIFProgressScope Scope(this, this, "Loading...", true);
  Clear();
  const int64_t Start = Stream->Position();
  try {
    FHeader.LoadFromStream(Stream);
    FFrames.LoadFromStream(Stream, this);
    GrowLogicalScreen();
    TGIFTrailer(this).LoadFromStream(Stream);
  } catch (...) {
    Stream->SetPosition(Start);
    throw;
  }
}

// ---------------------------------------------------------------------------------------------
// Copying

void TGIFPicture::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) return Clear();
  if (auto* Picture = dynamic_cast<TGIFPicture*>(Source)) return AssignPicture(Picture);
  Clear();
  std::unique_ptr<TGIFSubImage> Frame(new TGIFSubImage(this));
  try {
    Frame->Assign(Source);
  } catch (const EConvertError&) {
    Frame.reset();
    return TGraphic::Assign(Source);
  }
  FFrames.Add(Frame.release());
  ReleaseCachedBitmap();
  Changed(this);
}

// For the copy the target reports through the source's progress and warning handlers; after it, it has
// none of its own.
void TGIFPicture::AssignPicture(TGIFPicture* Source) {
  Clear();
  OnProgress = Source->OnProgress;
  OnWarningMessage = Source->OnWarningMessage;
  struct TDropHandlers {
    TGIFPicture* Image;
    ~TDropHandlers() {
      Image->OnProgress = nullptr;
      Image->OnWarningMessage = nullptr;
    }
  } Drop{this};
  TGIFProgressScope Scope(this, this, "Copying...", true);
  FHeader.Assign(Source->Header());
  PainterPriority = Source->PainterPriority;
  PaintBackgroundColor = Source->PaintBackgroundColor;
  RenderFlags = Source->RenderFlags;
  PaletteMode = Source->PaletteMode;
  DitherKind = Source->DitherKind;
  StaticFrame = Source->StaticFrame;
  OnPaintStart = Source->OnPaintStart;
  OnFrameBeforePaint = Source->OnFrameBeforePaint;
  OnFrameAfterPaint = Source->OnFrameAfterPaint;
  OnAnimationRepeat = Source->OnAnimationRepeat;
  OnPaintEnd = Source->OnPaintEnd;
  const int Count = Source->Frames()->Count();
  for (int I = 0; I < Count; ++I) {
    std::unique_ptr<TGIFSubImage> Frame(new TGIFSubImage(this));
    Frame->Assign(Source->Frame(I));
    FFrames.Add(Frame.release());
    Progress(this, psRunning, static_cast<uint8_t>(MulDiv(I + 1, 100, Count)), false, RECT{}, "Copying...");
  }
  GrowLogicalScreen();
  Changed(this);
}

void TGIFPicture::AssignTo(TPersistent* Dest) {
  if (auto* Bitmap = dynamic_cast<TBitmap*>(Dest)) return Bitmap->Assign(RenderedBitmap());
  TGraphic::AssignTo(Dest);
}

// ---------------------------------------------------------------------------------------------
// Palette and rendering

bool TGIFPicture::UseDithering() const {
  if (!(RenderFlags & rfDither)) return false;
  return !(RenderFlags & rfDitherPaletteOnly) || IsPaletteDisplay;
}

HPALETTE TGIFPicture::GetPalette() {
  TThreadListLock Lock(FPainterList);  // painters render on their threads
  if (FGettingPalette) RaiseGIFError("No global or local color table defined");
  FGettingPalette = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } Reset{FGettingPalette};
  if (FCachedBitmap && FCachedBitmap->Palette()) return FCachedBitmap->Palette();
  if (FPalette) return FPalette;
  if (UseDithering()) return FPalette = CreatePalette216();
  if (FHeader.ColorMap()->Count() > 0) return FPalette = FHeader.ColorMap()->CreateHPalette();
  if (FFrames.Count() > 0) return Frame(0)->FramePalette();
  return nullptr;
}

void TGIFPicture::SetPalette(HPALETTE Value) {
  if (Value == FPalette) return;
  if (FPalette) DeleteObject(FPalette);
  const bool Drop = FCachedBitmap && FCachedBitmap->Palette() != Value;
  FPalette = Value;
  if (!Drop) return;
  ReleaseCachedBitmap();
  SetPaletteModified(true);
  Changed(this);
}

void TGIFPicture::ReleaseCachedBitmap() {
  TThreadListLock Lock(FPainterList);
  if (FCurrentPainter) FCurrentPainter->Stop();
  FCachedBitmap.reset();
}

void TGIFPicture::CreateCachedBitmap() {
  if (FCachedBitmap) return;
  CheckBitmapSize(Width(), Height());
  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->OnChange = [this](TObject*) { Changed(this); };
  Bitmap->SetPalette(CopyPalette(GetPalette()));
  Bitmap->SetSize(Width(), Height());
  FCachedBitmap = std::move(Bitmap);
}

TBitmap* TGIFPicture::RenderedBitmap() {
  if (Empty()) return nullptr;
  TThreadListLock Lock(FPainterList);
  if (FCachedBitmap) return FCachedBitmap.get();
  CheckBitmapSize(Width(), Height());
  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->OnChange = [this](TObject*) { Changed(this); };
  TGIFSubImage* First = Frame(0);
  if (First->Width() == Width() && First->Height() == Height() && First->Left() == 0 && First->Top() == 0) {
    Bitmap->Assign(First->RenderedBitmap());
  } else {
    Bitmap->SetPalette(CopyPalette(GetPalette()));
    Bitmap->SetSize(Width(), Height());
    First->Draw(Bitmap->Canvas(), Bitmap->Canvas()->ClipRect(), false, false);
  }
  FCachedBitmap = std::move(Bitmap);
  return FCachedBitmap.get();
}

void TGIFPicture::Draw(TCanvas* ACanvas, const RECT& Rect) {
  if (FDrawing || Empty()) return;
  FDrawing = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } Reset{FDrawing};
  if (FFrames.Count() == 1 || !(RenderFlags & rfAnimate)) return DrawStaticFrame(ACanvas, Rect);
  const bool Direct = RenderFlags & rfDirect;
  // A painter already draws into the cached bitmap.
  if (FCachedBitmap && !Direct) return DrawCachedBitmap(ACanvas, Rect);
  {
    TThreadListLock Lock(FPainterList);
    if (FCurrentPainter && FCurrentPainter->Canvas() == ACanvas && EqualRect(&FCurrentPainter->Rect(), &Rect))
      return;  // it is animating there already
  }
  StopCurrentPainter();
  TCanvas* Target = ACanvas;
  RECT TargetRect = Rect;
  if (!Direct) {
    CreateCachedBitmap();
    Target = FCachedBitmap->Canvas();
    TargetRect = Target->ClipRect();
    Target->CopyRect(TargetRect, ACanvas, Rect);
  }
  // A painter without rfThreaded plays its whole animation here.
  TGIFPainter* Started = StartPainter(&FCurrentPainter, Target, RenderFlags, TargetRect);
  if (!Started) return;
  {
    TThreadListLock Lock(FPainterList);
    if (FCurrentPainter == Started) Started->ResumeAsync();
  }
  if (Direct) return;
  for (;;) {
    {
      TThreadListLock Lock(FPainterList);
      if (!FCurrentPainter || FCurrentPainter->Painted()) break;
    }
    YieldToPainters();
  }
  DrawCachedBitmap(ACanvas, Rect);
}

void TGIFPicture::DrawStaticFrame(TCanvas* ACanvas, const RECT& Rect) {
  TThreadListLock Lock(FPainterList);
  const int Index = StaticFrame >= 0 && StaticFrame < FFrames.Count() ? StaticFrame : 0;
  Frame(Index)->Draw(ACanvas, Rect, RenderFlags & rfTransparent, RenderFlags & rfTile);
}

void TGIFPicture::DrawCachedBitmap(TCanvas* ACanvas, const RECT& Rect) {
  TThreadListLock Lock(FPainterList);
  TBitmap* Bitmap = RenderedBitmap();
  if (!Bitmap) return;
  if (!(RenderFlags & rfTile)) return ACanvas->StretchDraw(Rect, Bitmap);
  for (int X = Rect.left; X < Rect.right; X += std::max(Width(), 1))
    for (int Y = Rect.top; Y < Rect.bottom; Y += std::max(Height(), 1))
      ACanvas->StretchDraw(RECT{X, Y, X + Width(), Y + Height()}, Bitmap);
}

// ---------------------------------------------------------------------------------------------
// Painters

TGIFPainter* TGIFPicture::StartPainter(TGIFPainter** APainter, TCanvas* ACanvas, TGIFRenderFlags Flags,
                                       const RECT& Rect) {
  if (Empty() || Rect.left >= Rect.right || Rect.top >= Rect.bottom) {
    if (APainter) *APainter = nullptr;
    return nullptr;
  }
  if (FFrames.Count() == 1) Flags &= static_cast<TGIFRenderFlags>(~(rfThreaded | rfAnimate));
  TThreadListLock Lock(FPainterList);
  std::unique_ptr<TGIFPainter> Painter(new TGIFPainter(APainter, Flags, Rect, ACanvas, this));
  Lock->Add(Painter.get());
  Painter->OnPaintStart = OnPaintStart;
  Painter->OnFrameBeforePaint = OnFrameBeforePaint;
  Painter->OnFrameAfterPaint = OnFrameAfterPaint;
  Painter->OnAnimationRepeat = OnAnimationRepeat;
  Painter->OnPaintEnd = OnPaintEnd;
  if (Flags & rfThreaded) {
    Painter->SetPriority(PainterPriority);
    return Painter.release();  // it frees itself when it ends
  }
  // The frame loop waits and dispatches messages: never under the lock.
  Lock.Unlock();
  Painter->Execute();
  Painter.reset();  // leaves the list and *APainter
  if (APainter) *APainter = nullptr;
  return nullptr;
}

void TGIFPicture::YieldToPainters() {
  if (GetCurrentThreadId() == MainThreadID())
    CheckSynchronize(10);
  else
    Sleep(1);
}

void TGIFPicture::StopCurrentPainter() {
  for (;;) {
    {
      TThreadListLock Lock(FPainterList);
      if (!FCurrentPainter) break;
      FCurrentPainter->Stop();
      if (!FCurrentPainter->Threaded()) break;
    }
    YieldToPainters();
  }
  ReleaseCachedBitmap();
}

void TGIFPicture::StopAllPainters() {
  for (;;) {
    int Threaded = 0;
    {
      TThreadListLock Lock(FPainterList);
      for (int I = Lock->Count() - 1; I >= 0; --I) {
        auto* Painter = static_cast<TGIFPainter*>(Lock->Get(I));
        Painter->Stop();
        Threaded += Painter->Threaded();
      }
    }
    // Threaded painters leave the list when they end; one on this thread ends when its loop returns.
    if (Threaded == 0) break;
    YieldToPainters();
  }
  ReleaseCachedBitmap();
}

// ---------------------------------------------------------------------------------------------
// Clipboard

void TGIFPicture::SaveToClipboardFormat(UINT& AFormat, HANDLE& AData, HPALETTE& APalette) {
  AFormat = 0;
  AData = nullptr;
  APalette = nullptr;
  if (Empty()) return;
  RenderedBitmap()->SaveToClipboardFormat(AFormat, AData, APalette);
  try {
    TMemoryStream Stream;
    SaveToStream(&Stream);
    try {
      Clipboard()->SetBuffer(GIFClipboardFormat, Stream.Memory(), static_cast<size_t>(Stream.Size()));
    } catch (const EOSError&) {
      RaiseGIFError("Failed to store GIF on clipboard");
    }
  } catch (...) {
    // The caller gets nothing to free.
    DeleteObject(AData);
    if (APalette) DeleteObject(APalette);
    AData = nullptr;
    APalette = nullptr;
    throw;
  }
}

void TGIFPicture::LoadFromClipboardFormat(UINT AFormat, HANDLE AData, HPALETTE APalette) {
  if (!AData) AData = Clipboard()->GetAsHandle(AFormat);
  if (AData && AFormat == GIFClipboardFormat) {
    const SIZE_T Size = GlobalSize(AData);
    const void* Memory = GlobalLock(AData);
    TMemoryStream Stream;
    if (Memory && Size > 0)
      Stream.WriteBuffer(Memory, static_cast<int32_t>(std::min<SIZE_T>(Size, 0x7FFFFFFF)));
    GlobalUnlock(AData);
    Stream.SetPosition(0);
    LoadFromStream(&Stream);
  } else if (AData && AFormat == CF_BITMAP) {
    TBitmap Bitmap;
    Bitmap.LoadFromClipboardFormat(AFormat, AData, APalette);
    Assign(&Bitmap);
  } else {
    RaiseGIFError("Unsupported clipboard format");
  }
}
