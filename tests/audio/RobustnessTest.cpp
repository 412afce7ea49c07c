// Feeds every reader thousands of damaged files: each call must return, quickly, and nothing may
// escape the facade or reach the message box.
#include <gtest/gtest.h>

#include <random>

#include "audio/MP3.h"
#include "audio/MP3funk.h"
#include "audio/OGG.h"
#include "audio/WMA.h"
#include "tests/audio/TagBuilders.h"
#include "tests/support/CpuTime.h"

namespace {

struct TSeed {
  std::wstring Extension;
  Bytes Data;
};

std::vector<TSeed> Seeds() {
  std::vector<TSeed> Result;
  for (const wchar_t* Name : {L"cbr.mp3", L"vbr.mp3", L"v1only.mp3", L"tagged.ogg", L"tagged.wma"}) {
    const std::wstring N = Name;
    Result.push_back({N.substr(N.find(L'.')), ReadBytes(FixturePath(N))});
  }
  const Bytes Frames = Id3Frame(4, "TIT2", Bytes{3} + Str("Title"), 0x03) + Id3Text(4, "TCON", "(13)") +
                       Id3Frame(4, "TPE1", Bytes{1, 0xFF, 0xFE} + Utf16LE(L"Artist"));
  Result.push_back({L".mp3", Id3Tag(4, 0xC0, SyncSafe(6) + Bytes{1, 0} + Frames) + XingFrame(1, 40) +
                                 MpegFrames(39) + Id3v1("Title", "Artist", 3, 13)});
  Result.push_back({L".mp3", Id3Tag(2, 0x80, Id3Text(2, "TT2", "T") + Zeros(10)) + MpegFrames(20, 0xC0)});
  Result.push_back(
      {L".ogg", Id3Tag(3, 0, Zeros(10)) + OggFile({"TITLE=T", "TRACKNUMBER=3/4", "ARTIST=A"}, 900)});
  Result.push_back(
      {L".wma",
       AsfAudioFile({AsfContentDescription(L"T", L"A"),
                     AsfExtendedContent({AsfString(L"WM/Year", L"1999"), {L"WM/Track", 3, LE32(3)}})})});
  return Result;
}

// Truncated, bytes flipped, or a 32-bit value near the start set to 0, 0x7FFFFFFF or 0xFFFFFFFF.
Bytes Mutate(const Bytes& Seed, std::mt19937& Random) {
  Bytes Data = Seed;
  auto Below = [&](size_t N) { return N == 0 ? 0 : std::uniform_int_distribution<size_t>(0, N - 1)(Random); };
  switch (Below(3)) {
    case 0:
      Data.resize(Below(Data.size() + 1));
      break;
    case 1:
      for (size_t Flips = 1 + Below(8); Flips > 0 && !Data.empty(); --Flips)
        Data[Below(Data.size())] ^= 1 << Below(8);
      break;
    default: {
      static const uint32_t Values[] = {0, 0x7FFFFFFF, 0xFFFFFFFF};
      const uint32_t Value = Values[Below(3)];
      const Bytes Put = Below(2) ? LE32(Value) : BE32(Value);
      if (Data.size() >= 4)
        std::copy(Put.begin(), Put.end(), Data.begin() + Below(std::min<size_t>(Data.size() - 3, 700)));
    }
  }
  return Data;
}

bool HasControlCharacter(const std::wstring& S) {
  return std::any_of(S.begin(), S.end(), [](wchar_t C) { return C < L' '; });
}

void ReadWithEveryReader(const std::wstring& FileName, const TSeed& Seed, const Bytes& Data) {
  TTestStream Stream(Data);
  TMpegInfo Mpeg;
  TID3v2Tag V2;
  TID3v1Tag V1;
  if (Seed.Extension == L".mp3") {
    V1.ReadFromStream(&Stream);
    V2.LoadFromStream(&Stream);
    Stream.Seek(std::min<int64_t>(V2.Size, Stream.Size()), soBeginning);
    Mpeg.ReadFromStream(&Stream);
    EXPECT_GE(Mpeg.Duration, 0);
  } else if (Seed.Extension == L".ogg") {
    TOGGtag Ogg;
    EXPECT_NO_THROW(Ogg.ReadFromFile(FileName));
    EXPECT_GE(Ogg.GetDuration(), 0);
  } else {
    TWMATag Wma;
    EXPECT_NO_THROW(Wma.ReadFromFile(FileName));
    EXPECT_GE(Wma.Duration, 0);
  }
  TAudioInfo Info;
  EXPECT_NO_THROW(Info.ReadFromFile(FileName));
  EXPECT_GE(Info.Duration, 0);
  for (const std::wstring* Field :
       {&Info.Artist, &Info.Title, &Info.Album, &Info.Year, &Info.Genre, &Info.Track})
    EXPECT_FALSE(HasControlCharacter(*Field));
  EXPECT_NE(Info.Track, L"0");
}

}  // namespace

TEST(AudioRobustness, MutatedFilesNeitherCrashNorHangNorRaise) {
  TTagErrorCatcher Errors;
  TempDir Dir;
  std::mt19937 Random(20240607);
  const TCpuStopwatch Stopwatch;
  int Files = 0;
  for (const TSeed& Seed : Seeds()) {
    ASSERT_FALSE(Seed.Data.empty());
    const std::wstring FileName = Dir.File(L"mutant" + Seed.Extension);
    for (int I = 0; I < 400; ++I, ++Files) {
      const Bytes Data = Mutate(Seed.Data, Random);
      WriteBytes(FileName, Data);
      ReadWithEveryReader(FileName, Seed, Data);
      if (HasFailure()) {
        ADD_FAILURE() << "mutant " << I << " of a " << testing::PrintToString(Seed.Extension) << " seed";
        return;
      }
    }
  }
  EXPECT_LT(Stopwatch.Elapsed().count(), 60.0) << Files << " files";
  EXPECT_TRUE(Errors.Shown().empty()) << testing::PrintToString(Errors.Shown().front());
}
