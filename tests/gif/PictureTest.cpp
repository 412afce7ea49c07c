// The picture class: the export road, copying, settings, palette, registration and the clipboard road.
#include <gtest/gtest.h>

#include "classlib/Clipbrd.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/gif/GifTestSupport.h"

namespace {

std::unique_ptr<TBitmap> Gradient(int Width, int Height, TPixelFormat Format) {
  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->SetPixelFormat(Format);
  Bitmap->SetSize(Width, Height);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X)
      Bitmap->Canvas()->SetPixels(X, Y, RGB(X * 255 / Width, Y * 255 / Height, 128));
  return Bitmap;
}

// One frame of one colour.
std::unique_ptr<TGIFPicture> Plain(int Width, int Height, TColor Color) {
  auto Picture = std::make_unique<TGIFPicture>();
  auto* Frame = new TGIFSubImage(Picture.get());
  Frame->SetFrameRect(0, 0, Width, Height);
  Frame->LocalColorMap()->Add(Color);
  Picture->Add(Frame);
  return Picture;
}

int Web(int Value) {
  return (Value + 3) / 51;
}

}  // namespace

TEST(GIFPicture, SavingWithoutFramesRaises) {
  TGIFPicture Picture;
  TMemoryStream Stream;
  EXPECT_EQ(L"Unsupported GIF version", MessageOf<GIFException>([&] { Picture.SaveToStream(&Stream); }));
  EXPECT_EQ(0, Stream.Size());
}

TEST(GIFPicture, ABitmapIsSavedAsGIF87aWithTheWebColours) {
  for (TPixelFormat Format : {pf24bit, pfDevice}) {
    const auto Bitmap = Gradient(37, 11, Format);
    TGIFPicture Picture;
    Picture.Assign(Bitmap.get());
    const Bytes Data = SaveGif(Picture);
    ASSERT_GT(Data.size(), 13u + 10 + 768);
    EXPECT_EQ(B("GIF87a\x25\x00\x0B\x00\x77\x00\x00", 13), Bytes(Data.begin(), Data.begin() + 13));
    EXPECT_EQ((Bytes{0x2C, 0, 0, 0, 0, 37, 0, 11, 0, 0x87}), Bytes(Data.begin() + 13, Data.begin() + 23));
    // The 216 web colours, then 40 zero entries.
    for (int I = 0; I < 256; ++I) {
      const uint8_t* Entry = Data.data() + 23 + 3 * I;
      if (I < 216) {
        EXPECT_EQ((Bytes{static_cast<uint8_t>(I / 36 * 51), static_cast<uint8_t>(I / 6 % 6 * 51),
                         static_cast<uint8_t>(I % 6 * 51)}),
                  Bytes(Entry, Entry + 3));
      } else {
        EXPECT_EQ(Bytes(3, 0), Bytes(Entry, Entry + 3));
      }
    }
    EXPECT_EQ(0x3B, Data.back());
    const TLoaded Loaded = LoadGif(Data);
    TGIFSubImage* Frame = Loaded.Picture->Frame(0);
    for (int Y = 0; Y < 11; ++Y)
      for (int X = 0; X < 37; ++X) {
        const TColor C = Bitmap->Canvas()->Pixels(X, Y);
        EXPECT_EQ(Web(GetRValue(C)) * 36 + Web(GetGValue(C)) * 6 + Web(GetBValue(C)), Frame->GetPixel(X, Y));
      }
    EXPECT_EQ(pf24bit == Format ? pf24bit : pfDevice,
              Bitmap->PixelFormat());  // the caller's bitmap stays as it was
  }
}

TEST(GIFPicture, AssignCopiesEmptiesAndKeepsItself) {
  auto Source = Plain(3, 2, clRed);
  Source->RenderFlags = rfTile;
  Source->PaletteMode = pmGray256;
  Source->DitherKind = dkBurkes;
  Source->StaticFrame = 0;
  Source->OctreeBits = 3;
  Source->Compression = ckRLE;
  int SourceWarnings = 0;
  Source->OnWarningMessage = [&](TObject*, int, const std::string&) { ++SourceWarnings; };
  TGIFPicture Target;
  int TargetWarnings = 0;
  Target.OnWarningMessage = [&](TObject*, int, const std::string&) { ++TargetWarnings; };
  Target.OnProgress = [](TObject*, TProgressStage, uint8_t, bool, const RECT&, const std::string&) {};
  Target.Assign(Source.get());
  EXPECT_EQ(Describe(*Source), Describe(Target));
  EXPECT_EQ(rfTile, Target.RenderFlags);
  EXPECT_EQ(pmGray256, Target.PaletteMode);
  EXPECT_EQ(dkBurkes, Target.DitherKind);
  EXPECT_EQ(0, Target.StaticFrame);
  EXPECT_EQ(8, Target.OctreeBits);  // not copied
  EXPECT_EQ(ckLZW, Target.Compression);
  EXPECT_FALSE(Target.OnWarningMessage);
  EXPECT_FALSE(Target.OnProgress);
  EXPECT_FALSE(Target.Equals(Source.get()));  // equal contents, another object
  EXPECT_TRUE(Target.Equals(&Target));
  Target.Assign(&Target);
  EXPECT_EQ(1, Target.Frames()->Count());
  Target.Assign(nullptr);
  EXPECT_TRUE(Target.Empty());
  EXPECT_EQ(0, Target.Width());
}

