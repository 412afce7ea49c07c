// Colour reduction: the codec's helpers, fixed palettes, colour lookups, the octree quantizer, scanline
// access and the reduction driver.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "gif/GIFPicture.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

namespace {

// Walks a row of blue-green-red pixels in the order of Direction; a pixel equal to the one before it
// takes its index without asking Index again (every lookup gives one colour one index).
template <class F>
void WalkRow(const uint8_t* Pixels, uint8_t* Dest, int Width, int Direction, F Index) {
  int X = Direction > 0 ? 0 : Width - 1;
  uint32_t Last = 0xFFFFFFFF;
  uint8_t LastIndex = 0;
  for (int N = 0; N < Width; ++N, X += Direction) {
    const uint8_t* P = Pixels + 3 * X;
    const uint32_t Color = P[0] | P[1] << 8 | P[2] << 16;
    if (Color != Last) {
      Last = Color;
      LastIndex = static_cast<uint8_t>(Index(P[2], P[1], P[0]));
    }
    Dest[X] = LastIndex;
  }
}

// The web lookup's index parts of each channel value: 36, 6 and 1 times its level.
struct TWebLevels {
  uint8_t Red[256], Green[256], Blue[256];
  constexpr TWebLevels() : Red(), Green(), Blue() {
    for (int V = 0; V < 256; ++V) {
      const int Level = (V + 3) / 51;
      Red[V] = static_cast<uint8_t>(36 * Level);
      Green[V] = static_cast<uint8_t>(6 * Level);
      Blue[V] = static_cast<uint8_t>(Level);
    }
  }
};

constexpr TWebLevels WebLevels;

int WebIndex(const uint8_t* Pixel) {
  return WebLevels.Red[Pixel[2]] + WebLevels.Green[Pixel[1]] + WebLevels.Blue[Pixel[0]];
}

#ifdef __SSE2__
// The web indices of four pixels in 32-bit lanes. A channel's level (value + 3) / 51 is the high half of
// (value + 3) * 1286, exact for every byte; 36 R + 6 G + B are two multiply-adds. Reads a byte past the
// fourth pixel.
[[gnu::always_inline]] inline __m128i WebIndicesOfFour(const uint8_t* Pixels) {
  __m128i Words[4];
  for (int I = 0; I < 4; ++I) {
    int32_t Word = 0;
    std::memcpy(&Word, Pixels + 3 * I, 4);
    Words[I] = _mm_cvtsi32_si128(Word);
  }
  const __m128i Bytes =
      _mm_unpacklo_epi64(_mm_unpacklo_epi32(Words[0], Words[1]), _mm_unpacklo_epi32(Words[2], Words[3]));
  const __m128i Zero = _mm_setzero_si128();
  const __m128i Three = _mm_set1_epi16(3);
  const __m128i Divide = _mm_set1_epi16(1286);
  const __m128i Weights = _mm_setr_epi16(1, 6, 36, 0, 1, 6, 36, 0);
  const __m128i Low = _mm_mulhi_epu16(_mm_add_epi16(_mm_unpacklo_epi8(Bytes, Zero), Three), Divide);
  const __m128i High = _mm_mulhi_epu16(_mm_add_epi16(_mm_unpackhi_epi8(Bytes, Zero), Three), Divide);
  const __m128i Parts = _mm_packs_epi32(_mm_madd_epi16(Low, Weights), _mm_madd_epi16(High, Weights));
  return _mm_madd_epi16(Parts, _mm_set1_epi16(1));
}
#endif

}  // namespace

void TColorLookup::LookupRow(const uint8_t* Pixels, uint8_t* Dest, int Width, int Direction) {
  uint8_t R, G, B;
  WalkRow(Pixels, Dest, Width, Direction,
          [&](uint8_t Red, uint8_t Green, uint8_t Blue) { return Lookup(Red, Green, Blue, R, G, B); });
}

