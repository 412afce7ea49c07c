// The invariants that every ditherer keeps, run for each kind.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <set>
#include <string>

#include "tests/gif/GifTestSupport.h"
#include "tests/support/Trace.h"

namespace {

// Drives a ditherer over an image of Width x Height colours in its serpentine order, as the reduction
// does; returns the indices and the chosen colours row by row.
struct TDithered {
  std::vector<int> Indices;
  std::vector<int> Chosen;  // one value per channel
};

TDithered Walk(TGIFDitherKind Kind, TColorLookup& Lookup, int Width, int Height,
               const std::function<uint8_t(int X, int Y, int Channel)>& Pixel) {
  TDithered Result;
  Result.Indices.assign(static_cast<size_t>(Width) * Height, -1);
  Result.Chosen.assign(static_cast<size_t>(Width) * Height * 3, 0);
  const auto Ditherer = CreateDitherer(Kind, Width, &Lookup);
  for (int Y = 0; Y < Height; ++Y) {
    for (int X = Ditherer->Column(); X >= 0 && X < Width; X = Ditherer->Column()) {
      const size_t I = static_cast<size_t>(Y) * Width + X;
      EXPECT_EQ(-1, Result.Indices[I]) << "visited twice";
      uint8_t R, G, B;
      Result.Indices[I] = Ditherer->Dither(Pixel(X, Y, 0), Pixel(X, Y, 1), Pixel(X, Y, 2), R, G, B);
      Result.Chosen[3 * I] = R;
      Result.Chosen[3 * I + 1] = G;
      Result.Chosen[3 * I + 2] = B;
    }
    Ditherer->NextLine();
  }
  return Result;
}

// Records every colour it is asked for; answers the one entry gray 0.
class TRecordingLookup : public TColorLookup {
 public:
  TRecordingLookup() : TColorLookup(1) {}
  int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override {
    Asked.push_back(Red);
    Asked.push_back(Green);
    Asked.push_back(Blue);
    R = G = B = 0;
    return 0;
  }
  std::vector<uint8_t> Asked;
};

class GIFDither : public testing::TestWithParam<TGIFDitherKind> {};

uint8_t Noise(int X, int Y, int Channel) {
  return static_cast<uint8_t>((X * 73 + Y * 151 + Channel * 89) * 2654435761u >> 24);
}

}  // namespace

TEST_P(GIFDither, EveryPixelIsVisitedOnceWithAnIndexOfThePalette) {
  TNetscapeColorLookup Web;
  for (int Width : {1, 2, 5, 64}) {
    const TDithered D = Walk(GetParam(), Web, Width, 7, Noise);
    for (int Index : D.Indices) ASSERT_TRUE(Index >= 0 && Index < 216) << Index;
  }
  const TPaletteHandle Gray4(CreateGrayPalette4());
  TFastColorLookup Fast(Gray4.get());
  for (int Index : Walk(GetParam(), Fast, 33, 9, Noise).Indices) ASSERT_TRUE(Index >= 0 && Index < 4);
}

TEST_P(GIFDither, AColourOfThePaletteMapsToOneIndexEverywhere) {
  TNetscapeColorLookup Web;
  const TDithered D = Walk(GetParam(), Web, 31, 9, [](int, int, int Channel) {
    return static_cast<uint8_t>(Channel == 0 ? 153 : Channel == 1 ? 51 : 255);
  });
  for (int Index : D.Indices) ASSERT_EQ(3 * 36 + 1 * 6 + 5, Index);
}

TEST_P(GIFDither, ErrorDiffusionKeepsTheMeanColour) {
  TNetscapeColorLookup Web;
  // Gray 128 lies between the levels 102 and 153; a gradient crosses many levels.
  const TDithered Flat = Walk(GetParam(), Web, 64, 64, [](int, int, int) { return uint8_t{128}; });
  const TDithered Ramp = Walk(GetParam(), Web, 64, 64,
                              [](int X, int, int Channel) { return static_cast<uint8_t>(X * 4 + Channel); });
  double FlatSum = 0, RampSum = 0, RampInput = 0;
  std::set<int> FlatIndices(Flat.Indices.begin(), Flat.Indices.end());
  for (int V : Flat.Chosen) FlatSum += V;
  for (size_t I = 0; I < Ramp.Chosen.size(); ++I) {
    RampSum += Ramp.Chosen[I];
    RampInput += (I / 3 % 64) * 4 + I % 3;
  }
  const double FlatMean = FlatSum / static_cast<double>(Flat.Chosen.size());
  const double RampError = std::abs(RampSum - RampInput) / static_cast<double>(Ramp.Chosen.size());
  if (GetParam() == dkNearest) {
    // Each pixel alone: gray 128 is level (128 + 3) / 51 = 2, i.e. 102, everywhere.
    EXPECT_EQ(102.0, FlatMean);
    EXPECT_EQ(1u, FlatIndices.size());
  } else {
    EXPECT_NEAR(128.0, FlatMean, 2.0);
    EXPECT_LT(RampError, 2.0);
    // A mixture of grays, mostly the two around 128.
    EXPECT_TRUE(FlatIndices.count(2 * 43) && FlatIndices.count(3 * 43));
    for (int Index : FlatIndices) EXPECT_EQ(0, Index % 43) << Index;
  }
}

