// Colour reduction: the helpers, fixed palettes, lookups, the octree and the reduction driver.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "tests/classlib/RaisedMessage.h"
#include "tests/gif/GifTestSupport.h"
#include "tests/support/Trace.h"

namespace {

struct TRGB {
  uint8_t R, G, B;
  bool operator==(const TRGB&) const = default;
};

struct TLogPalette4 {
  WORD Version;
  WORD Count;
  PALETTEENTRY Entries[4];
};

std::vector<PALETTEENTRY> EntriesOf(HPALETTE Palette) {
  std::vector<PALETTEENTRY> Entries(GetPaletteEntries(Palette, 0, 0, nullptr));
  GetPaletteEntries(Palette, 0, static_cast<UINT>(Entries.size()), Entries.data());
  return Entries;
}

// A 24-bit bitmap of the given colours, row by row.
std::unique_ptr<TBitmap> Bitmap24(int Width, int Height, const std::vector<TRGB>& Colors) {
  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->SetPixelFormat(pf24bit);
  Bitmap->SetSize(Width, Height);
  for (int Y = 0; Y < Height; ++Y) {
    auto* Row = static_cast<uint8_t*>(Bitmap->ScanLine(Y));
    for (int X = 0; X < Width; ++X) {
      const TRGB& C = Colors[static_cast<size_t>(Y) * Width + X];
      Row[3 * X] = C.B;
      Row[3 * X + 1] = C.G;
      Row[3 * X + 2] = C.R;
    }
  }
  return Bitmap;
}

std::vector<TRGB> RandomColors(size_t Count, unsigned Seed) {
  std::mt19937 Random(Seed);
  std::vector<TRGB> Result(Count);
  for (TRGB& C : Result) {
    const uint32_t V = Random();
    C = {static_cast<uint8_t>(V), static_cast<uint8_t>(V >> 8), static_cast<uint8_t>(V >> 16)};
  }
  return Result;
}

// The colours of any bitmap as 24 bits per pixel.
std::vector<TRGB> ColorsOf(TBitmap& Bitmap) {
  TBitmap Copy;
  Copy.Assign(&Bitmap);
  Copy.SetPixelFormat(pf24bit);
  std::vector<TRGB> Result;
  for (int Y = 0; Y < Copy.Height(); ++Y) {
    const auto* Row = static_cast<const uint8_t*>(Copy.ScanLine(Y));
    for (int X = 0; X < Copy.Width(); ++X) Result.push_back({Row[3 * X + 2], Row[3 * X + 1], Row[3 * X]});
  }
  return Result;
}

Bytes IndicesOf(TBitmap& Bitmap) {
  Bytes Result;
  for (int Y = 0; Y < Bitmap.Height(); ++Y) {
    const auto* Row = static_cast<const uint8_t*>(Bitmap.ScanLine(Y));
    Result.insert(Result.end(), Row, Row + Bitmap.Width());
  }
  return Result;
}

// The octree the plain way: each pixel walks down from the root, and while there are more leaves than
// asked, the newest node of the deepest level that has any takes its children in.
std::vector<TRGB> PlainOctreePalette(const std::vector<TRGB>& Pixels, int MaxColors, int Bits) {
  struct TNode {
    bool Leaf;
    uint64_t Sums[4];  // pixels, red, green, blue
    int Children[8];   // 0: none
  };
  std::vector<TNode> Nodes{{}, {}};  // the root is node 1
  std::vector<int> Reducible[8] = {{1}};
  int Leaves = 0;
  for (const TRGB& C : Pixels) {
    int Node = 1;
    for (int Level = 1; !Nodes[Node].Leaf; ++Level) {
      const int Shift = 8 - Level;
      const int Index = (C.R >> Shift & 1) << 2 | (C.G >> Shift & 1) << 1 | (C.B >> Shift & 1);
      if (!Nodes[Node].Children[Index]) {
        Nodes.push_back({Level == Bits, {}, {}});
        Nodes[Node].Children[Index] = static_cast<int>(Nodes.size()) - 1;
        if (Level == Bits)
          ++Leaves;
        else
          Reducible[Level].push_back(Nodes[Node].Children[Index]);
      }
      Node = Nodes[Node].Children[Index];
    }
    const uint64_t Added[4] = {1, C.R, C.G, C.B};
    for (int I = 0; I < 4; ++I) Nodes[Node].Sums[I] += Added[I];
    for (int Level = Bits - 1; Leaves > MaxColors; Level = Bits - 1) {
      while (Level > 0 && Reducible[Level].empty()) --Level;
      if (Reducible[Level].empty()) break;
      TNode& Merged = Nodes[Reducible[Level].back()];
      Reducible[Level].pop_back();
      for (int& Child : Merged.Children) {
        for (int I = 0; I < 4 && Child; ++I) Merged.Sums[I] += Nodes[Child].Sums[I];
        Leaves -= Child != 0;
        Child = 0;
      }
      Merged.Leaf = true;
      ++Leaves;
    }
  }
  std::vector<TRGB> Palette;
  const std::function<void(int)> Collect = [&](int Node) {
    const uint64_t* S = Nodes[Node].Sums;
    if (Nodes[Node].Leaf)
      Palette.push_back({static_cast<uint8_t>(S[1] / S[0]), static_cast<uint8_t>(S[2] / S[0]),
                         static_cast<uint8_t>(S[3] / S[0])});
    for (int Child : Nodes[Node].Children)
      if (Child) Collect(Child);
  };
  Collect(1);
  return Palette;
}

int NetscapeIndex(TRGB C) {
  TNetscapeColorLookup Lookup;
  uint8_t R, G, B;
  return Lookup.Lookup(C.R, C.G, C.B, R, G, B);
}

}  // namespace

