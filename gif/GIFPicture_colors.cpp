// Colour reduction: the codec's helpers, fixed palettes, colour lookups, the octree quantizer, scanline
// access and the reduction driver.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "gif/GIFPicture.h"

namespace {

constexpr BYTE NoCollapse = PC_NOCOLLAPSE;

// A logical palette of up to 256 entries being filled.
struct TLogPalette {
  WORD Version = 0x300;
  WORD Count = 0;
  PALETTEENTRY Entries[256] = {};

  HPALETTE Create() const { return CheckGDIResult(CreatePalette(reinterpret_cast<const LOGPALETTE*>(this))); }
};

int PaletteEntryCount(HPALETTE Palette) {
  return Palette ? static_cast<int>(GetPaletteEntries(Palette, 0, 0, nullptr)) : 0;
}

// A copy of the first 256 entries at most, the most that an 8-bit pixel can name; nullptr for nullptr.
HPALETTE CopyPalette256(HPALETTE Palette) {
  if (!Palette) return nullptr;
  TLogPalette Log;
  Log.Count = static_cast<WORD>(GetPaletteEntries(Palette, 0, 256, Log.Entries));
  return Log.Create();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Helpers

void RaiseGIFError(const std::string& Message) {
  throw GIFException(Message);
}

void CheckBitmapSize(int64_t Width, int64_t Height) {
  if (Width * Height * 4 > GIFMaxBufferBytes) RaiseGIFError("Image is too large");
}

void RaiseGDIError() {
  const DWORD Code = GetLastError();
  if (Code == 0) throw EOutOfResources(L"Out of system resources");
  throw EOutOfResources(SysErrorMessage(Code));
}

int ColorCountToBits(int Count) {
  if (Count <= 0) return 0;
  int Bits = 1;
  while (Bits < 31 && (1 << Bits) < Count) ++Bits;
  return Bits;
}

int64_t ScanlineByteCount(int64_t Width, int BitsPerPixel, int Alignment) {
  const int64_t Bits = Width * BitsPerPixel;
  return (Bits + Alignment - 1) / Alignment * Alignment / 8;
}

// ---------------------------------------------------------------------------------------------
// Fixed palettes

HPALETTE CreatePalette216() {
  TLogPalette Log;
  Log.Count = 216;
  for (int R = 0; R < 6; ++R)
    for (int G = 0; G < 6; ++G)
      for (int B = 0; B < 6; ++B)
        Log.Entries[36 * R + 6 * G + B] = {static_cast<BYTE>(R * 51), static_cast<BYTE>(G * 51),
                                           static_cast<BYTE>(B * 51), 0};
  return Log.Create();
}

HPALETTE CreateGrayPalette256() {
  TLogPalette Log;
  Log.Count = 256;
  for (int I = 0; I < 256; ++I) {
    const BYTE V = static_cast<BYTE>(I);
    Log.Entries[I] = {V, V, V, NoCollapse};
  }
  return Log.Create();
}

HPALETTE CreateBlackWhitePalette() {
  TLogPalette Log;
  Log.Count = 2;
  Log.Entries[0] = {0, 0, 0, NoCollapse};
  Log.Entries[1] = {255, 255, 255, NoCollapse};
  return Log.Create();
}

HPALETTE CreateGrayPalette4() {
  TLogPalette Log;
  Log.Count = 4;
  const BYTE Grays[4] = {0x00, 0x80, 0xC0, 0xFF};
  for (int I = 0; I < 4; ++I) Log.Entries[I] = {Grays[I], Grays[I], Grays[I], NoCollapse};
  return Log.Create();
}

HPALETTE CreateHalftonePalette256() {
  TScreenDC Screen;
  return CheckGDIResult(CreateHalftonePalette(Screen.DC()));
}

// ---------------------------------------------------------------------------------------------
// Colour lookups

int TNetscapeColorLookup::Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G,
                                 uint8_t& B) {
  const int RL = (Red + 3) / 51;
  const int GL = (Green + 3) / 51;
  const int BL = (Blue + 3) / 51;
  R = static_cast<uint8_t>(RL * 51);
  G = static_cast<uint8_t>(GL * 51);
  B = static_cast<uint8_t>(BL * 51);
  return BL + 6 * GL + 36 * RL;
}

int TGrayScaleLookup::Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) {
  const int Index = (Red * 77 + Green * 150 + Blue * 29) >> 8;
  R = G = B = static_cast<uint8_t>(Index);
  return Index;
}

int TMonochromeLookup::Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) {
  const bool White = Red * 77 + Green * 150 + Blue * 29 >= 32513;
  R = G = B = White ? 255 : 0;
  return White ? 1 : 0;
}