void TNetscapeColorLookup::LookupRow(const uint8_t* Pixels, uint8_t* Dest, int Width, int /*Direction*/) {
  // Each pixel alone: the order does not matter.
  int X = 0;
#ifdef __SSE2__
  // Sixteen pixels at a time while a pixel follows them, for the byte read past each four.
  for (; X + 16 < Width; X += 16, Pixels += 48) {
    const __m128i Low = _mm_packs_epi32(WebIndicesOfFour(Pixels), WebIndicesOfFour(Pixels + 12));
    const __m128i High = _mm_packs_epi32(WebIndicesOfFour(Pixels + 24), WebIndicesOfFour(Pixels + 36));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Dest + X), _mm_packus_epi16(Low, High));
  }
#endif
  for (; X < Width; ++X, Pixels += 3) Dest[X] = static_cast<uint8_t>(WebIndex(Pixels));
}

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

TFastColorLookup::TFastColorLookup(HPALETTE Palette)
    : TColorLookup(0), FDistances(3 * 256 * 256, 1000), FCache(32768, 65535) {
  FColors = Palette ? static_cast<int>(GetPaletteEntries(Palette, 0, 256, FEntries)) : 0;
  uint8_t Channels[3][256];
  for (int I = 0; I < FColors; ++I) {
    const PALETTEENTRY& E = FEntries[I];
    Channels[0][I] = E.peRed;
    Channels[1][I] = E.peGreen;
    Channels[2][I] = E.peBlue;
    uint16_t& Cell = FCache[(E.peRed >> 3) | (E.peGreen >> 3) << 5 | (E.peBlue >> 3) << 10];
    if (Cell == 65535) Cell = static_cast<uint16_t>(I);
  }
  for (int C = 0; C < 3; ++C)
    for (int V = 0; V < 256; ++V) {
      int16_t* ToEntries = &FDistances[static_cast<size_t>(C * 256 + V) * 256];
      for (int I = 0; I < FColors; ++I) ToEntries[I] = static_cast<int16_t>(std::abs(V - Channels[C][I]));
    }
}

// Inline in the row walk: the search is a call, made once per cell.
inline int TFastColorLookup::CellIndex(uint8_t Red, uint8_t Green, uint8_t Blue) {
  uint16_t& Cell = FCache[(Red >> 3) | (Green >> 3) << 5 | (Blue >> 3) << 10];
  if (Cell == 65535) Cell = static_cast<uint16_t>(Nearest(Red, Green, Blue));
  return Cell;
}

int TFastColorLookup::Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) {
  const int Index = CellIndex(Red, Green, Blue);
  const PALETTEENTRY& E = FEntries[Index];
  R = E.peRed;
  G = E.peGreen;
  B = E.peBlue;
  return Index;
}

void TFastColorLookup::LookupRow(const uint8_t* Pixels, uint8_t* Dest, int Width, int Direction) {
  WalkRow(Pixels, Dest, Width, Direction,
          [this](uint8_t Red, uint8_t Green, uint8_t Blue) { return CellIndex(Red, Green, Blue); });
}

