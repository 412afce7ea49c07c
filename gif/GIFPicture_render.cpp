// Frames on screen: the display palette, the rendered bitmap with its transparency mask, and drawing
// scaled, tiled and transparent.
#include <algorithm>
#include <cstring>

#include "classlib/Forms.h"
#include "gif/GIFPicture.h"

namespace {

// The colours a frame draws with when neither it nor the picture has a colour table.
HPALETTE DefaultPalette() {
  return CreateGrayPalette256();
}

int PaletteSize(HPALETTE Palette) {
  return Palette ? static_cast<int>(GetPaletteEntries(Palette, 0, 0, nullptr)) : 0;
}

// Mask rows as CreateBitmap takes them: word-aligned, bit 7 first, 1 where the frame is transparent.
struct TMaskRows {
  TMaskRows(int AWidth, int AHeight)
      : Stride((AWidth + 15) / 16 * 2),
        Width(AWidth),
        Height(AHeight),
        Bits(static_cast<size_t>(Stride) * AHeight, 0) {}
  void Set(int X, int Y) {
    Bits[static_cast<size_t>(Y) * Stride + X / 8] |= static_cast<uint8_t>(0x80 >> (X % 8));
    Any = true;
  }
  HBITMAP Create() const {
    return Any ? CheckGDIResult(CreateBitmap(Width, Height, 1, 1, Bits.data())) : nullptr;
  }

