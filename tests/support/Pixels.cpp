#include "tests/support/Pixels.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A 32-bit top-down DIB section selected into a memory DC, freed on leaving.
class TMemoryPicture {
 public:
  TMemoryPicture(int Width, int Height) : FWidth(Width), FHeight(Height) {
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof Info.bmiHeader;
    Info.bmiHeader.biWidth = Width;
    Info.bmiHeader.biHeight = -Height;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    Info.bmiHeader.biCompression = BI_RGB;
    FDC = CreateCompatibleDC(nullptr);
    FBitmap = CreateDIBSection(FDC, &Info, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0);
    FOld = SelectObject(FDC, FBitmap);
  }
  ~TMemoryPicture() {
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  TMemoryPicture(const TMemoryPicture&) = delete;
  TMemoryPicture& operator=(const TMemoryPicture&) = delete;
  HDC DC() const { return FDC; }
  TPixels Pixels() const {
    GdiFlush();
    std::vector<COLORREF> Data(static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight));
    for (size_t I = 0; I < Data.size(); ++I) {
      const DWORD P = FBits ? FBits[I] : 0;  // 0x00RRGGBB
      Data[I] = RGB((P >> 16) & 0xFF, (P >> 8) & 0xFF, P & 0xFF);
    }
    return TPixels(FWidth, FHeight, std::move(Data));
  }

 private:
  int FWidth;
  int FHeight;
  HDC FDC = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOld = nullptr;
  DWORD* FBits = nullptr;
};

}  // namespace

COLORREF TPixels::At(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return CLR_INVALID;
  return FData[static_cast<size_t>(Y) * static_cast<size_t>(FWidth) + static_cast<size_t>(X)];
}

int TPixels::Count(RECT Rect, COLORREF Color, int Tolerance) const {
  const auto Near = [Tolerance](int A, int B) { return std::abs(A - B) <= Tolerance; };
  int Result = 0;
  for (int Y = std::max(0, static_cast<int>(Rect.top)); Y < std::min(FHeight, static_cast<int>(Rect.bottom));
       ++Y)
    for (int X = std::max(0, static_cast<int>(Rect.left)); X < std::min(FWidth, static_cast<int>(Rect.right));
         ++X) {
      const COLORREF P = At(X, Y);
      Result += Near(GetRValue(P), GetRValue(Color)) && Near(GetGValue(P), GetGValue(Color)) &&
                Near(GetBValue(P), GetBValue(Color));
    }
  return Result;
}

TPixels PaintedClient(HWND Wnd, COLORREF Background) {
  RECT Client;
  GetClientRect(Wnd, &Client);
  const TMemoryPicture Picture(std::max(1L, Client.right), std::max(1L, Client.bottom));
  const HBRUSH Brush = CreateSolidBrush(Background);
  FillRect(Picture.DC(), &Client, Brush);
  DeleteObject(Brush);
  SendMessageW(Wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(Picture.DC()), 0);
  SendMessageW(Wnd, WM_PAINT, reinterpret_cast<WPARAM>(Picture.DC()), 0);
  return Picture.Pixels();
}

TPixels ShownWindow(HWND Wnd) {
  RedrawWindow(Wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT Bounds;
  GetWindowRect(Wnd, &Bounds);
  const HWND Top = GetAncestor(Wnd, GA_ROOT);
  RECT TopBounds;
  GetWindowRect(Top, &TopBounds);
  const TMemoryPicture Picture(std::max(1L, Bounds.right - Bounds.left),
                               std::max(1L, Bounds.bottom - Bounds.top));
  const HDC Source = GetWindowDC(Top);
  BitBlt(Picture.DC(), 0, 0, Bounds.right - Bounds.left, Bounds.bottom - Bounds.top, Source,
         Bounds.left - TopBounds.left, Bounds.top - TopBounds.top, SRCCOPY);
  ReleaseDC(Top, Source);
  return Picture.Pixels();
}
