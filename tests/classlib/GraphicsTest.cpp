#include "classlib/Graphics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "classlib/Streams.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Trace.h"

namespace {

struct TFormatCase {
  TPixelFormat Format;
  int Bits;
};

const TFormatCase FormatCases[] = {{pf1bit, 1},   {pf4bit, 4},   {pf8bit, 8},  {pf15bit, 16},
                                   {pf16bit, 16}, {pf24bit, 24}, {pf32bit, 32}};

// Odd width so that every format pads its rows.
void FillPattern(TBitmap& Bitmap, int Bits) {
  const size_t RowBytes = (static_cast<size_t>(Bitmap.Width()) * Bits + 7) / 8;
  for (int Y = 0; Y < Bitmap.Height(); ++Y) {
    auto* Row = static_cast<uint8_t*>(Bitmap.ScanLine(Y));
    for (size_t X = 0; X < RowBytes; ++X) Row[X] = static_cast<uint8_t>(X * 37 + Y * 11 + 5);
  }
}

TBitmap* NewBitmap(TPixelFormat Format, int Width, int Height) {
  auto* Bitmap = new TBitmap;
  Bitmap->SetPixelFormat(Format);
  Bitmap->SetSize(Width, Height);
  return Bitmap;
}

// A 24-bit BMP written by hand, rows top-down (negative height): row 0 red, row 1 blue.
Bytes TopDownBmp() {
  Bytes Data(14 + 40 + 2 * 8, 0);
  BITMAPFILEHEADER File{0x4D42, static_cast<DWORD>(Data.size()), 0, 0, 54};
  BITMAPINFOHEADER Info{40, 2, -2, 1, 24, BI_RGB, 16, 0, 0, 0, 0};
  std::memcpy(Data.data(), &File, 14);
  std::memcpy(Data.data() + 14, &Info, 40);
  const uint8_t Rows[16] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0};
  std::memcpy(Data.data() + 54, Rows, 16);
  return Data;
}

TMemoryStream* StreamOf(const Bytes& Data) {
  auto* Stream = new TMemoryStream;
  Stream->WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
  Stream->SetPosition(0);
  return Stream;
}

class TTestBitmap : public TBitmap {};

// An unregistered graphic that can only draw itself: a red area of 3 x 2 pixels.
class TRedArea : public TGraphic {
 public:
  void Draw(TCanvas* ACanvas, const RECT& Rect) override {
    ACanvas->Brush()->SetColor(clRed);
    ACanvas->FillRect(Rect);
  }
  bool Empty() const override { return false; }
  int Width() const override { return 3; }
  void SetWidth(int) override {}
  int Height() const override { return 2; }
  void SetHeight(int) override {}
  void LoadFromStream(TStream*) override {}
  void SaveToStream(TStream*) override {}
  void LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) override {}
  void SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&) override {}
};

}  // namespace

TEST(GraphicsBitmap, BmpRoundTripKeepsFormatPixelsAndColours) {
  for (const TFormatCase& Case : FormatCases) {
    TRACE_CASE(Case.Bits);
    std::unique_ptr<TBitmap> Source(NewBitmap(Case.Format, 13, 5));
    FillPattern(*Source, Case.Bits);
    TMemoryStream Stream;
    Source->SaveToStream(&Stream);

    BITMAPFILEHEADER File;
    BITMAPINFOHEADER Info;
    std::memcpy(&File, Stream.Memory(), sizeof(File));
    std::memcpy(&Info, Stream.Memory() + sizeof(File), sizeof(Info));
    EXPECT_EQ(0x4D42, File.bfType);
    EXPECT_EQ(Stream.Size(), File.bfSize);
    EXPECT_EQ(Case.Bits, Info.biBitCount);
    EXPECT_EQ(5, Info.biHeight);

    Stream.SetPosition(0);
    TBitmap Loaded;
    Loaded.LoadFromStream(&Stream);
    EXPECT_EQ(Stream.Size(), Stream.Position());
    EXPECT_EQ(Case.Format, Loaded.PixelFormat());
    ASSERT_EQ(13, Loaded.Width());
    ASSERT_EQ(5, Loaded.Height());
    const size_t RowBytes = (13 * static_cast<size_t>(Case.Bits) + 7) / 8;
    for (int Y = 0; Y < 5; ++Y)
      EXPECT_EQ(0, std::memcmp(Source->ScanLine(Y), Loaded.ScanLine(Y), RowBytes)) << "row " << Y;
    for (int X : {0, 6, 12}) EXPECT_EQ(Source->Canvas()->Pixels(X, 2), Loaded.Canvas()->Pixels(X, 2));
  }
}

