#include "audio/MP3.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "Imports/UCodeSystem.h"
#include "classlib/Controls.h"
#include "classlib/Streams.h"
#include "classlib/SysUtils.h"

static void MessageBoxTagError(const std::wstring& Message) {
  const TModalScope Modal;
  MessageBoxW(nullptr, Message.c_str(), L"Error", MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

TTagErrorBox ShowTagError = MessageBoxTagError;

// Called from a catch block: a read error of the stream ends the read silently, anything else is shown.
static uint8_t TagReadFailure() {
  try {
    throw;
  } catch (const EReadError&) {
    return TAG_RESULT_READ_ERROR;
  } catch (const Exception& E) {
    ShowTagError(E.Message());
  } catch (const std::exception& E) {
    ShowTagError(AnsiToWide(E.what()));
  }
  return TAG_RESULT_EXCEPTION;
}

[[noreturn]] static void RaiseReadError() {
  throw EReadError(std::wstring(L"Stream read error"));
}

// clang-format off
const std::array<std::wstring_view, 126> GenreList = {
    L"Blues", L"Classic Rock", L"Country", L"Dance", L"Disco", L"Funk", L"Grunge", L"Hip-Hop", L"Jazz",
    L"Metal", L"New Age", L"Oldies", L"", L"Pop", L"R&B", L"Rap", L"Reggae", L"Rock", L"Techno",
    L"Industrial", L"Alternative", L"Ska", L"Death Metal", L"Pranks", L"Soundtrack", L"Euro-Techno",
    L"Ambient", L"Trip-Hop", L"Vocal", L"Jazz+Funk", L"Fusion", L"Trance", L"Classical", L"Instrumental",
    L"Acid", L"House", L"Game", L"Sound Clip", L"Gospel", L"Noise", L"AlternRock", L"Bass", L"Soul", L"Punk",
    L"Space", L"Meditative", L"Instrumental Pop", L"Instrumental Rock", L"Ethnic", L"Gothic", L"Darkwave",
    L"Techno-Industrial", L"Electronic", L"Pop-Folk", L"Eurodance", L"Dream", L"Southern Rock", L"Comedy",
    L"Cult", L"Gangsta", L"Top 40", L"Christian Rap", L"Pop/Funk", L"Jungle", L"Native American", L"Cabaret",
    L"New Wave", L"Psychadelic", L"Rave", L"Showtunes", L"Trailer", L"Lo-Fi", L"Tribal", L"Acid Punk",
    L"Acid Jazz", L"Polka", L"Retro", L"Musical", L"Rock & Roll", L"Hard Rock", L"Folk", L"Folk-Rock",
    L"National Folk", L"Swing", L"Fast Fusion", L"Bebob", L"Latin", L"Revival", L"Celtic", L"Bluegrass",
    L"Avantgarde", L"Gothic Rock", L"Progessive Rock", L"Psychedelic Rock", L"Symphonic Rock", L"Slow Rock",
    L"Big Band", L"Chorus", L"Easy Listening", L"Acoustic", L"Humour", L"Speech", L"Chanson", L"Opera",
    L"Chamber Music", L"Sonata", L"Symphony", L"Booty Bass", L"Primus", L"Porn Groove", L"Satire",
    L"Slow Jam", L"Club", L"Tango", L"Samba", L"Folklore", L"Ballad", L"Power Ballad", L"Rhythmic Soul",
    L"Freestyle", L"Duet", L"Punk Rock", L"Drum Solo", L"A capella", L"Euro-House", L"Dance Hall"};
// clang-format on

// ---- MPEG frames ----

namespace {

constexpr size_t ScanWindowSize = 512;

// kbit/s by [MPEG 1 / MPEG 2 and 2.5][layer - 1][index].
constexpr uint16_t BitRates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};

constexpr int SampleRates[3][4] = {
    {44100, 48000, 32000, 0}, {22050, 24000, 16000, 0}, {11025, 12000, 8000, 0}};

// MPEG 1 Layer II allows some bit rates only for single-channel or only for multi-channel streams.
bool IsAllowedLayerIIPair(int BitRate, int ChannelMode) {
  const bool Single = ChannelMode == 3;
  switch (BitRate) {
    case 32:
    case 48:
    case 56:
    case 80:
      return Single;
    case 224:
    case 256:
    case 320:
    case 384:
      return !Single;
    default:
      return true;
  }
}

// The 512-byte scan window, and reads of the few bytes that a confirmation needs beyond it.
class TScanWindow {
 public:
  explicit TScanWindow(TStream* Stream) : FStream(Stream) {}
  const TBuffer& Data() const { return FData; }
  int64_t Start() const { return FStart; }
  void Load(int64_t Position) {
    FStart = Position;
    FData = ReadAt(Position, ScanWindowSize);
  }
  bool Holds(int64_t Position, size_t Count) const {
    return Position >= FStart && static_cast<uint64_t>(Position - FStart) + Count <= FData.size();
  }
  // Up to Count bytes at Position; fewer at the end of the file.
  TBuffer ReadAt(int64_t Position, size_t Count) {
    TBuffer Bytes(Count);
    FStream->Seek(Position, soBeginning);
    Bytes.resize(std::max<int32_t>(0, FStream->Read(Bytes.data(), static_cast<int32_t>(Count))));
    return Bytes;
  }
  bool HoldsSync(int64_t Position) {
    if (Holds(Position, 2)) return FData[Position - FStart] == 0xFF && FData[Position - FStart + 1] >= 0xE0;
    const TBuffer Bytes = ReadAt(Position, 4);
    return Bytes.size() >= 2 && Bytes[0] == 0xFF && Bytes[1] >= 0xE0;
  }

 private:
  TStream* FStream;
  TBuffer FData;
  int64_t FStart = 0;
};

}  // namespace

int TMpegInfo::GetFrameLength(int Version, int Layer, int Padding, int SampleRate, int BitRate) {
  if (SampleRate <= 0) return -2;
  if (Layer == 1) return (12000 * BitRate / SampleRate + Padding) * 4;
  if (Layer == 2 || Version == 1) return 144000 * BitRate / SampleRate + Padding;
  return 72000 * BitRate / SampleRate + Padding;
}

void TMpegInfo::DecodeHeader(const TBuffer& Buffer, size_t Offset, TMpegHeader& Header) {
  Header = TMpegHeader();
  if (Offset >= Buffer.size() || Buffer.size() - Offset < 4) return;
  const uint8_t* B = Buffer.data() + Offset;
  if (B[0] != 0xFF || B[1] < 0xE0) return;
  static constexpr int VersionByBits[4] = {3, 0, 2, 1};
  Header.Version = VersionByBits[(B[1] >> 3) & 3];
  Header.Layer = 4 - ((B[1] >> 1) & 3);
  Header.Protection = (B[1] & 1) == 0;
  const int BitRateIndex = B[2] >> 4;
  // Index 0 is the free format, whose frame length no header tells.
  if (Header.Version == 0 || Header.Layer == 4 || BitRateIndex == 0 || BitRateIndex == 15) return;
  Header.BitRate = BitRates[Header.Version == 1 ? 0 : 1][Header.Layer - 1][BitRateIndex];
  Header.SampleRate = SampleRates[Header.Version - 1][(B[2] >> 2) & 3];
  Header.Padding = (B[2] >> 1) & 1;
  Header.ChannelMode = B[3] >> 6;
  Header.ModeExtension = (B[3] >> 4) & 3;
  Header.CopyRight = (B[3] >> 3) & 1;
  Header.Original = (B[3] >> 2) & 1;
  Header.Emphasis = B[3] & 3;
  if (Header.Version == 1 && Header.Layer == 2 && !IsAllowedLayerIIPair(Header.BitRate, Header.ChannelMode))
    return;
  const int Length =
      GetFrameLength(Header.Version, Header.Layer, Header.Padding, Header.SampleRate, Header.BitRate);
  if (Length <= 0 || Length > 0xFFFF) return;
  Header.FrameLength = static_cast<uint16_t>(Length);
  Header.Valid = true;
}

void TMpegInfo::ReadXing(const TMpegHeader& Header, const TBuffer& Buffer, size_t FrameOffset,
                         TXingHeader& Xing) {
  Xing = TXingHeader();
  const bool Single = Header.ChannelMode == 3;
  const size_t Offset = FrameOffset + (Header.Version == 1 ? (Single ? 21 : 36) : (Single ? 13 : 21));
  if (Buffer.size() <= Offset + 11 || std::memcmp(Buffer.data() + Offset, "Xing", 4) != 0) return;
  const uint8_t* X = Buffer.data() + Offset;
  Xing.Frames = (GetBE32(X + 4) & 1) ? GetBE32(X + 8) : 0;
  Xing.FrameLength = Header.FrameLength;
  Xing.Found = true;
}

uint8_t TMpegInfo::ReadFromStream(TStream* Stream) {
  Valid = false;
  Position = -1;
  const int64_t Start = Stream->Position();
  FileSize = Stream->Size();
  TScanWindow Window(Stream);
  Window.Load(Start);
  for (int64_t P = Start; P + 3 < FileSize; ++P) {
    if (!Window.Holds(P, 4)) {
      Window.Load(P);
      if (!Window.Holds(P, 4)) break;  // the file shrank under us
    }
    TMpegHeader First;
    DecodeHeader(Window.Data(), P - Window.Start(), First);
    if (!First.Valid) continue;
    const int64_t L1 = First.FrameLength;
    if (P + L1 + 4 > FileSize) continue;
    // Frame 1 and the next header, from the window or read on their own.
    TBuffer Own;
    const TBuffer* Frame = &Window.Data();
    size_t Offset = P - Window.Start();
    if (!Window.Holds(P, L1 + 4)) {
      Own = Window.ReadAt(P, L1 + 4);
      Frame = &Own;
      Offset = 0;
    }
    TXingHeader Xing;
    ReadXing(First, *Frame, Offset, Xing);
    TMpegHeader Second;
    DecodeHeader(*Frame, Offset + L1, Second);
    if (!Second.Valid || !Window.HoldsSync(P + L1 + Second.FrameLength)) continue;
    if (AcceptFrame(P, First, Xing)) return TAG_RESULT_OK;
  }
  return MPEG_RESULT_NO_FRAME;
}

// Takes the candidate unless its numbers cannot give a play time.
bool TMpegInfo::AcceptFrame(int64_t P, const TMpegHeader& Header, const TXingHeader& Xing) {
  int64_t AudioBytes;
  double Rate;
  double FrameCount;
  if (Xing.Found) {
    if (Xing.Frames == 0) return false;
    AudioBytes = FileSize - P - Header.FrameLength;
    const double SamplesPerFrameBy8 = Header.Version == 1 ? 144 : 72;
    Rate = Header.SampleRate / 1000.0 * AudioBytes / (Xing.Frames * SamplesPerFrameBy8);
    FrameCount = Xing.Frames;
  } else {
    AudioBytes = FileSize - P;
    Rate = Header.BitRate;
    FrameCount = static_cast<double>(AudioBytes) / Header.FrameLength;
  }
  if (Rate < 1 || Rate > UINT32_MAX) return false;
  Version = Header.Version;
  Layer = Header.Layer;
  Protection = Header.Protection;
  SampleRate = Header.SampleRate;
  ChannelMode = Header.ChannelMode;
  ModeExtension = Header.ModeExtension;
  CopyRight = Header.CopyRight;
  Original = Header.Original;
  Emphasis = Header.Emphasis;
  BitRate = static_cast<uint32_t>(Rate);
  VBR = Xing.Found;
  Frames = static_cast<int>(std::min<double>(FrameCount, INT_MAX));
  Duration = static_cast<int>(std::min<int64_t>(AudioBytes * 8 / (int64_t{BitRate} * 1000), INT_MAX));
  Valid = true;
  Position = P;
  return true;
}

// ---- ID3v1 ----

static std::wstring AnsiField(const uint8_t* Bytes, size_t Count) {
  return CodePageToWideString(std::string(reinterpret_cast<const char*>(Bytes), Count), 0);
}

void TID3v1Tag::ResetData() {
  Title = Artist = Album = Year = Comment = std::wstring(30, L'\0');
  Track = 0;
  Genre = 0;
  Exists = false;
  VersionID = 0;
}

uint8_t TID3v1Tag::ReadFromStream(TStream* Stream) {
  ResetData();
  try {
    uint8_t Tag[128];
    // A file shorter than a tag has none; seeking before its start would fail.
    if (Stream->Size() < 128) return TAG_RESULT_READ_ERROR;
    Stream->Seek(-128, soEnd);
    if (Stream->Read(Tag, 128) < 128) return TAG_RESULT_READ_ERROR;
    if (std::memcmp(Tag, "TAG", 3) != 0) return TAG_RESULT_NO_TAG;
    Exists = true;
    const bool Version11 = Tag[125] == 0 && Tag[126] != 0;
    VersionID = Version11 ? 1 : 0;
    Title = AnsiField(Tag + 3, 30);
    Artist = AnsiField(Tag + 33, 30);
    Album = AnsiField(Tag + 63, 30);
    Comment = AnsiField(Tag + 97, Version11 ? 28 : 30);
    std::string YearBytes(reinterpret_cast<const char*>(Tag + 93), 4);
    while (!YearBytes.empty() && static_cast<uint8_t>(YearBytes.back()) < 33) YearBytes.pop_back();
    Year = CodePageToWideString(YearBytes, 0);
    Track = Version11 ? Tag[126] : 0;
    Genre = Tag[127];
    return TAG_RESULT_OK;
  } catch (...) {
    return TagReadFailure();
  }
}

std::wstring TID3v1Tag::GetTitle() const {
  return TrimTagText(Title);
}
std::wstring TID3v1Tag::GetArtist() const {
  return TrimTagText(Artist);
}
std::wstring TID3v1Tag::GetAlbum() const {
  return TrimTagText(Album);
}
std::wstring TID3v1Tag::GetYear() const {
  return TrimTagText(Year);
}
std::wstring TID3v1Tag::GetTrack() const {
  return IntToWideStr(Track);
}

std::wstring TID3v1Tag::GetGenre() const {
  if (!Exists || Genre >= GenreList.size()) return {};
  return std::wstring(GenreList[Genre]);
}

// ---- ID3v2 ----

// Frame IDs by [version - 2][field index]; field 5 has no frame.
static const char* const FrameIDTables[3][7] = {{"TP1", "TT2", "TAL", "TYE", "TCO", "", "TRK"},
                                                {"TPE1", "TIT2", "TALB", "TYER", "TCON", "", "TRCK"},
                                                {"TPE1", "TIT2", "TALB", "TDRC", "TCON", "", "TRCK"}};

bool IsFrameID(const std::string& ID) {
  return std::all_of(ID.begin(), ID.end(),
                     [](char C) { return (C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z'); });
}

int UnSyncSafe(const uint8_t* Bytes) {
  return Bytes[0] << 21 | Bytes[1] << 14 | Bytes[2] << 7 | Bytes[3];
}

TBuffer UndoUnsynchronisation(const uint8_t* Data, size_t Size) {
  TBuffer Result;
  Result.reserve(Size);
  for (size_t I = 0; I < Size; ++I) {
    Result.push_back(Data[I]);
    if (Data[I] == 0xFF && I + 1 < Size && Data[I + 1] == 0) ++I;
  }
  return Result;
}

std::wstring ExtractGenre(const std::wstring& Text) {
  // 1-based positions, 0 for none.
  const size_t Open = Text.find(L'(') + 1;
  const size_t Close = Text.find(L')') + 1;
  if (Close > Open) {
    const int Index = DecimalOrDefault(Text.substr(Open, Close - Open - 1), 255);
    if (Index >= 0 && Index < static_cast<int>(GenreList.size())) return std::wstring(GenreList[Index]);
  }
  return Text;
}

void TID3v2Tag::ResetData() {
  Frames.clear();
  Exists = false;
  VersionID = 3;
  Revision = 0;
  Unsynchronisation = ExtendedHeader = Footer = false;
  Size = 0;
  FBody.clear();
  FFramesStart = 0;
}

uint8_t TID3v2Tag::LoadFromStream(TStream* Stream) {
  ResetData();
  uint8_t Result = ReadHeader(Stream);
  if (Exists && Result == TAG_RESULT_OK) Result = ReadFrames();
  TBuffer().swap(FBody);
  return Result;
}

uint8_t TID3v2Tag::ReadHeader(TStream* Stream) {
  Exists = false;
  Size = 0;
  Unsynchronisation = ExtendedHeader = Footer = false;
  Revision = 0;
  VersionID = 3;
  FBody.clear();
  FFramesStart = 0;
  try {
    uint8_t Header[10];
    Stream->Seek(0, soBeginning);
    Stream->ReadBuffer(Header, 10);
    if (std::memcmp(Header, "ID3", 3) != 0) return TAG_RESULT_NO_TAG;
    if (Header[3] < 2 || Header[3] > 4) return TAG_RESULT_UNSUPPORTED_VERSION;
    const int BodySize = UnSyncSafe(Header + 6);
    Size = BodySize + 10;
    Exists = true;
    VersionID = Header[3];
    Revision = Header[4];
    Unsynchronisation = Header[5] & 0x80;
    ExtendedHeader = VersionID >= 3 && (Header[5] & 0x40);
    Footer = VersionID == 4 && (Header[5] & 0x10);
    if (Footer) Size += 10;
    // A tag that claims more than the file holds is read as far as the file goes.
    FBody.resize(static_cast<size_t>(std::clamp<int64_t>(Stream->Size() - 10, 0, BodySize)));
    Stream->ReadBuffer(FBody.data(), static_cast<int32_t>(FBody.size()));
    // Up to version 3 the flag means the whole tag; in version 4 it applies to each frame.
    if (Unsynchronisation && VersionID < 4) FBody = UndoUnsynchronisation(FBody.data(), FBody.size());
    if (ExtendedHeader) SkipExtendedHeader();
    return TAG_RESULT_OK;
  } catch (...) {
    return TagReadFailure();
  }
}

void TID3v2Tag::SkipExtendedHeader() {
  TByteReader Reader(FBody);
  const uint8_t* First = Reader.Take(6);
  // Version 4 counts the whole extended header, version 3 all but its 4 size bytes.
  if (VersionID == 4) {
    const int HeaderSize = UnSyncSafe(First);
    if (HeaderSize < 6) RaiseReadError();
    Reader.Skip(HeaderSize - 6);
  } else {
    const uint32_t HeaderSize = GetBE32(First);
    if (HeaderSize < 2) RaiseReadError();
    Reader.Skip(HeaderSize - 2);
  }
  FFramesStart = Reader.Position();
}

uint8_t TID3v2Tag::ReadFrames() {
  try {
    Frames.clear();
    const size_t IDLength = VersionID == 2 ? 3 : 4;
    const size_t HeaderLength = VersionID == 2 ? 6 : 10;
    TByteReader Reader(FBody);
    Reader.Skip(FFramesStart);
    while (Reader.Left() > 0) {
      const size_t Shown = std::min(Reader.Left(), IDLength);
      // Padding, or whatever is not a frame, ends the list.
      if (!IsFrameID(std::string(reinterpret_cast<const char*>(FBody.data() + Reader.Position()), Shown)))
        break;
      const uint8_t* Header = Reader.Take(HeaderLength);
      uint32_t FrameSize;
      if (VersionID == 2) {
        FrameSize = GetBE24(Header + 3);
      } else if (VersionID == 3) {
        FrameSize = GetBE32(Header + 4);
        if (FrameSize & 0x80000000) RaiseReadError();
      } else {
        FrameSize = static_cast<uint32_t>(UnSyncSafe(Header + 4));
      }
      AddFrame(Header, HeaderLength, Reader.Take(FrameSize), FrameSize);
    }
    return TAG_RESULT_OK;
  } catch (...) {
    return TagReadFailure();
  }
}

void TID3v2Tag::AddFrame(const uint8_t* Header, size_t HeaderLength, const uint8_t* Data,
                         uint32_t FrameSize) {
  TBuffer Bytes(Data, Data + FrameSize);
  size_t Prefix = 0;  // bytes that the flags put before the frame's own data
  if (VersionID == 3) {
    const uint8_t Format = Header[9];
    if (Format & 0xC0) return;  // compressed or encrypted
    if (Format & 0x20) Prefix = 1;
  } else if (VersionID == 4) {
    const uint8_t Format = Header[9];
    if (Format & 0x0C) return;  // compressed or encrypted
    if ((Format & 0x02) || Unsynchronisation) Bytes = UndoUnsynchronisation(Bytes.data(), Bytes.size());
    Prefix = ((Format & 0x40) ? 1 : 0) + ((Format & 0x01) ? 4 : 0);
  }
  if (Prefix > Bytes.size()) return;
  Bytes.erase(Bytes.begin(), Bytes.begin() + Prefix);
  TID3v2Frame Frame;
  Frame.ID.assign(reinterpret_cast<const char*>(Header), HeaderLength == 6 ? 3 : 4);
  Frame.Size = static_cast<int>(FrameSize);
  Frame.Header.assign(Header, Header + HeaderLength);
  Frame.Data = std::move(Bytes);
  Frames.push_back(std::move(Frame));
}

int TID3v2Tag::FindFrame(int FieldIndex) const {
  if (VersionID < 2 || VersionID > 4 || FieldIndex < 0 || FieldIndex > 6) return -1;
  const std::string ID = FrameIDTables[VersionID - 2][FieldIndex];
  if (ID.empty()) return -1;
  for (int I = static_cast<int>(Frames.size()) - 1; I >= 0; --I)
    if (Frames[I].ID == ID) return I;
  return -1;
}

// A text frame may hold several values separated by NUL; the first one is the field's text.
static std::string FirstValue(const std::string& Bytes) {
  const std::string Trimmed = TrimTagBytes(Bytes);
  return Trimmed.substr(0, Trimmed.find('\0'));
}

static std::wstring FirstValue(const std::wstring& Text) {
  return TrimTagText(CutAtNul(TrimTagText(Text)));
}

static std::wstring Utf16Text(const uint8_t* Bytes, size_t Count, bool BigEndian) {
  std::wstring Text(Count, L'\0');
  for (size_t I = 0; I < Count; ++I) {
    const uint8_t* C = Bytes + 2 * I;
    Text[I] = static_cast<wchar_t>(BigEndian ? (C[0] << 8 | C[1]) : GetLE16(C));
  }
  return Text;
}

std::wstring TID3v2Tag::GetFrameText(int FieldIndex) const {
  const int Index = FindFrame(FieldIndex);
  if (Index < 0 || Frames[Index].Data.empty()) return {};
  const TBuffer& Data = Frames[Index].Data;
  const uint8_t* Text = Data.data() + 1;
  const size_t Count = Data.size() - 1;
  if (Count == 0) return {};
  switch (Data[0]) {
    case 0:
      return TrimTagText(
          CodePageToWideString(FirstValue(std::string(reinterpret_cast<const char*>(Text), Count)), 0));
    case 1: {
      if (Count < 2) return {};
      // Some writers leave the mark out: the text then starts at once, little-endian.
      const bool Marked = (Text[0] == 0xFF && Text[1] == 0xFE) || (Text[0] == 0xFE && Text[1] == 0xFF);
      if (!Marked) return FirstValue(Utf16Text(Text, Count / 2, false));
      return FirstValue(Utf16Text(Text + 2, Count / 2 - 1, Text[0] == 0xFE));
    }
    case 2:
      return FirstValue(Utf16Text(Text, Count / 2, true));
    case 3:
      return TrimTagText(
          UTF8ToWideString(FirstValue(std::string(reinterpret_cast<const char*>(Text), Count))));
    default:
      return {};
  }
}

std::wstring TID3v2Tag::GetGenre() const {
  return ExtractGenre(GetFrameText(4));
}
