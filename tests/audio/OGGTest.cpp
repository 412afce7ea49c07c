#include "audio/OGG.h"

#include <gtest/gtest.h>

#include "tests/audio/TagBuilders.h"

using OGG = TTagReaderTest<TOGGtag>;

TEST_F(OGG, EncodedFile) {
  ASSERT_TRUE(Tag.ReadFromFile(FixturePath(L"tagged.ogg")));
  EXPECT_EQ(Tag.Title, L"Ogg Title");
  EXPECT_EQ(Tag.Artist, L"Ogg Artist");
  EXPECT_EQ(Tag.Album, L"Ogg Album");
  EXPECT_EQ(Tag.Date, L"2004");
  EXPECT_EQ(Tag.Genre, L"Jazz");
  EXPECT_EQ(Tag.Track, 3);
  EXPECT_EQ(Tag.Channels, 2);
  EXPECT_EQ(Tag.SampleRate, 44100);
  EXPECT_EQ(Tag.Samples, 44100);  // the last granule position
  EXPECT_DOUBLE_EQ(Tag.GetDuration(), 1.0);
  EXPECT_NE(Tag.Vendor.find(L"Xiph.Org"), std::wstring::npos);
}

TEST_F(OGG, CommentNames) {
  Read(OggFile({"title=Lower", "PERFORMER=Performer", "DESCRIPTION=Described", "Date= 1999 ", "X=ignored",
                "GENRE=First", "GENRE=Second", "no equals sign"},
               0));
  EXPECT_EQ(Tag.Title, L"Lower");
  EXPECT_EQ(Tag.Artist, L"Performer");
  EXPECT_EQ(Tag.Comment, L"Described");
  EXPECT_EQ(Tag.Date, L"1999");
  EXPECT_EQ(Tag.Genre, L"Second");
  EXPECT_EQ(Tag.Vendor, L"test vendor");
  Read(OggFile({"ARTIST=Artist", "PERFORMER=Performer"}, 0));
  EXPECT_EQ(Tag.Artist, L"Artist");
}

TEST_F(OGG, TrackNumbers) {
  const std::pair<std::string, int> Cases[] = {{"3/12", 3}, {"07", 7}, {"A1", 0}, {"", 0}, {"300", 300}};
  for (const auto& [Text, Track] : Cases)
    EXPECT_EQ(Read(OggFile({"TRACKNUMBER=" + Text}, 0)).Track, Track) << Text;
}

TEST_F(OGG, LongAndBrokenComments) {
  Read(OggFile({"TITLE=" + std::string(294, 'x'), "ALBUM=Next", "ARTIST=ab\xC3(cd"}, 0));
  EXPECT_EQ(Tag.Title, std::wstring(244, L'x'));  // 250 bytes with the name
  EXPECT_EQ(Tag.Album, L"Next");
  EXPECT_EQ(Tag.Artist, L"ab\uFFFD(cd");
}

TEST_F(OGG, PlayTime) {
  // From the last granule position; the nominal bit rate when no page is found near the end.
  EXPECT_DOUBLE_EQ(Read(OggFile({}, 88200)).GetDuration(), 2.0);
  const Bytes Far = OggFile({}, 88200, 44100, 1, 16000, 13000);
  // The last page starts more than 12,060 bytes before the end: out of the search.
  const Bytes Data = Far + Bytes(12000, 0x77);
  EXPECT_EQ(Read(Data).Samples, 0);
  EXPECT_DOUBLE_EQ(Tag.GetDuration(), Data.size() * 8.0 / 16000);  // one channel: not halved
  EXPECT_EQ(Read(OggFile({}, 500, 0)).GetDuration(), 0);           // no sample rate
  // A rate too low for audio counts as none, not as 68 years.
  EXPECT_EQ(Read(OggFile({}, 0x7FFFFFFF, 1)).GetDuration(), 0);
  EXPECT_EQ(Read(OggFile({}, 44100, 999)).GetDuration(), 0);
  EXPECT_DOUBLE_EQ(Read(OggFile({}, 2000, 1000)).GetDuration(), 2.0);
  EXPECT_EQ(Read(OggFile({}, 0, 44100, 2, 0)).GetDuration(), 0);  // neither page nor bit rate
}

TEST_F(OGG, BehindAnId3v2Tag) {
  const Bytes Id3 = Id3Tag(3, 0, Id3Text(3, "TIT2", "id3 title") + Zeros(30));
  Read(Id3 + OggFile({"TITLE=Vorbis"}, 44100));
  EXPECT_EQ(Tag.ID3v2Size, static_cast<int>(Id3.size()));
  EXPECT_EQ(Tag.Title, L"Vorbis");
  EXPECT_DOUBLE_EQ(Tag.GetDuration(), 1.0);
}

TEST_F(OGG, NotVorbis) {
  Read(Str("OggS"), false);
  Read(Str("RIFF") + Zeros(100), false);
  Bytes NotVorbis = OggFile({}, 0);
  NotVorbis[29] = 'X';  // "vorbis" of the identification packet
  Read(NotVorbis, false);
  EXPECT_EQ(Tag.Title, L"");
}

TEST_F(OGG, SizesFromTheFileAreBounded) {
  // Comment count, vendor length and comment length beyond the packet: texts stay empty or end there.
  const Bytes Id = OggPage(2, 0, 0, {VorbisIdentification(2, 44100, 128000)});
  const Bytes Start = Bytes{3} + Str("vorbis");
  const Bytes Packets[] = {
      Start + LE32(0xFFFFFFFF) + Str("vendor"),
      Start + LE32(3) + Str("abc") + LE32(0xFFFFFFFF) + LE32(7) + Str("TITLE=T"),
      Start + LE32(3) + Str("abc") + LE32(2) + LE32(7) + Str("TITLE=T") + LE32(0x7FFFFFFF) + Str("ALBUM=A"),
  };
  const std::wstring Titles[] = {L"", L"T", L"T"};
  for (int I = 0; I < 3; ++I) {
    Read(Id + OggPage(0, 0, 1, {Packets[I]}) + OggPage(4, 44100, 2, {Zeros(20)}));
    EXPECT_EQ(Tag.Title, Titles[I]);
    EXPECT_EQ(Tag.Album, L"");
  }
  // A page right at the start of a short file is found without looking before the file.
  Read(OggFile({}, 500, 1000, 2, 0, 0));
  EXPECT_EQ(Tag.Samples, 500);
}
