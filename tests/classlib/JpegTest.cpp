#include "classlib/Jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "classlib/Streams.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Trace.h"

namespace {

// Smooth colour gradients; Noise adds detail that costs bytes at high quality.
std::unique_ptr<TBitmap> Picture(int Width, int Height, bool Noise = false) {
  auto Bitmap = std::make_unique<TBitmap>();
  Bitmap->SetPixelFormat(pf24bit);
  Bitmap->SetSize(Width, Height);
  for (int Y = 0; Y < Height; ++Y) {
    auto* Row = static_cast<uint8_t*>(Bitmap->ScanLine(Y));
    for (int X = 0; X < Width; ++X) {
      const int Jitter = Noise ? (X * 7919 + Y * 104729) % 23 : 0;
      Row[3 * X] = static_cast<uint8_t>(X * 255 / Width);
      Row[3 * X + 1] = static_cast<uint8_t>(Y * 230 / Height + Jitter);
      Row[3 * X + 2] = static_cast<uint8_t>(200 - (X + Y) * 150 / (Width + Height));
    }
  }
  return Bitmap;
}

Bytes Encode(TBitmap* Bitmap, int Quality, bool Progressive = false, bool Gray = false) {
  TJPEGImage Jpeg;
  Jpeg.SetCompressionQuality(Quality);
  Jpeg.SetProgressiveEncoding(Progressive);
  Jpeg.SetGrayscale(Gray);
  Jpeg.Assign(Bitmap);
  TMemoryStream Stream;
  Jpeg.SaveToStream(&Stream);
  return Bytes(Stream.Memory(), Stream.Memory() + Stream.Size());
}

void Decode(const Bytes& Data, TJPEGImage& Jpeg) {
  TMemoryStream Stream;
  Stream.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
  Stream.SetPosition(0);
  Jpeg.LoadFromStream(&Stream);
}

// Largest difference of any channel of any pixel.
int MaxDifference(TBitmap& A, TBitmap& B) {
  int Result = 0;
  for (int Y = 0; Y < A.Height(); ++Y) {
    const auto* RowA = static_cast<uint8_t*>(A.ScanLine(Y));
    const auto* RowB = static_cast<uint8_t*>(B.ScanLine(Y));
    for (int I = 0; I < 3 * A.Width(); ++I) Result = std::max(Result, std::abs(RowA[I] - RowB[I]));
  }
  return Result;
}

// The first start-of-frame marker: 0xC0 baseline, 0xC2 progressive; Components its component count.
uint8_t FrameMarker(const Bytes& Data, int& Components) {
  for (size_t I = 2; I + 9 < Data.size(); ++I) {
    if (Data[I] == 0xFF && (Data[I + 1] == 0xC0 || Data[I + 1] == 0xC2)) {
      Components = Data[I + 9];
      return Data[I + 1];
    }
  }
  return 0;
}

// Fails every transfer after Limit bytes with the stream's own error.
class TFailingStream : public TMemoryStream {
 public:
  explicit TFailingStream(int32_t Limit) : FLimit(Limit) {}
  int32_t Read(void* Buffer, int32_t Count) override {
    if (Position() + Count > FLimit) throw EReadError(L"Stream read error");
    return TMemoryStream::Read(Buffer, Count);
  }
  int32_t Write(const void* Buffer, int32_t Count) override {
    if (Position() + Count > FLimit) throw EWriteError(L"Stream write error");
    return TMemoryStream::Write(Buffer, Count);
  }

 private:
  int32_t FLimit;
};

}  // namespace

TEST(JpegImage, EncodeDecodeRoundTripStaysClose) {
  auto Source = Picture(67, 45);
  const Bytes Data = Encode(Source.get(), 95);
  TJPEGImage Jpeg;
  Decode(Data, Jpeg);
  ASSERT_EQ(67, Jpeg.Width());
  ASSERT_EQ(45, Jpeg.Height());
  TBitmap Decoded;
  Jpeg.AssignTo(&Decoded);
  EXPECT_EQ(pf24bit, Decoded.PixelFormat());
  EXPECT_LE(MaxDifference(*Source, Decoded), 8);

  TBitmap Target;
  Target.SetPixelFormat(pf24bit);
  Target.SetSize(67, 45);
  Target.Canvas()->Draw(0, 0, &Jpeg);
  EXPECT_EQ(0, MaxDifference(Decoded, Target));
}

TEST(JpegImage, LoadLeavesTheStreamJustAfterThePicture) {
  auto Source = Picture(40, 30);
  const Bytes Data = Encode(Source.get(), 90);
  TMemoryStream Stream;
  Stream.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
  Stream.WriteBuffer("TAIL", 4);
  Stream.SetPosition(0);
  TJPEGImage Jpeg;
  Jpeg.LoadFromStream(&Stream);
  EXPECT_EQ(static_cast<int64_t>(Data.size()), Stream.Position());
}

