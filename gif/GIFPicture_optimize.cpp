// The optimisation pass: smaller colour tables, repeated pixels made transparent, transparent borders
// cropped, and blocks that change nothing dropped. Nothing it does changes what a frame shows when the
// animation is played.
#include <algorithm>

#include "gif/GIFPicture.h"

namespace {

// Progress over six stages of one step per frame.
class TOptimizeProgress {
 public:
  TOptimizeProgress(TGIFPicture* AImage, int Frames) : FImage(AImage), FTotal(std::max(6 * Frames, 1)) {}
  void Step(int Count = 1) {
    FStep = std::min(FStep + Count, FTotal);
    FImage->Progress(FImage, psRunning, static_cast<uint8_t>(MulDiv(FStep, 100, FTotal)), false, RECT{},
                     "Optimizing...");
  }

 private:
  TGIFPicture* FImage;
  int FTotal;
  int FStep = 0;
};

TGIFDisposal DisposalOf(TGIFSubImage* Frame) {
  const TGIFGraphicControlExtension* Control = Frame->GraphicControlExtension();
  return Control ? Control->GetDisposal() : dsUnspecified;
}

// The colour that a pixel value shows: an index beyond the table shows entry 0, and without any table
// the value is a gray.
TGIFColor ShownColor(TGIFColorMap* Map, int Index) {
  if (Map->Count() == 0)
    return {static_cast<uint8_t>(Index), static_cast<uint8_t>(Index), static_cast<uint8_t>(Index)};
  return Map->Entry(Index < Map->Count() ? Index : 0);
}

bool Contains(const RECT& Outer, const RECT& Inner) {
  return Inner.left >= Outer.left && Inner.top >= Outer.top && Inner.right <= Outer.right &&
         Inner.bottom <= Outer.bottom;
}

bool UsesValue(TGIFSubImage* Frame, int Value) {
  const std::vector<uint8_t>& Pixels = Frame->Pixels();
  return std::find(Pixels.begin(), Pixels.end(), static_cast<uint8_t>(Value)) != Pixels.end();
}

// Black added to Map for a new transparent colour, when no pixel drawn with the table holds that value
// already (a value beyond the table would change from entry 0 to black); -1 when there is no room.
int AddTransparentColor(TGIFColorMap* Map) {
  if (Map->Count() == 0 || Map->Count() >= 256) return -1;
  TGIFUsageTable Usage{};
  Map->CountUsage(Usage);
  if (Usage[static_cast<size_t>(Map->Count())].Count > 0) return -1;
  return Map->Add(clBlack);
}

// A value that Frame can take as its transparent colour: another global-table frame's transparent index
// that Frame's pixels do not use, or black added to its table.
int NewTransparentIndex(TGIFPicture* Image, TGIFSubImage* Frame) {
  TGIFColorMap* Map = Frame->EffectiveColorMap();
  if (Map == Image->GetGlobalColorMap())
    for (int I = 0; I < Image->Frames()->Count(); ++I) {
      TGIFSubImage* Other = Image->Frame(I);
      const int Index = Other->TransparentIndex();
      if (Other != Frame && Index >= 0 && Other->EffectiveColorMap() == Map && !UsesValue(Frame, Index))
        return Index;
    }
  return AddTransparentColor(Map);
}

void SetTransparency(TGIFSubImage* Frame, int Index) {
  TGIFGraphicControlExtension* Control = Frame->GraphicControlExtension();
  if (!Control) {
    Control = new TGIFGraphicControlExtension(Frame);
    Frame->Extensions()->Add(Control);
  }
  Control->SetTransparent(true);
  Control->SetTransparentColorIndex(static_cast<uint8_t>(Index));
}

// Where Frame repeats what Previous shows, Frame becomes transparent. Previous must be what is visible
// when Frame is drawn: the caller passes the nearest earlier frame that does not restore the previous
// state, and its own disposal must keep it.
void MakeRepeatsTransparent(TGIFPicture* Image, TGIFSubImage* Frame, TGIFSubImage* Previous) {
  if (Frame->IsEmpty() || Previous->IsEmpty()) return;
  if (DisposalOf(Previous) == dsRestoreBackground || DisposalOf(Previous) == dsRestorePrevious) return;
  RECT Both;
  const RECT A = Frame->BoundsRect();
  const RECT B = Previous->BoundsRect();
  if (!IntersectRect(&Both, &A, &B)) return;
  int Transparent = Frame->TransparentIndex();
  const bool Introduced = Transparent < 0;
  if (Frame->Transparent() && Introduced) return;  // an index beyond the table: leave the frame alone
  if (Introduced && Frame->EffectiveColorMap()->Count() >= 256) return;
  const int PreviousTransparent = Previous->TransparentIndex();
  bool Changed = false;
  for (int Y = Both.top; Y < Both.bottom; ++Y) {
    uint8_t* Row = Frame->GetScanline(Y - Frame->Top());
    const uint8_t* Shown = Previous->GetScanline(Y - Previous->Top());
    for (int X = Both.left; X < Both.right; ++X) {
      uint8_t& Pixel = Row[X - Frame->Left()];
      const int Under = Shown[X - Previous->Left()];
      if (Pixel == Transparent || Under == PreviousTransparent) continue;
      const bool Same =
          (Frame->EffectiveColorMap() == Previous->EffectiveColorMap() && Pixel == Under) ||
          ShownColor(Frame->EffectiveColorMap(), Pixel) == ShownColor(Previous->EffectiveColorMap(), Under);
      if (!Same) continue;
      if (Transparent < 0 && (Transparent = NewTransparentIndex(Image, Frame)) < 0) return;
      Pixel = static_cast<uint8_t>(Transparent);
      Changed = true;
    }
  }
  if (!Changed) return;
  if (Introduced) SetTransparency(Frame, Transparent);
  Frame->ReleaseBitmap();
  Frame->ReleaseMask();
}

// The rectangle of the pixels other than Transparent, in frame coordinates; empty when there are none.
RECT OpaqueBounds(TGIFSubImage* Frame, int Transparent) {
  RECT Bounds{Frame->Width(), Frame->Height(), 0, 0};
  for (int Y = 0; Y < Frame->Height(); ++Y) {
    const uint8_t* Row = Frame->GetScanline(Y);
    for (int X = 0; X < Frame->Width(); ++X)
      if (Row[X] != Transparent) {
        Bounds.left = std::min<LONG>(Bounds.left, X);
        Bounds.right = std::max<LONG>(Bounds.right, X + 1);
        Bounds.top = std::min<LONG>(Bounds.top, Y);
        Bounds.bottom = Y + 1;
      }
  }
  return Bounds.left < Bounds.right ? Bounds : RECT{0, 0, 0, 0};
}

// The frame keeps only the pixels of Part (in frame coordinates) and moves by its offset.
void CropFrame(TGIFSubImage* Frame, const RECT& Part) {
  const int OldWidth = Frame->Width();
  const std::vector<uint8_t> Old = Frame->Pixels();
  Frame->SetFrameRect(Frame->Left() + Part.left, Frame->Top() + Part.top, Part.right - Part.left,
                      Part.bottom - Part.top);
  for (int Y = 0; Y < Frame->Height(); ++Y)
    std::copy_n(Old.begin() + (Part.top + Y) * OldWidth + Part.left, Frame->Width(), Frame->GetScanline(Y));
  Frame->ReleaseBitmap();
  Frame->ReleaseMask();
}

// The time a painter shows a frame, in delay units: none or 0 is the default delay, 1 and 2 the minimum.
int PlayedDelay(TGIFSubImage* Frame) {
  const TGIFGraphicControlExtension* Control = Frame->GraphicControlExtension();
  const int Delay = Control ? Control->GetDelay() : 0;
  return Delay <= 0 ? DefaultDelay : std::max(Delay, MinimumDelay);
}

// Gives the time of Removed, a frame that is taken out, to Frame, the frame shown before it; false when
// the sum does not fit a delay.
bool AddDelay(TGIFSubImage* Frame, TGIFSubImage* Removed) {
  const int Sum = PlayedDelay(Frame) + PlayedDelay(Removed);
  if (Sum > 65535) return false;
  TGIFGraphicControlExtension* Control = Frame->GraphicControlExtension();
  if (!Control) {
    Control = new TGIFGraphicControlExtension(Frame);
    Frame->Extensions()->Add(Control);
  }
  Control->SetDelay(Sum);
  return true;
}

// A frame with a transparent colour loses its transparent borders. One that restores the background
// keeps its size: the restore covers the frame's rectangle. One that becomes empty is taken out, its
// time going to the frame before; the first frame, and one whose predecessor disposes of itself before
// it is shown, keep a single transparent pixel instead.
void CropTransparentBorders(TGIFPicture* Image, int Index) {
  TGIFSubImage* Frame = Image->Frame(Index);
  const int Transparent = Frame->TransparentIndex();
  if (Frame->IsEmpty() || Transparent < 0 || DisposalOf(Frame) == dsRestoreBackground) return;
  const RECT Bounds = OpaqueBounds(Frame, Transparent);
  if (Bounds.right > 0) return CropFrame(Frame, Bounds);
  if (Index > 0) {
    TGIFSubImage* Before = Image->Frame(Index - 1);
    const TGIFDisposal Disposal = DisposalOf(Before);
    if (Disposal != dsRestoreBackground && Disposal != dsRestorePrevious && AddDelay(Before, Frame))
      return Image->Frames()->Delete(Index);
  }
  CropFrame(Frame, RECT{0, 0, 1, 1});
}

// The frame's transparency is dropped when no pixel uses it.
void DropUnusedTransparency(TGIFSubImage* Frame) {
  const int Transparent = Frame->TransparentIndex();
  if (Transparent >= 0 && !Frame->IsEmpty() && !UsesValue(Frame, Transparent))
    Frame->GraphicControlExtension()->SetTransparent(false);
}

// A restore before an opaque frame that covers this one's rectangle changes nothing, unless that frame
// restores to what the restore left.
void DropCoveredRestore(TGIFSubImage* Frame, TGIFSubImage* Next) {
  const TGIFDisposal Disposal = DisposalOf(Frame);
  if (Disposal != dsRestoreBackground && Disposal != dsRestorePrevious) return;
  if (Next->IsEmpty() || Next->Transparent() || DisposalOf(Next) == dsRestorePrevious) return;
  if (Contains(Next->BoundsRect(), Frame->BoundsRect()))
    Frame->GraphicControlExtension()->SetDisposal(dsKeep);
}

bool HasOtherControl(TGIFSubImage* Frame, TGIFGraphicControlExtension* Control) {
  for (int I = 0; I < Frame->Extensions()->Count(); ++I) {
    TGIFExtension* Extension = Frame->Extensions()->Extension(I);
    if (Extension != Control && dynamic_cast<TGIFGraphicControlExtension*>(Extension)) return true;
  }
  return false;
}

// Comments, plain texts, unknown applications and loop blocks that do not count go; so does a graphic
// control block that asks for nothing, unless another block would speak for the frame in its place; and
// a frame left without image and blocks.
void CleanUpFrame(TGIFPicture* Image, int Index) {
  TGIFSubImage* Frame = Image->Frame(Index);
  const bool Single = Image->Frames()->Count() == 1;
  TGIFExtensionList* Extensions = Frame->Extensions();
  for (int I = Extensions->Count() - 1; I >= 0; --I) {
    TGIFExtension* Extension = Extensions->Extension(I);
    if (dynamic_cast<TGIFCommentExtension*>(Extension) || dynamic_cast<TGIFTextExtension*>(Extension) ||
        dynamic_cast<TGIFUnknownAppExtension*>(Extension) ||
        (dynamic_cast<TGIFAppExtNSLoop*>(Extension) && (Index > 0 || Single)))
      Extensions->Delete(I);
  }
  if (TGIFGraphicControlExtension* Control = Frame->GraphicControlExtension()) {
    const bool Keeps = Control->GetDisposal() == dsUnspecified || Control->GetDisposal() == dsKeep;
    if ((Control->GetDelay() == 0 || Single) && !Control->GetTransparent() && !Control->GetUserInput() &&
        (Keeps || Single) && !HasOtherControl(Frame, Control))
      delete Control;  // it leaves the frame's list
  }
  if (Frame->IsEmpty() && Extensions->Count() == 0) Image->Frames()->Delete(Index);
}

}  // namespace

