#include "audio/MP3funk.h"

#include <gtest/gtest.h>

#include <memory>

#include "Imports/UCodeSysUtils.h"
#include "tests/audio/TagBuilders.h"
#include "tests/support/Trace.h"

struct TExpected {
  std::wstring Artist, Title, Album, Year, Genre, Track;
  int Duration;
};

static void ExpectInfo(const TAudioInfo& Info, const TExpected& E) {
  EXPECT_EQ(Info.Artist, E.Artist);
  EXPECT_EQ(Info.Title, E.Title);
  EXPECT_EQ(Info.Album, E.Album);
  EXPECT_EQ(Info.Year, E.Year);
  EXPECT_EQ(Info.Genre, E.Genre);
  EXPECT_EQ(Info.Track, E.Track);
  EXPECT_EQ(Info.Duration, E.Duration);
}

static void ExpectInfo(const std::unique_ptr<TAudioInfo>& Info, const TExpected& E) {
  ExpectInfo(*Info, E);
}

static std::unique_ptr<TAudioInfo> Read(const std::wstring& FileName) {
  auto Info = std::make_unique<TAudioInfo>();
  EXPECT_TRUE(Info->ReadFromFile(FileName));  // the file was found
  return Info;
}

class MP3funk : public testing::Test {
 protected:
  // Writes Data under Name in a fresh folder and reads it.
  std::unique_ptr<TAudioInfo> ReadBytes(const std::wstring& Name, const Bytes& Data) {
    WriteBytes(Dir.File(Name), Data);
    return Read(Dir.File(Name));
  }
  std::unique_ptr<TAudioInfo> ReadFixtureAs(const std::wstring& Fixture, const std::wstring& Name) {
    return ReadBytes(Name, ::ReadBytes(FixturePath(Fixture)));
  }
  TempDir Dir;
  TTagErrorCatcher Errors;
};

TEST_F(MP3funk, EncodedFiles) {
  struct TCase {
    std::wstring Fixture;
    TExpected Expected;
  } Cases[] = {
      {L"cbr.mp3", {L"Cbr Artist", L"Cbr Title", L"Cbr Album", L"2003", L"Rock", L"7", 1}},
      {L"vbr.mp3", {L"Vbr Artist", L"Vbr Title", L"", L"", L"", L"3/12", 1}},
      {L"v1only.mp3", {L"Old Artist", L"Old Title", L"", L"", L"Pop", L"5", 1}},
      {L"mono.mp3", {L"", L"mono.mp3", L"", L"", L"", L"", 1}},
      {L"tagged.ogg", {L"Ogg Artist", L"Ogg Title", L"Ogg Album", L"2004", L"", L"3", 1}},
      {L"plain.ogg", {L"", L"plain.ogg", L"", L"", L"", L"", 1}},
      {L"tagged.wma", {L"Wma Artist", L"Wma Title", L"Wma Album", L"2005", L"", L"6", 1}},
  };
  for (const TCase& C : Cases) {
    TRACE_CASE(testing::PrintToString(C.Fixture));
    ExpectInfo(Read(FixturePath(C.Fixture)), C.Expected);
  }
  EXPECT_TRUE(Errors.Shown().empty());
}

TEST_F(MP3funk, UpperCaseExtensionChoosesTheSameReader) {
  ExpectInfo(ReadFixtureAs(L"cbr.mp3", L"LOUD.MP3"),
             {L"Cbr Artist", L"Cbr Title", L"Cbr Album", L"2003", L"Rock", L"7", 1});
  EXPECT_EQ(ReadFixtureAs(L"tagged.ogg", L"x.OgG")->Title, L"Ogg Title");
  EXPECT_EQ(ReadFixtureAs(L"tagged.wma", L"x.WMA")->Title, L"Wma Title");
}