TEST(GraphicsBitmap, ReadsTopDownBmpIntoTopFirstScanLines) {
  std::unique_ptr<TMemoryStream> Stream(StreamOf(TopDownBmp()));
  TBitmap Bitmap;
  Bitmap.LoadFromStream(Stream.get());
  EXPECT_EQ(pf24bit, Bitmap.PixelFormat());
  EXPECT_EQ(255, static_cast<uint8_t*>(Bitmap.ScanLine(0))[2]);  // red
  EXPECT_EQ(255, static_cast<uint8_t*>(Bitmap.ScanLine(1))[0]);  // blue
  EXPECT_EQ(clRed, Bitmap.Canvas()->Pixels(1, 0));
  EXPECT_EQ(clBlue, Bitmap.Canvas()->Pixels(1, 1));
}

TEST(GraphicsBitmap, ScanLineRowZeroIsTheTopOfABottomUpDib) {
  std::unique_ptr<TBitmap> Bitmap(NewBitmap(pf24bit, 4, 3));
  Bitmap->Canvas()->SetPixels(1, 0, clRed);
  Bitmap->Canvas()->SetPixels(2, 2, clLime);
  const auto* Top = static_cast<uint8_t*>(Bitmap->ScanLine(0));
  const auto* Bottom = static_cast<uint8_t*>(Bitmap->ScanLine(2));
  EXPECT_EQ(0, Top[3]);
  EXPECT_EQ(255, Top[5]);
  EXPECT_EQ(255, Bottom[7]);
  EXPECT_EQ(Top - 2 * 12, Bottom);  // 4 pixels of 3 bytes, already 4-byte aligned
  EXPECT_EQ(L"Scan line index out of range", MessageOf<EInvalidGraphic>([&] { Bitmap->ScanLine(3); }));
  EXPECT_EQ(L"Scan line index out of range", MessageOf<EInvalidGraphic>([&] { Bitmap->ScanLine(-1); }));
}

TEST(GraphicsBitmap, RejectsDamagedBmpAndReadsAnEmptyStreamAsEmpty) {
  const Bytes Good = TopDownBmp();
  Bytes WrongMagic = Good;
  WrongMagic[0] = 'X';
  Bytes Cut(Good.begin(), Good.end() - 3);
  Bytes Compressed = Good;
  Compressed[14 + 16] = BI_RLE8;
  for (const Bytes& Data : {WrongMagic, Cut, Compressed, B("BM", 2)}) {
    std::unique_ptr<TMemoryStream> Stream(StreamOf(Data));
    TBitmap Bitmap;
    EXPECT_EQ(L"Bitmap image is not valid",
              MessageOf<EInvalidGraphic>([&] { Bitmap.LoadFromStream(Stream.get()); }));
  }
  TMemoryStream Nothing;
  TBitmap Bitmap;
  Bitmap.SetSize(3, 3);
  Bitmap.LoadFromStream(&Nothing);
  EXPECT_TRUE(Bitmap.Empty());
}

TEST(GraphicsBitmap, ResizeKeepsPixelsAndFormatChangeKeepsColours) {
  std::unique_ptr<TBitmap> Bitmap(NewBitmap(pf24bit, 2, 2));
  Bitmap->Canvas()->SetPixels(0, 0, clBlack);
  Bitmap->SetSize(4, 3);
  EXPECT_EQ(clBlack, Bitmap->Canvas()->Pixels(0, 0));
  EXPECT_EQ(clWhite, Bitmap->Canvas()->Pixels(3, 2));
  Bitmap->SetPixelFormat(pf1bit);
  EXPECT_TRUE(Bitmap->Monochrome());
  EXPECT_EQ(clBlack, Bitmap->Canvas()->Pixels(0, 0));
  EXPECT_EQ(clWhite, Bitmap->Canvas()->Pixels(3, 2));
}

