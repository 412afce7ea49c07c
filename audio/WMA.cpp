#include "audio/WMA.h"

#include <algorithm>
#include <cstring>

#include "audio/TagFileStream.h"
#include "audio/TagText.h"

const char* const WmaAttributeNames[wfCount] = {"WM/TITLE", "WM/AUTHOR", "WM/ALBUMTITLE", "WM/TRACK",
                                                "WM/YEAR",  "WM/GENRE",  "WM/DESCRIPTION"};

namespace {

using TGuidBytes = uint8_t[16];

// GUIDs as the file stores them.
constexpr TGuidBytes HeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                     0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr TGuidBytes FilePropertiesObject = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                             0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr TGuidBytes StreamPropertiesObject = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                               0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr TGuidBytes ContentDescriptionObject = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr TGuidBytes ExtendedContentDescriptionObject = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                                         0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
constexpr TGuidBytes AudioMedia = {0x40, 0x9E, 0x69, 0xF8, 0x4D, 0x5B, 0xCF, 0x11,
                                   0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};

constexpr size_t GuidSize = 16;
constexpr size_t HeaderObjectSize = 30;  // GUID, size, object count, 2 reserved bytes
constexpr size_t ObjectHeaderSize = 24;  // GUID, size
constexpr size_t MaxFieldChars = 250;

bool SameGuid(const uint8_t* Bytes, const TGuidBytes& Guid) {
  return std::memcmp(Bytes, Guid, 16) == 0;
}

bool IsReadObject(const uint8_t* Guid) {
  return SameGuid(Guid, FilePropertiesObject) || SameGuid(Guid, StreamPropertiesObject) ||
         SameGuid(Guid, ContentDescriptionObject) || SameGuid(Guid, ExtendedContentDescriptionObject);
}

TBuffer ReadAt(TStream* Stream, int64_t Position, size_t Count) {
  TBuffer Bytes(Count);
  Stream->Seek(Position, soBeginning);
  Stream->ReadBuffer(Bytes.data(), static_cast<int32_t>(Count));
  return Bytes;
}

// At most 250 characters of a UTF-16LE string of Length bytes; the reader ends behind all of it.
std::wstring ReadFieldString(TByteReader& Reader, size_t Length) {
  const size_t Chars = std::min(Length / 2, MaxFieldChars);
  std::wstring Text = Reader.WideLE(Chars);
  Reader.Skip(Length - 2 * Chars);
  return Text;
}

std::wstring AsciiUpperCase(std::wstring S) {
  for (wchar_t& C : S)
    if (C >= L'a' && C <= L'z') C = static_cast<wchar_t>(C - L'a' + L'A');
  return S;
}

int AttributeSlot(const std::wstring& Name) {
  const std::wstring Key = AsciiUpperCase(TrimTagText(Name));
  for (int I = 0; I < wfCount; ++I) {
    const char* Attribute = WmaAttributeNames[I];
    if (Key == std::wstring(Attribute, Attribute + std::strlen(Attribute))) return I;
  }
  return -1;
}

// Title, author, copyright, description, rating; the copyright and the rating are read past.
void ReadTagStandard(TByteReader& Reader, TWMARaw& Raw) {
  size_t Lengths[5];
  for (size_t& Length : Lengths) Length = Reader.LE16();
  const int Slots[5] = {wfTitle, wfArtist, -1, wfComment, -1};
  for (int I = 0; I < 5; ++I) {
    if (Lengths[I] == 0) continue;
    std::wstring Text = ReadFieldString(Reader, Lengths[I]);
    if (Slots[I] >= 0) Raw.Fields[Slots[I]] = std::move(Text);
  }
}

void ReadTagExtended(TByteReader& Reader, TWMARaw& Raw) {
  const uint16_t Count = Reader.LE16();
  for (uint16_t I = 0; I < Count; ++I) {
    const std::wstring Name = ReadFieldString(Reader, Reader.LE16());
    const uint16_t Type = Reader.LE16();
    const uint16_t Length = Reader.LE16();
    if (Type != 0) {  // only Unicode strings fill a slot
      Reader.Skip(Length);
      continue;
    }
    std::wstring Value = ReadFieldString(Reader, Length);
    const int Slot = AttributeSlot(Name);
    if (Slot >= 0) Raw.Fields[Slot] = std::move(Value);
  }
}

void ReadObject(const TBuffer& Object, TWMARaw& Raw) {
  TByteReader Reader(Object);
  const uint8_t* Guid = Reader.Take(16);
  if (SameGuid(Guid, FilePropertiesObject)) {
    Reader.Skip(100 - 16);
    Raw.MaxBitRate = Reader.LE32();
  } else if (SameGuid(Guid, StreamPropertiesObject)) {
    Reader.Skip(24 - 16);
    if (!SameGuid(Reader.Take(16), AudioMedia)) return;  // a video or script stream
    Reader.Skip(80 - 40);
    Raw.Channels = Reader.LE16();
    Raw.SampleRate = Reader.LE32();
    Raw.ByteRate = Reader.LE32();
  } else if (SameGuid(Guid, ContentDescriptionObject)) {
    Reader.Skip(ObjectHeaderSize - 16);
    ReadTagStandard(Reader, Raw);
  } else if (SameGuid(Guid, ExtendedContentDescriptionObject)) {
    Reader.Skip(ObjectHeaderSize - 16);
    ReadTagExtended(Reader, Raw);
  }
}

}  // namespace

