// Damaged and hostile files through the loader: each case ends with the codec's error or warnings and
// keeps what was read; no case takes long or holds more than the limits allow; thousands of mutated
// files load, draw or fail cleanly.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "tests/gif/GifTestSupport.h"
#include "tests/support/CpuTime.h"
#include "tests/support/Trace.h"

namespace {

// Two frames: a global table, a loop, a control, a comment, an unknown application, an interlaced frame
// with a local table.
Bytes ValidFile() {
  TGIFPicture Picture;
  for (int I = 0; I < 4; ++I) Picture.GetGlobalColorMap()->Add(RGB(I * 60, 0, 0));
  auto* First = new TGIFSubImage(&Picture);
  First->SetFrameRect(0, 0, 6, 5);
  for (int Y = 0; Y < 5; ++Y)
    for (int X = 0; X < 6; ++X) First->GetScanline(Y)[X] = static_cast<uint8_t>((X + Y) % 4);
  First->Extensions()->Add(new TGIFAppExtNSLoop(First));
  auto* Control = new TGIFGraphicControlExtension(First);
  First->Extensions()->Add(Control);
  Control->SetDelay(5);
  Control->SetTransparent(true);
  Control->SetTransparentColorIndex(3);
  auto* Comment = new TGIFCommentExtension(First);
  Comment->Text()->Add("a comment");
  First->Extensions()->Add(Comment);
  auto* App = new TGIFUnknownAppExtension(First);
  App->SetIdentifierAndCode("VELMAROT1.0");
  App->Blocks().push_back({1, 2, 3});
  First->Extensions()->Add(App);
  Picture.Add(First);
  auto* Second = new TGIFSubImage(&Picture);
  Second->SetFrameRect(2, 1, 4, 4);
  Second->SetInterlaced(true);
  for (TColor C : {clRed, clLime, clBlue}) Second->LocalColorMap()->Add(C);
  for (int Y = 0; Y < 4; ++Y) Second->GetScanline(Y)[Y] = 2;
  Picture.Add(Second);
  return SaveGif(Picture);
}

// Where each block of ValidFile begins, and where the image data of each frame begins.
std::vector<size_t> BlockBoundaries(const Bytes& Data) {
  std::vector<size_t> Result{0, 6, 13, 25};
  size_t Pos = 25;
  while (Pos < Data.size() && Data[Pos] != 0x3B) {
    Result.push_back(Pos);
    if (Data[Pos] == 0x21) {
      Pos += 2;
    } else {
      const bool Local = Data[Pos + 9] & 0x80;
      Pos += 10 + (Local ? 3u << ((Data[Pos + 9] & 7) + 1) : 0);
      Result.push_back(Pos);
      ++Pos;  // the code size
    }
    while (Data[Pos]) {
      Result.push_back(Pos);
      Pos += Data[Pos] + 1u;
    }
    ++Pos;
  }
  Result.push_back(Pos);
  return Result;
}

// Loads, and draws what was loaded; quick, and within the memory the limits allow.
TLoaded LoadAndDraw(const Bytes& Data) {
  const TCpuStopwatch Stopwatch;
  const SIZE_T Before = MemoryInUse();
  TLoaded Loaded = LoadGif(Data);
  TBitmap Target;
  Target.SetPixelFormat(pf24bit);
  Target.SetSize(16, 16);
  try {
    Loaded.Picture->Draw(Target.Canvas(), RECT{0, 0, 16, 16});
  } catch (const GIFException&) {
  }
  // Each within the limit: the pixels, their renderings and, for an animation, the bitmap its painter
  // draws into and the painter's restore, previous and background bitmaps of that size.
  EXPECT_LT(MemoryGrowthSince(Before), SIZE_T{6} * GIFMaxBufferBytes);
  EXPECT_LT(Stopwatch.Elapsed(), std::chrono::seconds(5));
  return Loaded;
}

struct TFileCase {
  const char* Name;
  Bytes Data;
  std::wstring Error;                                // L"" when the load succeeds
  std::optional<std::vector<std::string>> Warnings;  // when the case fixes them
  int Frames;                                        // frames kept
};

Bytes Header(int Width, int Height) {
  return B("GIF89a", 6) +
         Bytes{static_cast<uint8_t>(Width),
               static_cast<uint8_t>(Width >> 8),
               static_cast<uint8_t>(Height),
               static_cast<uint8_t>(Height >> 8),
               0x80,
               0,
               0} +
         Bytes{0, 0, 0, 255, 255, 255};
}

Bytes Image(int Left, int Top, int Width, int Height, const Bytes& Pixels) {
  auto Word = [](int V) { return Bytes{static_cast<uint8_t>(V), static_cast<uint8_t>(V >> 8)}; };
  return Bytes{0x2C} + Word(Left) + Word(Top) + Word(Width) + Word(Height) + Bytes{0} +
         EncodeImage(ckLZW, Pixels, Width, Height, 4);
}

Bytes Repeat(const Bytes& Unit, size_t Times) {
  Bytes Result;
  Result.reserve(Unit.size() * Times);
  for (size_t I = 0; I < Times; ++I) Result.insert(Result.end(), Unit.begin(), Unit.end());
  return Result;
}

std::vector<TFileCase> Cases() {
  const Bytes Valid = ValidFile();
  const Bytes End{0x3B};
  const Bytes Small = Image(0, 0, 2, 1, {0, 1});
  std::vector<TFileCase> Result = {
      {"valid", Valid, L"", {{}}, 2},
      {"65535 x 65535 frame",
       Header(65535, 65535) + Bytes{0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 0} + End,
       L"Image is too large", std::nullopt, 0},
      {"frame beyond the largest screen", Header(2, 1) + Image(65534, 0, 2, 1, {0, 1}) + End, L"", {{}}, 1},
      {"colour index beyond the table", Header(3, 1) + Image(0, 0, 3, 1, {0, 1, 3}) + End, L"", {{}}, 1},
      {"transparent index beyond the table",
       Header(2, 1) + B("\x21\xF9\x04\x01\x00\x00\xC8\x00", 8) + Small + End,
       L"",
       {{}},
       1},
      {"no colour table", B("GIF89a\x02\x00\x01\x00\x00\x00\x00", 13) + Small + End, L"", {{}}, 1},
      {"unknown extension label",
       Header(2, 1) + B("\x21\x42\x02xy\x00", 6) + Small + End,
       L"",
       {{"Unknown extension type"}},
       1},
      {"unknown block type after a frame",
       Header(2, 1) + Small + Bytes{0x55} + Small + End,
       L"",
       {{"Unknown GIF block type", "Invalid Image trailer"}},
       1},
      {"stray byte where the image belongs",
       Header(2, 1) + B("\x21\xFE\x01x\x00", 5) + Bytes{0x07} + Small + End,
       L"",
       {{"Invalid extension introducer", "Unknown GIF block type", "Invalid Image trailer"}},
       1},
      {"loop with a short sub-block",
       Header(2, 1) + B("\x21\xFF\x0BNETSCAPE2.0\x01\x01\x00", 17) + Small + End, L"Invalid GIF data",
       std::nullopt, 0},
      {"loop cut by the end of the file", Header(2, 1) + B("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16),
       L"Premature end of data", std::nullopt, 0},
      {"a million empty comments",
       Header(2, 1) + Repeat(B("\x21\xFE\x00", 3), 1000000) + Small + End,
       L"",
       {{"Too many extensions"}},
       1},
      {"a hundred thousand frames of nothing",
       B("GIF89a\x00\x00\x00\x00\x00\x00\x00", 13) +
           Repeat(Bytes{0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0}, 100000) + End,
       L"", std::nullopt, 65536},
      {"extensions only",
       Header(2, 1) + B("\x21\xFE\x01x\x00\x21\xF9\x04\x00\x00\x00\x00\x00", 13) + End,
       L"",
       {{}},
       1},
      {"nothing after the header", Header(2, 1), L"", {{}}, 0},
      {"only a signature", B("GIF89a", 6), L"Premature end of data", std::nullopt, 0},
  };
  // An application extension of every first sub-block size.
  for (int Size = 0; Size <= 20; ++Size) {
    Bytes Block = B("\x21\xFF", 2) + Bytes{static_cast<uint8_t>(Size)} +
                  Bytes(static_cast<size_t>(Size), 'A') + Bytes{0};
    const bool Refused = Size < 10;
    Result.push_back({"application block", Header(2, 1) + Block + Small + End,
                      Refused ? L"Unsupported Application Extension block size" : L"", std::nullopt,
                      Refused ? 0 : 1});
  }
  return Result;
}

}  // namespace

TEST(GIFMalformedFile, EveryCaseEndsWithTheCodecsErrorOrWarnings) {
  for (const TFileCase& Case : Cases()) {
    TRACE_CASE(Case.Name);
    const TLoaded Loaded = LoadAndDraw(Case.Data);
    EXPECT_EQ(Case.Error, Loaded.Error);
    if (Case.Warnings) {
      EXPECT_EQ(*Case.Warnings, Loaded.Warnings);
    }
    EXPECT_EQ(Case.Frames, Loaded.Picture->Frames()->Count());
  }
}

TEST(GIFMalformedFile, CutsAtEveryBlockBoundaryKeepTheFramesBefore) {
  const Bytes Valid = ValidFile();
  const TLoaded Whole = LoadGif(Valid);
  for (size_t Cut : BlockBoundaries(Valid))
    for (size_t Length : {Cut, Cut + 1}) {
      if (Length > Valid.size()) continue;
      TRACE_CASE(Length);
      const TLoaded Loaded =
          LoadAndDraw(Bytes(Valid.begin(), Valid.begin() + static_cast<ptrdiff_t>(Length)));
      ASSERT_LE(Loaded.Picture->Frames()->Count(), Whole.Picture->Frames()->Count());
      // Every frame kept whole has the pixels it had.
      for (int I = 0; I < Loaded.Picture->Frames()->Count(); ++I) {
        const Bytes& Got = Loaded.Picture->Frame(I)->Pixels();
        const Bytes& Want = Whole.Picture->Frame(I)->Pixels();
        if (Got.size() == Want.size() && Length == Valid.size()) {
          EXPECT_EQ(Want, Got);
        }
      }
    }
}

TEST(GIFMalformedFile, TenThousandMutatedFilesLoadOrFailCleanly) {
  const std::vector<Bytes> Seeds{ValidFile(), Header(2, 1) + Image(0, 0, 2, 1, {0, 1}) + Bytes{0x3B}};
  std::mt19937 Random(2024);
  auto Below = [&](size_t N) { return N == 0 ? 0 : std::uniform_int_distribution<size_t>(0, N - 1)(Random); };
  int Loaded = 0;
  for (int Round = 0; Round < 10000; ++Round) {
    Bytes Data = Seeds[Below(Seeds.size())];
    switch (Below(4)) {
      case 0:
        Data.resize(Below(Data.size() + 1));
        break;
      case 1:
        for (size_t Flips = 1 + Below(4); Flips > 0; --Flips)
          Data[Below(Data.size())] ^= static_cast<uint8_t>(1 << Below(8));
        break;
      case 2:
        for (size_t Bytes = 1 + Below(4); Bytes > 0; --Bytes)
          Data[Below(Data.size())] = static_cast<uint8_t>(Random());
        break;
      default: {
        const size_t At = Below(Data.size());
        const Bytes Copy(Data.begin() + static_cast<ptrdiff_t>(At),
                         Data.begin() + static_cast<ptrdiff_t>(std::min(Data.size(), At + 1 + Below(16))));
        Data.insert(Data.begin() + static_cast<ptrdiff_t>(Below(Data.size())), Copy.begin(), Copy.end());
      }
    }
    Loaded += LoadAndDraw(Data).Error.empty() ? 1 : 0;
    if (HasFailure()) FAIL() << "round " << Round;
  }
  EXPECT_GT(Loaded, 1000);  // the mutations reach past the header
}