TFastColorLookup::TFastColorLookup(HPALETTE Palette) : TColorLookup(0), FCache(32768, 65535) {
  FColors = Palette ? static_cast<int>(GetPaletteEntries(Palette, 0, 256, FEntries)) : 0;
  for (int I = 0; I < FColors; ++I) {
    const PALETTEENTRY& E = FEntries[I];
    uint16_t& Cell = FCache[(E.peRed >> 3) | (E.peGreen >> 3) << 5 | (E.peBlue >> 3) << 10];
    if (Cell == 65535) Cell = static_cast<uint16_t>(I);
  }
}

int TFastColorLookup::Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) {
  uint16_t& Cell = FCache[(Red >> 3) | (Green >> 3) << 5 | (Blue >> 3) << 10];
  if (Cell == 65535) {
    int Best = 0;
    int BestSum = 196608;
    for (int I = 0; I < FColors; ++I) {
      const PALETTEENTRY& E = FEntries[I];
      const int Sum = std::abs(Red - E.peRed) + std::abs(Green - E.peGreen) + std::abs(Blue - E.peBlue);
      if (Sum < BestSum) {
        BestSum = Sum;
        Best = I;
      }
    }
    Cell = static_cast<uint16_t>(Best);
  }
  const PALETTEENTRY& E = FEntries[Cell];
  R = E.peRed;
  G = E.peGreen;
  B = E.peBlue;
  return Cell;
}

TSlowColorLookup::TSlowColorLookup(HPALETTE Palette)
    : TColorLookup(PaletteEntryCount(Palette)), FPalette(Palette), FEntries(static_cast<size_t>(FColors)) {
  if (FColors > 0) GetPaletteEntries(Palette, 0, static_cast<UINT>(FColors), FEntries.data());
}

int TSlowColorLookup::Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) {
  UINT Index = GetNearestPaletteIndex(FPalette, RGB(Red, Green, Blue));
  if (Index >= FEntries.size()) Index = 0;
  R = FEntries[Index].peRed;
  G = FEntries[Index].peGreen;
  B = FEntries[Index].peBlue;
  return static_cast<int>(Index);
}

// ---------------------------------------------------------------------------------------------
// Octree quantizer

TColorQuantizer::TColorQuantizer(int MaxColors, int ColorBits)
    : FMaxColors(std::max(MaxColors, 1)), FColorBits(std::clamp(ColorBits, 1, 8)) {}

void TColorQuantizer::AddImage(TDIB* Reader) {
  for (int Y = 0; Y < Reader->Height(); ++Y) {
    const uint8_t* Pixel = Reader->GetScanline(Y);
    for (int X = 0; X < Reader->Width(); ++X, Pixel += 3) {
      AddColorToTree(Pixel[2], Pixel[1], Pixel[0]);
      while (FLeafCount > FMaxColors)
        if (!MergeDeepestNode()) break;
    }
  }
}

void TColorQuantizer::AddColorToTree(uint8_t Red, uint8_t Green, uint8_t Blue) {
  std::unique_ptr<TOctreeNode>* Slot = &FRoot;
  for (int Level = 0;; ++Level) {
    if (!*Slot) {
      *Slot = std::make_unique<TOctreeNode>();
      TOctreeNode* Node = Slot->get();
      if (Level == FColorBits) {
        Node->Leaf = true;
        ++FLeafCount;
      } else {
        Node->NextReducible = FReducible[Level];
        FReducible[Level] = Node;
      }
    }
    TOctreeNode* Node = Slot->get();
    if (Node->Leaf) {
      ++Node->PixelCount;
      Node->RedSum += Red;
      Node->GreenSum += Green;
      Node->BlueSum += Blue;
      return;
    }
    const int Shift = 7 - Level;
    const int Child = ((Red >> Shift) & 1) << 2 | ((Green >> Shift) & 1) << 1 | ((Blue >> Shift) & 1);
    Slot = &Node->Children[Child];
  }
}

bool TColorQuantizer::MergeDeepestNode() {
  int Level = FColorBits - 1;
  while (Level > 0 && !FReducible[Level]) --Level;
  TOctreeNode* Node = FReducible[Level];
  if (!Node) return false;
  // The node leaves its list: a merged node is a leaf and is never merged again.
  FReducible[Level] = Node->NextReducible;
  Node->NextReducible = nullptr;
  int Children = 0;
  for (std::unique_ptr<TOctreeNode>& Child : Node->Children) {
    if (!Child) continue;
    Node->PixelCount += Child->PixelCount;
    Node->RedSum += Child->RedSum;
    Node->GreenSum += Child->GreenSum;
    Node->BlueSum += Child->BlueSum;
    Child.reset();
    ++Children;
  }
  Node->Leaf = true;
  FLeafCount -= Children - 1;
  return true;
}