TEST(GIFColors, ColorCountToBitsAndScanlineByteCount) {
  const std::pair<int, int> Bits[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {256, 8}, {257, 9}};
  for (auto [Count, Expected] : Bits) EXPECT_EQ(Expected, ColorCountToBits(Count)) << Count;
  EXPECT_EQ(4, ScanlineByteCount(3, 8, 32));
  EXPECT_EQ(12, ScanlineByteCount(3, 24, 32));
  EXPECT_EQ(4, ScanlineByteCount(1, 1, 32));
  EXPECT_EQ(int64_t{65535 * 3 + 3}, ScanlineByteCount(65535, 24, 32));  // no overflow for any width
  EXPECT_EQ(int64_t{0x7FFFFFFF} * 4, ScanlineByteCount(0x7FFFFFFF, 32, 32));
  EXPECT_EQ(int64_t{0x7FFFFFFF} * 3 + 3, ScanlineByteCount(0x7FFFFFFF, 24, 32));
}

TEST(GIFColors, FixedPalettesHoldTheirColours) {
  const TPaletteHandle Web(CreatePalette216());
  const auto WebEntries = EntriesOf(Web.get());
  ASSERT_EQ(216u, WebEntries.size());
  for (int R = 0; R < 6; ++R)
    for (int G = 0; G < 6; ++G)
      for (int B = 0; B < 6; ++B) {
        const PALETTEENTRY& E = WebEntries[36 * R + 6 * G + B];
        EXPECT_EQ(R * 51, E.peRed);
        EXPECT_EQ(G * 51, E.peGreen);
        EXPECT_EQ(B * 51, E.peBlue);
      }
  const TPaletteHandle Gray(CreateGrayPalette256());
  const auto GrayEntries = EntriesOf(Gray.get());
  ASSERT_EQ(256u, GrayEntries.size());
  EXPECT_EQ(77, GrayEntries[77].peGreen);
  EXPECT_EQ(PC_NOCOLLAPSE, GrayEntries[77].peFlags);
  const TPaletteHandle Mono(CreateBlackWhitePalette());
  ASSERT_EQ(2u, EntriesOf(Mono.get()).size());
  EXPECT_EQ(255, EntriesOf(Mono.get())[1].peBlue);
  const TPaletteHandle Gray4(CreateGrayPalette4());
  const auto Gray4Entries = EntriesOf(Gray4.get());
  ASSERT_EQ(4u, Gray4Entries.size());
  EXPECT_EQ(0x80, Gray4Entries[1].peRed);
  EXPECT_EQ(0xC0, Gray4Entries[2].peRed);
  const TPaletteHandle Halftone(CreateHalftonePalette256());
  EXPECT_GE(EntriesOf(Halftone.get()).size(), 16u);
}

