// The document around the frames: colour tables, header, the block sequence and the trailer.
#include <gtest/gtest.h>

#include "tests/classlib/RaisedMessage.h"
#include "tests/gif/GifTestSupport.h"

namespace {

// A 2 x 1 picture of colours 0 and 1, its table global (Global) or local.
std::unique_ptr<TGIFPicture> TwoPixels(int GlobalColors, int LocalColors) {
  auto Picture = std::make_unique<TGIFPicture>();
  for (int I = 0; I < GlobalColors; ++I) Picture->GetGlobalColorMap()->Add(RGB(I, 2 * I, 3 * I));
  auto* Frame = new TGIFSubImage(Picture.get());
  Frame->SetFrameRect(0, 0, 2, 1);
  for (int I = 0; I < LocalColors; ++I) Frame->LocalColorMap()->Add(RGB(10 + I, 0, 0));
  Frame->GetScanline(0)[1] = 1;
  Picture->Add(Frame);
  return Picture;
}

}  // namespace

TEST(GIFStructure, HeaderAndGlobalTableGoldenBytes) {
  const auto Picture = TwoPixels(3, 0);
  const Bytes Data = SaveGif(*Picture);
  // GIF87a, 2 x 1, table of 4 entries (size field 1), resolution 1, background 0, aspect 0.
  const Bytes Head{'G', 'I', 'F', '8', '7', 'a', 2, 0, 1, 0, 0x91, 0, 0, 0, 0, 0, 1, 2, 3, 2, 4, 6, 0, 0, 0};
  ASSERT_GE(Data.size(), Head.size());
  EXPECT_EQ(Head, Bytes(Data.begin(), Data.begin() + static_cast<ptrdiff_t>(Head.size())));
  // The image: at 0, 0, 2 x 1, no local table; LZW data; the trailer.
  const Bytes Image{0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0};
  EXPECT_EQ(Image, Bytes(Data.begin() + 25, Data.begin() + 35));
  EXPECT_EQ(0x3B, Data.back());
}

TEST(GIFStructure, TablesArePaddedToAPowerOfTwo) {
  for (auto [Colors, Written] : {std::pair{1, 2}, {3, 4}, {216, 256}, {0, 0}}) {
    auto Picture = TwoPixels(0, std::max(Colors, 2));
    TGIFLocalColorMap* Map = Picture->Frame(0)->LocalColorMap();
    Map->Clear();
    for (int I = 0; I < Colors; ++I) Map->Add(RGB(I, 1, 1));
    TMemoryStream Stream;
    Map->SaveToStream(&Stream);
    EXPECT_EQ(3 * Written, Stream.Size()) << Colors;
  }
  // A 4-colour global table beside a 256-colour local one: size field 1 and exactly 4 global entries.
  auto Picture = TwoPixels(4, 256);
  const Bytes Data = SaveGif(*Picture);
  EXPECT_EQ(0xF1, Data[10]);  // table present, resolution 7 (the largest), size 1
  EXPECT_EQ(0x2C, Data[13 + 12]);
  EXPECT_EQ(0x87, Data[13 + 12 + 9]);
}

TEST(GIFStructure, ColourTableOperations) {
  auto Picture = TwoPixels(0, 2);
  TGIFColorMap* Map = Picture->GetGlobalColorMap();
  for (int I = 0; I < 256; ++I) Map->Add(RGB(I, I, 0));
  EXPECT_EQ(L"Color table overflow", MessageOf<GIFException>([&] { Map->Add(clWhite); }));
  EXPECT_EQ(L"Invalid color index", MessageOf<GIFException>([&] { Map->Delete(256); }));
  std::vector<std::string> Warnings;
  Picture->OnWarningMessage = [&](TObject* Sender, int Severity, const std::string& Message) {
    EXPECT_EQ(Map, Sender);
    EXPECT_EQ(1, Severity);
    Warnings.push_back(Message);
  };
  EXPECT_EQ(static_cast<TColor>(RGB(0, 0, 0)), Map->GetColor(-1));  // entry 0
  EXPECT_EQ(std::vector<std::string>{"Invalid color index"}, Warnings);
  Map->Clear();
  EXPECT_EQ(L"Color table is empty", MessageOf<GIFException>([&] { Map->GetColor(0); }));
  // The same colour twice: unsorted tables answer the later index.
  Map->Add(clRed);
  Map->Add(clBlue);
  Map->Add(clRed);
  EXPECT_EQ(2, Map->IndexOf(clRed));
  EXPECT_EQ(2, Map->AddIfAbsent(clRed));
  EXPECT_EQ(-1, Map->IndexOf(clLime));
  Map->Delete(1);
  EXPECT_EQ(1, Map->IndexOf(clRed));
  const TPaletteHandle Palette(Map->CreateHPalette());
  PALETTEENTRY Entry{};
  ASSERT_EQ(2u, GetPaletteEntries(Palette.get(), 0, 2, &Entry));
  EXPECT_EQ(PC_NOCOLLAPSE, Entry.peFlags);
}

