// Frames: bounds and pixels, reading and writing, copying, and importing pictures of the platform.
#include <algorithm>
#include <cstring>

#include "gif/GIFPicture.h"

TGIFSubImage::TGIFSubImage(TGIFPicture* AImage) : TGIFItem(AImage), FExtensions(AImage) {}

TGIFSubImage::~TGIFSubImage() {
  if (FImage) FImage->Frames()->Remove(this);
  Clear();
  if (FPalette) DeleteObject(FPalette);
}

void TGIFSubImage::Clear() {
  FExtensions.Clear();
  FLocalColorMap.Clear();
  ReleasePixels();
  FDescriptor.Width = FDescriptor.Height = 0;
  FTransparent = false;
  FGraphicControlExtension = nullptr;
  ReleaseBitmap();
  ReleaseMask();
}

bool TGIFSubImage::IsEmpty() const {
  return FPixels.empty() || Width() == 0 || Height() == 0;
}

void TGIFSubImage::SetFrameRect(int ALeft, int ATop, int AWidth, int AHeight) {
  auto Word = [](int Value) { return static_cast<uint16_t>(std::clamp(Value, 0, 65535)); };
  const bool Resized = Word(AWidth) != FDescriptor.Width || Word(AHeight) != FDescriptor.Height;
  FDescriptor.Left = Word(ALeft);
  FDescriptor.Top = Word(ATop);
  FDescriptor.Width = Word(AWidth);
  FDescriptor.Height = Word(AHeight);
  if (Resized) {
    ReleaseBitmap();
    ReleaseMask();
    ReleasePixels();
    AllocatePixels();
  }
  if (!FImage) return;
  const int Right = Left() + Width();
  const int Bottom = Top() + Height();
  bool Grew = false;
  if (FImage->Width() < Right) {
    if (FImage->Width() > 0) {
      Warning(1, "Image width too small for contained frames");
      Grew = true;
    }
    FImage->GrowScreen(Right, FImage->Height());
  }
  if (FImage->Height() < Bottom) {
    if (FImage->Height() > 0) {
      Warning(1, "Image height too small for contained frames");
      Grew = true;
    }
    FImage->GrowScreen(FImage->Width(), Bottom);
  }
  if (Grew) Warning(1, "Image exceeds Logical Screen size");
}

RECT TGIFSubImage::BoundsRect() const {
  return RECT{Left(), Top(), Left() + Width(), Top() + Height()};
}

void TGIFSubImage::SetInterlaced(bool Value) {
  FDescriptor.PackedFields = static_cast<uint8_t>((FDescriptor.PackedFields & ~0x40) | (Value ? 0x40 : 0));
}

TGIFColorMap* TGIFSubImage::EffectiveColorMap() {
  if (FLocalColorMap.Count() > 0) return &FLocalColorMap;
  if (FImage && FImage->GetGlobalColorMap()->Count() > 0) return FImage->GetGlobalColorMap();
  return &FLocalColorMap;
}

void TGIFSubImage::BuildPackedFields() {
  uint8_t& Packed = FDescriptor.PackedFields;
  if (FLocalColorMap.Count() > 0)
    Packed = static_cast<uint8_t>(0x80 | (FLocalColorMap.Sorted() ? 0x20 : 0) | ((BitsPerPixel() - 1) & 7) |
                                  (Packed & 0x40));
  else
    Packed &= 0x58;
}

uint8_t TGIFSubImage::GetPixel(int X, int Y) {
  if (X < 0 || X >= Width()) RaiseGIFError("Invalid pixel coordinates");
  return GetScanline(Y)[X];
}

uint8_t* TGIFSubImage::GetScanline(int Y) {
  if (Y < 0 || Y >= Height()) RaiseGIFError("Invalid pixel coordinates");
  RequirePixels();
  return FPixels.data() + static_cast<ptrdiff_t>(Y) * Width();
}