// The web palette's lookup takes (value + 3) / 51 as each channel's level, not the nearest one; the
// picture export's tests expect exactly these colours.
TEST(GIFColors, WebLookupTakesTheTruncatedLevel) {
  EXPECT_EQ(0, NetscapeIndex({0, 0, 0}));
  EXPECT_EQ(43, NetscapeIndex({48, 48, 48}));
  EXPECT_EQ(215, NetscapeIndex({255, 255, 255}));
  EXPECT_EQ(0, NetscapeIndex({0, 0, 47}));
  EXPECT_EQ(1, NetscapeIndex({0, 0, 48}));
  EXPECT_EQ(4 * 36 + 0 * 6 + 2, NetscapeIndex({250, 10, 128}));  // not 5 * 36 + 3: 250 is nearer 255
  TNetscapeColorLookup Lookup;
  uint8_t R, G, B;
  Lookup.Lookup(250, 10, 128, R, G, B);
  EXPECT_EQ(204, R);
  EXPECT_EQ(0, G);
  EXPECT_EQ(102, B);
}

TEST(GIFColors, GrayAndMonochromeLookups) {
  TGrayScaleLookup Gray;
  uint8_t R, G, B;
  EXPECT_EQ((200 * 77 + 100 * 150 + 50 * 29) >> 8, Gray.Lookup(200, 100, 50, R, G, B));
  EXPECT_EQ(R, (200 * 77 + 100 * 150 + 50 * 29) >> 8);
  EXPECT_EQ(R, B);
  TMonochromeLookup Mono;
  EXPECT_EQ(256, Gray.Colors());
  EXPECT_EQ(2, Mono.Colors());
  // Weighted sums 32512 (0, 192, 128) and 32513 (0, 169, 247).
  EXPECT_EQ(0, Mono.Lookup(0, 192, 128, R, G, B));
  EXPECT_EQ(0, R);
  EXPECT_EQ(1, Mono.Lookup(0, 169, 247, R, G, B));
  EXPECT_EQ(255, B);
}

