// The LZW and run-length encoders, the sub-block writer and the LZW decoder on well-formed data.
#include <gtest/gtest.h>

#include "classlib/StringLists.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/gif/GifTestSupport.h"
#include "tests/support/Trace.h"

namespace {

struct TGoldenCase {
  const char* Name;
  TGIFCodingKind Kind;
  Bytes Pixels;
  int Width;
  int Height;
  int Colors;
  Bytes Expected;
};

}  // namespace

TEST(GIFLZW, GoldenBytesOfSmallImages) {
  const TGoldenCase Cases[] = {
      // clear 4, 0 and end 5 at 3 bits each
      {"1x1 of colour 0", ckLZW, {0}, 1, 1, 2, {0x02, 0x02, 0x44, 0x01, 0x00}},
      // clear, 0, 1, 2 at 3 bits; then 3, 6 ("0 1") and end at 4 bits
      {"3x2 of 4 colours", ckLZW, {0, 1, 2, 3, 0, 1}, 3, 2, 4, {0x02, 0x03, 0x44, 0x34, 0x56, 0x00}},
      // clear, 1, then the runs 6 ("1 1") and 7 ("1 1 1") that define themselves, end at 4 bits
      {"run of 6 by RLE", ckRLE, Bytes(6, 1), 1, 6, 4, {0x02, 0x02, 0x8C, 0x5F, 0x00}},
  };
  for (const TGoldenCase& Case : Cases) {
    TRACE_CASE(Case.Name);
    const Bytes Data = EncodeImage(Case.Kind, Case.Pixels, Case.Width, Case.Height, Case.Colors);
    EXPECT_EQ(Case.Expected, Data);
    const TDecoded Decoded = DecodeImage(Data, Case.Width, Case.Height);
    EXPECT_EQ(Case.Pixels, Decoded.Pixels);
    EXPECT_TRUE(Decoded.Warnings.empty());
  }
}

TEST(GIFLZW, RoundTripsEveryShapeTableAndCoder) {
  const std::pair<int, int> Sizes[] = {{1, 1}, {3, 2}, {255, 1}, {1, 4096}, {257, 3}, {640, 480}};
  for (auto [Width, Height] : Sizes)
    for (int Colors : {2, 4, 16, 256})
      for (TGIFCodingKind Kind : {ckLZW, ckRLE})
        for (bool Runs : {false, true}) {
          TRACE_CASE(testing::Message() << Width << "x" << Height << ", " << Colors << " colours, "
                                        << (Kind == ckRLE ? "RLE" : "LZW") << (Runs ? ", runs" : ", random"));
          const size_t Count = static_cast<size_t>(Width) * Height;
          const Bytes Pixels = Runs ? RunPixels(Count, Colors, 7) : RandomPixels(Count, Colors, 7);
          const Bytes Data = EncodeImage(Kind, Pixels, Width, Height, Colors);
          const TDecoded Decoded = DecodeImage(Data, Width, Height);
          ASSERT_EQ(Pixels, Decoded.Pixels);
          EXPECT_TRUE(Decoded.Warnings.empty());
          EXPECT_EQ(static_cast<int64_t>(Data.size()), Decoded.StreamPosition);
        }
}

TEST(GIFLZW, RLEWritesOneColourAsAFewRunCodes) {
  const Bytes Pixels(100 * 100, 3);
  const Bytes Data = EncodeImage(ckRLE, Pixels, 100, 100, 16);
  // 10,000 pixels in runs of 1, 2, ..., 141: about 141 codes of at most 8 bits.
  EXPECT_LT(Data.size(), 160u);
  EXPECT_EQ(Pixels, DecodeImage(Data, 100, 100).Pixels);
}

TEST(GIFLZW, InterlacedFramesAreWrittenAndReadInPassOrder) {
  // Written interlaced and read as plain rows: rows 0, 2, 1.
  EXPECT_EQ((Bytes{0, 2, 1}), DecodeImage(EncodeImage(ckLZW, {0, 1, 2}, 1, 3, 4, true), 1, 3).Pixels);
  for (int Height = 1; Height <= 17; ++Height)
    for (TGIFCodingKind Kind : {ckLZW, ckRLE}) {
      TRACE_CASE(Height);
      Bytes Pixels;
      for (int Row = 0; Row < Height; ++Row) Pixels.insert(Pixels.end(), 3, static_cast<uint8_t>(Row));
      const Bytes Data = EncodeImage(Kind, Pixels, 3, Height, 32, true);
      // Every row once: the fill value 0xEE stays nowhere.
      EXPECT_EQ(Pixels, DecodeImage(Data, 3, Height, true, 0xEE).Pixels);
    }
}