void TGIFSubImage::RequirePixels() {
  if (FPixels.empty()) AllocatePixels();
  if (FPixels.empty()) RaiseGIFError("Image is empty");
}

void TGIFSubImage::AllocatePixels() {
  const int64_t Size = int64_t{Width()} * Height();
  if (Size > GIFMaxBufferBytes) RaiseGIFError("Image is too large");
  FPixels.assign(static_cast<size_t>(Size), 0);
}

void TGIFSubImage::ReleasePixels() {
  FPixels.clear();
  FPixels.shrink_to_fit();
}

void TGIFSubImage::RemapPixels(const std::array<uint8_t, 256>& Map) {
  // A transparent index beyond the table hides nothing and stays beyond it.
  const int Transparent = TransparentIndex();
  const int Hidden = Transparent >= 0 ? Map[static_cast<size_t>(Transparent)] : -1;
  if (Transparent >= 0) FGraphicControlExtension->FTransparentColorIndex = static_cast<uint8_t>(Hidden);
  // A value beyond the table shows entry 0 opaque; where entry 0 is the transparent colour it stays beyond
  // the table, whose entry 0 keeps its place then.
  const int Count = EffectiveColorMap()->Count();
  for (uint8_t& P : FPixels)
    if (P < Count || Map[P] != Hidden) P = Map[P];
  ReleaseBitmap();
  ReleaseMask();
}

TGIFFormatVersion TGIFSubImage::GetVersion() const {
  if (FLocalColorMap.Sorted() || FExtensions.Count() > 0) return fv89a;
  return fv87a;
}

// ---------------------------------------------------------------------------------------------
// Reading and writing

void TGIFSubImage::SaveToStream(TStream* Stream) {
  FExtensions.SaveToStream(Stream);
  if (IsEmpty()) return;
  BuildPackedFields();
  const TGIFImageDescriptor& D = FDescriptor;
  const uint8_t Bytes[10] = {D.Separator,
                             static_cast<uint8_t>(D.Left),
                             static_cast<uint8_t>(D.Left >> 8),
                             static_cast<uint8_t>(D.Top),
                             static_cast<uint8_t>(D.Top >> 8),
                             static_cast<uint8_t>(D.Width),
                             static_cast<uint8_t>(D.Width >> 8),
                             static_cast<uint8_t>(D.Height),
                             static_cast<uint8_t>(D.Height >> 8),
                             D.PackedFields};
  Stream->WriteBuffer(Bytes, 10);
  FLocalColorMap.SaveToStream(Stream);
  EncodeImageData(Stream);
}

void TGIFSubImage::LoadFromStream(TStream* Stream) {
  Clear();
  FExtensions.LoadFromStream(Stream, this);
  const int Next = ReadStreamByte(Stream);
  if (Next < 0) return;
  Stream->Seek(-1, soCurrent);
  // Only an image separator starts an image: the trailer, a zero byte or a stray byte leave the frame
  // with its extensions only.
  if (Next != 0x2C) return;
  uint8_t Bytes[10];
  ReadExact(Stream, Bytes, 10);
  FDescriptor.Separator = Bytes[0];
  FDescriptor.Left = static_cast<uint16_t>(Bytes[1] | Bytes[2] << 8);
  FDescriptor.Top = static_cast<uint16_t>(Bytes[3] | Bytes[4] << 8);
  FDescriptor.Width = static_cast<uint16_t>(Bytes[5] | Bytes[6] << 8);
  FDescriptor.Height = static_cast<uint16_t>(Bytes[7] | Bytes[8] << 8);
  FDescriptor.PackedFields = Bytes[9];
  if (Width() == 0 || Height() == 0) {
    FDescriptor.Width = static_cast<uint16_t>(FImage->Width());
    FDescriptor.Height = static_cast<uint16_t>(FImage->Height());
    Warning(1, "Image exceeds Logical Screen size");
  }
  if (FDescriptor.PackedFields & 0x80)
    FLocalColorMap.LoadFromStream(Stream, 2 << (FDescriptor.PackedFields & 7));
  DecodeImageData(Stream);
}