TEST(GIFColors, FastLookupSearchesTheLeastDifferenceAndTheFirstEqualEntryWins) {
  TLogPalette4 Log{0x300, 4, {{10, 10, 10, 0}, {200, 0, 0, 0}, {10, 10, 10, 0}, {0, 0, 250, 0}}};
  const TPaletteHandle Palette(CreatePalette(reinterpret_cast<LOGPALETTE*>(&Log)));
  TFastColorLookup Lookup(Palette.get());
  EXPECT_EQ(4, Lookup.Colors());
  uint8_t R, G, B;
  EXPECT_EQ(0, Lookup.Lookup(10, 10, 10, R, G, B));  // entry 0 owns its cell, entry 2 never wins
  EXPECT_EQ(1, Lookup.Lookup(180, 30, 0, R, G, B));
  EXPECT_EQ(200, R);
  EXPECT_EQ(3, Lookup.Lookup(0, 0, 200, R, G, B));
  // Colours of one 15-bit cell share the first answer.
  EXPECT_EQ(3, Lookup.Lookup(0, 0, 207, R, G, B));
  EXPECT_EQ(0, Lookup.Lookup(12, 12, 12, R, G, B));
  auto FastOf = [](const std::vector<TRGB>& Entries) {
    struct {
      WORD Version = 0x300, Count;
      PALETTEENTRY Entries[256];
    } Table{.Count = static_cast<WORD>(Entries.size()), .Entries = {}};
    for (size_t I = 0; I < Entries.size(); ++I)
      Table.Entries[I] = {Entries[I].R, Entries[I].G, Entries[I].B, 0};
    const TPaletteHandle Palette(CreatePalette(reinterpret_cast<LOGPALETTE*>(&Table)));
    return std::make_unique<TFastColorLookup>(Palette.get());
  };
  // Entries 1 and 8 tie in different lanes: the earlier wins.
  std::vector<TRGB> Nine(9, {250, 250, 250});
  Nine[1] = {0, 0, 0};
  Nine[8] = {20, 0, 0};
  EXPECT_EQ(1, FastOf(Nine)->Lookup(10, 0, 0, R, G, B));
  // Tables of every size up to three rounds of the search's lanes and full ones, of few channel values
  // so that entries repeat and equal sums meet in different lanes, against the plain search.
  std::mt19937 Random(4);
  auto Value = [&] { return static_cast<uint8_t>(std::array{0, 10, 20, 30, 250}[Random() % 5]); };
  for (int Size = 1; Size <= 256; Size += Size < 26 ? 1 : 115) {
    TRACE_CASE(Size);
    std::vector<TRGB> Entries;
    for (int I = 0; I < Size; ++I) Entries.push_back({Value(), Value(), Value()});
    const auto Fast = FastOf(Entries);
    // The plain search: each entry claims its own cell unless an earlier one did; an unknown cell takes
    // the first entry of the least sum of channel differences.
    std::map<int, int> Cells;
    auto Cell = [](TRGB C) { return C.R >> 3 | (C.G >> 3) << 5 | (C.B >> 3) << 10; };
    for (int I = 0; I < Size; ++I) Cells.emplace(Cell(Entries[static_cast<size_t>(I)]), I);
    for (int N = 0; N < 300; ++N) {
      const TRGB C{static_cast<uint8_t>(Value() + Random() % 6), Value(),
                   static_cast<uint8_t>(Random() % 40)};
      auto [Known, Unknown] = Cells.emplace(Cell(C), 0);
      for (int I = 0, Least = 196608; Unknown && I < Size; ++I) {
        const TRGB& E = Entries[static_cast<size_t>(I)];
        const int Sum = std::abs(C.R - E.R) + std::abs(C.G - E.G) + std::abs(C.B - E.B);
        if (Sum < Least) Least = Sum, Known->second = I;
      }
      ASSERT_EQ(Known->second, Fast->Lookup(C.R, C.G, C.B, R, G, B)) << +C.R << "," << +C.G << "," << +C.B;
    }
  }
}

TEST(GIFColors, SlowLookupIsThePlatformsNearestIndex) {
  const TPaletteHandle Palette(CreateGrayPalette4());
  TSlowColorLookup Lookup(Palette.get());
  EXPECT_EQ(4, Lookup.Colors());
  uint8_t R, G, B;
  for (const TRGB& C : RandomColors(200, 3)) {
    const int Index = Lookup.Lookup(C.R, C.G, C.B, R, G, B);
    EXPECT_EQ(static_cast<int>(GetNearestPaletteIndex(Palette.get(), RGB(C.R, C.G, C.B))), Index);
    EXPECT_EQ(R, EntriesOf(Palette.get())[static_cast<size_t>(Index)].peRed);
  }
}