bool ReadData(const std::wstring& FileName, TWMARaw& Raw) {
  try {
    TTagFileStream Stream(FileName);
    const int64_t FileSize = Stream.Size();
    Raw.FileSize = static_cast<uint32_t>(FileSize);
    // Another kind of file counts as read, with nothing in it; a file too short to tell is unreadable.
    if (FileSize < static_cast<int64_t>(GuidSize)) return false;
    if (!SameGuid(ReadAt(&Stream, 0, GuidSize).data(), HeaderObject)) return true;
    if (FileSize < static_cast<int64_t>(HeaderObjectSize)) return false;
    const TBuffer Header = ReadAt(&Stream, 0, HeaderObjectSize);
    const int64_t HeaderEnd = GetLE32(Header.data() + 16);
    if (HeaderEnd < static_cast<int64_t>(HeaderObjectSize) || HeaderEnd > FileSize) return false;
    const uint32_t Count = GetLE32(Header.data() + 24);
    int64_t Position = HeaderObjectSize;
    for (uint32_t I = 0; I < Count && Position < HeaderEnd; ++I) {
      if (HeaderEnd - Position < static_cast<int64_t>(ObjectHeaderSize)) return false;
      const TBuffer ObjectHeader = ReadAt(&Stream, Position, ObjectHeaderSize);
      const uint32_t Size = GetLE32(ObjectHeader.data() + 16);
      if (Size < ObjectHeaderSize || Size > HeaderEnd - Position) return false;
      if (IsReadObject(ObjectHeader.data())) ReadObject(ReadAt(&Stream, Position, Size), Raw);
      Position += Size;
    }
    return true;
  } catch (...) {
    return false;
  }
}

bool IsValid(const TWMARaw& Raw) {
  return Raw.MaxBitRate > 0 && Raw.MaxBitRate < 320000 && (Raw.Channels == 1 || Raw.Channels == 2) &&
         Raw.SampleRate >= 8000 && Raw.SampleRate <= 96000 && Raw.ByteRate > 0 && Raw.ByteRate < 40000;
}

int TrackFromText(const std::wstring& Text) {
  return DecimalOrDefault(Text, 0);
}

void TWMATag::ResetData() {
  Valid = false;
  FileSize = 0;
  Channels = 0;
  SampleRate = 0;
  Duration = 0;
  BitRate = 0;
  Title.clear();
  Artist.clear();
  Album.clear();
  Track = 0;
  Year.clear();
  Genre.clear();
  Comment.clear();
}

bool TWMATag::ReadFromFile(const std::wstring& FileName) {
  ResetData();
  TWMARaw Raw;
  if (!ReadData(FileName, Raw)) return false;
  if (IsValid(Raw)) {
    Valid = true;
    FileSize = Raw.FileSize;
    Channels = static_cast<uint8_t>(Raw.Channels);
    SampleRate = static_cast<int>(Raw.SampleRate);
    Duration = FileSize * 8.0 / Raw.MaxBitRate;
    BitRate = static_cast<int>(Raw.ByteRate * 8 / 1000);
    Title = TrimTagText(Raw.Fields[wfTitle]);
    Artist = TrimTagText(Raw.Fields[wfArtist]);
    Album = TrimTagText(Raw.Fields[wfAlbum]);
    Year = TrimTagText(Raw.Fields[wfYear]);
    Genre = TrimTagText(Raw.Fields[wfGenre]);
    Comment = TrimTagText(Raw.Fields[wfComment]);
    Track = TrackFromText(TrimTagText(Raw.Fields[wfTrack]));
  }
  return true;
}