TEST(GIFLZW, ColourOutsideTheTableIsRefused) {
  for (TGIFCodingKind Kind : {ckLZW, ckRLE}) {
    TMemoryStream Stream;
    const Bytes Pixels{0, 1, 4, 0};
    EXPECT_EQ(L"Color not in color table", MessageOf<GIFException>([&] {
                CreateEncoder(Kind)->EncodeFrame(&Stream, 2, 4, Pixels.data(), false, 1, 4);
              }));
    Stream.SetPosition(0);
    EXPECT_EQ(2, ReadStreamByte(&Stream));  // the code size stays written
  }
}

TEST(GIFLZW, EmptyFrameWritesOnlyTheEndCode) {
  const Bytes Data = EncodeImage(ckLZW, {}, 0, 0, 4);
  EXPECT_EQ((Bytes{0x02, 0x01, 0x05, 0x00}), Data);
}

TEST(GIFLZW, WriterCutsSubBlocksOf255Bytes) {
  for (int Count : {1, 254, 255, 256, 510, 511}) {
    TRACE_CASE(Count);
    TMemoryStream Target;
    TGIFWriter Writer(&Target);
    const Bytes Data = RandomPixels(static_cast<size_t>(Count), 256, 1);
    Writer.WriteBuffer(Data.data(), Count);
    Writer.Finish();
    Writer.Finish();  // nothing more: the last block is out
    Bytes Expected;
    for (int Pos = 0; Pos < Count; Pos += 255) {
      const int Length = std::min(255, Count - Pos);
      Expected.push_back(static_cast<uint8_t>(Length));
      Expected.insert(Expected.end(), Data.begin() + Pos, Data.begin() + Pos + Length);
    }
    EXPECT_EQ(Expected, BytesOf(Target));
  }
  TMemoryStream Target;
  TGIFWriter Writer(&Target);
  uint8_t Byte = 0;
  EXPECT_EQ(L"Invalid stream operation", MessageOf<Exception>([&] { Writer.Read(&Byte, 1); }));
  EXPECT_EQ(L"Invalid stream operation", MessageOf<Exception>([&] { Writer.Seek(0, soBeginning); }));
}

TEST(GIFLZW, EncodedDataIsFullSubBlocksAndOneZeroBlock) {
  const Bytes Data = EncodeImage(ckLZW, RandomPixels(640 * 480, 256, 3), 640, 480, 256);
  size_t Pos = 1;
  while (Data[Pos] == 255) Pos += 256;
  ASSERT_LT(Pos, Data.size());
  ASSERT_GT(Data[Pos], 0);
  Pos += Data[Pos] + 1u;
  EXPECT_EQ(0, Data[Pos]);
  EXPECT_EQ(Data.size(), Pos + 1);
}

TEST(GIFLZWDecoder, MinimumCodeSizeAbove8IsReadAs8And0As1) {
  const Bytes Pixels = RandomPixels(100, 256, 5);
  Bytes Data = EncodeImage(ckLZW, Pixels, 10, 10, 256);
  for (uint8_t Size : {9, 12, 255}) {
    Data[0] = Size;
    EXPECT_EQ(Pixels, DecodeImage(Data, 10, 10).Pixels);
  }
  // Size 1: clear 2, then 1 and end 3 at 2 bits. 0 reads the same.
  EXPECT_EQ(Bytes{1}, DecodeImage({0x01, 0x01, 0x36, 0x00}, 1, 1).Pixels);
  EXPECT_EQ(Bytes{1}, DecodeImage({0x00, 0x01, 0x36, 0x00}, 1, 1).Pixels);
}

TEST(GIFLZWDecoder, CodeOfTheStringBeingDefinedRepeatsThePreviousOne) {
  // clear, 2, 6 = "2 2", 7 = "2 2 2", 3, 9 = "3 3": each code is the next free code.
  const Bytes Data = PackCodes(2, StandardWidths(2, {4, 2, 6, 7, 3, 9, 5}));
  EXPECT_EQ((Bytes{2, 2, 2, 2, 2, 2, 3, 3, 3}), DecodeImage(Data, 9, 1).Pixels);
}

