// Frames: bounds and pixels, imports from the platform's pictures, rendering and drawing.
#include <gtest/gtest.h>

#include "tests/classlib/RaisedMessage.h"
#include "tests/gif/GifTestSupport.h"

namespace {

// A frame of the given indices (Width x Height) in a picture, with a local table of Colors.
struct TPictureFrame {
  TPictureFrame(int Width, int Height, const Bytes& Pixels, const std::vector<TColor>& Colors) {
    Frame = new TGIFSubImage(&Picture);
    Frame->SetFrameRect(0, 0, Width, Height);
    for (TColor C : Colors) Frame->LocalColorMap()->Add(C);
    std::copy(Pixels.begin(), Pixels.end(), Frame->GetScanline(0));
    Picture.Add(Frame);
  }
  TGIFPicture Picture;
  TGIFSubImage* Frame;
};

std::unique_ptr<TBitmap> Canvas24(int Width, int Height, TColor Fill) {
  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->SetPixelFormat(pf24bit);
  Bitmap->SetSize(Width, Height);
  Bitmap->Canvas()->Brush()->SetColor(Fill);
  Bitmap->Canvas()->FillRect(RECT{0, 0, Width, Height});
  return Bitmap;
}

TColor PixelOf(TBitmap* Bitmap, int X, int Y) {
  return Bitmap->Canvas()->Pixels(X, Y) & 0xFFFFFF;
}

// A bitmap of Format whose pixels are set through the canvas.
std::unique_ptr<TBitmap> BitmapOf(TPixelFormat Format, int Width, int Height,
                                  const std::vector<TColor>& Colors) {
  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->SetPixelFormat(Format);
  Bitmap->SetSize(Width, Height);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X)
      Bitmap->Canvas()->SetPixels(X, Y, Colors[static_cast<size_t>(Y * Width + X)]);
  return Bitmap;
}

}  // namespace

TEST(GIFFrames, EmptyFrameWritesOnlyItsExtensionsAndDrawsNothing) {
  TGIFPicture Picture;
  auto* Frame = new TGIFSubImage(&Picture);
  Picture.Add(Frame);
  Frame->Extensions()->Add(new TGIFCommentExtension(Frame));
  EXPECT_TRUE(Frame->IsEmpty());
  TMemoryStream Stream;
  Frame->SaveToStream(&Stream);
  EXPECT_EQ((Bytes{0x21, 0xFE, 0x00}), BytesOf(Stream));
  EXPECT_EQ(nullptr, Frame->RenderedBitmap());
  auto Target = Canvas24(4, 4, clBlue);
  Frame->Draw(Target->Canvas(), RECT{0, 0, 4, 4}, true, true);
  EXPECT_EQ(clBlue, PixelOf(Target.get(), 1, 1));
}

TEST(GIFFrames, BoundsPixelsAndLimits) {
  TPictureFrame P(3, 2, {1, 2, 3, 4, 5, 6}, {clRed});
  TGIFSubImage* Frame = P.Frame;
  EXPECT_EQ(6, Frame->GetPixel(2, 1));
  EXPECT_EQ(L"Invalid pixel coordinates", MessageOf<GIFException>([&] { Frame->GetPixel(3, 0); }));
  EXPECT_EQ(L"Invalid pixel coordinates", MessageOf<GIFException>([&] { Frame->GetScanline(2); }));
  // Only the width changes: a new zeroed buffer of the new size.
  Frame->SetWidth(4);
  EXPECT_EQ(Bytes(8, 0), Frame->Pixels());
  Frame->SetLeft(1);
  EXPECT_EQ(8u, Frame->Pixels().size());
  EXPECT_EQ(5, P.Picture.Width());
  // 65535 x 65535 is refused before anything is allocated.
  EXPECT_EQ(L"Image is too large", MessageOf<GIFException>([&] { Frame->SetFrameRect(0, 0, 65535, 65535); }));
  TGIFSubImage Lone(&P.Picture);
  EXPECT_EQ(L"Image is empty", MessageOf<GIFException>([&] { Lone.RequirePixels(); }));
  // A frame beyond the largest screen makes the screen 65535 wide, not a 16-bit wrap.
  Frame->SetFrameRect(65000, 0, 1000, 1);
  EXPECT_EQ(65535, P.Picture.Width());
}