TEST_P(GIFDither, CorrectedColoursStayWithin0To255) {
  // White through a palette of only black: the error grows without end, the corrected value stays 255.
  TRecordingLookup Lookup;
  Walk(GetParam(), Lookup, 16, 16, [](int, int, int) { return uint8_t{255}; });
  for (uint8_t Value : Lookup.Asked) ASSERT_EQ(255, Value);
}

TEST_P(GIFDither, RowsTurnRoundAtTheirEnds) {
  TNetscapeColorLookup Web;
  for (int Width : {1, 4}) {
    const auto D = CreateDitherer(GetParam(), Width, &Web);
    EXPECT_EQ(0, D->Column());
    EXPECT_EQ(1, D->Direction());
    D->NextLine();
    EXPECT_EQ(Width - 1, D->Column());
    EXPECT_EQ(-1, D->Direction());
    D->NextLine();
    EXPECT_EQ(0, D->Column());
  }
}

// Named by kind, so that one kind can be picked with ctest -R.
static std::string DitherKindName(const testing::TestParamInfo<TGIFDitherKind>& Info) {
  switch (Info.param) {
    case dkNearest:
      return "Nearest";
    case dkFloydSteinberg:
      return "FloydSteinberg";
    case dkStucki:
      return "Stucki";
    case dkSierra:
      return "Sierra";
    case dkJaJuNi:
      return "JaJuNi";
    case dkSteveArche:
      return "SteveArche";
    case dkBurkes:
      return "Burkes";
  }
  return "Kind" + std::to_string(static_cast<int>(Info.param));
}

INSTANTIATE_TEST_SUITE_P(AllKinds, GIFDither,
                         testing::Values(dkNearest, dkFloydSteinberg, dkStucki, dkSierra, dkJaJuNi,
                                         dkSteveArche, dkBurkes),
                         DitherKindName);

TEST(GIFDitherKinds, UnknownKindHasNoDitherer) {
  TNetscapeColorLookup Web;
  EXPECT_EQ(nullptr, CreateDitherer(static_cast<TGIFDitherKind>(7), 4, &Web));
}

TEST(GIFDitherKinds, EachKernelSpreadsTheErrorWithItsPublishedWeightsAndPlaces) {
  // Every colour is in the palette but white, which becomes black: one white pixel's error of 255 alone
  // reaches the pixels after it, in the direction of its row.
  class TAllButWhite : public TColorLookup {
   public:
    TAllButWhite() : TColorLookup(1) {}
    int Lookup(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) override {
      const bool White = Red == 255;
      R = White ? 0 : Red;
      G = White ? 0 : Green;
      B = White ? 0 : Blue;
      return 0;
    }
  } Lookup;
  // The published kernels: the rows from the pixel's own down, the columns 3 before to 3 after it.
  struct TKernel {
    TGIFDitherKind Kind;
    int Divisor;
    std::vector<std::array<int, 7>> Rows;
  };
  const TKernel Kernels[] = {
      {dkFloydSteinberg, 16, {{0, 0, 0, 0, 7, 0, 0}, {0, 0, 3, 5, 1, 0, 0}}},
      {dkStucki, 42, {{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {0, 1, 2, 4, 2, 1, 0}}},
      {dkSierra, 32, {{0, 0, 0, 0, 5, 3, 0}, {0, 2, 4, 5, 4, 2, 0}, {0, 0, 2, 3, 2, 0, 0}}},
      {dkJaJuNi, 48, {{0, 0, 0, 0, 7, 5, 0}, {0, 3, 5, 7, 5, 3, 0}, {0, 1, 3, 5, 3, 1, 0}}},
      {dkSteveArche,
       200,
       {{0, 0, 0, 0, 0, 32, 0},
        {12, 0, 26, 0, 30, 0, 16},
        {0, 12, 0, 26, 0, 12, 0},
        {5, 0, 12, 0, 12, 0, 5}}},
      {dkBurkes, 32, {{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}}},
  };
  constexpr int Width = 7, Height = 6;
  for (const TKernel& Kernel : Kernels)
    for (int WhiteRow : {0, 1}) {  // left to right, then right to left
      TRACE_CASE(testing::Message() << "kind " << int{Kernel.Kind} << " row " << WhiteRow);
      const TDithered D = Walk(Kernel.Kind, Lookup, Width, Height, [&](int X, int Y, int) {
        return static_cast<uint8_t>(X == 3 && Y == WhiteRow ? 255 : 0);
      });
      const int Direction = WhiteRow == 0 ? 1 : -1;
      for (int Y = WhiteRow; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X) {
          const size_t Row = static_cast<size_t>(Y - WhiteRow);
          const int Weight = Row < Kernel.Rows.size() && !(Row == 0 && X == 3)
                                 ? Kernel.Rows[Row][3 + (X - 3) * Direction]
                                 : 0;
          EXPECT_EQ((255 * Weight + Kernel.Divisor / 2) / Kernel.Divisor, D.Chosen[3 * (Y * Width + X)])
              << X << ", " << Y;
        }
    }
}

TEST(GIFDitherKinds, NearestTakesEachPixelsOwnLookup) {
  TNetscapeColorLookup Web;
  const TDithered D = Walk(dkNearest, Web, 13, 6, Noise);
  for (int Y = 0; Y < 6; ++Y)
    for (int X = 0; X < 13; ++X) {
      uint8_t R, G, B;
      EXPECT_EQ(Web.Lookup(Noise(X, Y, 0), Noise(X, Y, 1), Noise(X, Y, 2), R, G, B), D.Indices[Y * 13 + X]);
    }
}