TEST(GIFLZWDecoder, FullTableKeeps12BitCodesUntilAClear) {
  // After a clear every root adds an entry: 3839 codes fill the table to 4096.
  std::vector<int> Codes{256};
  Bytes Expected;
  for (int I = 0; I < 3839 + 20; ++I) {
    Codes.push_back(I % 251);
    Expected.push_back(static_cast<uint8_t>(I % 251));
  }
  Codes.push_back(256);
  for (int Root : {7, 8, 9}) {
    Codes.push_back(Root);
    Expected.push_back(static_cast<uint8_t>(Root));
  }
  Codes.push_back(257);
  const auto Packed = StandardWidths(8, Codes);
  EXPECT_EQ(12, Packed[3850].second);
  EXPECT_EQ(9, Packed.back().second);
  const TDecoded Decoded = DecodeImage(PackCodes(8, Packed), static_cast<int>(Expected.size()), 1);
  EXPECT_EQ(Expected, Decoded.Pixels);
  EXPECT_TRUE(Decoded.Warnings.empty());
}

TEST(GIFLZWDecoder, LegalShortSubBlocksDecode) {
  // 12-bit codes across sub-blocks of one byte and of mixed lengths.
  const Bytes Pixels = RandomPixels(640 * 480, 256, 11);
  const Bytes Data = EncodeImage(ckLZW, Pixels, 640, 480, 256);
  for (const std::vector<int>& Lengths : {std::vector<int>{1}, {1, 2, 3, 7, 255, 1}, {2}}) {
    const Bytes Cut = Reblock(Data, Lengths);
    const TDecoded Decoded = DecodeImage(Cut, 640, 480);
    EXPECT_EQ(Pixels, Decoded.Pixels);
    EXPECT_TRUE(Decoded.Warnings.empty());
    EXPECT_EQ(static_cast<int64_t>(Cut.size()), Decoded.StreamPosition);
  }
}

TEST(GIFLZWDecoder, TheStreamIsLeftAfterTheFramesZeroBlock) {
  const Bytes Pixels = RandomPixels(64, 16, 2);
  const Bytes Data = EncodeImage(ckLZW, Pixels, 8, 8, 16);
  // Sub-blocks after the one with the end code are skipped.
  Bytes Trailing(Data.begin(), Data.end() - 1);
  Trailing = Trailing + Bytes{3, 0xAA, 0xBB, 0xCC, 2, 0x11, 0x22, 0x00, 0x3B};
  TDecoded Decoded = DecodeImage(Trailing, 8, 8);
  EXPECT_EQ(Pixels, Decoded.Pixels);
  EXPECT_EQ(static_cast<int64_t>(Trailing.size() - 1), Decoded.StreamPosition);
  // So are codes that follow the last pixel the frame has room for.
  Decoded = DecodeImage(Data + Bytes{0x3B}, 8, 4);
  EXPECT_EQ(Bytes(Pixels.begin(), Pixels.begin() + 32), Decoded.Pixels);
  EXPECT_EQ(static_cast<int64_t>(Data.size()), Decoded.StreamPosition);
  EXPECT_TRUE(Decoded.Warnings.empty());
}

TEST(GIFSubBlockText, LinesAreCutInto255ByteBlocks) {
  TStringList Lines;
  Lines.Add(std::string(300, 'x'));
  Lines.Add("");
  Lines.Add("ab");
  TMemoryStream Stream;
  WriteSubBlockText(&Stream, &Lines);
  const Bytes Data = BytesOf(Stream);
  ASSERT_EQ(1 + 255 + 1 + 45 + 1 + 2 + 1u, Data.size());
  EXPECT_EQ(255, Data[0]);
  EXPECT_EQ(45, Data[256]);
  EXPECT_EQ(2, Data[302]);
  EXPECT_EQ(0, Data.back());

  TStringList Read;
  Read.Add("old");
  Stream.SetPosition(0);
  ReadSubBlockText(&Stream, &Read);
  ASSERT_EQ(3, Read.Count());  // the 300-byte line comes back as two
  EXPECT_EQ(std::string(255, 'x'), Read.Get(0));
  EXPECT_EQ(std::string(45, 'x'), Read.Get(1));
  EXPECT_EQ("ab", Read.Get(2));

  // A block is cut at its first zero byte; a block longer than the data raises.
  std::unique_ptr<TMemoryStream> Zero(NewStreamOf({3, 'a', 0, 'b', 0}));
  ReadSubBlockText(Zero.get(), &Read);
  EXPECT_EQ("a", Read.Get(0));
  std::unique_ptr<TMemoryStream> Short(NewStreamOf({9, 'a'}));
  EXPECT_EQ(L"Premature end of data", MessageOf<GIFException>([&] { ReadSubBlockText(Short.get(), &Read); }));
}