  int Stride;
  int Width;
  int Height;
  std::vector<uint8_t> Bits;
  bool Any = false;
};

// Mask bit 1 keeps the destination, 0 takes the source.
void MaskedStretchBlit(HDC Dest, int X, int Y, int W, int H, HDC Source, int SourceWidth, int SourceHeight,
                       HBITMAP Mask) {
  if (W == SourceWidth && H == SourceHeight) {
    MaskBlt(Dest, X, Y, W, H, Source, 0, 0, Mask, 0, 0, 0xCCAA0029);
    return;
  }
  // Stretched: the source with its transparent pixels made black is painted over the destination
  // whose pixels under the opaque ones were made black.
  const HDC MaskDC = CheckGDIResult(CreateCompatibleDC(nullptr));
  const HGDIOBJ OldMask = SelectObject(MaskDC, Mask);
  // In the screen's colours: the source's own format may be an 8-bit table without black and white.
  const HDC WorkDC = CheckGDIResult(CreateCompatibleDC(Source));
  const HBITMAP Work = [&] {
    TScreenDC Screen;
    return CheckGDIResult(CreateCompatibleBitmap(Screen.DC(), SourceWidth, SourceHeight));
  }();
  const HGDIOBJ OldWork = SelectObject(WorkDC, Work);
  BitBlt(WorkDC, 0, 0, SourceWidth, SourceHeight, MaskDC, 0, 0, NOTSRCCOPY);
  BitBlt(WorkDC, 0, 0, SourceWidth, SourceHeight, Source, 0, 0, SRCAND);
  const COLORREF OldText = SetTextColor(Dest, RGB(0, 0, 0));
  const COLORREF OldBack = SetBkColor(Dest, RGB(255, 255, 255));
  const int OldMode = SetStretchBltMode(Dest, COLORONCOLOR);
  StretchBlt(Dest, X, Y, W, H, MaskDC, 0, 0, SourceWidth, SourceHeight, SRCAND);
  StretchBlt(Dest, X, Y, W, H, WorkDC, 0, 0, SourceWidth, SourceHeight, SRCPAINT);
  SetStretchBltMode(Dest, OldMode);
  SetTextColor(Dest, OldText);
  SetBkColor(Dest, OldBack);
  SelectObject(WorkDC, OldWork);
  DeleteObject(Work);
  DeleteDC(WorkDC);
  SelectObject(MaskDC, OldMask);
  DeleteDC(MaskDC);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Palette and rendered bitmap

HPALETTE TGIFSubImage::FramePalette() {
  if (FCachedBitmap && FCachedBitmap->Palette()) return FCachedBitmap->Palette();
  if (FPalette) return FPalette;
  if (FImage->UseDithering()) return FPalette = CreatePalette216();
  if (FLocalColorMap.Count() == 0) {
    // Without any colour table a frame draws in grays, as other readers show it.
    if (FImage->GetGlobalColorMap()->Count() == 0) return FPalette = DefaultPalette();
    return FImage->GetPalette();
  }
  return FPalette = FLocalColorMap.CreateHPalette();
}

void TGIFSubImage::SetPalette(HPALETTE Value) {
  if (Value == FPalette) return;
  if (FPalette) DeleteObject(FPalette);
  const bool Drop = FCachedBitmap && FCachedBitmap->Palette() != Value;
  FPalette = Value;
  if (!Drop) return;
  ReleaseBitmap();
  FImage->SetPaletteModified(true);
  FImage->Changed(this);
}

void TGIFSubImage::ReleaseBitmap() {
  FCachedBitmap.reset();
}

void TGIFSubImage::ReleaseMask() {
  if (FMask) DeleteObject(FMask);
  FMask = nullptr;
  FMaskDirty = true;
}

bool TGIFSubImage::HasMask() {
  if (FMaskDirty && FTransparent) {
    ReleaseBitmap();
    RenderedBitmap();
  }
  return FMask != nullptr;
}

int TGIFSubImage::TransparentIndex() {
  if (!FTransparent || !FGraphicControlExtension) return -1;
  const int Index = FGraphicControlExtension->GetTransparentColorIndex();
  const int Count = EffectiveColorMap()->Count();
  return Count > 0 && Index >= Count ? -1 : Index;
}

TBitmap* TGIFSubImage::RenderedBitmap() {
  if (FCachedBitmap) return FCachedBitmap.get();
  if (IsEmpty()) return nullptr;
  TGIFProgressScope Progress(FImage, this, "Rendering...", false);
  try {
    FCachedBitmap = FImage->UseDithering() ? RenderDithered(Progress) : RenderPlain(Progress);
  } catch (const EAbort&) {
    FCachedBitmap.reset();
  }
  if (FImage->PaletteModified()) FImage->Changed(this);
  return FCachedBitmap.get();
}

int TGIFSubImage::TakeMaskIndex() {
  if (!FMaskDirty || !FTransparent) return -1;
  FMaskDirty = false;
  return TransparentIndex();
}

std::unique_ptr<TBitmap> TGIFSubImage::RenderPlain(TGIFProgressScope& Progress) {
  auto Bitmap = std::make_unique<TBitmap>();
  const HPALETTE Palette = FramePalette();
  const int Colors = std::max(PaletteSize(Palette), 1);
  TDIBWriter Writer(Bitmap.get(), pf8bit, Palette, Width(), Height());
  const int Transparent = TakeMaskIndex();
  TMaskRows Mask(Width(), Height());
  for (int Y = 0; Y < Height(); ++Y) {
    Progress.Row(Y, Height());
    const uint8_t* Source = GetScanline(Y);
    uint8_t* Dest = Writer.GetScanline(Y);
    for (int X = 0; X < Width(); ++X) {
      // An index beyond the table shows its entry 0.
      Dest[X] = Source[X] < Colors ? Source[X] : 0;
      if (Source[X] == Transparent) Mask.Set(X, Y);
    }
  }
  Writer.StoreIntoBitmap();
  if (Transparent >= 0) FMask = Mask.Create();
  return Bitmap;
}

std::unique_ptr<TBitmap> TGIFSubImage::RenderDithered(TGIFProgressScope& Progress) {
  auto Bitmap = std::make_unique<TBitmap>();
  const HPALETTE Palette = FramePalette();
  TGIFColorMap* Map = EffectiveColorMap();
  std::vector<TGIFColor> Colors;
  for (int I = 0; I < Map->Count(); ++I) Colors.push_back(Map->Entry(I));
  if (Colors.empty())
    for (int I = 0; I < 256; ++I)
      Colors.push_back({static_cast<uint8_t>(I), static_cast<uint8_t>(I), static_cast<uint8_t>(I)});
  TDIBWriter Writer(Bitmap.get(), pf8bit, Palette, Width(), Height());
  const int Transparent = TakeMaskIndex();
  TMaskRows Mask(Width(), Height());
  TNetscapeColorLookup Lookup;
  TFloydSteinbergDitherer Ditherer(Width(), &Lookup);
  uint8_t R, G, B;
  // Masked pixels are never shown; they hold the transparent colour's web colour.
  uint8_t Hidden = 0;
  if (Transparent >= 0) {
    const TGIFColor& C = Colors[static_cast<size_t>(Transparent)];
    Hidden = static_cast<uint8_t>(Lookup.Lookup(C.Red, C.Green, C.Blue, R, G, B));
  }
  for (int Y = 0; Y < Height(); ++Y) {
    Progress.Row(Y, Height());
    const uint8_t* Source = GetScanline(Y);
    uint8_t* Dest = Writer.GetScanline(Y);
    if (Transparent >= 0) std::memset(Dest, Hidden, static_cast<size_t>(Width()));
    for (int X = Ditherer.Column(); X >= 0 && X < Width(); X = Ditherer.Column()) {
      if (Source[X] == Transparent) {
        Mask.Set(X, Y);
        Ditherer.Skip();
        continue;
      }
      const TGIFColor& C = Colors[Source[X] < Colors.size() ? Source[X] : 0];
      Dest[X] = static_cast<uint8_t>(Ditherer.Dither(C.Red, C.Green, C.Blue, R, G, B));
    }
    Ditherer.NextLine();
  }
  Writer.StoreIntoBitmap();
  if (Transparent >= 0) FMask = Mask.Create();
  return Bitmap;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TGIFSubImage::Draw(TCanvas* ACanvas, const RECT& ARect, bool DoTransparent, bool DoTile) {
  if (IsEmpty()) return;
  const HDC DC = ACanvas->Handle();
  // A frame that reaches beyond the logical screen is cut at the rectangle.
  const int Saved = SaveDC(DC);
  IntersectClipRect(DC, ARect.left, ARect.top, ARect.right, ARect.bottom);
  if (DoTile) {
    DrawStretched(ACanvas, ARect, true, DoTransparent);
  } else {
    const int W = ARect.right - ARect.left;
    const int H = ARect.bottom - ARect.top;
    const int ScreenW = std::max(FImage->Width(), 1);
    const int ScreenH = std::max(FImage->Height(), 1);
    const RECT R{ARect.left + MulDiv(Left(), W, ScreenW), ARect.top + MulDiv(Top(), H, ScreenH),
                 ARect.left + MulDiv(Left() + Width(), W, ScreenW),
                 ARect.top + MulDiv(Top() + Height(), H, ScreenH)};
    DrawStretched(ACanvas, R, false, DoTransparent);
  }
  RestoreDC(DC, Saved);
}

void TGIFSubImage::DrawStretched(TCanvas* ACanvas, const RECT& R, bool DoTile, bool DoTransparent) {
  const bool Masked = DoTransparent && FTransparent && HasMask();
  TBitmap* Bitmap = RenderedBitmap();
  if (!Bitmap) return;
  // Tiles step by the logical screen; an empty screen still steps.
  const int StepX = std::max(FImage->Width(), 1);
  const int StepY = std::max(FImage->Height(), 1);
  auto Place = [&](const std::function<void(int X, int Y, int W, int H)>& Blit) {
    if (!DoTile) return Blit(R.left, R.top, R.right - R.left, R.bottom - R.top);
    for (int X = R.left + Left(); X < R.right; X += StepX)
      for (int Y = R.top + Top(); Y < R.bottom; Y += StepY) Blit(X, Y, Width(), Height());
  };
  if (Masked) {
    const HDC Dest = ACanvas->Handle();
    const HDC Source = Bitmap->Canvas()->Handle();
    Place([&](int X, int Y, int W, int H) {
      MaskedStretchBlit(Dest, X, Y, W, H, Source, Bitmap->Width(), Bitmap->Height(), FMask);
    });
    ACanvas->Changed();
  } else {
    Place([&](int X, int Y, int W, int H) { ACanvas->StretchDraw(RECT{X, Y, X + W, Y + H}, Bitmap); });
  }
}
