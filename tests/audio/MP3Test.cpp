#include "audio/MP3.h"

#include <gtest/gtest.h>

#include <memory>

#include "classlib/SysUtils.h"
#include "tests/audio/TagBuilders.h"
#include "tests/support/Trace.h"

// ---- MPEG frames ----

struct THeaderCase {
  Bytes Header;
  bool Valid;
  int Version, Layer, BitRate, SampleRate, FrameLength;
};

TEST(MP3MpegHeader, DecodesAndRejectsHeaders) {
  const THeaderCase Cases[] = {
      {{0xFF, 0xFB, 0x90, 0x00}, true, 1, 3, 128, 44100, 417},
      {{0xFF, 0xFB, 0x92, 0x00}, true, 1, 3, 128, 44100, 418},  // padding
      {{0xFF, 0xF3, 0x90, 0x00}, true, 2, 3, 80, 22050, 261},   // MPEG 2 Layer III
      {{0xFF, 0xE3, 0x18, 0xC0}, true, 3, 3, 8, 8000, 72},      // MPEG 2.5
      {{0xFF, 0xFF, 0x10, 0x00}, true, 1, 1, 32, 44100, 32},    // Layer I
      {{0xFF, 0xFF, 0x12, 0x00}, true, 1, 1, 32, 44100, 36},    // ... padded: a slot is 4 bytes
      {{0xFF, 0xFD, 0x10, 0xC0}, true, 1, 2, 32, 44100, 104},   // Layer II 32 kbit/s, single channel
      {{0xFF, 0xFD, 0x10, 0x00}, false, 0, 0, 0, 0, 0},         // ... not allowed in stereo
      {{0xFF, 0xFD, 0xE0, 0xC0}, false, 0, 0, 0, 0, 0},         // 384 kbit/s not in single channel
      {{0xFF, 0xFB, 0x00, 0x00}, false, 0, 0, 0, 0, 0},         // free format
      {{0xFF, 0xFB, 0xF0, 0x00}, false, 0, 0, 0, 0, 0},         // bit-rate index 15
      {{0xFF, 0xFB, 0x9C, 0x00}, false, 0, 0, 0, 0, 0},         // reserved sample rate
      {{0xFF, 0xEB, 0x90, 0x00}, false, 0, 0, 0, 0, 0},         // reserved version
      {{0xFF, 0xF9, 0x90, 0x00}, false, 0, 0, 0, 0, 0},         // reserved layer
      {{0xFF, 0xDB, 0x90, 0x00}, false, 0, 0, 0, 0, 0},         // sync bits incomplete
      {{0xFF, 0xFB, 0x90}, false, 0, 0, 0, 0, 0},               // cut short
  };
  for (const THeaderCase& C : Cases) {
    TMpegHeader H;
    TMpegInfo::DecodeHeader(C.Header, 0, H);
    TRACE_CASE(testing::PrintToString(C.Header));
    EXPECT_EQ(H.Valid, C.Valid);
    if (!C.Valid) continue;
    EXPECT_EQ(H.Version, C.Version);
    EXPECT_EQ(H.Layer, C.Layer);
    EXPECT_EQ(H.BitRate, C.BitRate);
    EXPECT_EQ(H.SampleRate, C.SampleRate);
    EXPECT_EQ(H.FrameLength, C.FrameLength);
  }
  EXPECT_EQ(TMpegInfo::GetFrameLength(1, 3, 0, 0, 128), -2);
}

static std::unique_ptr<TMpegInfo> Scan(const Bytes& Data, uint8_t* Result = nullptr, int64_t Start = 0) {
  TTestStream Stream(Data);
  Stream.Seek(Start, soBeginning);
  auto Info = std::make_unique<TMpegInfo>();
  const uint8_t R = Info->ReadFromStream(&Stream);
  if (Result) *Result = R;
  return Info;
}

TEST(MP3MpegInfo, CbrPlayTimeFromFileSize) {
  uint8_t Result;
  const auto Info = Scan(MpegFrames(400), &Result);
  EXPECT_EQ(Result, 0);
  EXPECT_TRUE(Info->Valid);
  EXPECT_EQ(Info->Position, 0);
  EXPECT_EQ(Info->BitRate, 128u);
  EXPECT_FALSE(Info->VBR);
  EXPECT_EQ(Info->Frames, 400);
  EXPECT_EQ(Info->Duration, 400 * 417 * 8 / 128000);  // 10 s
}

