// Damaged image data, made by byte surgery on small valid data: every case ends decoding with the
// decoder's warning or none, quickly, keeps the pixels decoded so far, and never writes outside the frame.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <set>

#include "tests/gif/GifTestSupport.h"
#include "tests/support/CpuTime.h"
#include "tests/support/Trace.h"

namespace {

const std::set<std::string> DecoderWarnings = {"Premature end of data", "Decoder bit buffer under-run",
                                               "Circular decoder table entry"};

constexpr uint8_t Fill = 0xEE;  // no pixel of the test images has this value

struct TMalformedCase {
  const char* Name;
  Bytes Data;
  // The warnings, when they are fixed by the case.
  std::optional<std::vector<std::string>> Warnings;
  // Pixels decoded before decoding stopped; -1: not checked.
  int DecodedPixels;
};

// 8 x 8 pixels of 16 colours.
const Bytes& SmallPixels() {
  static const Bytes Pixels = RandomPixels(64, 16, 21);
  return Pixels;
}

const Bytes& SmallData() {
  static const Bytes Data = EncodeImage(ckLZW, SmallPixels(), 8, 8, 16);
  return Data;
}

Bytes Codes(int MinimumCodeSize, std::vector<std::pair<int, int>> CodesAndWidths) {
  return PackCodes(MinimumCodeSize, CodesAndWidths);
}

// A clear, Roots single pixels at the widths a decoder reads them, then Code and the end code.
Bytes RootsThen(int Roots, int Code) {
  std::vector<int> List{256};
  for (int I = 0; I < Roots; ++I) List.push_back(I % 200);  // never the fill value
  List.push_back(Code);
  List.push_back(257);
  return PackCodes(8, StandardWidths(8, List));
}

Bytes Repeated(Bytes Unit, size_t Times) {
  Bytes Result;
  for (size_t I = 0; I < Times; ++I) Result.insert(Result.end(), Unit.begin(), Unit.end());
  return Result;
}

std::vector<TMalformedCase> Cases() {
  const Bytes& Valid = SmallData();
  Bytes NoZeroBlock(Valid.begin(), Valid.end() - 1);
  Bytes LongBlock = Valid;
  LongBlock[1] = 255;  // the first sub-block claims more than the data holds
  std::vector<std::pair<int, int>> ManyClears(5000, {4, 3});
  std::vector<std::pair<int, int>> ManyEnds(5000, {5, 3});
  return {
      {"empty stream", {}, {{}}, 0},
      {"code size only", {0x04}, {{}}, 0},
      {"sub-block longer than the data left", LongBlock, {{"Premature end of data"}}, -1},
      {"data cut inside a sub-block",
       Bytes(Valid.begin(), Valid.begin() + 12),
       {{"Premature end of data"}},
       -1},
      {"zero-length block before the end code",
       Codes(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 4}}),
       {{"Decoder bit buffer under-run"}},
       4},
      {"no zero-length block at the end", NoZeroBlock, {{}}, 64},
      {"code above the next free code",
       Codes(2, {{4, 3}, {0, 3}, {7, 3}, {5, 3}}),
       {{"Circular decoder table entry"}},
       1},
      {"first code after a clear not a root",
       Codes(2, {{4, 3}, {6, 3}, {5, 3}}),
       {{"Circular decoder table entry"}},
       0},
      {"first code without a clear not a root",
       Codes(2, {{7, 3}, {5, 3}}),
       {{"Circular decoder table entry"}},
       0},
      {"first code after a clear is the end code", Codes(2, {{4, 3}, {5, 3}}), {{}}, 0},
      {"clear codes only, thousands", Codes(2, ManyClears), {{"Decoder bit buffer under-run"}}, 0},
      {"end codes only, thousands", Codes(2, ManyEnds), {{}}, 0},
      {"clear after every pixel",
       Codes(2, {{4, 3}, {1, 3}, {4, 3}, {2, 3}, {4, 3}, {3, 3}, {5, 3}}),
       {{}},
       3},
      {"a later code beyond the next free one",
       Codes(2, {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {15, 4}, {5, 4}}),
       {{"Circular decoder table entry"}},
       3},
      {"a 12-bit code beyond the next free one",
       RootsThen(2000, 4000),
       {{"Circular decoder table entry"}},
       2000},
      {"codes of a full table", RootsThen(5000, 4095), {{}}, 5002},
      {"code size 0", Bytes{0x00} + Bytes(Valid.begin() + 1, Valid.end()), std::nullopt, -1},
      {"code size 1", Bytes{0x01} + Bytes(Valid.begin() + 1, Valid.end()), std::nullopt, -1},
      {"code size 12", Bytes{0x0C} + Bytes(Valid.begin() + 1, Valid.end()), std::nullopt, -1},
      {"code size 255", Bytes{0xFF} + Bytes(Valid.begin() + 1, Valid.end()), std::nullopt, -1},
      {"a million zero bytes", Bytes(1000000, 0), {{"Decoder bit buffer under-run"}}, 0},
      {"sub-blocks of garbage",
       Bytes{0x08} + Repeated(Bytes{255} + RandomPixels(255, 256, 4), 400) + Bytes{0}, std::nullopt, -1},
  };
}

// Decodes with checks that hold for any input: quick, only the decoder's warnings, and every pixel
// either decoded or still the fill value.
TDecoded DecodeDamaged(const Bytes& Data, int Width, int Height) {
  const TCpuStopwatch Stopwatch;
  TDecoded Decoded = DecodeImage(Data, Width, Height, false, Fill);
  EXPECT_LT(Stopwatch.Elapsed(), std::chrono::seconds(2));
  EXPECT_LE(Decoded.StreamPosition, static_cast<int64_t>(Data.size()));
  EXPECT_LE(Decoded.Warnings.size(), 2u);
  for (const std::string& Warning : Decoded.Warnings) EXPECT_TRUE(DecoderWarnings.count(Warning)) << Warning;
  return Decoded;
}