TEST(GIFFrames, TwentyFourBitImportCollectsUpTo256Colours) {
  TGIFPicture Picture;
  Picture.PaletteMode = pmNone;  // no reduction: the frame takes the bitmap's own colours
  std::vector<TColor> Colors;
  for (int I = 0; I < 256; ++I) Colors.push_back(RGB(I, 255 - I, I / 2));
  auto Bitmap = BitmapOf(pf24bit, 16, 16, Colors);
  Picture.Assign(Bitmap.get());
  TGIFSubImage* Frame = Picture.Frame(0);
  ASSERT_EQ(256, Frame->LocalColorMap()->Count());
  for (int I = 0; I < 256; I += 17)
    EXPECT_EQ(
        Colors[static_cast<size_t>(I)],
        TGIFColorMap::TripleToColor(Frame->LocalColorMap()->Entry(Frame->Pixels()[static_cast<size_t>(I)])));
  std::vector<TColor> Many;
  for (int I = 0; I < 257; ++I) Many.push_back(RGB(I % 256, I / 256, 7));
  Bitmap = BitmapOf(pf24bit, 257, 1, Many);
  EXPECT_EQ(L"Color table overflow", MessageOf<GIFException>([&] { Picture.Assign(Bitmap.get()); }));
}

TEST(GIFFrames, PaletteBitmapsKeepTheirIndices) {
  TGIFPicture Picture;
  // 1 bit, width 9: two bytes a row, nine indices.
  auto Mono = BitmapOf(pf1bit, 9, 2,
                       {clWhite, clBlack, clWhite, clBlack, clBlack, clBlack, clBlack, clBlack, clWhite,
                        clBlack, clBlack, clBlack, clBlack, clBlack, clBlack, clBlack, clBlack, clWhite});
  Picture.Assign(Mono.get());
  EXPECT_EQ((Bytes{1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1}), Picture.Frame(0)->Pixels());
  EXPECT_EQ(2, Picture.Frame(0)->LocalColorMap()->Count());
  // 4 bits: the high nibble first, the 16 colours of the bitmap's table.
  auto Vga = BitmapOf(pf4bit, 3, 1, {clRed, clBlue, clWhite});
  Picture.Assign(Vga.get());
  TGIFSubImage* Frame = Picture.Frame(0);
  EXPECT_EQ(16, Frame->LocalColorMap()->Count());
  for (int X = 0; X < 3; ++X)
    EXPECT_EQ(Vga->Canvas()->Pixels(X, 0) & 0xFFFFFF,
              TGIFColorMap::TripleToColor(Frame->LocalColorMap()->Entry(Frame->GetPixel(X, 0))));
}

TEST(GIFFrames, TransparentBitmapsGetATransparentColour) {
  TGIFPicture Picture;
  Picture.PaletteMode = pmNone;
  auto Bitmap = BitmapOf(pf24bit, 3, 1, {clRed, clLime, clRed});
  Bitmap->SetTransparent(true);
  Bitmap->SetTransparentColor(clLime);
  Picture.Assign(Bitmap.get());
  TGIFSubImage* Frame = Picture.Frame(0);
  ASSERT_NE(nullptr, Frame->GraphicControlExtension());
  const int Index = Frame->GraphicControlExtension()->GetTransparentColorIndex();
  EXPECT_TRUE(Frame->Transparent());
  EXPECT_EQ(Index, Frame->GetPixel(1, 0));
  EXPECT_NE(Index, Frame->GetPixel(0, 0));
  // A transparent colour that no pixel has: no control and no extra colour.
  Bitmap->SetTransparentColor(clBlue);
  Picture.Assign(Bitmap.get());
  EXPECT_EQ(nullptr, Picture.Frame(0)->GraphicControlExtension());
  EXPECT_EQ(2, Picture.Frame(0)->LocalColorMap()->Count());
}

