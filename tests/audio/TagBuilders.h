#pragma once
// Builds audio files byte by byte for the audio tests, and finds the encoder-made fixtures.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "audio/MP3.h"
#include "classlib/Streams.h"
#include "tests/support/TestFiles.h"

inline Bytes& operator+=(Bytes& To, const Bytes& From) {
  To.insert(To.end(), From.begin(), From.end());
  return To;
}
inline Bytes operator+(Bytes A, const Bytes& B) {
  return A += B;
}
inline Bytes Str(const std::string& S) {
  return Bytes(S.begin(), S.end());
}
inline Bytes Zeros(size_t Count) {
  return Bytes(Count, 0);
}
inline Bytes LE16(uint32_t V) {
  return {uint8_t(V), uint8_t(V >> 8)};
}
inline Bytes LE32(uint32_t V) {
  return {uint8_t(V), uint8_t(V >> 8), uint8_t(V >> 16), uint8_t(V >> 24)};
}
inline Bytes LE64(uint64_t V) {
  return LE32(uint32_t(V)) + LE32(uint32_t(V >> 32));
}
inline Bytes BE32(uint32_t V) {
  return {uint8_t(V >> 24), uint8_t(V >> 16), uint8_t(V >> 8), uint8_t(V)};
}
inline Bytes SyncSafe(uint32_t V) {
  return {uint8_t(V >> 21 & 0x7F), uint8_t(V >> 14 & 0x7F), uint8_t(V >> 7 & 0x7F), uint8_t(V & 0x7F)};
}
inline Bytes Utf16LE(const std::wstring& S) {
  Bytes Result;
  for (wchar_t C : S) Result += LE16(C);
  return Result;
}

// A memory stream holding Data, positioned at its start.
struct TTestStream : TMemoryStream {
  explicit TTestStream(const Bytes& Data) {
    if (!Data.empty()) Write(Data.data(), static_cast<int32_t>(Data.size()));
    Seek(0, soBeginning);
  }
};

// ---- MPEG ----

// One frame: its header and zeros up to Length. FF FB 90 00 is MPEG 1 Layer III, 128 kbit/s,
// 44100 Hz, stereo: 417 bytes.
inline Bytes MpegFrame(uint8_t B2 = 0x90, uint8_t B3 = 0x00, size_t Length = 417, uint8_t B1 = 0xFB) {
  Bytes Frame = {0xFF, B1, B2, B3};
  Frame.resize(Length, 0);
  return Frame;
}
inline Bytes MpegFrames(int Count, uint8_t B3 = 0x00) {
  Bytes Result;
  for (int I = 0; I < Count; ++I) Result += MpegFrame(0x90, B3);
  return Result;
}
// A first frame that carries a Xing header (MPEG 1 stereo: at offset 36).
inline Bytes XingFrame(uint32_t Flags, uint32_t FrameCount) {
  Bytes Frame = MpegFrame();
  const Bytes Xing = Str("Xing") + BE32(Flags) + BE32(FrameCount);
  std::copy(Xing.begin(), Xing.end(), Frame.begin() + 36);
  return Frame;
}

// ---- ID3 ----

inline Bytes Id3v1(const std::string& Title, const std::string& Artist, int Track, uint8_t Genre,
                   const std::string& Album = "", const std::string& Year = "") {
  Bytes Tag = Str("TAG");
  auto Field = [&](const std::string& S, size_t Size) {
    Bytes F = Str(S.substr(0, Size));
    F.resize(Size, 0);
    Tag += F;
  };
  Field(Title, 30);
  Field(Artist, 30);
  Field(Album, 30);
  Field(Year, 4);
  Field("comment", 28);
  Tag += Bytes{0, uint8_t(Track)};
  Tag.push_back(Genre);
  return Tag;
}