void TGIFSubImage::DecodeImageData(TStream* Stream) {
  AllocatePixels();
  const uint8_t Fill =
      FTransparent && FGraphicControlExtension ? FGraphicControlExtension->GetTransparentColorIndex() : 0;
  std::fill(FPixels.begin(), FPixels.end(), Fill);
  ::DecodeImageData(Stream, FPixels.data(), Width(), Height(), IsInterlaced(),
                    [this](int Severity, const std::string& Message) { Warning(Severity, Message); });
}

void TGIFSubImage::EncodeImageData(TStream* Stream) {
  int Bits = 0;
  int Count = 0;
  if (FLocalColorMap.Count() > 0) {
    Count = FLocalColorMap.Count();
    Bits = ColorCountToBits(Count);
  } else {
    Bits = FImage->MaxBitsPerPixel();
    Count = 1 << Bits;
  }
  CreateEncoder(FImage->Compression)
      ->EncodeFrame(Stream, Bits, Count, FPixels.data(), IsInterlaced(), Height(), Width());
}

// ---------------------------------------------------------------------------------------------
// Copying and importing

void TGIFSubImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) return Clear();
  if (auto* Frame = dynamic_cast<TGIFSubImage*>(Source)) {
    Clear();
    if (Frame->IsEmpty()) return;
    FDescriptor = Frame->FDescriptor;
    FTransparent = Frame->FTransparent;
    FPixels = Frame->FPixels;
    FLocalColorMap.Assign(&Frame->FLocalColorMap);
    if (Frame->FExtensions.Count() > 0) {
      TMemoryStream Blocks;
      Frame->FExtensions.SaveToStream(&Blocks);
      Blocks.SetPosition(0);
      FExtensions.LoadFromStream(&Blocks, this);
    }
    if (Frame->FCachedBitmap) {
      FCachedBitmap = std::make_unique<TBitmap>();
      FCachedBitmap->Assign(Frame->FCachedBitmap.get());
    }
  } else if (auto* Bitmap = dynamic_cast<TBitmap*>(Source)) {
    ImportBitmap(Bitmap);
  } else if (auto* Picture = dynamic_cast<TPicture*>(Source)) {
    Assign(Picture->Graphic());
  } else if (auto* Graphic = dynamic_cast<TGraphic*>(Source)) {
    ImportGraphic(Graphic);
  } else {
    TGIFItem::Assign(Source);
  }
}

void TGIFSubImage::AssignTo(TPersistent* Dest) {
  if (auto* Bitmap = dynamic_cast<TBitmap*>(Dest)) return Bitmap->Assign(RenderedBitmap());
  TGIFItem::AssignTo(Dest);
}