TEST_F(MP3funk, FileNameFallBack) {
  // An untagged MPEG file keeps its whole name as the title; splitting is the fall-back's alone.
  ExpectInfo(ReadFixtureAs(L"plain.mp3", L"Artist - Title.mp3"),
             {L"", L"Artist - Title.mp3", L"", L"", L"", L"", 1});
  ExpectInfo(ReadFixtureAs(L"tone.wav", L"Artist - Title.wav"), {L"Artist", L"Title", L"", L"", L"", L"", 0});
  ExpectInfo(ReadBytes(L"Band - Live - Set.ogg", Str("not an ogg file")),
             {L"Band", L"Live - Set", L"", L"", L"", L"", 0});
  // Tags without MPEG frames are ignored; both extension texts are removed before the split.
  ExpectInfo(ReadBytes(L"A.mp3 - B.mp3",
                       Id3Tag(3, 0, Id3Text(3, "TIT2", "Tag")) + Str("text") + Id3v1("V1", "V1", 1, 1)),
             {L"A", L"B", L"", L"", L"", L"", 0});
  ExpectInfo(ReadBytes(L"No Dash.txt", Str("text")), {L"", L"No Dash.txt", L"", L"", L"", L"", 0});
}

TEST_F(MP3funk, TitleFromTheLongFileName) {
  for (const wchar_t* Fixture : {L"plain.mp3", L"plain.ogg"}) {
    const std::wstring Long = std::wstring(L"a long file name") + WideExtractFileExt(Fixture);
    WriteBytes(Dir.File(Long), ::ReadBytes(FixturePath(Fixture)));
    const std::wstring Short = WideExtractShortPathName(Dir.File(Long));
    ASSERT_NE(WideExtractFileName(Short), Long);
    EXPECT_EQ(Read(Short)->Title, Long);
    EXPECT_EQ(Read(Dir.File(Long))->Title, Long);
  }
}

TEST_F(MP3funk, WmaThatIsNotAsfUsesTheFileName) {
  // Read, with nothing in it: the whole name is the title; only an unreadable file has its name split.
  ExpectInfo(ReadBytes(L"X - Y.wma", Str("plain text, not ASF")), {L"", L"X - Y.wma", L"", L"", L"", L"", 0});
  ExpectInfo(ReadBytes(L"S - T.wma", Str("short")), {L"S", L"T", L"", L"", L"", L"", 0});
  // ASF whose stream values fail the plausibility test counts as read, without fields.
  const Bytes Implausible = AsfFile({AsfFileProperties(128000), AsfStreamProperties(6, 44100, 16000),
                                     AsfContentDescription(L"Hidden", L"Hidden")});
  ExpectInfo(ReadBytes(L"P - Q.wma", Implausible), {L"", L"P - Q.wma", L"", L"", L"", L"", 0});
}

TEST_F(MP3funk, MissingFile) {
  TAudioInfo Info;
  Info.Title = L"Before";
  Info.Duration = 7;
  CreateDirectoryW(Dir.File(L"folder.mp3").c_str(), nullptr);
  for (const wchar_t* Name : {L"gone.mp3", L"gone.ogg", L"gone.wma", L"folder.mp3", L"*.mp3"}) {
    EXPECT_FALSE(Info.ReadFromFile(Dir.File(Name)));
    EXPECT_EQ(Info.Title, L"Before");
    EXPECT_EQ(Info.Duration, 7);
  }
  EXPECT_FALSE(Info.ReadFromFile(Dir.File(L"gone - here.wav")));
  ExpectInfo(Info, {L"", L"", L"", L"", L"", L"", 0});
}

