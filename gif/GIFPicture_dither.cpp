// Dithering: the nearest-colour walk and the error-diffusion kernels.
#include <algorithm>
#include <cstdlib>

#include "gif/GIFPicture.h"

int TDitherEngine::Dither(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G, uint8_t& B) {
  const int Index = FLookup->Lookup(Red, Green, Blue, R, G, B);
  NextColumn();
  return Index;
}

void TDitherEngine::NextLine() {
  FDirection = -FDirection;
  FColumn = FDirection > 0 ? 0 : FWidth - 1;
}

TErrorDiffusionDitherer::TErrorDiffusionDitherer(int AWidth, TColorLookup* ALookup,
                                                 std::vector<TDitherWeight> AKernel)
    : TDitherEngine(AWidth, ALookup), FKernel(std::move(AKernel)), FDivisor(0), FRows(1), FMargin(0) {
  for (const TDitherWeight& W : FKernel) {
    FDivisor += W.Weight;
    FRows = std::max(FRows, W.Row + 1);
    FMargin = std::max(FMargin, std::abs(W.Offset));
  }
  FStride = std::max(FWidth, 0) + 2 * FMargin;
  FErrors.assign(static_cast<size_t>(FRows) * 3 * FStride, 0);
  for (int Row = 0; Row < FRows; ++Row) FRowOrder.push_back(Row);
}

int32_t* TErrorDiffusionDitherer::Cell(int Row, int Channel, int Column) {
  return &FErrors[static_cast<size_t>(FRowOrder[Row] * 3 + Channel) * FStride + FMargin + Column];
}

int TErrorDiffusionDitherer::Dither(uint8_t Red, uint8_t Green, uint8_t Blue, uint8_t& R, uint8_t& G,
                                    uint8_t& B) {
  const int Input[3] = {Red, Green, Blue};
  int Corrected[3];
  for (int C = 0; C < 3; ++C) {
    const int32_t Sum = *Cell(0, C, FColumn);
    Corrected[C] = std::clamp(Input[C] + (Sum + FDivisor / 2) / FDivisor, 0, 255);
  }
  const int Index = FLookup->Lookup(static_cast<uint8_t>(Corrected[0]), static_cast<uint8_t>(Corrected[1]),
                                    static_cast<uint8_t>(Corrected[2]), R, G, B);
  const int Chosen[3] = {R, G, B};
  for (int C = 0; C < 3; ++C) {
    const int Error = Corrected[C] - Chosen[C];
    if (Error == 0) continue;
    for (const TDitherWeight& W : FKernel)
      *Cell(W.Row, C, FColumn + W.Offset * FDirection) += Error * W.Weight;
  }
  NextColumn();
  return Index;
}

void TErrorDiffusionDitherer::NextLine() {
  // The current row is spent: cleared, it becomes the lowest held row.
  const int Spent = FRowOrder.front();
  std::fill_n(FErrors.begin() + static_cast<ptrdiff_t>(Spent) * 3 * FStride, 3 * FStride, 0);
  std::rotate(FRowOrder.begin(), FRowOrder.begin() + 1, FRowOrder.end());
  TDitherEngine::NextLine();
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int AWidth, TColorLookup* ALookup)
    : TErrorDiffusionDitherer(AWidth, ALookup, {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}}) {}

TStuckiDitherer::TStuckiDitherer(int AWidth, TColorLookup* ALookup)
    : TErrorDiffusionDitherer(AWidth, ALookup,
                              {{0, 1, 8},
                               {0, 2, 4},
                               {1, -2, 2},
                               {1, -1, 4},
                               {1, 0, 8},
                               {1, 1, 4},
                               {1, 2, 2},
                               {2, -2, 1},
                               {2, -1, 2},
                               {2, 0, 4},
                               {2, 1, 2},
                               {2, 2, 1}}) {}

TSierraDitherer::TSierraDitherer(int AWidth, TColorLookup* ALookup)
    : TErrorDiffusionDitherer(AWidth, ALookup,
                              {{0, 1, 5},
                               {0, 2, 3},
                               {1, -2, 2},
                               {1, -1, 4},
                               {1, 0, 5},
                               {1, 1, 4},
                               {1, 2, 2},
                               {2, -1, 2},
                               {2, 0, 3},
                               {2, 1, 2}}) {}

TJaJuNiDitherer::TJaJuNiDitherer(int AWidth, TColorLookup* ALookup)
    : TErrorDiffusionDitherer(AWidth, ALookup,
                              {{0, 1, 7},
                               {0, 2, 5},
                               {1, -2, 3},
                               {1, -1, 5},
                               {1, 0, 7},
                               {1, 1, 5},
                               {1, 2, 3},
                               {2, -2, 1},
                               {2, -1, 3},
                               {2, 0, 5},
                               {2, 1, 3},
                               {2, 2, 1}}) {}

TSteveArcheDitherer::TSteveArcheDitherer(int AWidth, TColorLookup* ALookup)
    : TErrorDiffusionDitherer(AWidth, ALookup,
                              {{0, 2, 32},
                               {1, -3, 12},
                               {1, -1, 26},
                               {1, 1, 30},
                               {1, 3, 16},
                               {2, -2, 12},
                               {2, 0, 26},
                               {2, 2, 12},
                               {3, -3, 5},
                               {3, -1, 12},
                               {3, 1, 12},
                               {3, 3, 5}}) {}

TBurkesDitherer::TBurkesDitherer(int AWidth, TColorLookup* ALookup)
    : TErrorDiffusionDitherer(
          AWidth, ALookup, {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}) {}

std::unique_ptr<TDitherEngine> CreateDitherer(TGIFDitherKind Kind, int Width, TColorLookup* Lookup) {
  switch (Kind) {
    case dkNearest:
      return std::make_unique<TDitherEngine>(Width, Lookup);
    case dkFloydSteinberg:
      return std::make_unique<TFloydSteinbergDitherer>(Width, Lookup);
    case dkStucki:
      return std::make_unique<TStuckiDitherer>(Width, Lookup);
    case dkSierra:
      return std::make_unique<TSierraDitherer>(Width, Lookup);
    case dkJaJuNi:
      return std::make_unique<TJaJuNiDitherer>(Width, Lookup);
    case dkSteveArche:
      return std::make_unique<TSteveArcheDitherer>(Width, Lookup);
    case dkBurkes:
      return std::make_unique<TBurkesDitherer>(Width, Lookup);
  }
  return nullptr;
}