TEST(MP3MpegInfo, SingleChannelPlayTimeIsNotHalved) {
  EXPECT_EQ(Scan(MpegFrames(400, 0xC0))->Duration, 10);
}

TEST(MP3MpegInfo, FalseSyncsAreSkipped) {
  // A header whose next frame start holds no sync, then one with a second but no third frame.
  Bytes Junk = MpegFrame(0x90, 0, 50) + MpegFrame(0x90, 0, 100);
  Bytes Data = Junk + MpegFrame() + Bytes{0xFF, 0xFB, 0x90, 0x00} + Zeros(10) + MpegFrames(5);
  const int64_t Expected = Junk.size() + 417 + 14;
  EXPECT_EQ(Scan(Data)->Position, Expected);
  // The scan starts at the stream's position.
  EXPECT_EQ(Scan(MpegFrames(5), nullptr, 1)->Position, 417);
}

TEST(MP3MpegInfo, FrameConfirmedBeyondTheScanWindow) {
  Bytes Data = Zeros(300) + MpegFrames(3);  // frame 1 starts in the first window, frame 2 lies beyond it
  EXPECT_EQ(Scan(Data)->Position, 300);
  EXPECT_EQ(Scan(Zeros(2000) + MpegFrames(2))->Position, -1);  // two frames are not enough
}

TEST(MP3MpegInfo, XingFrameCountGivesVbrPlayTime) {
  const auto Info = Scan(XingFrame(1, 100) + MpegFrames(99));
  EXPECT_TRUE(Info->VBR);
  EXPECT_EQ(Info->Position, 0);
  EXPECT_EQ(Info->Frames, 100);
  // 44.1 * 99 * 417 / (100 * 144) = 126.4; the Xing frame is not audio.
  EXPECT_EQ(Info->BitRate, 126u);
  EXPECT_EQ(Info->Duration, 99 * 417 * 8 / 126000);
}

TEST(MP3MpegInfo, XingWithoutUsableCountDropsTheFirstFrame) {
  for (const Bytes& First : {XingFrame(0, 100), XingFrame(1, 0)}) {
    const auto Info = Scan(First + MpegFrames(10));
    EXPECT_EQ(Info->Position, 417);
    EXPECT_FALSE(Info->VBR);
    EXPECT_EQ(Info->BitRate, 128u);
  }
}

TEST(MP3MpegInfo, SmallXingCountInLargeFileKeepsWholeBitRate) {
  const auto Info = Scan(XingFrame(1, 1) + MpegFrames(999));
  EXPECT_EQ(Info->BitRate, uint32_t(44.1 * 999 * 417 / 144));  // 127582: above 16 bits
  EXPECT_EQ(Info->Duration, 0);
}

TEST(MP3MpegInfo, NoAcceptableFrame) {
  Bytes FreeFormat, ReservedRate;
  for (int I = 0; I < 5; ++I) {
    FreeFormat += MpegFrame(0x00);
    ReservedRate += MpegFrame(0x9C, 0, 417);
  }
  for (const Bytes& Data : {Bytes(), Zeros(3000), FreeFormat, ReservedRate, Bytes{0xFF, 0xFB, 0x90}}) {
    uint8_t Result;
    const auto Info = Scan(Data, &Result);
    EXPECT_EQ(Result, 12);
    EXPECT_FALSE(Info->Valid);
    EXPECT_EQ(Info->Position, -1);
  }
}

// ---- ID3v1 ----

static std::unique_ptr<TID3v1Tag> ReadV1(const Bytes& Data, uint8_t* Result = nullptr) {
  TTestStream Stream(Data);
  auto Tag = std::make_unique<TID3v1Tag>();
  const uint8_t R = Tag->ReadFromStream(&Stream);
  if (Result) *Result = R;
  return Tag;
}

TEST(MP3ID3v1, ReadsFieldsTrimmed) {
  Bytes Data = MpegFrames(1) + Id3v1("  Title\t", "Artist", 5, 17, "Album", "1999");
  std::fill(Data.end() - 128 + 3 + 8, Data.end() - 128 + 33, ' ');  // title padded with blanks
  const auto Tag = ReadV1(Data);
  EXPECT_TRUE(Tag->Exists);
  EXPECT_EQ(Tag->VersionID, 1);
  EXPECT_EQ(Tag->GetTitle(), L"Title");
  EXPECT_EQ(Tag->GetArtist(), L"Artist");
  EXPECT_EQ(Tag->GetAlbum(), L"Album");
  EXPECT_EQ(Tag->GetYear(), L"1999");
  EXPECT_EQ(Tag->GetTrack(), L"5");
  EXPECT_EQ(Tag->GetGenre(), L"Rock");
}