TEST(GIFStructure, SortingByUseReordersAndDropsUnusedColours) {
  auto Picture = TwoPixels(0, 0);
  TGIFSubImage* Frame = Picture->Frame(0);
  TGIFColorMap* Map = Frame->LocalColorMap();
  Map->Add(clRed);   // 0: unused
  Map->Add(clBlue);  // 1: used once
  Map->Add(clRed);   // 2: used three times
  Frame->SetFrameRect(0, 0, 4, 1);
  const Bytes Pixels{2, 1, 2, 2};
  std::copy(Pixels.begin(), Pixels.end(), Frame->GetScanline(0));
  EXPECT_EQ(2, Map->IndexOf(clRed));
  EXPECT_TRUE(Map->SortByUsage());
  EXPECT_TRUE(Map->Sorted());
  EXPECT_EQ(2, Map->Count());
  EXPECT_EQ(0, Map->IndexOf(clRed));  // sorted: the first
  EXPECT_EQ((Bytes{0, 1, 0, 0}), Frame->Pixels());
  EXPECT_EQ(fv89a, Frame->GetVersion());  // a sorted table needs 89a
}

TEST(GIFStructure, SignatureIsFoundAfterFourBytesAndInAnyCase) {
  const auto Picture = TwoPixels(2, 0);
  const Bytes Data = SaveGif(*Picture);
  Bytes Lower = Data;
  Lower[0] = 'g';
  Lower[1] = 'i';
  Lower[2] = 'f';
  for (const Bytes& Variant : {Bytes{1, 2, 3, 4} + Data, Lower}) {
    const TLoaded Loaded = LoadGif(Variant);
    EXPECT_EQ(L"", Loaded.Error);
    EXPECT_EQ(Describe(*Picture), Describe(*Loaded.Picture));
  }
  EXPECT_EQ(L"Invalid GIF signature", LoadGif(Bytes{1, 2, 3, 4, 5} + Data).Error);
  EXPECT_EQ(L"Invalid GIF signature", LoadGif(B("PNG89a\0\0\0\0\0\0\0", 13)).Error);
}

TEST(GIFStructure, BlocksBetweenFramesAndTheTrailer) {
  const auto Picture = TwoPixels(2, 0);
  Bytes Data = SaveGif(*Picture);
  const size_t Trailer = Data.size() - 1;
  // Damage that costs nothing: padding zeros between blocks, and a file cut before its trailer.
  const ptrdiff_t FirstBlock = 13 + 6;  // after the header and its 2 colours
  Bytes Padded(Data.begin(), Data.begin() + FirstBlock);
  Padded = Padded + Bytes{0, 0, 0} + Bytes(Data.begin() + FirstBlock, Data.end());
  TLoaded Loaded = LoadGif(Padded);
  EXPECT_EQ(1, Loaded.Picture->Frames()->Count());
  EXPECT_TRUE(Loaded.Warnings.empty());
  Loaded = LoadGif(Bytes(Data.begin(), Data.begin() + static_cast<ptrdiff_t>(Trailer)));
  EXPECT_EQ(1, Loaded.Picture->Frames()->Count());
  EXPECT_TRUE(Loaded.Warnings.empty());
  // Another block type ends the frames with a warning; the trailer check then sees that byte.
  Data[Trailer] = 0x99;
  Loaded = LoadGif(Data);
  EXPECT_EQ(1, Loaded.Picture->Frames()->Count());
  EXPECT_EQ((std::vector<std::string>{"Unknown GIF block type", "Invalid Image trailer"}), Loaded.Warnings);
}

TEST(GIFStructure, ListsOwnTheirItems) {
  TGIFPicture Picture;
  auto* A = new TGIFSubImage(&Picture);
  auto* B = new TGIFSubImage(&Picture);
  Picture.Frames()->Add(A);
  Picture.Frames()->Add(B);
  EXPECT_EQ(1, Picture.Frames()->Remove(B));
  EXPECT_EQ(-1, Picture.Frames()->Remove(B));
  delete B;
  delete A;  // leaves the list itself
  EXPECT_EQ(0, Picture.Frames()->Count());
  EXPECT_EQ(L"List index out of bounds (0)", MessageOf<EListError>([&] { Picture.Frames()->GetItem(0); }));
}