TEST(JpegImage, QualityAndProgressionShapeTheFile) {
  auto Source = Picture(96, 64, true);
  const Bytes High = Encode(Source.get(), 85);
  const Bytes Low = Encode(Source.get(), 20);
  EXPECT_GT(High.size(), Low.size() + Low.size() / 4);

  const Bytes Progressive = Encode(Source.get(), 85, true);
  int Components = 0;
  EXPECT_EQ(0xC0, FrameMarker(High, Components));
  EXPECT_EQ(3, Components);
  EXPECT_EQ(0xC2, FrameMarker(Progressive, Components));
  // Same quantisation, other order of the coefficients: the same picture.
  TJPEGImage FromProgressive;
  TJPEGImage FromBaseline;
  Decode(Progressive, FromProgressive);
  Decode(High, FromBaseline);
  TBitmap A;
  TBitmap B;
  A.Assign(&FromProgressive);
  B.Assign(&FromBaseline);
  EXPECT_EQ(pf24bit, A.PixelFormat());
  EXPECT_LE(MaxDifference(A, B), 2);
}

TEST(JpegImage, DamagedDataRaisesEjpeg) {
  auto Source = Picture(64, 48);
  const Bytes Data = Encode(Source.get(), 75);
  struct TCase {
    Bytes Data;
    std::wstring Message;  // empty: any library message
  };
  Bytes Random(3000);
  for (size_t I = 0; I < Random.size(); ++I) Random[I] = static_cast<uint8_t>((I * 2654435761u) >> 13);
  const TCase Cases[] = {
      {Bytes(), L"Empty input file"},
      {Bytes(Data.begin(), Data.begin() + 2), L"Premature end of input file"},
      {Bytes(Data.begin(), Data.begin() + 300), L"Premature end of input file"},
      {Bytes(Data.begin(), Data.begin() + Data.size() / 2), L"Premature end of input file"},
      {Bytes(Data.begin(), Data.end() - 2), L"Premature end of input file"},
      {Random, L""},
  };
  for (const TCase& Case : Cases) {
    TRACE_CASE(Case.Data.size());
    TJPEGImage Jpeg;
    const std::wstring Message = MessageOf<EJPEG>([&] { Decode(Case.Data, Jpeg); });
    EXPECT_NE(L"(no error)", Message);
    if (!Case.Message.empty()) {
      EXPECT_EQ(Case.Message, Message);
    }
    EXPECT_TRUE(Jpeg.Empty());
  }
}

TEST(JpegImage, StreamErrorsPassThroughTheLibrary) {
  auto Source = Picture(64, 48, true);
  TJPEGImage Jpeg;
  Jpeg.Assign(Source.get());
  TFailingStream Output(100);
  EXPECT_THROW(Jpeg.SaveToStream(&Output), EWriteError);

  const Bytes Data = Encode(Source.get(), 90);
  TFailingStream Input(static_cast<int32_t>(Data.size()));
  Input.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
  Input.SetPosition(0);
  TJPEGImage Loaded;
  EXPECT_THROW(Loaded.LoadFromStream(&Input), EReadError);  // the chunk asks past the end
}

TEST(JpegImage, GrayscaleEncodesOneComponentAndDecodesGray) {
  auto Source = Picture(32, 32);
  const Bytes Gray = Encode(Source.get(), 90, false, true);
  int Components = 0;
  EXPECT_EQ(0xC0, FrameMarker(Gray, Components));
  EXPECT_EQ(1, Components);

  const Bytes Colour = Encode(Source.get(), 90);
  for (const Bytes* Data : {&Gray, &Colour}) {
    TJPEGImage Jpeg;
    Jpeg.SetGrayscale(Data == &Colour);  // a gray file is gray whatever the setting
    Decode(*Data, Jpeg);
    TBitmap Decoded;
    Jpeg.AssignTo(&Decoded);
    const auto* Row = static_cast<uint8_t*>(Decoded.ScanLine(5));
    EXPECT_EQ(Row[3 * 20], Row[3 * 20 + 1]);
    EXPECT_EQ(Row[3 * 20], Row[3 * 20 + 2]);
  }
}

TEST(JpegImage, SizeIsFixedAndQualityClamped) {
  TJPEGImage Jpeg;
  EXPECT_EQ(90, Jpeg.CompressionQuality());
  Jpeg.SetCompressionQuality(0);
  EXPECT_EQ(1, Jpeg.CompressionQuality());
  Jpeg.SetCompressionQuality(500);
  EXPECT_EQ(100, Jpeg.CompressionQuality());
  EXPECT_EQ(L"Cannot change the size of a JPEG image", MessageOf<EJPEG>([&] { Jpeg.SetWidth(5); }));
  TMemoryStream Stream;
  Jpeg.SaveToStream(&Stream);
  EXPECT_EQ(0, Stream.Size());
}

TEST(JpegImage, PictureLoadsJpgAndJpegByExtension) {
  TempDir Dir;
  auto Source = Picture(20, 10);
  TJPEGImage Jpeg;
  Jpeg.Assign(Source.get());
  for (const wchar_t* Name : {L"a.jpg", L"B.JPEG", L"c.Jpg"}) {
    const std::string File = WideToAnsi(Dir.File(Name));
    Jpeg.SaveToFile(File);
    TPicture Picture;
    Picture.LoadFromFile(File);
    EXPECT_NE(nullptr, dynamic_cast<TJPEGImage*>(Picture.Graphic()));
    EXPECT_EQ(20, Picture.Width());
  }
}