TEST(MP3ID3v1, FullFieldsAndCodePage) {
  const std::string Thirty =
      "abcdefghijklmnopqrstuvwxyz\xE9"
      "123";
  const auto Tag = ReadV1(Id3v1(Thirty, "", 0, 0));
  EXPECT_EQ(Tag->GetTitle(), L"abcdefghijklmnopqrstuvwxyz\u00E9123");
  EXPECT_EQ(Tag->VersionID, 0);  // bytes 125 and 126 both 0
  EXPECT_EQ(Tag->GetTrack(), L"0");
}

TEST(MP3ID3v1, GenreNames) {
  const std::pair<uint8_t, std::wstring> Cases[] = {
      {0, L"Blues"},        {12, L""},  {13, L"Pop"}, {92, L"Progessive Rock"},
      {125, L"Dance Hall"}, {126, L""}, {255, L""}};
  for (const auto& [Genre, Name] : Cases) EXPECT_EQ(ReadV1(Id3v1("t", "a", 1, Genre))->GetGenre(), Name);
}

TEST(MP3ID3v1, MissingTagGivesEmptyFieldsSilently) {
  TTagErrorCatcher Errors;
  Bytes Lower = Id3v1("Title", "Artist", 3, 13);
  Lower[0] = 't', Lower[1] = 'a', Lower[2] = 'g';
  const std::pair<Bytes, uint8_t> Cases[] = {{Lower, 9}, {MpegFrames(1), 9}, {Zeros(127), 6}, {Bytes(), 6}};
  for (const auto& [Data, Expected] : Cases) {
    uint8_t Result;
    const auto Tag = ReadV1(Data, &Result);
    EXPECT_EQ(Result, Expected);
    EXPECT_FALSE(Tag->Exists);
    EXPECT_EQ(Tag->GetTitle(), L"");
    EXPECT_EQ(Tag->GetYear(), L"");
    EXPECT_EQ(Tag->GetTrack(), L"0");
    EXPECT_EQ(Tag->GetGenre(), L"");
  }
  EXPECT_TRUE(Errors.Shown().empty());
}

// ---- ID3v2 ----

static std::unique_ptr<TID3v2Tag> LoadV2(const Bytes& Data, uint8_t* Result = nullptr) {
  TTestStream Stream(Data);
  auto Tag = std::make_unique<TID3v2Tag>();
  const uint8_t R = Tag->LoadFromStream(&Stream);
  if (Result) *Result = R;
  return Tag;
}

TEST(MP3ID3v2, TextEncodingsOfEveryVersion) {
  struct TCase {
    int Version;
    Bytes Data;
    std::wstring Title;
  } Cases[] = {
      {2, Bytes{0} + Str("  Latin \xE9 "), L"Latin \u00E9"},
      {3, Bytes{1, 0xFF, 0xFE} + Utf16LE(L"abc") + Zeros(2), L"abc"},
      {3, Bytes{1, 0xFE, 0xFF, 0, 'a', 0, 'b', 0, 'c', 0, 0}, L"abc"},
      {3, Bytes{1, 0xFF, 0xFE} + Utf16LE(L"abc"), L"abc"},
      {3, Bytes{1, 0xFE, 0xFF, 0, 'a', 0, 'b', 0, 'c'}, L"abc"},
      {3, Bytes{1} + Utf16LE(L"Epic Rap") + Zeros(2), L"Epic Rap"},  // no mark: little-endian
      {3, Bytes{1} + Utf16LE(L"\u0416"), L"\u0416"},
      {4, Bytes{2, 0x04, 0x14, 0, 'x'}, L"\u0414x"},
      {4,
       Bytes{3} + Str("\xC3\x9C"
                      "ber\n"),
       L"\u00DCber"},
      {4, Bytes{3} + Str("Rock") + Zeros(1) + Str("Pop"), L"Rock"},
      {3, Bytes{1, 0xFF, 0xFE} + Utf16LE(L"One") + Zeros(2) + Bytes{0xFF, 0xFE} + Utf16LE(L"Two"), L"One"},
      {3, Bytes{0} + Str("A") + Zeros(1) + Str("B"), L"A"},
      {3, Bytes{1, 0xFF}, L""},
      {3, Bytes{0}, L""},
      {3, Bytes{7} + Str("abc"), L""},
  };
  for (const TCase& C : Cases) {
    TRACE_CASE(testing::PrintToString(C.Data));
    const std::string ID = C.Version == 2 ? "TT2" : "TIT2";
    EXPECT_EQ(LoadV2(Id3Tag(C.Version, 0, Id3Frame(C.Version, ID, C.Data)))->GetTitle(), C.Title);
  }
}