namespace {

// Non-zero where Bitmap shows Color.
std::vector<uint8_t> MaskOfColor(TBitmap* Bitmap, COLORREF Color) {
  TBitmap Copy;
  Copy.Assign(Bitmap);
  Copy.SetPixelFormat(pf24bit);
  std::vector<uint8_t> Mask;
  Mask.reserve(static_cast<size_t>(Copy.Width()) * Copy.Height());
  for (int Y = 0; Y < Copy.Height(); ++Y) {
    const auto* Pixel = static_cast<const uint8_t*>(Copy.ScanLine(Y));
    for (int X = 0; X < Copy.Width(); ++X, Pixel += 3)
      Mask.push_back(RGB(Pixel[2], Pixel[1], Pixel[0]) == Color);
  }
  return Mask;
}

// Non-zero where the icon's AND mask is set; empty when the icon gives none.
std::vector<uint8_t> MaskOfIcon(HICON Icon, int Width, int Height) {
  ICONINFO Info{};
  if (!GetIconInfo(Icon, &Info)) return {};
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[2];
  } Dib{{sizeof(BITMAPINFOHEADER), Width, Height, 1, 1, BI_RGB, 0, 0, 0, 2, 0},
        {{0, 0, 0, 0}, {255, 255, 255, 0}}};
  const int Stride = (Width + 31) / 32 * 4;
  std::vector<uint8_t> Bits(static_cast<size_t>(Stride) * Height);
  std::vector<uint8_t> Mask;
  {
    // A monochrome icon's mask holds the AND rows above the XOR rows: bottom-up, they start at Height.
    const UINT Start = Info.hbmColor ? 0 : static_cast<UINT>(Height);
    TScreenDC Screen;
    if (GetDIBits(Screen.DC(), Info.hbmMask, Start, static_cast<UINT>(Height), Bits.data(),
                  reinterpret_cast<BITMAPINFO*>(&Dib), DIB_RGB_COLORS) == Height) {
      for (int Y = Height - 1; Y >= 0; --Y)
        for (int X = 0; X < Width; ++X)
          Mask.push_back(Bits[static_cast<size_t>(Y * Stride + X / 8)] >> (7 - X % 8) & 1);
    }
  }
  if (Info.hbmColor) DeleteObject(Info.hbmColor);
  DeleteObject(Info.hbmMask);
  return Mask;
}

// The graphic drawn on a 24-bit bitmap of its size over a background colour.
void DrawOn(TBitmap& Work, TGraphic* Graphic, TColor Background) {
  Work.SetPixelFormat(pf24bit);
  Work.SetSize(Graphic->Width(), Graphic->Height());
  Work.Canvas()->Brush()->SetColor(Background);
  Work.Canvas()->FillRect(RECT{0, 0, Work.Width(), Work.Height()});
  Work.Canvas()->Draw(0, 0, Graphic);
}

}  // namespace

void TGIFSubImage::ImportBitmap(TBitmap* Bitmap) {
  Clear();
  if (Bitmap->Empty()) return;
  SetFrameRect(Left(), Top(), Bitmap->Width(), Bitmap->Height());
  const TPixelFormat SourceFormat = Bitmap->PixelFormat();
  if (SourceFormat == pf1bit || SourceFormat == pf4bit || SourceFormat == pf8bit) {
    FCachedBitmap = std::make_unique<TBitmap>();
    FCachedBitmap->Assign(Bitmap);
  } else {
    // The reduction converts a source of another format to 24 bits; the caller's bitmap stays as it was.
    TBitmap Copy;
    TBitmap* Source = Bitmap;
    if (SourceFormat != pf24bit) {
      Copy.Assign(Bitmap);
      Source = &Copy;
    }
    FCachedBitmap =
        ReduceBitmapColors(Source, FImage->PaletteMode, FImage->DitherKind, FImage->OctreeBits, nullptr);
    if (FCachedBitmap->Empty()) {
      FCachedBitmap.reset();
      RaiseGIFError("Invalid reduction method");
    }
  }
  AllocatePixels();
  {
    TGIFProgressScope Progress(FImage, this, "Converting...", false);
    TBitmap* Source = FCachedBitmap.get();
    TPixelFormat Format = Source->PixelFormat();
    if (Format != pf1bit && Format != pf4bit && Format != pf8bit) {
      Format = pf24bit;
      Source->SetPixelFormat(pf24bit);
    }
    if (Format != pf24bit) FLocalColorMap.LoadFromDIB(Source->Canvas()->Handle());
    const int W = Width();
    // The last colours met, so that runs of one colour cost no table search.
    uint32_t Cache[8];
    int Cached = 0;  // slots in use
    int Next = 0;    // the slot the next colour takes
    for (int Y = 0; Y < Height(); ++Y) {
      Progress.Row(Y, Height());
      const auto* Row = static_cast<const uint8_t*>(Source->ScanLine(Y));
      uint8_t* Dest = GetScanline(Y);
      switch (Format) {
        case pf8bit:
          std::memcpy(Dest, Row, static_cast<size_t>(W));
          break;
        case pf4bit:
          for (int X = 0; X < W; ++X) Dest[X] = X % 2 ? Row[X / 2] & 0x0F : Row[X / 2] >> 4;
          break;
        case pf1bit:
          for (int X = 0; X < W; ++X) Dest[X] = Row[X / 8] >> (7 - X % 8) & 1;
          break;
        default:
          for (int X = 0; X < W; ++X, Row += 3) {
            // Blue, green, red as read: the table holds them so until the frame is read.
            const uint32_t Color = Row[0] | Row[1] << 8 | Row[2] << 16;
            int Found = -1;
            for (int I = Cached - 1; I >= 0 && Found < 0; --I)
              if ((Cache[I] & 0xFFFFFF) == Color) Found = static_cast<int>(Cache[I] >> 24);
            if (Found < 0) {
              Found = FLocalColorMap.AddIfAbsent(static_cast<TColor>(Color));
              Cache[Next] = Color | static_cast<uint32_t>(Found) << 24;
              Next = (Next + 1) % 8;
              Cached = std::min(Cached + 1, 8);
            }
            Dest[X] = static_cast<uint8_t>(Found);
          }
      }
    }
    if (Format == pf24bit) FLocalColorMap.SwapRedBlue();
    if (Bitmap->Transparent())
      MakeMaskTransparent(MaskOfColor(Bitmap, ColorToRGB(Bitmap->TransparentColor() & 0xFFFFFF)));
  }
}