int TColorQuantizer::FillPalette(RGBQUAD* Entries, int Capacity) const {
  int Count = 0;
  const std::function<void(const TOctreeNode*)> Collect = [&](const TOctreeNode* Node) {
    if (!Node || Count >= Capacity) return;
    if (Node->Leaf) {
      RGBQUAD& E = Entries[Count++];
      E = {0, 0, 0, 0};
      if (Node->PixelCount) {
        E.rgbRed = static_cast<BYTE>(Node->RedSum / Node->PixelCount);
        E.rgbGreen = static_cast<BYTE>(Node->GreenSum / Node->PixelCount);
        E.rgbBlue = static_cast<BYTE>(Node->BlueSum / Node->PixelCount);
      }
      return;
    }
    for (const std::unique_ptr<TOctreeNode>& Child : Node->Children) Collect(Child.get());
  };
  Collect(FRoot.get());
  return Count;
}

HPALETTE BuildQuantizedPalette(TDIB* Reader, int Colors, int ColorBits, bool KeepSystemColors) {
  TLogPalette Log;
  for (PALETTEENTRY& E : Log.Entries) E = {0, 0, 0, NoCollapse};
  Colors = std::clamp(Colors, 1, 256);
  Log.Count = static_cast<WORD>(Colors);
  int First = 0;
  if (KeepSystemColors) {
    PALETTEENTRY System[20];
    GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, System);
    std::copy(System, System + 10, Log.Entries);
    std::copy(System + 10, System + 20, Log.Entries + 246);
    Colors = 236;
    First = 10;
    Log.Count = 256;
  }
  TColorQuantizer Quantizer(Colors, ColorBits);
  Quantizer.AddImage(Reader);
  RGBQUAD Quantized[256];
  const int Count = Quantizer.FillPalette(Quantized, Colors);
  for (int I = 0; I < Count; ++I)
    Log.Entries[First + I] = {Quantized[I].rgbRed, Quantized[I].rgbGreen, Quantized[I].rgbBlue, 0};
  return Log.Create();
}

HPALETTE BuildQuantizedPaletteForBitmap(TBitmap* Bitmap, int Colors, int ColorBits, bool KeepSystemColors) {
  TDIBReader Reader(Bitmap, pf24bit);
  return BuildQuantizedPalette(&Reader, Colors, ColorBits, KeepSystemColors);
}

// ---------------------------------------------------------------------------------------------
// Scanline access

TDIBReader::TDIBReader(TBitmap* ABitmap, TPixelFormat APixelFormat) : TDIB(ABitmap, APixelFormat) {
  Bitmap->SetPixelFormat(APixelFormat);
}

uint8_t* TDIBReader::GetScanline(int Row) {
  return static_cast<uint8_t*>(Bitmap->ScanLine(Row));
}

TDIBWriter::TDIBWriter(TBitmap* ABitmap, TPixelFormat APixelFormat, HPALETTE Palette, int AWidth, int AHeight)
    : TDIB(ABitmap, APixelFormat), FPalette(Palette), FWidth(AWidth), FHeight(AHeight) {
  if (PixelFormat != pf8bit && PixelFormat != pf24bit) RaiseGIFError("Unsupported PixelFormat");
  if (FWidth <= 0 || FHeight <= 0) RaiseGIFError("Invalid image dimensions");
}

TDIBWriter::~TDIBWriter() {
  if (FSection) DeleteObject(FSection);
}

void TDIBWriter::AllocateDIB() {
  const int Bits = PixelFormat == pf8bit ? 8 : 24;
  FRowBytes = ScanlineByteCount(FWidth, Bits, 32);
  if (FRowBytes * FHeight > GIFMaxBufferBytes) throw EOutOfMemory("Failed to allocate memory for GIF DIB");
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[256];
  } Info{};
  Info.Header.biSize = sizeof(BITMAPINFOHEADER);
  Info.Header.biWidth = FWidth;
  Info.Header.biHeight = FHeight;  // bottom-up
  Info.Header.biPlanes = 1;
  Info.Header.biBitCount = static_cast<WORD>(Bits);
  Info.Header.biCompression = BI_RGB;
  if (Bits == 8) {
    // All 256 entries are used, the palette's first and zero after them: the export's 216 web colours
    // become a table of 256 (the platform keeps a full table for every 8-bit DIB section anyway).
    PALETTEENTRY Entries[256];
    const UINT Count = FPalette ? GetPaletteEntries(FPalette, 0, 256, Entries) : 0;
    for (UINT I = 0; I < Count; ++I)
      Info.Colors[I] = {Entries[I].peBlue, Entries[I].peGreen, Entries[I].peRed, 0};
    Info.Header.biClrUsed = 256;
    Info.Header.biClrImportant = Count;
  }
  void* Pixels = nullptr;
  FSection = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&Info), DIB_RGB_COLORS, &Pixels,
                              nullptr, 0);
  if (!FSection) throw EOutOfMemory("Failed to allocate memory for GIF DIB");
  FBits = static_cast<uint8_t*>(Pixels);
}