TEST(GraphicsBitmap, AssignCopiesAndDrawStretches) {
  std::unique_ptr<TBitmap> Source(NewBitmap(pf24bit, 2, 1));
  Source->Canvas()->SetPixels(0, 0, clRed);
  Source->Canvas()->SetPixels(1, 0, clBlue);
  TBitmap Copy;
  Copy.Assign(Source.get());
  Source->Canvas()->SetPixels(0, 0, clLime);
  EXPECT_EQ(pf24bit, Copy.PixelFormat());
  EXPECT_EQ(clRed, Copy.Canvas()->Pixels(0, 0));

  std::unique_ptr<TBitmap> Target(NewBitmap(pf24bit, 4, 2));
  Target->Canvas()->StretchDraw(RECT{0, 0, 4, 2}, &Copy);
  EXPECT_EQ(clRed, Target->Canvas()->Pixels(1, 1));
  EXPECT_EQ(clBlue, Target->Canvas()->Pixels(2, 0));

  // Transparent: the fixed colour leaves the target as it was.
  Target->Canvas()->Brush()->SetColor(clYellow);
  Target->Canvas()->FillRect(Target->Canvas()->ClipRect());
  Copy.SetTransparentColor(clBlue);
  Copy.SetTransparent(true);
  Target->Canvas()->Draw(0, 0, &Copy);
  EXPECT_EQ(clRed, Target->Canvas()->Pixels(0, 0));
  EXPECT_EQ(clYellow, Target->Canvas()->Pixels(1, 0));

  Copy.Assign(nullptr);
  EXPECT_TRUE(Copy.Empty());
}

TEST(GraphicsBitmap, AnyOtherGraphicIsDrawn) {
  TRedArea Area;
  TBitmap Bitmap;
  Bitmap.Assign(&Area);
  EXPECT_EQ(3, Bitmap.Width());
  EXPECT_EQ(clRed, Bitmap.Canvas()->Pixels(2, 1));
  TPicture Picture;
  Picture.SetGraphic(&Area);
  EXPECT_NE(nullptr, dynamic_cast<TBitmap*>(Picture.Graphic()));
  EXPECT_EQ(2, Picture.Height());
}

TEST(GraphicsBitmap, ClipboardFormRoundTripsThroughThePicture) {
  std::unique_ptr<TBitmap> Source(NewBitmap(pf24bit, 3, 2));
  Source->Canvas()->SetPixels(2, 1, clRed);
  UINT Format = 0;
  HANDLE Data = nullptr;
  HPALETTE Palette = nullptr;
  Source->SaveToClipboardFormat(Format, Data, Palette);
  ASSERT_EQ(static_cast<UINT>(CF_BITMAP), Format);
  TPicture Picture;
  Picture.LoadFromClipboardFormat(Format, Data, Palette);
  DeleteObject(Data);
  ASSERT_NE(nullptr, dynamic_cast<TBitmap*>(Picture.Graphic()));
  EXPECT_EQ(3, Picture.Width());
  EXPECT_EQ(clRed, Picture.Bitmap()->Canvas()->Pixels(2, 1));
  EXPECT_EQ(L"Unsupported clipboard format",
            MessageOf<EInvalidGraphic>([&] { Picture.LoadFromClipboardFormat(0xBEEF, nullptr, nullptr); }));
}

TEST(GraphicsCanvas, TextSizeFollowsFontChanges) {
  std::unique_ptr<TBitmap> Bitmap(NewBitmap(pf24bit, 200, 50));
  TCanvas* Canvas = Bitmap->Canvas();
  Canvas->Font()->SetName("Arial");
  Canvas->Font()->SetSize(8);
  const SIZE Small = Canvas->TextExtent("Wg Wg Wg");
  EXPECT_GT(Small.cx, 0);
  EXPECT_EQ(Small.cy, Canvas->TextHeight("Wg"));
  Canvas->Font()->SetSize(24);
  const SIZE Large = Canvas->TextExtent("Wg Wg Wg");
  EXPECT_GT(Large.cx, 2 * Small.cx);
  EXPECT_GT(Large.cy, 2 * Small.cy);
  EXPECT_EQ(0, Canvas->TextWidth(""));

  Canvas->TextOut(5, 7, "Wg");
  EXPECT_EQ(5 + Canvas->TextWidth("Wg"), Canvas->PenPos().x);
  EXPECT_EQ(7, Canvas->PenPos().y);
}