TEST(GIFFrames, IconsAndMetafilesBringTheirTransparency) {
  // A 16 x 16 icon: red, its left half masked out (and black under the mask).
  std::vector<TColor> Colors;
  for (int I = 0; I < 256; ++I) Colors.push_back(I % 16 < 8 ? clBlack : clRed);
  auto Color = BitmapOf(pf24bit, 16, 16, Colors);
  std::vector<uint8_t> MaskBits(2 * 16);
  for (int Y = 0; Y < 16; ++Y) MaskBits[static_cast<size_t>(2 * Y)] = 0xFF;
  const HBITMAP Mask = CreateBitmap(16, 16, 1, 1, MaskBits.data());
  ICONINFO Info{TRUE, 0, 0, Mask, Color->Handle()};
  TIcon Icon;
  Icon.SetHandle(CreateIconIndirect(&Info));
  DeleteObject(Mask);
  TGIFPicture Picture;
  Picture.Assign(&Icon);
  TGIFSubImage* Frame = Picture.Frame(0);
  ASSERT_NE(nullptr, Frame->GraphicControlExtension());
  const int Transparent = Frame->GraphicControlExtension()->GetTransparentColorIndex();
  EXPECT_EQ(Transparent, Frame->GetPixel(3, 5));
  EXPECT_NE(Transparent, Frame->GetPixel(12, 5));
  EXPECT_EQ(clRed, TGIFColorMap::TripleToColor(Frame->LocalColorMap()->Entry(Frame->GetPixel(12, 5))));

  // A metafile that paints only the upper left quarter of 20 x 20.
  const HDC Recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  const HBRUSH Brush = CreateSolidBrush(RGB(0, 0, 255));
  RECT Quarter{0, 0, 10, 10};
  FillRect(Recorder, &Quarter, Brush);
  SetPixel(Recorder, 19, 19, RGB(0, 0, 1));  // fixes the bounds at 20 x 20
  DeleteObject(Brush);
  TMetafile Metafile;
  Metafile.SetHandle(CloseEnhMetaFile(Recorder));
  Picture.Assign(&Metafile);
  Frame = Picture.Frame(0);
  ASSERT_NE(nullptr, Frame->GraphicControlExtension());
  EXPECT_EQ(Frame->GraphicControlExtension()->GetTransparentColorIndex(), Frame->GetPixel(15, 5));
  EXPECT_NE(Frame->GraphicControlExtension()->GetTransparentColorIndex(), Frame->GetPixel(5, 5));
}

TEST(GIFFrames, RenderingNeverReadsPastTheTable) {
  // A table of red and blue, pixels up to 3, a transparent index of 9.
  const Bytes Data = B("GIF89a\x03\x00\x01\x00\x80\x00\x00", 13) + Bytes{255, 0, 0, 0, 0, 255} +
                     B("\x21\xF9\x04\x01\x00\x00\x09\x00", 8) + Bytes{0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0} +
                     EncodeImage(ckLZW, {0, 1, 3}, 3, 1, 4) + Bytes{0x3B};
  const TLoaded Loaded = LoadGif(Data);
  ASSERT_EQ(L"", Loaded.Error);
  TGIFPicture& Picture = *Loaded.Picture;
  Picture.RenderFlags &= ~rfDither;
  EXPECT_TRUE(Picture.Frame(0)->Transparent());
  EXPECT_FALSE(Picture.Frame(0)->HasMask());
  auto Target = Canvas24(3, 1, clWhite);
  Picture.Draw(Target->Canvas(), RECT{0, 0, 3, 1});
  EXPECT_EQ(clRed, PixelOf(Target.get(), 0, 0));
  EXPECT_EQ(clBlue, PixelOf(Target.get(), 1, 0));
  EXPECT_EQ(clRed, PixelOf(Target.get(), 2, 0));  // index 3 shows entry 0
}

TEST(GIFFrames, WithoutAnyColourTableFramesDrawInGrays) {
  TPictureFrame P(2, 1, {100, 200}, {});
  P.Picture.RenderFlags &= ~rfDither;
  TBitmap* Rendered = P.Frame->RenderedBitmap();
  ASSERT_NE(nullptr, Rendered);
  EXPECT_EQ(static_cast<TColor>(RGB(100, 100, 100)), PixelOf(Rendered, 0, 0));
  EXPECT_EQ(static_cast<TColor>(RGB(200, 200, 200)), PixelOf(Rendered, 1, 0));
}