uint8_t* TDIBWriter::GetScanline(int Row) {
  if (!FSection) AllocateDIB();
  if (Row < 0 || Row >= FHeight) throw EInvalidGraphicOperation(L"Scan line index out of range");
  GdiFlush();
  return FBits + FRowBytes * (FHeight - 1 - Row);
}

void TDIBWriter::StoreIntoBitmap() {
  if (!FSection) return;
  FBits = nullptr;
  Bitmap->SetHandle(std::exchange(FSection, nullptr));
}

// ---------------------------------------------------------------------------------------------
// The reduction driver

namespace {

HPALETTE PaletteFor(TGIFPaletteMode Reduction, TDIBReader& Reader, TBitmap* Source, int ReductionBits,
                    HPALETTE CustomPalette) {
  switch (Reduction) {
    case pmSystem20:
      return static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    case pmHalftone256:
      return CreateHalftonePalette256();
    case pmGray4:
      return CreateGrayPalette4();
    case pmBlackWhite:
      return CreateBlackWhitePalette();
    case pmGray256:
      return CreateGrayPalette256();
    case pmWeb216:
      return CreatePalette216();
    case pmOctree:
      return BuildQuantizedPalette(&Reader, 1 << std::clamp(ReductionBits, 0, 8), 8, false);
    case pmOctreeKeepSystem:
      return BuildQuantizedPaletteForBitmap(Source, 256, 8, true);
    case pmCustom:
      return CopyPalette256(CustomPalette);
    default:
      return nullptr;
  }
}

std::unique_ptr<TColorLookup> LookupFor(TGIFPaletteMode Reduction, HPALETTE Palette) {
  switch (Reduction) {
    case pmBlackWhite:
      return std::make_unique<TMonochromeLookup>();
    case pmGray256:
      return std::make_unique<TGrayScaleLookup>();
    case pmWeb216:
      return std::make_unique<TNetscapeColorLookup>();
    case pmOctree:
      return std::make_unique<TFastColorLookup>(Palette);
    default:
      return std::make_unique<TSlowColorLookup>(Palette);
  }
}

}  // namespace

std::unique_ptr<TBitmap> ReduceBitmapColors(TBitmap* Bitmap, TGIFPaletteMode Reduction,
                                            TGIFDitherKind DitherMode, int ReductionBits,
                                            HPALETTE CustomPalette) {
  auto Result = std::make_unique<TBitmap>();
  if (Reduction == pmNone) {
    Result->Assign(Bitmap);
    Result->SetPixelFormat(pf24bit);
    return Result;
  }
  TDIBReader Reader(Bitmap, pf24bit);
  const HPALETTE Palette = PaletteFor(Reduction, Reader, Bitmap, ReductionBits, CustomPalette);
  if (!Palette) return Result;
  // The stock palette stays the platform's.
  TPaletteHandle Owned(Reduction == pmSystem20 ? nullptr : Palette);
  const std::unique_ptr<TColorLookup> Lookup = LookupFor(Reduction, Palette);
  if (Lookup->Colors() == 0) return Result;
  const int Width = Bitmap->Width();
  const int Height = Bitmap->Height();
  const std::unique_ptr<TDitherEngine> Ditherer = CreateDitherer(DitherMode, Width, Lookup.get());
  if (!Ditherer) return Result;
  TDIBWriter Writer(Result.get(), pf8bit, Palette, Width, Height);
  for (int Y = 0; Y < Height; ++Y) {
    const uint8_t* Source = Reader.GetScanline(Y);
    uint8_t* Dest = Writer.GetScanline(Y);
    uint8_t R, G, B;
    for (int X = Ditherer->Column(); X >= 0 && X < Width; X = Ditherer->Column()) {
      const uint8_t* Pixel = Source + 3 * X;
      Dest[X] = static_cast<uint8_t>(Ditherer->Dither(Pixel[2], Pixel[1], Pixel[0], R, G, B));
    }
    Ditherer->NextLine();
  }
  Writer.StoreIntoBitmap();
  return Result;
}