TEST(GraphicsCanvas, RightToLeftTextStartsLeftOfX) {
  std::unique_ptr<TBitmap> Bitmap(NewBitmap(pf24bit, 200, 40));
  TCanvas* Canvas = Bitmap->Canvas();
  Canvas->SetTextFlags(ETO_RTLREADING);
  EXPECT_EQ(coRightToLeft, Canvas->CanvasOrientation());
  const int Width = Canvas->TextWidth("abc");
  Canvas->TextOut(10, 0, "abc");
  EXPECT_EQ(10 + 2 * Width + 1, Canvas->PenPos().x);
}

TEST(GraphicsCanvas, FillRectUsesBrushAndClipRectIsTheBitmap) {
  std::unique_ptr<TBitmap> Bitmap(NewBitmap(pf32bit, 6, 4));
  TCanvas* Canvas = Bitmap->Canvas();
  const RECT Clip = Canvas->ClipRect();
  EXPECT_EQ(0, Clip.left);
  EXPECT_EQ(6, Clip.right);
  EXPECT_EQ(4, Clip.bottom);
  Canvas->Brush()->SetColor(clNavy);
  Canvas->FillRect(RECT{1, 1, 3, 3});
  EXPECT_EQ(clNavy, Canvas->Pixels(2, 2));
  EXPECT_EQ(clWhite, Canvas->Pixels(3, 3));
  Canvas->Brush()->SetColor(clBtnFace);
  Canvas->FillRect(Clip);
  EXPECT_EQ(static_cast<TColor>(GetSysColor(COLOR_BTNFACE)), Canvas->Pixels(0, 0));
}

TEST(GraphicsCanvas, LockIsHeldAcrossThreads) {
  TCanvas Canvas;
  Canvas.Lock();
  bool Taken = true;
  std::thread([&] { Taken = Canvas.TryLock(); }).join();
  EXPECT_FALSE(Taken);
  Canvas.Unlock();
  std::thread([&] {
    Taken = Canvas.TryLock();
    if (Taken) Canvas.Unlock();
  }).join();
  EXPECT_TRUE(Taken);
  EXPECT_EQ(0, Canvas.LockCount());
  EXPECT_EQ(L"Canvas does not allow drawing", MessageOf<EInvalidGraphicOperation>([&] { Canvas.Handle(); }));
}

TEST(GraphicsFont, SizeHeightAndAssign) {
  TFont Font;
  int Changes = 0;
  Font.OnChange = [&](TObject*) { ++Changes; };
  Font.SetSize(12);
  EXPECT_EQ(12, Font.Size());
  const HDC Screen = GetDC(nullptr);
  EXPECT_EQ(-MulDiv(12, GetDeviceCaps(Screen, LOGPIXELSY), 72), Font.Height());
  ReleaseDC(nullptr, Screen);
  Font.SetStyle(fsBold | fsItalic);
  Font.SetStyle(fsBold | fsItalic);
  EXPECT_EQ(2, Changes);
  TFont Copy;
  Copy.Assign(&Font);
  EXPECT_EQ(12, Copy.Size());
  EXPECT_EQ(fsBold | fsItalic, Copy.Style());
  LOGFONTA Log{};
  GetObjectA(Copy.Handle(), sizeof(Log), &Log);
  EXPECT_EQ(FW_BOLD, Log.lfWeight);
  EXPECT_TRUE(Log.lfItalic);
  EXPECT_EQ(Font.Height(), Log.lfHeight);
}

TEST(GraphicsColor, ColorToRGBResolvesSystemColours) {
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), ColorToRGB(clWindow));
  EXPECT_EQ(GetSysColor(COLOR_INFOTEXT), ColorToRGB(clInfoText));
  EXPECT_EQ(0x0000FFu, ColorToRGB(clRed));
}