TEST(MP3ID3v2, FrameIDsByVersion) {
  const auto V22 = LoadV2(Id3Tag(2, 0,
                                 Id3Text(2, "TT2", "T") + Id3Text(2, "TP1", "A") + Id3Text(2, "TAL", "L") +
                                     Id3Text(2, "TYE", "1990") + Id3Text(2, "TRK", "3/12")));
  EXPECT_EQ(V22->VersionID, 2);
  EXPECT_EQ(V22->GetTitle(), L"T");
  EXPECT_EQ(V22->GetArtist(), L"A");
  EXPECT_EQ(V22->GetAlbum(), L"L");
  EXPECT_EQ(V22->GetYear(), L"1990");
  EXPECT_EQ(V22->GetTrack(), L"3/12");
  EXPECT_EQ(LoadV2(Id3Tag(3, 0, Id3Text(3, "TDRC", "2004")))->GetYear(), L"");
  EXPECT_EQ(LoadV2(Id3Tag(3, 0, Id3Text(3, "TYER", "2004")))->GetYear(), L"2004");
  EXPECT_EQ(LoadV2(Id3Tag(4, 0, Id3Text(4, "TDRC", "2004-05-01")))->GetYear(), L"2004-05-01");
  // The last of two frames wins.
  EXPECT_EQ(LoadV2(Id3Tag(3, 0, Id3Text(3, "TIT2", "One") + Id3Text(3, "TIT2", "Two")))->GetTitle(), L"Two");
}

TEST(MP3ID3v2, GenreReferences) {
  const std::pair<std::string, std::wstring> Cases[] = {
      {"(13)", L"Pop"},    {"(13)Pop", L"Pop"}, {"(12)", L""},     {"Rock (Live)", L"Rock (Live)"},
      {"(300)", L"(300)"}, {"17)", L"Rock"},    {"Jazz", L"Jazz"}, {")(", L")("}};
  for (const auto& [Text, Genre] : Cases)
    EXPECT_EQ(LoadV2(Id3Tag(3, 0, Id3Text(3, "TCON", Text)))->GetGenre(), Genre) << Text;
}

TEST(MP3ID3v2, SizeExtendedHeaderAndPadding) {
  uint8_t Result;
  // Version 4 with a footer counts it.
  const auto Footer = LoadV2(Id3Tag(4, 0x10, Id3Text(4, "TIT2", "T")) + Str("3DI") + Zeros(7));
  EXPECT_EQ(Footer->Size, 10 + 12 + 10);
  // Version 3 extended header of 10 bytes, version 4 of 6 bytes; padding ends the frames.
  const auto V3 =
      LoadV2(Id3Tag(3, 0x40, BE32(6) + Zeros(6) + Id3Text(3, "TIT2", "Three") + Zeros(50)), &Result);
  EXPECT_EQ(Result, 0);
  EXPECT_EQ(V3->GetTitle(), L"Three");
  EXPECT_EQ(V3->Frames.size(), 1u);
  const auto V4 = LoadV2(Id3Tag(4, 0x40, SyncSafe(6) + Bytes{1, 0} + Id3Text(4, "TIT2", "Four")), &Result);
  EXPECT_EQ(Result, 0);
  EXPECT_EQ(V4->GetTitle(), L"Four");
  // Not a tag, or a version outside 2..4.
  LoadV2(MpegFrames(1), &Result);
  EXPECT_EQ(Result, 9);
  const auto V5 = LoadV2(Id3Tag(5, 0, Id3Text(3, "TIT2", "T")), &Result);
  EXPECT_EQ(Result, 10);
  EXPECT_FALSE(V5->Exists);
}