TEST(GIFFrames, DrawsScaledTiledAndTransparent) {
  // 2 x 2: red, lime / transparent, blue.
  TPictureFrame P(2, 2, {0, 1, 2, 3}, {clRed, clLime, clBlack, clBlue});
  P.Picture.RenderFlags &= ~rfDither;
  auto* Control = new TGIFGraphicControlExtension(P.Frame);
  P.Frame->Extensions()->Add(Control);
  Control->SetTransparent(true);
  Control->SetTransparentColorIndex(2);
  // Scaled twice, transparent: the masked quarter keeps the background.
  auto Target = Canvas24(6, 6, clYellow);
  P.Frame->Draw(Target->Canvas(), RECT{0, 0, 4, 4}, true, false);
  EXPECT_EQ(clRed, PixelOf(Target.get(), 1, 1));
  EXPECT_EQ(clLime, PixelOf(Target.get(), 3, 0));
  EXPECT_EQ(clYellow, PixelOf(Target.get(), 0, 3));
  EXPECT_EQ(clBlue, PixelOf(Target.get(), 3, 3));
  EXPECT_EQ(clYellow, PixelOf(Target.get(), 4, 4));  // outside the rectangle
  // Same size, transparent (a masked blit).
  Target = Canvas24(2, 2, clYellow);
  P.Frame->Draw(Target->Canvas(), RECT{0, 0, 2, 2}, true, false);
  EXPECT_EQ(clYellow, PixelOf(Target.get(), 0, 1));
  EXPECT_EQ(clBlue, PixelOf(Target.get(), 1, 1));
  // Opaque: the transparent colour shows.
  P.Frame->Draw(Target->Canvas(), RECT{0, 0, 2, 2}, false, false);
  EXPECT_EQ(clBlack, PixelOf(Target.get(), 0, 1));
  // Tiled at the screen's steps over 5 x 5.
  Target = Canvas24(5, 5, clYellow);
  P.Frame->Draw(Target->Canvas(), RECT{0, 0, 5, 5}, false, true);
  EXPECT_EQ(clRed, PixelOf(Target.get(), 2, 2));
  EXPECT_EQ(clBlue, PixelOf(Target.get(), 3, 3));
  EXPECT_EQ(clRed, PixelOf(Target.get(), 4, 4));
  // A screen of 0 x 0 still steps.
  P.Picture.Header()->SetWidth(0);
  P.Picture.Header()->SetHeight(0);
  P.Frame->Draw(Target->Canvas(), RECT{0, 0, 5, 5}, false, true);
}

TEST(GIFFrames, AFrameBeyondTheScreenIsCutAtTheRectangle) {
  TPictureFrame P(1000, 1, Bytes(1000, 1), {clRed, clBlue});
  P.Picture.RenderFlags &= ~rfDither;
  P.Frame->SetFrameRect(65000, 0, 1000, 1);
  EXPECT_EQ(65535, P.Picture.Width());
  auto Target = Canvas24(120, 1, clYellow);
  P.Frame->Draw(Target->Canvas(), RECT{0, 0, 100, 1}, false, false);
  EXPECT_EQ(clBlue, PixelOf(Target.get(), 99, 0));
  EXPECT_EQ(clYellow, PixelOf(Target.get(), 100, 0));
}

TEST(GIFFrames, CopiesKeepPixelsTablesAndExtensions) {
  TPictureFrame P(2, 1, {1, 0}, {clRed, clBlue});
  auto* Comment = new TGIFCommentExtension(P.Frame);
  Comment->Text()->Add("copied");
  P.Frame->Extensions()->Add(Comment);
  P.Frame->SetInterlaced(true);
  TGIFPicture Other;
  auto* Copy = new TGIFSubImage(&Other);
  Other.Add(Copy);
  Copy->Assign(P.Frame);
  EXPECT_EQ(P.Frame->Pixels(), Copy->Pixels());
  EXPECT_TRUE(Copy->IsInterlaced());
  EXPECT_EQ(2, Copy->LocalColorMap()->Count());
  ASSERT_EQ(1, Copy->Extensions()->Count());
  EXPECT_EQ("copied", static_cast<TGIFCommentExtension*>(Copy->Extensions()->Extension(0))->Text()->Get(0));
  // Saved interlaced: the packed field keeps 0x40 and the rows are in pass order.
  TPictureFrame Tall(1, 3, {0, 1, 2}, {clRed, clLime, clBlue, clBlack});
  Tall.Frame->SetInterlaced(true);
  const Bytes Data = SaveGif(Tall.Picture);
  const TLoaded Loaded = LoadGif(Data);
  EXPECT_TRUE(Loaded.Picture->Frame(0)->IsInterlaced());
  EXPECT_EQ((Bytes{0, 1, 2}), Loaded.Picture->Frame(0)->Pixels());
  const size_t ImageData = 13 + 10 + 12;
  EXPECT_EQ(0xC1, Data[ImageData - 13]);
  EXPECT_EQ((Bytes{0, 2, 1}), DecodeImage(Bytes(Data.begin() + ImageData, Data.end() - 1), 1, 3).Pixels);
}