void TGIFSubImage::ImportGraphic(TGraphic* Graphic) {
  Clear();
  if (Graphic->Empty()) return;
  auto* Icon = dynamic_cast<TIcon*>(Graphic);
  auto* Metafile = dynamic_cast<TMetafile*>(Graphic);
  TBitmap Work;
  if (Icon || Metafile) {
    try {
      DrawOn(Work, Graphic, clWhite);
    } catch (const Exception&) {
      Work.Assign(Graphic);
    }
  } else {
    try {
      Work.Assign(Graphic);
    } catch (const Exception&) {
      DrawOn(Work, Graphic, clWhite);
    }
  }
  ImportBitmap(&Work);
  std::vector<uint8_t> Mask;
  if (Icon) {
    Mask = MaskOfIcon(Icon->Handle(), Width(), Height());
  } else if (Metafile) {
    // What the metafile leaves unpainted shows the background: white once, black once.
    TBitmap OnWhite, OnBlack;
    DrawOn(OnWhite, Graphic, clWhite);
    DrawOn(OnBlack, Graphic, clBlack);
    const std::vector<uint8_t> White = MaskOfColor(&OnWhite, RGB(255, 255, 255));
    const std::vector<uint8_t> Black = MaskOfColor(&OnBlack, RGB(0, 0, 0));
    Mask.resize(White.size());
    for (size_t I = 0; I < Mask.size(); ++I) Mask[I] = White[I] && Black[I];
  }
  if (Mask.size() == FPixels.size() && !Mask.empty()) MakeMaskTransparent(Mask);
}

void TGIFSubImage::MakeMaskTransparent(const std::vector<uint8_t>& Mask) {
  FLocalColorMap.Optimize();
  const int Count = FLocalColorMap.Count();
  if (Count == 0 || Count == 256) return;
  const int Index = FLocalColorMap.Add(clBlack);
  bool Any = false;
  for (size_t I = 0; I < FPixels.size() && I < Mask.size(); ++I)
    if (Mask[I]) {
      FPixels[I] = static_cast<uint8_t>(Index);
      Any = true;
    }
  if (!Any) return FLocalColorMap.Delete(Index);
  auto* Control = new TGIFGraphicControlExtension(this);
  FExtensions.Add(Control);
  Control->SetTransparent(true);
  Control->SetTransparentColorIndex(static_cast<uint8_t>(Index));
  ReleaseBitmap();
  ReleaseMask();
}