size_t DecodedCount(const Bytes& Pixels) {
  return static_cast<size_t>(std::find(Pixels.begin(), Pixels.end(), Fill) - Pixels.begin());
}

}  // namespace

TEST(GIFLZWMalformed, EveryCaseEndsWithTheDecodersWarning) {
  for (const TMalformedCase& Case : Cases()) {
    TRACE_CASE(Case.Name);
    const TDecoded Decoded = DecodeDamaged(Case.Data, 100, 100);
    if (Case.Warnings) {
      EXPECT_EQ(*Case.Warnings, Decoded.Warnings);
    }
    if (Case.DecodedPixels >= 0) {
      EXPECT_EQ(static_cast<size_t>(Case.DecodedPixels), DecodedCount(Decoded.Pixels));
    }
  }
}

TEST(GIFLZWMalformed, DamagedValidDataKeepsThePixelsDecodedSoFar) {
  const Bytes& Valid = SmallData();
  const Bytes& Pixels = SmallPixels();
  // A cut or a flipped final block keeps a correct prefix of the pixels.
  for (size_t Length = 0; Length <= Valid.size(); ++Length) {
    TRACE_CASE(Length);
    const TDecoded Decoded =
        DecodeDamaged(Bytes(Valid.begin(), Valid.begin() + static_cast<ptrdiff_t>(Length)), 8, 8);
    const size_t Count = DecodedCount(Decoded.Pixels);
    EXPECT_TRUE(
        std::equal(Pixels.begin(), Pixels.begin() + static_cast<ptrdiff_t>(Count), Decoded.Pixels.begin()));
    EXPECT_TRUE(std::all_of(Decoded.Pixels.begin() + static_cast<ptrdiff_t>(Count), Decoded.Pixels.end(),
                            [](uint8_t P) { return P == Fill; }));
  }
}

TEST(GIFLZWMalformed, EveryValueAtEveryByteIsDecodedSafely) {
  const Bytes& Valid = SmallData();
  for (size_t Pos = 0; Pos < Valid.size(); ++Pos)
    for (int Value = 0; Value < 256; ++Value) {
      Bytes Data = Valid;
      Data[Pos] = static_cast<uint8_t>(Value);
      DecodeDamaged(Data, 8, 8);
      if (HasFailure()) FAIL() << "byte " << Pos << " = " << Value;
    }
}

TEST(GIFLZWMalformed, RandomMutationsOfLongDataAreDecodedSafely) {
  // 12-bit codes, table clears and many sub-blocks.
  const Bytes Valid = EncodeImage(ckLZW, RandomPixels(200 * 100, 256, 8), 200, 100, 256);
  std::mt19937 Random(99);
  auto Below = [&](size_t N) { return std::uniform_int_distribution<size_t>(0, N - 1)(Random); };
  for (int Round = 0; Round < 3000; ++Round) {
    Bytes Data = Valid;
    for (size_t Flips = 1 + Below(6); Flips > 0; --Flips)
      Data[Below(Data.size())] = static_cast<uint8_t>(Random());
    if (Below(4) == 0) Data.resize(Below(Data.size()));
    DecodeDamaged(Data, 200, 100);
    if (HasFailure()) FAIL() << "round " << Round;
  }
}

// A frame in one piece is decoded by copying strings already decoded; an interlaced one row by row through
// the prefix chains. The same data read both ways, the rows put back in order, must agree, damaged or not.
TEST(GIFLZWMalformed, AWholeFrameDecodesAsRowByRow) {
  std::mt19937 Random(17);
  auto Below = [&](size_t N) { return std::uniform_int_distribution<size_t>(0, N - 1)(Random); };
  for (int Round = 0; Round < 600; ++Round) {
    TRACE_CASE(Round);
    const int Width = 1 + static_cast<int>(Below(400)), Height = 1 + static_cast<int>(Below(40));
    const int Colors = 2 << Below(8);
    const size_t Count = static_cast<size_t>(Width) * Height;
    const Bytes Pixels = Round % 3 ? RunPixels(Count, Colors, Round) : RandomPixels(Count, Colors, Round);
    Bytes Data = EncodeImage(ckLZW, Pixels, Width, Height, Colors);
    if (Round % 4 == 1)
      for (size_t Flips = 1 + Below(4); Flips > 0; --Flips) Data[Below(Data.size())] = uint8_t(Random());
    if (Round % 5 == 2) Data.resize(Below(Data.size()));
    const int Rows = std::max(1, Height + static_cast<int>(Below(5)) - 2);  // frames of other sizes too
    const TDecoded Whole = DecodeImage(Data, Width, Rows, false, Fill);
    const TDecoded Interlaced = DecodeImage(Data, Width, Rows, true, Fill);
    Bytes InOrder;
    for (TGIFInterlaceWalk Walk{Rows}; InOrder.size() < Whole.Pixels.size(); Walk.Next()) {
      const auto Row = Interlaced.Pixels.begin() + static_cast<ptrdiff_t>(Walk.Row) * Width;
      InOrder.insert(InOrder.end(), Row, Row + Width);
    }
    ASSERT_EQ(Whole.Pixels, InOrder);
    ASSERT_EQ(Whole.Warnings, Interlaced.Warnings);
    ASSERT_EQ(Whole.StreamPosition, Interlaced.StreamPosition);
  }
}