TEST(GIFPicture, TheScreenCannotShrinkBelowAFrame) {
  auto Picture = Plain(3, 2, clRed);
  Picture->Frame(0)->SetLeft(2);
  EXPECT_EQ(5, Picture->Width());
  EXPECT_EQ(L"Image width too small for contained frames",
            MessageOf<GIFException>([&] { Picture->SetWidth(4); }));
  EXPECT_EQ(L"Image height too small for contained frames",
            MessageOf<GIFException>([&] { Picture->SetHeight(1); }));
  EXPECT_EQ(5, Picture->Width());
  Picture->SetWidth(9);
  EXPECT_EQ(9, Picture->Width());
  TStringList NotAGraphic;
  EXPECT_EQ(L"Object type not supported for operation",
            MessageOf<GIFException>([&] { Picture->Add(&NotAGraphic); }));
}

TEST(GIFPicture, DrawsItsStaticFrame) {
  auto Picture = Plain(2, 2, clRed);
  Picture->RenderFlags &= ~(rfDither | rfAnimate);
  auto* Second = new TGIFSubImage(Picture.get());
  Second->SetFrameRect(0, 0, 2, 2);
  Second->LocalColorMap()->Add(clBlue);
  Picture->Add(Second);
  auto Target = std::make_unique<TBitmap>();
  Target->SetPixelFormat(pf24bit);
  Target->SetSize(2, 2);
  for (auto [Static, Expected] : {std::pair{1, clBlue}, {5, clRed}, {-1, clRed}}) {
    Picture->StaticFrame = Static;
    Picture->Draw(Target->Canvas(), RECT{0, 0, 2, 2});
    EXPECT_EQ(Expected, Target->Canvas()->Pixels(1, 1) & 0xFFFFFF) << Static;
  }
  TBitmap Copy;
  Copy.Assign(Picture.get());  // the picture rendered: its first frame
  EXPECT_EQ(clRed, Copy.Canvas()->Pixels(0, 0) & 0xFFFFFF);
}

TEST(GIFPicture, ThePaletteComesFromTheTables) {
  auto Picture = Plain(2, 2, clRed);
  Picture->RenderFlags &= ~rfDither;
  PALETTEENTRY Entry{};
  ASSERT_NE(nullptr, Picture->GetPalette());  // the first frame's
  GetPaletteEntries(Picture->GetPalette(), 0, 1, &Entry);
  EXPECT_EQ(255, Entry.peRed);
  Picture->GetGlobalColorMap()->Add(clLime);
  GetPaletteEntries(Picture->GetPalette(), 0, 1, &Entry);
  EXPECT_EQ(255, Entry.peGreen);
  Picture->RenderFlags |= rfDither;
  Picture->RenderFlags &= ~rfDitherPaletteOnly;
  Picture->SetPalette(nullptr);
  EXPECT_TRUE(Picture->UseDithering());
  EXPECT_EQ(216u, GetPaletteEntries(Picture->GetPalette(), 0, 0, nullptr));
}

TEST(GIFPicture, ProgressAndWarningsReachTheHandlers) {
  auto Picture = Plain(2, 2, clRed);
  std::vector<std::string> Steps;
  Picture->OnProgress = [&](TObject*, TProgressStage Stage, uint8_t Percent, bool, const RECT&,
                            const std::string& Msg) {
    if (Stage != psRunning) Steps.push_back(Msg + " " + std::to_string(Percent));
  };
  const Bytes Data = SaveGif(*Picture);
  EXPECT_EQ((std::vector<std::string>{"Saving... 0", "Saving... 100"}), Steps);
  Steps.clear();
  std::unique_ptr<TMemoryStream> Bad(NewStreamOf(B("nothing at all", 14)));
  EXPECT_THROW(Picture->LoadFromStream(Bad.get()), GIFException);
  EXPECT_EQ(0, Bad->Position());  // put back
  EXPECT_EQ((std::vector<std::string>{"Loading... 0", "Loading... 0"}), Steps);
}

TEST(GIFPicture, RunLengthPicturesLoadBack) {
  auto Picture = Plain(40, 30, clRed);
  Picture->Compression = ckRLE;
  std::vector<TColor> Colors{clRed, clBlue, clLime};
  Picture->Frame(0)->LocalColorMap()->Add(clBlue);
  for (int Y = 0; Y < 30; ++Y)
    std::fill_n(Picture->Frame(0)->GetScanline(Y), 40, static_cast<uint8_t>(Y / 10 % 2));
  const TLoaded Loaded = LoadGif(SaveGif(*Picture));
  EXPECT_EQ(Describe(*Picture), Describe(*Loaded.Picture));
}

TEST(GIFPicture, AHugeScreenIsNotRendered) {
  auto Picture = Plain(2, 2, clRed);
  Picture->Frame(0)->SetFrameRect(65000, 65000, 2, 2);
  EXPECT_EQ(L"Image is too large", MessageOf<GIFException>([&] { Picture->RenderedBitmap(); }));
}

TEST(GIFPicture, RegisteredForGifFiles) {
  ASSERT_TRUE(TPicture::FileFormatClass("GIF").has_value());
  EXPECT_TRUE(*TPicture::FileFormatClass("gif") == GraphicClassOf<TGIFPicture>());
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(GIFClipboardFormat));
  char Name[32] = {};
  GetClipboardFormatNameA(GIFClipboardFormat, Name, sizeof(Name));
  EXPECT_STREQ("GIF Image", Name);
  TempDir Dir;
  const std::string File = WideToAnsi(Dir.File(L"picture.Gif"));
  Plain(4, 3, clRed)->SaveToFile(File);
  TPicture Picture;
  Picture.LoadFromFile(File);
  ASSERT_NE(nullptr, dynamic_cast<TGIFPicture*>(Picture.Graphic()));
  EXPECT_EQ(4, Picture.Width());
}