TEST(GIFColors, OctreeGivesThePlainOctreesPaletteAndNeverHoldsMoreColoursThanAsked) {
  const auto Source = Bitmap24(64, 64, RandomColors(64 * 64, 9));
  for (int Colors : {1, 2, 7, 16, 256}) {
    TColorQuantizer Quantizer(Colors, 8);
    TDIBReader Reader(Source.get(), pf24bit);
    Quantizer.AddImage(&Reader);
    EXPECT_LE(Quantizer.LeafCount(), Colors);
    RGBQUAD Entries[256];
    EXPECT_EQ(Quantizer.LeafCount(), Quantizer.FillPalette(Entries, 256));
  }
  // Two pictures, one of any colours and one of runs and clusters that share their top bits, into one
  // tree of every depth, against the plain octree.
  std::vector<TRGB> Clustered = RandomColors(64 * 64, 10);
  for (size_t I = 1; I < Clustered.size(); ++I)
    if (I % 3 == 0)
      Clustered[I] = Clustered[I - 1];
    else if (I % 3 == 1)
      Clustered[I] = {static_cast<uint8_t>(Clustered[I].R & 0x8F),
                      static_cast<uint8_t>(Clustered[I].G & 0x8F), 7};
  for (int Bits : {8, 5, 3})
    for (int Colors : {2, 5, 16, 40, 256}) {
      TRACE_CASE(Bits * 1000 + Colors);
      TColorQuantizer Quantizer(Colors, Bits);
      std::vector<TRGB> All;
      for (const auto& Colours : {RandomColors(64 * 64, 9), Clustered}) {
        const auto Picture = Bitmap24(64, 64, Colours);
        TDIBReader Reader(Picture.get(), pf24bit);
        Quantizer.AddImage(&Reader);
        All.insert(All.end(), Colours.begin(), Colours.end());
      }
      RGBQUAD Entries[256];
      std::vector<TRGB> Palette(static_cast<size_t>(Quantizer.FillPalette(Entries, 256)));
      for (size_t I = 0; I < Palette.size(); ++I)
        Palette[I] = {Entries[I].rgbRed, Entries[I].rgbGreen, Entries[I].rgbBlue};
      ASSERT_EQ(PlainOctreePalette(All, Colors, Bits), Palette);
    }
  // The third colour's path is merged away one level above the shortcut level, and its node is taken
  // by the fifth colour's path before a colour of the third's top bits comes back.
  const std::vector<TRGB> Returning = {{165, 69, 197}, {165, 69, 213}, {181, 85, 213},
                                       {165, 85, 197}, {229, 69, 197}, {185, 89, 217}};
  TColorQuantizer Quantizer(3, 8);
  const auto Picture = Bitmap24(6, 1, Returning);
  TDIBReader Reader(Picture.get(), pf24bit);
  Quantizer.AddImage(&Reader);
  RGBQUAD Entries[256];
  std::vector<TRGB> Palette(static_cast<size_t>(Quantizer.FillPalette(Entries, 256)));
  for (size_t I = 0; I < Palette.size(); ++I)
    Palette[I] = {Entries[I].rgbRed, Entries[I].rgbGreen, Entries[I].rgbBlue};
  EXPECT_EQ(PlainOctreePalette(Returning, 3, 8), Palette);
  // Reduction bits outside 0..8 are clamped instead of overrunning the 256 entries.
  for (int Bits : {-1, 0, 1, 8, 9, 31}) {
    const auto Reduced = ReduceBitmapColors(Source.get(), pmOctree, dkNearest, Bits, nullptr);
    ASSERT_FALSE(Reduced->Empty()) << Bits;
    const int Count = 1 << std::clamp(Bits, 0, 8);
    for (uint8_t Index : IndicesOf(*Reduced)) ASSERT_LT(Index, Count) << Bits;
  }
}

