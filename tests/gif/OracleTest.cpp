// Image data against the independent tools: what Pillow, ImageMagick and giflib wrote is decoded to the
// pixels they decode, and what our encoders write is left for them to decode (tests/gif/oracle.py).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/gif/GifTestSupport.h"
#include "tests/support/Trace.h"

namespace {

// A GIF of one frame over the whole screen, its colours in the global table.
Bytes OneFrameGif(int Width, int Height, int Colors, bool Interlaced, const Bytes& ImageData) {
  const int Bits = std::max(1, ColorCountToBits(Colors));
  Bytes File = B("GIF87a", 6);
  auto Word = [&](int Value) {
    File.push_back(static_cast<uint8_t>(Value));
    File.push_back(static_cast<uint8_t>(Value >> 8));
  };
  Word(Width);
  Word(Height);
  File.push_back(static_cast<uint8_t>(0x80 | (Bits - 1)));
  File.push_back(0);
  File.push_back(0);
  for (int I = 0; I < 1 << Bits; ++I) {
    const bool Used = I < Colors;
    File.push_back(static_cast<uint8_t>(Used ? I * 37 : 0));
    File.push_back(static_cast<uint8_t>(Used ? 255 - I : 0));
    File.push_back(static_cast<uint8_t>(Used ? I * 101 : 0));
  }
  File.push_back(0x2C);
  Word(0);
  Word(0);
  Word(Width);
  Word(Height);
  File.push_back(Interlaced ? 0x40 : 0);
  return File + ImageData + Bytes{0x3B};
}

}  // namespace

TEST(GIFOracle, ImageDataOfTheToolsDecodesToTheirPixels) {
  const std::wstring Folder = OracleFolder(L"fixtures");
  std::ifstream Cases(WideToAnsi(Folder + L"\\cases.txt"));
  ASSERT_TRUE(Cases.is_open());
  int Count = 0;
  std::string Name;
  int Width, Height, Interlaced;
  while (Cases >> Name >> Width >> Height >> Interlaced) {
    TRACE_CASE(Name);
    const std::wstring Base = Folder + L"\\" + AnsiToWide(Name);
    const TDecoded Decoded = DecodeImage(ReadBytes(Base + L".lzw"), Width, Height, Interlaced != 0, 0xEE);
    EXPECT_EQ(ReadBytes(Base + L".idx"), Decoded.Pixels);
    EXPECT_TRUE(Decoded.Warnings.empty());
    ++Count;
  }
  EXPECT_GE(Count, 60);  // Pillow and ImageMagick: 24 each, giflib 18
}

TEST(GIFOracle, OurImageDataIsLeftForTheTools) {
  const std::wstring Folder = OracleFolder(L"output");
  const std::pair<int, int> Sizes[] = {{1, 1}, {3, 2}, {255, 1}, {1, 4096}, {257, 3}, {640, 480}};
  int Count = 0;
  for (auto [Width, Height] : Sizes)
    for (int Colors : {2, 4, 16, 256})
      for (TGIFCodingKind Kind : {ckLZW, ckRLE})
        for (bool Runs : {false, true}) {
          const bool Interlaced = Runs && Height > 1;  // interlaced frames of every height but 1
          std::ostringstream Name;
          Name << "lzw-" << (Kind == ckRLE ? "rle" : "lzw") << "-" << Width << "x" << Height << "-" << Colors
               << (Runs ? "-runs" : "-random") << (Interlaced ? "-interlaced" : "");
          TRACE_CASE(Name.str());
          const size_t Pixels = static_cast<size_t>(Width) * Height;
          const unsigned Seed = static_cast<unsigned>(Width * 31 + Height * 7 + Colors);
          const Bytes Indices = Runs ? RunPixels(Pixels, Colors, Seed) : RandomPixels(Pixels, Colors, Seed);
          const Bytes Data = EncodeImage(Kind, Indices, Width, Height, Colors, Interlaced);
          ASSERT_EQ(Indices, DecodeImage(Data, Width, Height, Interlaced).Pixels);
          const std::wstring Base = Folder + L"\\" + AnsiToWide(Name.str());
          WriteBytes(Base + L".gif", OneFrameGif(Width, Height, Colors, Interlaced, Data));
          WriteBytes(Base + L".idx", Indices);
          ++Count;
        }
  EXPECT_EQ(6 * 4 * 2 * 2, Count);
}
