#include "classlib/ExtCtrls.h"

#include <gtest/gtest.h>

#include <vector>

#include "classlib/Forms.h"
#include "tests/support/MessagePump.h"

namespace {

TEST(ExtCtrlsTimer, FiresWhileEnabledWithAHandler) {
  TTimer Timer(nullptr);
  Timer.SetInterval(20);
  int Ticks = 0;
  PumpMessagesFor(60);  // no handler: nothing runs
  Timer.SetOnTimer([&](TObject* Sender) {
    EXPECT_EQ(Sender, &Timer);
    ++Ticks;
  });
  EXPECT_TRUE(PumpMessagesUntil([&] { return Ticks >= 3; }, 20000));

  Timer.SetEnabled(false);
  PumpMessagesFor(20);
  const int Stopped = Ticks;
  PumpMessagesFor(100);
  EXPECT_EQ(Ticks, Stopped);

  // Enabling again restarts it; a handler may stop its own timer.
  Timer.SetOnTimer([&](TObject*) {
    ++Ticks;
    Timer.SetEnabled(false);
  });
  Timer.SetEnabled(true);
  EXPECT_TRUE(PumpMessagesUntil([&] { return Ticks > Stopped; }, 20000));
  PumpMessagesFor(100);
  EXPECT_EQ(Ticks, Stopped + 1);
}

TEST(ExtCtrlsTimer, ExceptionsReachTheApplicationAndTheTimerGoesOn) {
  std::vector<std::wstring> Errors;
  Application->OnException = [&](TObject*, std::exception_ptr Error) {
    try {
      std::rethrow_exception(Error);
    } catch (const Exception& E) {
      Errors.push_back(E.Message());
    }
  };
  TTimer Timer(nullptr);
  Timer.SetInterval(10);
  int Ticks = 0;
  Timer.SetOnTimer([&](TObject*) {
    if (++Ticks == 1) throw Exception(L"tick failed");
  });
  EXPECT_TRUE(PumpMessagesUntil([&] { return Ticks >= 2; }, 20000));
  EXPECT_EQ(Errors, std::vector<std::wstring>{L"tick failed"});
  Application->OnException = nullptr;
}

TEST(ExtCtrlsTimer, AHandlerMayFreeItsTimerAndNoWindowStays) {
  const int Before = CountThreadWindows();
  auto* Owner = new TComponent(nullptr);
  auto* Timer = new TTimer(Owner);
  Timer->SetInterval(10);
  bool Freed = false;
  Timer->SetOnTimer([&](TObject*) {
    delete Timer;
    Freed = true;
  });
  EXPECT_TRUE(PumpMessagesUntil([&] { return Freed; }, 20000));
  EXPECT_EQ(Owner->ComponentCount(), 0);
  PumpMessagesFor(50);
  new TTimer(Owner);  // freed with its owner
  delete Owner;
  EXPECT_EQ(CountThreadWindows(), Before);
}

// The colour at a client point of a control drawn into a bitmap through its WM_PAINT.
COLORREF PaintedPixel(TWinControl* Control, int X, int Y) {
  const HDC Screen = GetDC(nullptr);
  const HDC DC = CreateCompatibleDC(Screen);
  const HBITMAP Bitmap = CreateCompatibleBitmap(Screen, Control->Width(), Control->Height());
  ReleaseDC(nullptr, Screen);
  const HGDIOBJ Old = SelectObject(DC, Bitmap);
  SendMessageA(Control->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  SendMessageA(Control->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  const COLORREF Pixel = GetPixel(DC, X, Y);
  SelectObject(DC, Old);
  DeleteObject(Bitmap);
  DeleteDC(DC);
  return Pixel;
}

TEST(ExtCtrlsPanel, PaintsItsColourAndTheImagesOnIt) {
  TPanel Panel(nullptr);
  Panel.SetVisible(false);
  Panel.SetBevelOuter(bvNone);
  Panel.SetBounds(0, 0, 100, 60);
  Panel.SetColor(clRed);
  auto* Image = new TImage(&Panel);
  Image->SetParent(&Panel);
  TBitmap Bitmap;
  Bitmap.SetSize(10, 8);
  Bitmap.Canvas()->Brush()->SetColor(clBlue);
  Bitmap.Canvas()->FillRect({0, 0, 10, 8});
  Image->Picture()->SetGraphic(&Bitmap);
  Image->SetAutoSize(true);
  EXPECT_EQ(Image->Width(), 10);
  EXPECT_EQ(Image->Height(), 8);
  Image->SetLeft(20);

  EXPECT_EQ(PaintedPixel(&Panel, 5, 5), RGB(255, 0, 0));
  EXPECT_EQ(PaintedPixel(&Panel, 25, 5), RGB(0, 0, 255));
  EXPECT_EQ(PaintedPixel(&Panel, 25, 9), RGB(255, 0, 0));  // below the picture
  Image->SetVisible(false);
  EXPECT_EQ(PaintedPixel(&Panel, 25, 5), RGB(255, 0, 0));

  Image->SetVisible(true);
  Image->SetAutoSize(false);
  Image->SetBounds(20, 0, 40, 40);
  Image->SetStretch(true);
  EXPECT_EQ(PaintedPixel(&Panel, 58, 38), RGB(0, 0, 255));
}

TEST(ExtCtrlsBevel, ATopLineIsDrawnAlongTheTopOnly) {
  TPanel Panel(nullptr);
  Panel.SetVisible(false);
  Panel.SetBevelOuter(bvNone);
  Panel.SetBounds(0, 0, 100, 60);
  Panel.SetColor(clRed);
  auto* Bevel = new TBevel(&Panel);
  Bevel->SetParent(&Panel);
  Bevel->SetBounds(10, 20, 80, 10);
  Bevel->SetShape(bsTopLine);
  EXPECT_NE(PaintedPixel(&Panel, 50, 20), RGB(255, 0, 0));
  EXPECT_EQ(PaintedPixel(&Panel, 50, 25), RGB(255, 0, 0));  // a line leaves the rest of its box alone
  EXPECT_EQ(PaintedPixel(&Panel, 50, 29), RGB(255, 0, 0));
  Bevel->SetShape(bsBox);
  EXPECT_NE(PaintedPixel(&Panel, 50, 29), RGB(255, 0, 0));
  Bevel->SetShape(bsSpacer);
  EXPECT_EQ(PaintedPixel(&Panel, 50, 20), RGB(255, 0, 0));
}

}  // namespace
