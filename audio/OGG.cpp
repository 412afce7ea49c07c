#include "audio/OGG.h"

#include <algorithm>
#include <cstring>

#include "Imports/UCodeSystem.h"
#include "audio/TagFileStream.h"
#include "audio/TagText.h"
#include "classlib/SysUtils.h"

const char* const OggCommentNames[9] = {"TITLE", "ARTIST",  "ALBUM",     "TRACKNUMBER", "DATE",
                                        "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};

namespace {

constexpr size_t PageHeaderSize = 27 + 255;
constexpr size_t IdentificationSize = 30;
constexpr size_t CommentStartSize = 7;
constexpr size_t MaxItemBytes = 250;
// The last page is looked for from this many bytes before the end up to 10 bytes before it.
constexpr int64_t LastPageSearch = 12060;

TBuffer ReadAt(TStream* Stream, int64_t Position, size_t Count) {
  TBuffer Bytes(Count);
  Stream->Seek(Position, soBeginning);
  Bytes.resize(std::max<int32_t>(0, Stream->Read(Bytes.data(), static_cast<int32_t>(Count))));
  return Bytes;
}

bool IsPageHeader(const TBuffer& Page) {
  return Page.size() >= 27 && std::memcmp(Page.data(), "OggS", 4) == 0;
}

// Where the page's first packet begins.
int64_t FirstPacket(int64_t PagePosition, const TBuffer& Page) {
  return PagePosition + 27 + Page[26];
}

// The end of the page's first packet, or of the file when the packet goes on in a later page.
int64_t FirstPacketEnd(int64_t PagePosition, const TBuffer& Page, int64_t FileSize) {
  const size_t Segments = Page[26];
  int64_t Length = 0;
  for (size_t I = 0; I < Segments && 27 + I < Page.size(); ++I) {
    Length += Page[27 + I];
    if (Page[27 + I] < 255) return std::min(FileSize, FirstPacket(PagePosition, Page) + Length);
  }
  return FileSize;
}

}  // namespace

int GetID3v2Size(TStream* Stream) {
  const TBuffer Header = ReadAt(Stream, 0, 10);
  if (Header.size() < 10 || std::memcmp(Header.data(), "ID3", 3) != 0) return 0;
  int64_t Size = (Header[6] << 21 | Header[7] << 14 | Header[8] << 7 | Header[9]) + 10;
  if (Header[5] & 0x10) Size += 10;
  return Size > Stream->Size() ? 0 : static_cast<int>(Size);
}

void SetTagItem(const std::string& Text, TOGGInfo& Info) {
  const size_t Equals = Text.find('=');
  if (Equals == std::string::npos) {
    if (Info.Vendor.empty()) Info.Vendor = UTF8ToWideString(Text);
    return;
  }
  const std::string Name = UpperCase(Text.substr(0, Equals));
  const std::string Value = TrimTagBytes(Text.substr(Equals + 1));
  for (size_t I = 0; I < std::size(OggCommentNames); ++I)
    if (Name == OggCommentNames[I]) Info.Comments[I] = UTF8ToWideString(Value);
}

void ReadTag(TStream* Stream, int64_t End, TOGGInfo& Info) {
  // Item 0 is the vendor string; the comment count follows it.
  uint64_t Items = 1;
  for (uint64_t I = 0; I < Items; ++I) {
    const int64_t Position = Stream->Position();
    if (End - Position < 4) return;
    uint8_t LengthBytes[4];
    Stream->ReadBuffer(LengthBytes, 4);
    const uint32_t Length = GetLE32(LengthBytes);
    if (Length > End - Position - 4) return;
    std::string Bytes(std::min<size_t>(Length, MaxItemBytes), '\0');
    Stream->ReadBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    SetTagItem(TrimTagBytes(Bytes), Info);
    const int64_t Next = Position + 4 + Length;
    Stream->Seek(Next, soBeginning);
    if (I == 0) {
      if (End - Next < 4) return;
      Stream->ReadBuffer(LengthBytes, 4);
      Items += GetLE32(LengthBytes);
    }
  }
}

int GetSamples(TStream* Stream) {
  const int64_t Size = Stream->Size();
  const int64_t From = std::max<int64_t>(0, Size - LastPageSearch);
  const TBuffer Tail = ReadAt(Stream, From, static_cast<size_t>(Size - From));
  const int64_t Last = std::min<int64_t>(Size - 10, From + static_cast<int64_t>(Tail.size()) - 14);
  for (int64_t P = Last; P >= From; --P) {
    const uint8_t* Page = Tail.data() + (P - From);
    if (std::memcmp(Page, "OggS", 4) == 0) return static_cast<int>(GetLE32(Page + 6));
  }
  return 0;
}

bool GetInfo(const std::wstring& FileName, TOGGInfo& Info) {
  TTagFileStream Stream(FileName);
  Info.FileSize = Stream.Size();
  Info.ID3v2Size = GetID3v2Size(&Stream);
  const TBuffer Page = ReadAt(&Stream, Info.ID3v2Size, PageHeaderSize);
  if (!IsPageHeader(Page)) return false;
  const int64_t Identification = FirstPacket(Info.ID3v2Size, Page);
  const TBuffer Id = ReadAt(&Stream, Identification, IdentificationSize);
  if (Id.size() < IdentificationSize || Id[0] != 1 || std::memcmp(Id.data() + 1, "vorbis", 6) != 0)
    return false;
  Info.Channels = Id[11];
  Info.SampleRate = static_cast<int>(GetLE32(Id.data() + 12));
  Info.NominalBitRate = static_cast<int>(GetLE32(Id.data() + 20));
  // The identification packet fills the first page alone, so the comments start the next one.
  const int64_t SecondPage = Identification + IdentificationSize;
  const TBuffer Page2 = ReadAt(&Stream, SecondPage, PageHeaderSize);
  if (Page2.size() >= 27) {
    const int64_t Comments = FirstPacket(SecondPage, Page2);
    const TBuffer Start = ReadAt(&Stream, Comments, CommentStartSize);
    if (Start.size() == CommentStartSize && Start[0] == 3 && std::memcmp(Start.data() + 1, "vorbis", 6) == 0)
      ReadTag(&Stream, FirstPacketEnd(SecondPage, Page2, Info.FileSize), Info);
  }
  Info.Samples = GetSamples(&Stream);
  return true;
}

int ExtractTrack(const std::wstring& Text) {
  return DecimalOrDefault(Text.substr(0, Text.find(L'/')), 0);
}

void TOGGtag::ResetData() {
  FileSize = 0;
  Channels = 0;
  SampleRate = 0;
  NominalBitRate = 0;
  Samples = 0;
  ID3v2Size = 0;
  Title.clear();
  Artist.clear();
  Album.clear();
  Track = 0;
  Date.clear();
  Genre.clear();
  Comment.clear();
  Vendor.clear();
}

bool TOGGtag::ReadFromFile(const std::wstring& FileName) {
  ResetData();
  TOGGInfo Info;
  if (!GetInfo(FileName, Info)) return false;
  FileSize = Info.FileSize;
  Channels = Info.Channels;
  SampleRate = Info.SampleRate;
  // Vorbis writes 0 or -1 for "no nominal rate".
  NominalBitRate = static_cast<uint16_t>(std::clamp(Info.NominalBitRate / 1000, 0, 0xFFFF));
  Samples = Info.Samples;
  ID3v2Size = Info.ID3v2Size;
  const std::wstring* C = Info.Comments;
  Title = C[0];
  Artist = C[1].empty() ? C[7] : C[1];
  Album = C[2];
  Track = ExtractTrack(C[3]);
  Date = C[4];
  Genre = C[5];
  Comment = C[6].empty() ? C[8] : C[6];
  Vendor = Info.Vendor;
  return true;
}

double TOGGtag::GetDuration() const {
  // Below this a rate is no audio stream's but a damaged header's, and would give a play time of years.
  constexpr int MinSampleRate = 1000;
  if (Samples > 0) return SampleRate >= MinSampleRate ? static_cast<double>(Samples) / SampleRate : 0;
  // Bytes over bit rate, whatever the channel count.
  if (NominalBitRate != 0 && Channels > 0) return (FileSize - ID3v2Size) * 8.0 / (NominalBitRate * 1000.0);
  return 0;
}