// A frame of version 2, 3 or 4 (the size in the version's form).
inline Bytes Id3Frame(int Version, const std::string& ID, const Bytes& Data, uint8_t FormatFlags = 0) {
  const uint32_t Size = static_cast<uint32_t>(Data.size());
  if (Version == 2) return Str(ID) + Bytes{uint8_t(Size >> 16), uint8_t(Size >> 8), uint8_t(Size)} + Data;
  return Str(ID) + (Version == 3 ? BE32(Size) : SyncSafe(Size)) + Bytes{0, FormatFlags} + Data;
}
// A text frame in encoding 0 (or another given one) with the bytes as they are.
inline Bytes Id3Text(int Version, const std::string& ID, const std::string& Text, uint8_t Encoding = 0) {
  return Id3Frame(Version, ID, Bytes{Encoding} + Str(Text));
}
inline Bytes Id3Tag(int Version, uint8_t Flags, const Bytes& Body) {
  return Str("ID3") + Bytes{uint8_t(Version), 0, Flags} + SyncSafe(static_cast<uint32_t>(Body.size())) + Body;
}

// Collects what the tag readers would show in a message box.
struct TTagErrorCatcher {
  TTagErrorCatcher() {
    Shown().clear();
    Saved = ShowTagError;
    ShowTagError = [](const std::wstring& Message) { Shown().push_back(Message); };
  }
  ~TTagErrorCatcher() { ShowTagError = Saved; }
  static std::vector<std::wstring>& Shown() {
    static std::vector<std::wstring> Messages;
    return Messages;
  }
  TTagErrorBox Saved;
};

// ---- Ogg Vorbis ----

inline Bytes OggPage(uint8_t Type, uint64_t Granule, uint32_t Sequence, const std::vector<Bytes>& Packets) {
  Bytes Lacing, Data;
  for (const Bytes& Packet : Packets) {
    size_t Left = Packet.size();
    for (; Left >= 255; Left -= 255) Lacing.push_back(255);
    Lacing.push_back(uint8_t(Left));
    Data += Packet;
  }
  return Str("OggS") + Bytes{0, Type} + LE64(Granule) + LE32(0x1234) + LE32(Sequence) + LE32(0) +
         Bytes{uint8_t(Lacing.size())} + Lacing + Data;
}
inline Bytes VorbisIdentification(uint8_t Channels, uint32_t SampleRate, uint32_t NominalBitRate) {
  return Bytes{1} + Str("vorbis") + LE32(0) + Bytes{Channels} + LE32(SampleRate) + LE32(0) +
         LE32(NominalBitRate) + LE32(0) + Bytes{0xB8, 1};
}
inline Bytes VorbisComments(const std::string& Vendor, const std::vector<std::string>& Comments) {
  Bytes Packet = Bytes{3} + Str("vorbis") + LE32(uint32_t(Vendor.size())) + Str(Vendor) +
                 LE32(uint32_t(Comments.size()));
  for (const std::string& C : Comments) Packet += LE32(uint32_t(C.size())) + Str(C);
  return Packet + Bytes{1};
}
// First page, comment page, an audio page of AudioBytes and a last page with the granule position.
inline Bytes OggFile(const std::vector<std::string>& Comments, uint64_t LastGranule,
                     uint32_t SampleRate = 44100, uint8_t Channels = 2, uint32_t NominalBitRate = 128000,
                     size_t AudioBytes = 200) {
  return OggPage(2, 0, 0, {VorbisIdentification(Channels, SampleRate, NominalBitRate)}) +
         OggPage(0, 0, 1, {VorbisComments("test vendor", Comments)}) +
         OggPage(0, 0, 2, {Bytes(AudioBytes, 0x55)}) + OggPage(4, LastGranule, 3, {Bytes(100, 0x66)});
}

// ---- ASF ----

inline Bytes Guid(uint32_t D1, uint16_t D2, uint16_t D3, uint64_t D4) {
  Bytes G = LE32(D1) + LE16(D2) + LE16(D3);
  for (int I = 7; I >= 0; --I) G.push_back(uint8_t(D4 >> (8 * I)));
  return G;
}
inline const Bytes AsfHeaderGuid = Guid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
inline const Bytes AsfFilePropertiesGuid = Guid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365ULL);
inline const Bytes AsfStreamPropertiesGuid = Guid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365ULL);
inline const Bytes AsfContentDescriptionGuid = Guid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6CULL);
inline const Bytes AsfExtendedContentGuid = Guid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850ULL);
inline const Bytes AsfAudioMediaGuid = Guid(0xF8699E40, 0x5B4D, 0x11CF, 0xA8FD00805F5C442BULL);
inline const Bytes AsfVideoMediaGuid = Guid(0xBC19EFC0, 0x5B4D, 0x11CF, 0xA8FD00805F5C442BULL);

