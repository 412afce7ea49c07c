#include "Imports/UCodeGraphics.h"

void WideTextOut(TCanvas* Canvas, int X, int Y, const std::wstring& Text) {
  Canvas->Changing();
  Canvas->RequiredState(csHandleValid | csFontValid | csBrushValid);
  const int Width = WideTextWidth(Canvas, Text);
  if (Canvas->CanvasOrientation() == coRightToLeft) X += Width + 1;
  ExtTextOutW(Canvas->Handle(), X, Y, static_cast<UINT>(Canvas->TextFlags()), nullptr, Text.data(),
              static_cast<UINT>(Text.size()), nullptr);
  Canvas->MoveTo(X + Width, Y);
  Canvas->Changed();
}

SIZE WideCanvasTextExtent(TCanvas* Canvas, const std::wstring& Text) {
  Canvas->RequiredState(csHandleValid | csFontValid);
  SIZE Result{0, 0};
  GetTextExtentPoint32W(Canvas->Handle(), Text.data(), static_cast<int>(Text.size()), &Result);
  return Result;
}

int WideTextWidth(TCanvas* Canvas, const std::wstring& Text) {
  return WideCanvasTextExtent(Canvas, Text).cx;
}

int WideTextHeight(TCanvas* Canvas, const std::wstring& Text) {
  return WideCanvasTextExtent(Canvas, Text).cy;
}
