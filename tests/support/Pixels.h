#pragma once
// What windows paint, as pixels that tests can look at.
#include <windows.h>

#include <vector>

class TPixels {
 public:
  TPixels(int Width, int Height, std::vector<COLORREF> Data)
      : FWidth(Width), FHeight(Height), FData(std::move(Data)) {}
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Outside the picture: CLR_INVALID.
  COLORREF At(int X, int Y) const;
  // How many pixels inside Rect (cut to the picture) are no further than Tolerance in each channel from
  // Color.
  int Count(RECT Rect, COLORREF Color, int Tolerance = 0) const;
  friend bool operator==(const TPixels&, const TPixels&) = default;

 private:
  int FWidth;
  int FHeight;
  std::vector<COLORREF> FData;
};

// The client area as the window's own WM_ERASEBKGND and WM_PAINT draw it into a memory DC that starts
// filled with Background. Children with windows of their own are not part of it.
TPixels PaintedClient(HWND Wnd, COLORREF Background);

// The window (with its frame) as it is shown: pending paints are done first (nothing else is painted
// again), then the pixels are read from the top-level window's surface, so that other windows over it do
// not matter.
TPixels ShownWindow(HWND Wnd);