TEST_F(MP3funk, LockedFileFallsBackToItsName) {
  for (const wchar_t* Name : {L"Locked - Song.mp3", L"Locked - Song.ogg", L"Locked - Song.wma"}) {
    WriteBytes(Dir.File(Name), ::ReadBytes(FixturePath(L"cbr.mp3")));
    const HANDLE Lock =
        CreateFileW(Dir.File(Name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(Lock, INVALID_HANDLE_VALUE);
    TAudioInfo Info;
    Info.Album = L"Before";
    EXPECT_TRUE(Info.ReadFromFile(Dir.File(Name)));
    CloseHandle(Lock);
    ExpectInfo(Info, {L"Locked", L"Song", L"", L"", L"", L"", 0});
  }
}

TEST_F(MP3funk, Id3v2BeforeId3v1) {
  const Bytes V2 = Id3Tag(
      3, 0, Id3Text(3, "TPE1", "V2 Artist") + Id3Text(3, "TIT2", "") + Id3Text(3, "TRCK", "0") + Zeros(20));
  ExpectInfo(ReadBytes(L"both.mp3", V2 + MpegFrames(10) + Id3v1("V1 Title", "V1 Artist", 0, 13, "V1 Album")),
             {L"V2 Artist", L"V1 Title", L"V1 Album", L"", L"Pop", L"", 0});
  // A false sync inside the ID3v2 area is not taken for audio: the scan starts behind the tag.
  const Bytes Syncs = Id3Tag(3, 0, Id3Text(3, "TIT2", "Only V2") + MpegFrames(200) + Zeros(10));
  ExpectInfo(ReadBytes(L"only.mp3", Syncs + MpegFrames(100)), {L"", L"Only V2", L"", L"", L"", L"", 2});
  ExpectInfo(ReadBytes(L"no tags.mp3", MpegFrames(10)), {L"", L"no tags.mp3", L"", L"", L"", L"", 0});
}

TEST_F(MP3funk, ControlCharactersBecomeBlanks) {
  const Bytes V2 = Id3Tag(4, 0, Id3Text(4, "TIT2", "One\r\nTwo") + Id3Text(4, "TPE1", "Tab\there", 3));
  const auto Info =
      ReadBytes(L"ctl.mp3", V2 + MpegFrames(10) + Id3v1("a", "b", 1, 1, std::string("x\0y", 3)));
  EXPECT_EQ(Info->Title, L"One  Two");
  EXPECT_EQ(Info->Artist, L"Tab here");
  EXPECT_EQ(Info->Album, L"x y");
  const auto Ogg = ReadBytes(L"ctl.ogg", OggFile({"TITLE=a\x01"
                                                  "b",
                                                  "ALBUM=c\x1F"
                                                  "d"},
                                                 44100));
  EXPECT_EQ(Ogg->Title, L"a b");
  EXPECT_EQ(Ogg->Album, L"c d");
  const auto Wma = ReadBytes(L"ctl.wma", AsfAudioFile({AsfContentDescription(L"p\nq", L"r\0s")}));
  EXPECT_EQ(Wma->Title, L"p q");
}

TEST_F(MP3funk, PlayTimeRoundsHalvesToEven) {
  const std::pair<uint64_t, int> Cases[] = {{2500, 2}, {3500, 4}, {2499, 2}, {2501, 3}};
  for (const auto& [Samples, Seconds] : Cases)
    EXPECT_EQ(ReadBytes(L"r.ogg", OggFile({}, Samples, 1000))->Duration, Seconds) << Samples;
  // The WMA play time: 10,000,000 bytes at 128000 bit/s.
  const Bytes Header = AsfAudioFile({}, 0);
  EXPECT_EQ(ReadBytes(L"long.wma", AsfAudioFile({}, 10000000 - Header.size()))->Duration, 625);
}

TEST_F(MP3funk, TrackZeroIsEmptiedForEveryReader) {
  EXPECT_EQ(ReadBytes(L"t.ogg", OggFile({"TRACKNUMBER=0"}, 44100))->Track, L"");
  EXPECT_EQ(ReadBytes(L"t.ogg", OggFile({"TRACKNUMBER=A1"}, 44100))->Track, L"");
  EXPECT_EQ(ReadBytes(L"t.wma", AsfAudioFile({AsfExtendedContent({AsfString(L"WM/Track", L"0")})}))->Track,
            L"");
  EXPECT_EQ(ReadBytes(L"t.mp3", MpegFrames(3) + Id3v1("t", "a", 0, 1))->Track, L"");
}