void TGIFPicture::Optimize(TGIFOptimizeOptions Options, TGIFPaletteMode ColorReduction,
                           TGIFDitherKind /*DitherKind*/, int /*ReductionBits*/) {
  if (Empty()) return;
  StopAllPainters();
  TThreadListLock Lock(FPainterList);
  TGIFProgressScope Scope(this, this, "Optimizing...", true);
  TOptimizeProgress Progress(this, FFrames.Count());
  auto Stage = [&](TGIFOptimizeOptions Option, bool Backwards, const std::function<void(int)>& Step) {
    const int Count = FFrames.Count();
    if (!(Options & Option)) return Progress.Step(Count);
    for (int I = 0; I < Count; ++I) {
      const int Index = Backwards ? Count - 1 - I : I;
      if (Index < FFrames.Count()) Step(Index);
      Progress.Step();
    }
  };
  if ((Options & optSortColorMaps) && GetGlobalColorMap()->Count() > 0) GetGlobalColorMap()->Optimize();
  Stage(optSortColorMaps, false, [&](int I) {
    if (Frame(I)->LocalColorMap()->Count() > 0) Frame(I)->LocalColorMap()->Optimize();
  });
  Stage(optCleanup, false, [&](int I) { DropUnusedTransparency(Frame(I)); });
  Stage(optCleanup, false, [&](int I) {
    if (I + 1 < FFrames.Count()) DropCoveredRestore(Frame(I), Frame(I + 1));
  });
  Stage(optMergeRepeats, true, [&](int I) {
    if (I == 0) return;
    int Previous = I - 1;
    while (Previous > 0 && DisposalOf(Frame(Previous)) == dsRestorePrevious) --Previous;
    MakeRepeatsTransparent(this, Frame(I), Frame(Previous));
  });
  Stage(optCropBorders, true, [&](int I) { CropTransparentBorders(this, I); });
  Stage(optCleanup, true, [&](int I) { CleanUpFrame(this, I); });
  if (!(Options & optCleanup) && (Options & optReduceColors) && ColorReduction == pmCustom)
    RaiseGIFError("Invalid reduction method");
  ReleaseCachedBitmap();
  Changed(this);
}