TEST(GraphicsPicture, LoadFromFileChoosesClassByExtensionInAnyCase) {
  TempDir Dir;
  std::unique_ptr<TBitmap> Bitmap(NewBitmap(pf24bit, 7, 3));
  for (const wchar_t* Name : {L"lower.bmp", L"UPPER.BMP", L"Mixed.Bmp"})
    Bitmap->SaveToFile(WideToAnsi(Dir.File(Name)));
  for (const wchar_t* Name : {L"lower.bmp", L"UPPER.BMP", L"Mixed.Bmp"}) {
    TPicture Picture;
    Picture.LoadFromFile(WideToAnsi(Dir.File(Name)));
    EXPECT_NE(nullptr, dynamic_cast<TBitmap*>(Picture.Graphic()));
    EXPECT_EQ(7, Picture.Width());
    EXPECT_EQ(3, Picture.Height());
  }
  TPicture Picture;
  EXPECT_EQ(L"Unknown picture file extension (.xyz)",
            MessageOf<EInvalidGraphic>([&] { Picture.LoadFromFile(WideToAnsi(Dir.File(L"a.xyz"))); }));
  EXPECT_EQ(L"Unknown picture file extension (.)",
            MessageOf<EInvalidGraphic>([&] { Picture.LoadFromFile(WideToAnsi(Dir.File(L"noext"))); }));
}

TEST(GraphicsPicture, RegistrationWinsAndUnregistrationRemoves) {
  TempDir Dir;
  const std::string Name = WideToAnsi(Dir.File(L"pic.tbm"));
  std::unique_ptr<TBitmap> Bitmap(NewBitmap(pf8bit, 2, 2));
  Bitmap->SaveToFile(Name);
  TPicture::RegisterFileFormat("TBM", "Test bitmaps", GraphicClassOf<TTestBitmap>());
  TPicture::RegisterClipboardFormat(0xC123, GraphicClassOf<TTestBitmap>());
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(0xC123));
  TPicture Picture;
  Picture.LoadFromFile(Name);
  EXPECT_NE(nullptr, dynamic_cast<TTestBitmap*>(Picture.Graphic()));
  TPicture Copy;
  Copy.Assign(&Picture);  // a copy of the same registered class
  EXPECT_NE(nullptr, dynamic_cast<TTestBitmap*>(Copy.Graphic()));
  EXPECT_NE(Picture.Graphic(), Copy.Graphic());

  TPicture::UnregisterGraphicClass(GraphicClassOf<TTestBitmap>());
  EXPECT_FALSE(TPicture::SupportsClipboardFormat(0xC123));
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_BITMAP));
  EXPECT_FALSE(TPicture::FileFormatClass("tbm").has_value());
  EXPECT_THROW(Picture.LoadFromFile(Name), EInvalidGraphic);
  EXPECT_TRUE(TPicture::FileFormatClass("BMP").has_value());
}

TEST(GraphicsPicture, HoldsACopyAndReportsChanges) {
  TPicture Picture;
  int Changes = 0;
  Picture.OnChange = [&](TObject*) { ++Changes; };
  std::unique_ptr<TBitmap> Bitmap(NewBitmap(pf24bit, 5, 4));
  Picture.SetGraphic(Bitmap.get());
  EXPECT_EQ(1, Changes);
  Bitmap->SetWidth(9);
  EXPECT_EQ(5, Picture.Width());
  Picture.Bitmap()->Canvas()->SetPixels(0, 0, clRed);
  EXPECT_EQ(2, Changes);
  Picture.SetGraphic(nullptr);
  EXPECT_EQ(nullptr, Picture.Graphic());
  EXPECT_EQ(0, Picture.Bitmap()->Width());
}