TEST(GIFColors, OctreeKeepingSystemColoursPutsTheImagesColoursBetweenThem) {
  std::vector<TRGB> Colors;
  for (int I = 0; I < 30; ++I)
    Colors.push_back(I % 3 == 0 ? TRGB{255, 0, 0} : I % 3 == 1 ? TRGB{0, 99, 0} : TRGB{7, 7, 200});
  const auto Source = Bitmap24(10, 3, Colors);
  const TPaletteHandle Palette(BuildQuantizedPaletteForBitmap(Source.get(), 256, 8, true));
  const auto Entries = EntriesOf(Palette.get());
  ASSERT_EQ(256u, Entries.size());
  const auto System = EntriesOf(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
  ASSERT_EQ(20u, System.size());
  for (int I = 0; I < 10; ++I) {
    EXPECT_EQ(System[I].peRed, Entries[I].peRed);
    EXPECT_EQ(System[10 + I].peBlue, Entries[246 + I].peBlue);
  }
  std::set<std::tuple<int, int, int>> Three;
  for (int I = 10; I < 13; ++I) Three.insert({Entries[I].peRed, Entries[I].peGreen, Entries[I].peBlue});
  EXPECT_EQ((std::set<std::tuple<int, int, int>>{{255, 0, 0}, {0, 99, 0}, {7, 7, 200}}), Three);
  for (int I = 13; I < 246; ++I) EXPECT_EQ(0, Entries[I].peRed + Entries[I].peGreen + Entries[I].peBlue);
}

TEST(GIFColors, WebReductionOfOnePixel) {
  const auto Source = Bitmap24(1, 1, {{250, 10, 128}});
  const auto Reduced = ReduceBitmapColors(Source.get(), pmWeb216, dkNearest, 8, nullptr);
  EXPECT_EQ(pf8bit, Reduced->PixelFormat());
  EXPECT_EQ(146, static_cast<const uint8_t*>(Reduced->ScanLine(0))[0]);
  // The bitmap's colour table: the 216 web colours, then 40 black entries.
  const auto Entries = EntriesOf(Reduced->Palette());
  ASSERT_EQ(256u, Entries.size());
  EXPECT_EQ(204, Entries[146].peRed);
  EXPECT_EQ(102, Entries[146].peBlue);
  EXPECT_EQ(255, Entries[215].peGreen);
  for (size_t I = 216; I < 256; ++I) EXPECT_EQ(0, Entries[I].peRed + Entries[I].peGreen + Entries[I].peBlue);
}

TEST(GIFColors, WebReductionOfEveryPixelFormatMapsEachPixelByItsColour) {
  for (TPixelFormat Format : {pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    TRACE_CASE(static_cast<int>(Format));
    auto Source = Bitmap24(37, 5, RandomColors(37 * 5, 17));
    Source->SetPixelFormat(Format);
    const std::vector<TRGB> Colors = ColorsOf(*Source);
    const auto Reduced = ReduceBitmapColors(Source.get(), pmWeb216, dkNearest, 8, nullptr);
    ASSERT_EQ(37, Reduced->Width());
    ASSERT_EQ(5, Reduced->Height());
    const Bytes Indices = IndicesOf(*Reduced);
    for (size_t I = 0; I < Colors.size(); ++I) ASSERT_EQ(NetscapeIndex(Colors[I]), Indices[I]) << I;
    EXPECT_EQ(pf24bit, Source->PixelFormat());  // the reader converted the source
  }
}

TEST(GIFColors, EveryMethodGivesIndicesWithinItsPalette) {
  const auto Source = Bitmap24(23, 11, RandomColors(23 * 11, 5));
  const TPaletteHandle Custom(CreateGrayPalette4());
  const TPaletteHandle Halftone(CreateHalftonePalette256());
  const std::pair<TGIFPaletteMode, size_t> Modes[] = {
      {pmSystem20, 20}, {pmHalftone256, EntriesOf(Halftone.get()).size()},
      {pmGray4, 4},     {pmBlackWhite, 2},
      {pmGray256, 256}, {pmWeb216, 216},
      {pmOctree, 32},   {pmOctreeKeepSystem, 256},
      {pmCustom, 4}};
  for (auto [Mode, Count] : Modes) {
    TRACE_CASE(static_cast<int>(Mode));
    const auto Reduced = ReduceBitmapColors(Source.get(), Mode, dkFloydSteinberg, 5, Custom.get());
    ASSERT_EQ(pf8bit, Reduced->PixelFormat());
    EXPECT_EQ(256u, EntriesOf(Reduced->Palette()).size());
    std::set<uint8_t> Used;
    for (uint8_t Index : IndicesOf(*Reduced)) {
      ASSERT_LT(Index, Count);
      Used.insert(Index);
    }
    EXPECT_GE(Used.size(), 2u);
  }
  const auto Copy = ReduceBitmapColors(Source.get(), pmNone, dkNearest, 8, nullptr);
  EXPECT_EQ(pf24bit, Copy->PixelFormat());
  EXPECT_EQ(0, std::memcmp(Copy->ScanLine(3), Source->ScanLine(3), 23 * 3));
}

TEST(GIFColors, PalettesOfMoreThan256EntriesServeTheirFirst256) {
  struct {
    WORD Version;
    WORD Count;
    PALETTEENTRY Entries[300];
  } Log{0x300, 300, {}};
  for (int I = 0; I < 300; ++I)
    Log.Entries[I] = {static_cast<BYTE>(I < 256 ? 0 : 255), 0, static_cast<BYTE>(I % 256), 0};
  const TPaletteHandle Palette(CreatePalette(reinterpret_cast<LOGPALETTE*>(&Log)));
  ASSERT_EQ(300u, EntriesOf(Palette.get()).size());
  // Red pixels are nearest to the entries beyond 256, which no 8-bit pixel can name.
  const auto Source = Bitmap24(2, 1, {{255, 0, 7}, {0, 0, 9}});
  const auto Reduced = ReduceBitmapColors(Source.get(), pmCustom, dkNearest, 8, Palette.get());
  EXPECT_EQ((Bytes{7, 9}), IndicesOf(*Reduced));
  TBitmap Target;
  TDIBWriter Writer(&Target, pf8bit, Palette.get(), 1, 1);
  Writer.GetScanline(0)[0] = 255;
  Writer.StoreIntoBitmap();
  EXPECT_EQ(255, EntriesOf(Target.Palette())[255].peBlue);
}

TEST(GIFColors, UnknownMethodsAndPalettesWithoutColoursGiveAnEmptyBitmap) {
  const auto Source = Bitmap24(4, 4, RandomColors(16, 1));
  EXPECT_TRUE(
      ReduceBitmapColors(Source.get(), static_cast<TGIFPaletteMode>(42), dkNearest, 8, nullptr)->Empty());
  EXPECT_TRUE(
      ReduceBitmapColors(Source.get(), pmWeb216, static_cast<TGIFDitherKind>(42), 8, nullptr)->Empty());
  EXPECT_TRUE(ReduceBitmapColors(Source.get(), pmCustom, dkNearest, 8, nullptr)->Empty());
}

TEST(GIFColors, DIBWriterRefusesWhatItCannotHold) {
  TBitmap Target;
  const TPaletteHandle Palette(CreatePalette216());
  EXPECT_EQ(L"Unsupported PixelFormat",
            MessageOf<GIFException>([&] { TDIBWriter(&Target, pf4bit, Palette.get(), 4, 4); }));
  EXPECT_EQ(L"Invalid image dimensions",
            MessageOf<GIFException>([&] { TDIBWriter(&Target, pf8bit, Palette.get(), 0, 4); }));
  EXPECT_EQ(L"Invalid image dimensions",
            MessageOf<GIFException>([&] { TDIBWriter(&Target, pf24bit, nullptr, 4, -1); }));
  // 65535 x 65535 at 24 bits is refused before anything is allocated.
  TDIBWriter Huge(&Target, pf24bit, nullptr, 65535, 65535);
  EXPECT_EQ(L"Failed to allocate memory for GIF DIB", MessageOf<EOutOfMemory>([&] { Huge.GetScanline(0); }));
  TDIBWriter Writer(&Target, pf8bit, Palette.get(), 3, 2);
  EXPECT_EQ(L"Scan line index out of range",
            MessageOf<EInvalidGraphicOperation>([&] { Writer.GetScanline(2); }));
  Writer.GetScanline(0)[2] = 7;
  Writer.GetScanline(1)[0] = 9;
  Writer.StoreIntoBitmap();
  EXPECT_EQ(pf8bit, Target.PixelFormat());
  EXPECT_EQ((Bytes{0, 0, 7, 9, 0, 0}), IndicesOf(Target));
}
