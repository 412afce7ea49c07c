#include "classlib/Buttons.h"

// ---------------------------------------------------------------------------------------------
// TSpeedButton

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 23, 22);
}

void TSpeedButton::Paint(TCanvas* Canvas) {
  RECT Rect{0, 0, Width(), Height()};
  Canvas->RequiredState(csHandleValid);
  DrawFrameControl(Canvas->Handle(), &Rect, DFC_BUTTON, DFCS_BUTTONPUSH | (Enabled() ? 0 : DFCS_INACTIVE));
  Canvas->Font()->Assign(Font());
  Canvas->RequiredState(csHandleValid | csFontValid);
  SetBkMode(Canvas->Handle(), TRANSPARENT);
  SetTextColor(Canvas->Handle(), ColorToRGB(Enabled() ? Font()->Color() : clGrayText));
  const std::string Caption = FText;
  DrawTextA(Canvas->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &Rect,
            DrawTextBiDiModeFlags(DT_CENTER | DT_VCENTER | DT_SINGLELINE));
}

void TSpeedButton::Dispatch(TMessage& Message) {
  TGraphicControl::Dispatch(Message);
  if (Message.Msg == CM_TEXTCHANGED) Invalidate();
}

// ---------------------------------------------------------------------------------------------
// TBitBtn

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  FGlyph->OnChange = [this](TObject*) { ShowGlyph(); };
}

TBitBtn::~TBitBtn() {
  if (FShown) DeleteObject(FShown);
}

void TBitBtn::CreateWnd() {
  TButton::CreateWnd();
  ShowGlyph();
}

void TBitBtn::ShowGlyph() {
  if (!HandleAllocated()) return;
  const HBITMAP Old = FShown;
  FShown =
      FGlyph->Empty() ? nullptr : static_cast<HBITMAP>(CopyImage(FGlyph->Handle(), IMAGE_BITMAP, 0, 0, 0));
  SendMessageA(FHandle, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(FShown));
  if (Old) DeleteObject(Old);
}