TEST(GraphicsIcon, LoadsSavesAndDrawsWithItsMask) {
  // A 16 x 16 icon of a handle: lime, its top half masked out (black under the mask).
  std::unique_ptr<TBitmap> Color(NewBitmap(pf24bit, 16, 16));
  for (int Y = 0; Y < 16; ++Y)
    for (int X = 0; X < 16; ++X) Color->Canvas()->SetPixels(X, Y, Y < 8 ? clBlack : clLime);
  uint8_t MaskBits[32] = {};
  for (int Y = 0; Y < 8; ++Y) MaskBits[2 * Y] = MaskBits[2 * Y + 1] = 0xFF;
  const HBITMAP Mask = CreateBitmap(16, 16, 1, 1, MaskBits);
  ICONINFO Info{TRUE, 0, 0, Mask, Color->Handle()};
  TIcon Icon;
  Icon.SetHandle(CreateIconIndirect(&Info));
  DeleteObject(Mask);
  EXPECT_EQ(16, Icon.Width());
  EXPECT_TRUE(Icon.Transparent());
  EXPECT_THROW(Icon.SetWidth(20), EInvalidGraphicOperation);
  // Saved as an .ico file and read back, it draws the same: the masked half keeps the background.
  TMemoryStream Stream;
  Icon.SaveToStream(&Stream);
  Stream.SetPosition(0);
  TIcon Loaded;
  Loaded.LoadFromStream(&Stream);
  EXPECT_EQ(16, Loaded.Height());
  std::unique_ptr<TBitmap> Target(NewBitmap(pf24bit, 16, 16));
  Target->Canvas()->Brush()->SetColor(clBlue);
  Target->Canvas()->FillRect(RECT{0, 0, 16, 16});
  Target->Canvas()->Draw(0, 0, &Loaded);
  EXPECT_EQ(clBlue, Target->Canvas()->Pixels(4, 3) & 0xFFFFFF);
  EXPECT_EQ(clLime, Target->Canvas()->Pixels(4, 12) & 0xFFFFFF);
  // Files are read by the picture registry; anything else is refused.
  TempDir Dir;
  const std::string Name = WideToAnsi(Dir.File(L"icon.ico"));
  Loaded.SaveToFile(Name);
  TPicture Picture;
  Picture.LoadFromFile(Name);
  EXPECT_NE(nullptr, dynamic_cast<TIcon*>(Picture.Graphic()));
  std::unique_ptr<TMemoryStream> Bad(StreamOf(B("\0\0\1\0\1\0", 6)));
  EXPECT_EQ(L"Icon image is not valid",
            MessageOf<EInvalidGraphic>([&] { Loaded.LoadFromStream(Bad.get()); }));
}

TEST(GraphicsMetafile, PlaysIntoItsRectangleAndRoundTrips) {
  const HDC Recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  const HBRUSH Brush = CreateSolidBrush(RGB(255, 0, 0));
  RECT Half{0, 0, 10, 20};
  FillRect(Recorder, &Half, Brush);
  SetPixel(Recorder, 19, 19, RGB(0, 0, 255));
  DeleteObject(Brush);
  TMetafile Metafile;
  Metafile.SetHandle(CloseEnhMetaFile(Recorder));
  EXPECT_EQ(20, Metafile.Width());
  EXPECT_EQ(20, Metafile.Height());
  TMemoryStream Stream;
  Metafile.SaveToStream(&Stream);
  Stream.SetPosition(0);
  TMetafile Loaded;
  Loaded.LoadFromStream(&Stream);
  std::unique_ptr<TBitmap> Target(NewBitmap(pf24bit, 20, 20));
  Target->Canvas()->Brush()->SetColor(clWhite);
  Target->Canvas()->FillRect(RECT{0, 0, 20, 20});
  Target->Canvas()->Draw(0, 0, &Loaded);
  EXPECT_EQ(clRed, Target->Canvas()->Pixels(3, 10) & 0xFFFFFF);
  EXPECT_EQ(clWhite, Target->Canvas()->Pixels(15, 10) & 0xFFFFFF);
  UINT Format = 0;
  HANDLE Data = nullptr;
  HPALETTE Palette = nullptr;
  Loaded.SaveToClipboardFormat(Format, Data, Palette);
  EXPECT_EQ(static_cast<UINT>(CF_ENHMETAFILE), Format);
  TPicture Picture;
  Picture.LoadFromClipboardFormat(Format, Data, Palette);
  DeleteEnhMetaFile(static_cast<HENHMETAFILE>(Data));
  EXPECT_NE(nullptr, dynamic_cast<TMetafile*>(Picture.Graphic()));
  EXPECT_EQ(20, Picture.Width());
  std::unique_ptr<TMemoryStream> Bad(StreamOf(Bytes(200, 0)));
  EXPECT_EQ(L"Metafile is not valid", MessageOf<EInvalidGraphic>([&] { Loaded.LoadFromStream(Bad.get()); }));
}
