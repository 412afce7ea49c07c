#include "audio/WMA.h"

#include <gtest/gtest.h>

#include "tests/audio/TagBuilders.h"
#include "tests/support/Trace.h"

using WMA = TTagReaderTest<TWMATag>;

TEST_F(WMA, EncodedFile) {
  ASSERT_TRUE(Tag.ReadFromFile(FixturePath(L"tagged.wma")));
  EXPECT_TRUE(Tag.Valid);
  EXPECT_EQ(Tag.Title, L"Wma Title");
  EXPECT_EQ(Tag.Artist, L"Wma Artist");
  EXPECT_EQ(Tag.Album, L"Wma Album");
  EXPECT_EQ(Tag.Year, L"2005");
  EXPECT_EQ(Tag.Track, 6);
  EXPECT_EQ(Tag.Channels, 2);
  EXPECT_EQ(Tag.SampleRate, 44100);
  EXPECT_EQ(Tag.BitRate, 128);
  EXPECT_NEAR(Tag.Duration, 1.2, 0.3);
}

TEST_F(WMA, AttributesAndTheirOrder) {
  Read(AsfAudioFile({AsfExtendedContent({AsfString(L"WM/AlbumTitle", L"Album"),
                                         AsfString(L" wm/year ", L"1987"),
                                         AsfString(L"WM/Title", L"Extended"),
                                         AsfString(L"WM/Track", L"3/12"),
                                         {L"WM/Genre", 3, LE32(9)},
                                         AsfString(L"WM/Genre", L"Jazz")}),
                     AsfContentDescription(L"Standard", L"Author")}));
  EXPECT_EQ(Tag.Album, L"Album");
  EXPECT_EQ(Tag.Year, L"1987");
  EXPECT_EQ(Tag.Title, L"Standard");  // the later object wins
  EXPECT_EQ(Tag.Artist, L"Author");
  EXPECT_EQ(Tag.Track, 0);  // only whole numbers
  EXPECT_EQ(Tag.Genre, L"Jazz");
  Read(AsfAudioFile({AsfExtendedContent({AsfString(L"WM/Track", L"4"), {L"WM/TRACK", 3, LE32(9)}})}));
  EXPECT_EQ(Tag.Track, 4);  // a DWORD value changes nothing
}

TEST_F(WMA, ContentDescriptionKeepsTitleAuthorAndDescription) {
  Read(AsfAudioFile({AsfContentDescription(L"Title", L"Author", L"(c) Holder", L"Description", L"Rated")}));
  EXPECT_EQ(Tag.Title, L"Title");
  EXPECT_EQ(Tag.Artist, L"Author");
  EXPECT_EQ(Tag.Comment, L"Description");
  Read(AsfAudioFile({AsfContentDescription(L"", L"", L"Copyright only", L"", L"Rating only")}));
  EXPECT_EQ(Tag.Comment, L"");
}

TEST_F(WMA, LongStringsKeep250Characters) {
  Read(AsfAudioFile({AsfContentDescription(std::wstring(300, L'x'), L"Next")}));
  EXPECT_EQ(Tag.Title, std::wstring(250, L'x'));
  EXPECT_EQ(Tag.Artist, L"Next");
}

TEST_F(WMA, PlausibilityOfStreamValues) {
  struct TCase {
    uint32_t MaxBitRate;
    uint16_t Channels;
    uint32_t SampleRate, ByteRate;
    bool Valid;
  } Cases[] = {{192000, 2, 48000, 24000, true},  {192000, 6, 48000, 24000, false},
               {192000, 2, 48000, 40000, false}, {320000, 1, 8000, 1000, false},
               {1000, 1, 7999, 1000, false},     {1000, 1, 96000, 1, true},
               {0, 2, 44100, 16000, false},      {128000, 2, 96001, 16000, false}};
  for (const TCase& C : Cases) {
    Read(AsfFile({AsfFileProperties(C.MaxBitRate), AsfStreamProperties(C.Channels, C.SampleRate, C.ByteRate),
                  AsfContentDescription(L"T", L"")}));
    EXPECT_EQ(Tag.Valid, C.Valid) << C.MaxBitRate << " " << C.Channels << " " << C.SampleRate << " "
                                  << C.ByteRate;
    EXPECT_EQ(Tag.Title, C.Valid ? L"T" : L"");
  }
}

TEST_F(WMA, OnlyTheAudioStreamCounts) {
  Read(AsfFile({AsfFileProperties(128000), AsfStreamProperties(2, 44100, 16000),
                AsfStreamProperties(6, 1, 90000, AsfVideoMediaGuid)}));
  EXPECT_TRUE(Tag.Valid);
  EXPECT_EQ(Tag.Channels, 2);
}

TEST_F(WMA, MalformedHeadersFail) {
  const Bytes Good = AsfFileProperties(128000);
  Bytes Small = AsfObject(Guid(1, 2, 3, 4), {});
  Small[16] = 23;  // an object smaller than its own header
  const Bytes Cases[] = {
      Str("not asf at all, just some text"),
      AsfHeaderGuid,
      AsfFile({Good, Small}),
      AsfFile({Good, AsfObject(Guid(1, 2, 3, 4), Zeros(10))}, -1, 0),
      AsfHeaderGuid + LE64(0xFFFFFFFF) + LE32(1) + Bytes{1, 2} + Good,  // header beyond the file
      AsfFile({AsfObject(AsfContentDescriptionGuid, LE16(400) + Zeros(8) + Zeros(10))}),
      AsfFile({AsfObject(AsfExtendedContentGuid, LE16(5) + LE16(4) + Zeros(4))}),
  };
  for (size_t I = 0; I < std::size(Cases); ++I) {
    Bytes Data = Cases[I];
    if (I == 3) Data[30 + Good.size() + 16] = 200;  // an object running past the header's end
    TRACE_CASE(I);
    Read(Data, I == 0);  // a file of another kind is read, with nothing in it
    EXPECT_FALSE(Tag.Valid);
  }
  // More objects announced than the header holds: the walk ends at the header's end.
  Read(AsfFile({Good, AsfStreamProperties(2, 44100, 16000), AsfContentDescription(L"T", L"")}, 1000));
  EXPECT_EQ(Tag.Title, L"T");
}