TEST(MP3ID3v2, UnsynchronisationIsUndone) {
  // Whole tag (version 3): the frame size counts the bytes after undoing.
  const Bytes V3 = Id3Tag(3, 0x80, Str("TIT2") + BE32(4) + Zeros(2) + Bytes{0, 'a', 0xFF, 0x00, 'b'});
  EXPECT_EQ(LoadV2(V3)->GetTitle(), L"a\u00FFb");
  // Per frame (version 4): the frame size counts the stored bytes.
  const Bytes V4 = Id3Tag(4, 0, Id3Frame(4, "TIT2", Bytes{0, 'a', 0xFF, 0x00, 'b'}, 0x02));
  EXPECT_EQ(LoadV2(V4)->GetTitle(), L"a\u00FFb");
  const Bytes V4Tag = Id3Tag(4, 0x80, Id3Frame(4, "TIT2", Bytes{0, 'c', 0xFF, 0x00, 'd'}));
  EXPECT_EQ(LoadV2(V4Tag)->GetTitle(), L"c\u00FFd");
}

TEST(MP3ID3v2, FrameFlags) {
  const Bytes Plain = Bytes{0} + Str("Plain");
  // Compressed or encrypted frames are skipped, so the earlier title stays.
  EXPECT_EQ(
      LoadV2(Id3Tag(3, 0, Id3Frame(3, "TIT2", Plain) + Id3Frame(3, "TIT2", Bytes{0, 'Z'}, 0x80)))->GetTitle(),
      L"Plain");
  EXPECT_EQ(
      LoadV2(Id3Tag(4, 0, Id3Frame(4, "TIT2", Plain) + Id3Frame(4, "TIT2", Bytes{0, 'Z'}, 0x04)))->GetTitle(),
      L"Plain");
  // Grouping byte and data length indicator come before the text.
  EXPECT_EQ(LoadV2(Id3Tag(4, 0, Id3Frame(4, "TIT2", Bytes{7} + SyncSafe(6) + Plain, 0x41)))->GetTitle(),
            L"Plain");
  EXPECT_EQ(LoadV2(Id3Tag(3, 0, Id3Frame(3, "TIT2", Bytes{7} + Plain, 0x20)))->GetTitle(), L"Plain");
}

TEST(MP3ID3v2, MalformedSizesEndAsReadErrorWithoutMessage) {
  TTagErrorCatcher Errors;
  const Bytes Good = Id3Text(3, "TPE1", "Kept");
  const Bytes Cases[] = {
      Id3Tag(3, 0, Good + Str("TIT2") + BE32(0x80000010) + Zeros(2) + Zeros(16)),  // top bit set
      Id3Tag(3, 0, Good + Str("TIT2") + BE32(1000) + Zeros(2) + Zeros(16)),        // beyond the tag
      Id3Tag(3, 0, Good + Str("TIT2") + BE32(0xFFFFFFFF) + Zeros(2)),
      Id3Tag(4, 0, Good + Str("TIT2") + Bytes{0x7F, 0x7F, 0x7F, 0x7F} + Zeros(2)),
      Str("ID3") + Bytes{3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F} + Good + Str("TIT2") + BE32(10) +
          Zeros(5),                    // file ends
      Id3Tag(3, 0, Good + Str("TI")),  // header cut
  };
  for (const Bytes& Data : Cases) {
    uint8_t Result;
    const auto Tag = LoadV2(Data, &Result);
    EXPECT_EQ(Result, 6);
    EXPECT_TRUE(Tag->Exists);
    EXPECT_EQ(Tag->GetArtist(), L"Kept");
    EXPECT_EQ(Tag->GetTitle(), L"");
  }
  for (const Bytes& Extended : {BE32(0x7FFFFFF0) + Zeros(2), BE32(1) + Zeros(2), Zeros(3)}) {
    uint8_t Result;
    LoadV2(Id3Tag(3, 0x40, Extended + Good), &Result);
    EXPECT_EQ(Result, 6);
  }
  EXPECT_TRUE(Errors.Shown().empty());
}

// A stream that fails in a way no file does.
struct TBrokenStream : TTestStream {
  using TTestStream::TTestStream;
  int64_t Seek(int64_t, TSeekOrigin) override { throw EOSError(5, L"Access denied"); }
};

TEST(MP3TagReaders, UnexpectedExceptionIsShownOnce) {
  TTagErrorCatcher Errors;
  TBrokenStream Stream(Id3Tag(3, 0, Id3Text(3, "TIT2", "T")) + MpegFrames(3) + Id3v1("t", "a", 1, 1));
  TID3v2Tag V2;
  EXPECT_EQ(V2.LoadFromStream(&Stream), 11);
  TID3v1Tag V1;
  EXPECT_EQ(V1.ReadFromStream(&Stream), 11);
  ASSERT_EQ(Errors.Shown().size(), 2u);
  EXPECT_EQ(Errors.Shown()[0], L"Access denied");
}
