#pragma once
// MPEG audio files: the first frame with its Xing VBR header, the ID3v1 tag at the end and the
// ID3v2 tag at the start, and the ID3v1 genre names.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "audio/TagText.h"
#include "classlib/Classes.h"

class TStream;

// Result codes of the MPEG-side readers.
constexpr uint8_t TAG_RESULT_OK = 0;
constexpr uint8_t TAG_RESULT_READ_ERROR = 6;
constexpr uint8_t TAG_RESULT_NO_TAG = 9;
constexpr uint8_t TAG_RESULT_UNSUPPORTED_VERSION = 10;
constexpr uint8_t TAG_RESULT_EXCEPTION = 11;
constexpr uint8_t MPEG_RESULT_NO_FRAME = 12;

// Shows an unexpected exception of a tag reader ("Error" message box); tests put in their own.
using TTagErrorBox = void (*)(const std::wstring& Message);
extern TTagErrorBox ShowTagError;

// The ID3v1 genre names, index = genre byte. Index 12 is empty.
extern const std::array<std::wstring_view, 126> GenreList;

struct TMpegHeader {
  int Version = 0;  // 1 MPEG 1, 2 MPEG 2, 3 MPEG 2.5
  int Layer = 0;
  bool Protection = false;
  uint16_t BitRate = 0;  // kbit/s
  int SampleRate = 0;
  uint8_t ChannelMode = 0;
  uint8_t ModeExtension = 0;
  bool CopyRight = false;
  bool Original = false;
  uint8_t Emphasis = 0;
  int Padding = 0;
  uint16_t FrameLength = 0;
  bool Valid = false;
};

struct TXingHeader {
  uint32_t Frames = 0;  // 0 when the header does not hold the count
  int FrameLength = 0;
  bool Found = false;
};

class TMpegInfo : public TObject {
 public:
  // 0 a frame was accepted, 12 none was. Scans from the stream's position.
  uint8_t ReadFromStream(TStream* Stream);

  // Decodes and checks the 4 bytes at Offset (fewer than 4 left: not valid).
  static void DecodeHeader(const TBuffer& Buffer, size_t Offset, TMpegHeader& Header);
  static void ReadXing(const TMpegHeader& Header, const TBuffer& Buffer, size_t FrameOffset,
                       TXingHeader& Xing);
  // Bytes, or -2 for the reserved sample rate 0.
  static int GetFrameLength(int Version, int Layer, int Padding, int SampleRate, int BitRate);

  int64_t FileSize = 0;
  int Version = 0;
  int Layer = 0;
  bool Protection = false;
  uint32_t BitRate = 0;  // kbit/s; a VBR rate from a tiny frame count can exceed 16 bits
  int SampleRate = 0;
  uint8_t ChannelMode = 0;
  uint8_t ModeExtension = 0;
  bool CopyRight = false;
  bool Original = false;
  uint8_t Emphasis = 0;
  int Frames = 0;
  int Duration = 0;  // seconds
  bool VBR = false;
  bool Valid = false;
  int64_t Position = 0;  // of the accepted frame; -1 after a scan that found none

 private:
  bool AcceptFrame(int64_t P, const TMpegHeader& Header, const TXingHeader& Xing);
};

class TID3v1Tag : public TObject {
 public:
  TID3v1Tag() { ResetData(); }
  // 0 read, 6 fewer than 128 bytes at the end, 9 no "TAG", 11 another exception.
  uint8_t ReadFromStream(TStream* Stream);
  void ResetData();

  std::wstring GetTitle() const;
  std::wstring GetArtist() const;
  std::wstring GetAlbum() const;
  std::wstring GetYear() const;
  std::wstring GetTrack() const;  // "0" when the tag holds none
  std::wstring GetGenre() const;

  std::wstring Title;
  std::wstring Artist;
  std::wstring Album;
  std::wstring Comment;
  uint8_t Track = 0;
  std::wstring Year;
  uint8_t Genre = 0;
  bool Exists = false;
  uint8_t VersionID = 0;  // 1 for ID3v1.1
};

struct TID3v2Frame {
  std::string ID;
  int Size = 0;  // as stored in the frame header
  TBuffer Header;
  TBuffer Data;  // unsynchronisation undone, grouping byte and data length dropped
};

class TID3v2Tag : public TObject {
 public:
  TID3v2Tag() { ResetData(); }
  // 0 read, 6 read error or malformed tag, 9 no "ID3", 10 unsupported version, 11 another exception.
  uint8_t LoadFromStream(TStream* Stream);
  // The tag header, then the tag's bytes into memory (unsynchronisation of the whole tag undone)
  // and past the extended header.
  uint8_t ReadHeader(TStream* Stream);
  // Walks the frames of the bytes that ReadHeader took.
  uint8_t ReadFrames();
  void ResetData();

  int FindFrame(int FieldIndex) const;  // -1 when none
  std::wstring GetFrameText(int FieldIndex) const;
  std::wstring GetArtist() const { return GetFrameText(0); }
  std::wstring GetTitle() const { return GetFrameText(1); }
  std::wstring GetAlbum() const { return GetFrameText(2); }
  std::wstring GetYear() const { return GetFrameText(3); }
  std::wstring GetGenre() const;
  std::wstring GetTrack() const { return GetFrameText(6); }

  bool Exists = false;
  uint8_t VersionID = 3;
  uint8_t Revision = 0;
  bool Unsynchronisation = false;
  bool ExtendedHeader = false;
  bool Footer = false;
  int Size = 0;  // the whole tag from the start of the file
  std::vector<TID3v2Frame> Frames;

 private:
  void SkipExtendedHeader();
  void AddFrame(const uint8_t* Header, size_t HeaderLength, const uint8_t* Data, uint32_t Size);
  TBuffer FBody;  // the tag behind its header, as far as the file holds it
  size_t FFramesStart = 0;
};

// True when every character is 0-9 or A-Z (so also for an empty text).
bool IsFrameID(const std::string& ID);
// A tag size: seven bits a byte, so that no size byte can look like a frame sync.
int UnSyncSafe(const uint8_t* Bytes);
// "(13)" and "(13)Pop" give the name of genre 13; other texts stay as they are.
std::wstring ExtractGenre(const std::wstring& Text);
// Drops the 00 that follows every FF.
TBuffer UndoUnsynchronisation(const uint8_t* Data, size_t Size);