// Eight lanes each keep the least sum they met and where they met it first: the loop runs over all 256 slots
// of 16-bit arrays and vectorises. A slot beyond the palette lies too far away (1000 a channel) to be the
// least. The first least entry is the least of the lanes, the earlier one on a tie.
int TFastColorLookup::Nearest(uint8_t Red, uint8_t Green, uint8_t Blue) const {
  if (FColors == 0) return 0;
  const int16_t* ToRed = &FDistances[static_cast<size_t>(Red) * 256];
  const int16_t* ToGreen = &FDistances[static_cast<size_t>(256 + Green) * 256];
  const int16_t* ToBlue = &FDistances[static_cast<size_t>(512 + Blue) * 256];
  constexpr int Lanes = 8;
  int16_t Least[Lanes], At[Lanes];
  for (int J = 0; J < Lanes; ++J) {
    Least[J] = INT16_MAX;
    At[J] = 0;
  }
  for (int I = 0; I < 256; I += Lanes)
    for (int J = 0; J < Lanes; ++J) {
      const int16_t Sum = static_cast<int16_t>(ToRed[I + J] + ToGreen[I + J] + ToBlue[I + J]);
      const bool Less = Sum < Least[J];
      Least[J] = Less ? Sum : Least[J];
      At[J] = Less ? static_cast<int16_t>(I + J) : At[J];
    }
  int Best = 0;
  for (int J = 1; J < Lanes; ++J)
    if (Least[J] < Least[Best] || (Least[J] == Least[Best] && At[J] < At[Best])) Best = J;
  return At[Best];
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

namespace {

int ChildIndex(uint8_t Red, uint8_t Green, uint8_t Blue, int Level) {
  const int Shift = 7 - Level;
  return ((Red >> Shift) & 1) << 2 | ((Green >> Shift) & 1) << 1 | ((Blue >> Shift) & 1);
}

int TopBitsKey(uint8_t Red, uint8_t Green, uint8_t Blue) {
  return (Red >> 4) << 8 | (Green >> 4) << 4 | (Blue >> 4);
}

}  // namespace

// A run of one colour is added at once: the pixels after the first would only follow the first to its
// leaf (or to the node that a reduction merged it into), which ends with the same sums.
void TColorQuantizer::AddImage(TDIB* Reader) {
  const int ShortcutLevel = std::min(FColorBits, 4);
  for (int Y = 0; Y < Reader->Height(); ++Y) {
    const uint8_t* Row = Reader->GetScanline(Y);
    const int Width = Reader->Width();
    for (int X = 0; X < Width;) {
      const uint8_t* Pixel = Row + 3 * X;
      int Run = 1;
      while (X + Run < Width && std::memcmp(Pixel, Pixel + 3 * Run, 3) == 0) ++Run;
      const uint8_t Red = Pixel[2], Green = Pixel[1], Blue = Pixel[0];
      TColorSums* Sums = &FSettled[static_cast<size_t>(TopBitsKey(Red, Green, Blue))];
      if (Sums->PixelCount == 0) {
        int Level = 0;
        TOctreeNode* Leaf = LeafOf(Red, Green, Blue, Level);
        if (Level > ShortcutLevel) Sums = &Leaf->Sums;
      }
      Sums->Add(Red, Green, Blue, static_cast<uint32_t>(Run));
      while (FLeafCount > FMaxColors)
        if (!MergeDeepestNode()) break;
      X += Run;
    }
  }
  SettleSums();
}

// The walk starts at the node that colours of the same top bits reached at the shortcut level (or at the
// leaf above it): the nodes above it stay as they are until a merge above that level frees nodes.
TOctreeNode* TColorQuantizer::LeafOf(uint8_t Red, uint8_t Green, uint8_t Blue, int& Level) {
  const int ShortcutLevel = std::min(FColorBits, 4);
  TShortcut& Shortcut = FShortcuts[static_cast<size_t>(TopBitsKey(Red, Green, Blue))];
  TOctreeNode** Slot = &FRoot;
  Level = 0;
  if (Shortcut.Node && Shortcut.Generation == FShallowMerges) {
    TOctreeNode* Start = Shortcut.Node;
    Level = Shortcut.Level;
    if (Start->Leaf) return Start;
    Slot = &Start->Children[ChildIndex(Red, Green, Blue, Level++)];
  }
  for (;; ++Level) {
    if (!*Slot) {
      TOctreeNode* Node = *Slot = NewNode();
      if (Level == FColorBits) {
        Node->Leaf = true;
        ++FLeafCount;
      } else {
        Node->NextReducible = FReducible[Level];
        FReducible[Level] = Node;
      }
    }
    TOctreeNode* Node = *Slot;
    if (Level <= ShortcutLevel && (Level == ShortcutLevel || Node->Leaf))
      Shortcut = {Node, Level, FShallowMerges};
    if (Node->Leaf) return Node;
    Slot = &Node->Children[ChildIndex(Red, Green, Blue, Level)];
  }
}

// A leaf at the shortcut level or above covers all colours of its top bits, and so does the leaf that
// takes it in: a walk with the bits of the key alone ends there.
void TColorQuantizer::SettleSums() {
  for (int Key = 0; Key < 4096; ++Key) {
    TColorSums& Sums = FSettled[static_cast<size_t>(Key)];
    if (Sums.PixelCount == 0) continue;
    const uint8_t Red = static_cast<uint8_t>(Key >> 8 << 4);
    const uint8_t Green = static_cast<uint8_t>((Key >> 4 & 15) << 4);
    const uint8_t Blue = static_cast<uint8_t>((Key & 15) << 4);
    TOctreeNode* Node = FRoot;
    for (int Level = 0; !Node->Leaf; ++Level) Node = Node->Children[ChildIndex(Red, Green, Blue, Level)];
    Node->Sums += std::exchange(Sums, TColorSums{});
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
  for (TOctreeNode*& Child : Node->Children) {
    if (!Child) continue;
    // The deepest reducible level's children are all leaves.
    Node->Sums += Child->Sums;
    FreeNode(std::exchange(Child, nullptr));
    ++Children;
  }
  Node->Leaf = true;
  FLeafCount -= Children - 1;
  // Children at or above the shortcut level are gone.
  if (Level < std::min(FColorBits, 4)) ++FShallowMerges;
  return true;
}

TOctreeNode* TColorQuantizer::NewNode() {
  constexpr int BlockSize = 1024;
  if (TOctreeNode* Node = FFree) {
    FFree = Node->NextReducible;
    *Node = TOctreeNode{};
    return Node;
  }
  if (FBlocks.empty() || FBlockUsed == BlockSize) {
    FBlocks.push_back(std::make_unique<TOctreeNode[]>(BlockSize));
    FBlockUsed = 0;
  }
  return &FBlocks.back()[FBlockUsed++];
}

void TColorQuantizer::FreeNode(TOctreeNode* Node) {
  Node->NextReducible = FFree;
  FFree = Node;
}

int TColorQuantizer::FillPalette(RGBQUAD* Entries, int Capacity) const {
  int Count = 0;
  const std::function<void(const TOctreeNode*)> Collect = [&](const TOctreeNode* Node) {
    if (!Node || Count >= Capacity) return;
    if (Node->Leaf) {
      RGBQUAD& E = Entries[Count++];
      E = {0, 0, 0, 0};
      if (const TColorSums& Sums = Node->Sums; Sums.PixelCount) {
        E.rgbRed = static_cast<BYTE>(Sums.RedSum / Sums.PixelCount);
        E.rgbGreen = static_cast<BYTE>(Sums.GreenSum / Sums.PixelCount);
        E.rgbBlue = static_cast<BYTE>(Sums.BlueSum / Sums.PixelCount);
      }
      return;
    }
    for (const TOctreeNode* Child : Node->Children) Collect(Child);
  };
  Collect(FRoot);
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
    if (DitherMode == dkNearest) {
      // Nothing is spread between pixels: the lookup takes the row at once.
      Lookup->LookupRow(Source, Dest, Width, Ditherer->Direction());
    } else {
      uint8_t R, G, B;
      for (int X = Ditherer->Column(); X >= 0 && X < Width; X = Ditherer->Column()) {
        const uint8_t* Pixel = Source + 3 * X;
        Dest[X] = static_cast<uint8_t>(Ditherer->Dither(Pixel[2], Pixel[1], Pixel[0], R, G, B));
      }
    }
    Ditherer->NextLine();
  }
  Writer.StoreIntoBitmap();
  return Result;
}