inline Bytes AsfObject(const Bytes& Guid, const Bytes& Body) {
  return Guid + LE64(24 + Body.size()) + Body;
}
inline Bytes AsfFileProperties(uint32_t MaxBitRate) {
  return AsfObject(AsfFilePropertiesGuid, Zeros(76) + LE32(MaxBitRate));
}
inline Bytes AsfStreamProperties(uint16_t Channels, uint32_t SampleRate, uint32_t ByteRate,
                                 const Bytes& Type = AsfAudioMediaGuid) {
  return AsfObject(AsfStreamPropertiesGuid, Type + Zeros(38) + LE16(0x161) + LE16(Channels) +
                                                LE32(SampleRate) + LE32(ByteRate) + Zeros(6));
}
// Title, author, copyright, description and rating; an empty text is left out with length 0.
inline Bytes AsfContentDescription(const std::wstring& Title, const std::wstring& Author,
                                   const std::wstring& Copyright = L"", const std::wstring& Description = L"",
                                   const std::wstring& Rating = L"") {
  Bytes Lengths, Texts;
  for (const std::wstring* Text : {&Title, &Author, &Copyright, &Description, &Rating}) {
    const Bytes T = Text->empty() ? Bytes() : Utf16LE(*Text + L'\0');
    Lengths += LE16(uint32_t(T.size()));
    Texts += T;
  }
  return AsfObject(AsfContentDescriptionGuid, Lengths + Texts);
}
struct TAsfDescriptor {
  std::wstring Name;
  uint16_t Type;
  Bytes Value;
};
inline TAsfDescriptor AsfString(const std::wstring& Name, const std::wstring& Value) {
  return {Name, 0, Utf16LE(Value + L'\0')};
}
inline Bytes AsfExtendedContent(const std::vector<TAsfDescriptor>& Descriptors) {
  Bytes Body = LE16(uint32_t(Descriptors.size()));
  for (const TAsfDescriptor& D : Descriptors) {
    const Bytes Name = Utf16LE(D.Name + L'\0');
    Body += LE16(uint32_t(Name.size())) + Name + LE16(D.Type) + LE16(uint32_t(D.Value.size())) + D.Value;
  }
  return AsfObject(AsfExtendedContentGuid, Body);
}
// The header object around Objects (Count: the object count to write, -1 for the true one),
// then AudioBytes of data.
inline Bytes AsfFile(const std::vector<Bytes>& Objects, int Count = -1, size_t AudioBytes = 1000) {
  Bytes Body;
  for (const Bytes& O : Objects) Body += O;
  return AsfHeaderGuid + LE64(30 + Body.size()) +
         LE32(Count < 0 ? uint32_t(Objects.size()) : uint32_t(Count)) + Bytes{1, 2} + Body +
         Bytes(AudioBytes, 0x11);
}
inline Bytes AsfAudioFile(const std::vector<Bytes>& TagObjects, size_t AudioBytes = 1000) {
  std::vector<Bytes> Objects = {AsfFileProperties(128000), AsfStreamProperties(2, 44100, 16000)};
  Objects.insert(Objects.end(), TagObjects.begin(), TagObjects.end());
  return AsfFile(Objects, -1, AudioBytes);
}

// A reader of one tag format over a file written from test bytes.
template <class TTag>
class TTagReaderTest : public testing::Test {
 protected:
  TTag& Read(const Bytes& Data, bool ExpectRead = true) {
    WriteBytes(Dir.File(L"tagged"), Data);
    EXPECT_EQ(Tag.ReadFromFile(Dir.File(L"tagged")), ExpectRead);
    return Tag;
  }
  TempDir Dir;
  TTag Tag;
};

// ---- Fixtures made by the encoders (tests/audio/make-fixtures.sh) ----

inline std::wstring FixturePath(const std::wstring& Name) {
  return FixtureFolder(L"AUDIO_FIXTURES") + L"\\" + Name;
}
