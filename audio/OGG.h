#pragma once
// Ogg Vorbis files: the identification and comment headers of the first pages and the sample count
// of the last page.
#include <cstdint>
#include <string>

#include "classlib/Classes.h"

class TStream;

// What GetInfo finds; Comments by the recognised names, in the order of OggCommentNames.
struct TOGGInfo {
  int64_t FileSize = 0;
  int ID3v2Size = 0;
  uint8_t Channels = 0;
  int SampleRate = 0;
  int NominalBitRate = 0;  // bit/s as stored
  int Samples = 0;
  std::wstring Vendor;
  std::wstring Comments[9];
};

// "TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE", "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION".
extern const char* const OggCommentNames[9];

class TOGGtag : public TObject {
 public:
  TOGGtag() { ResetData(); }
  void ResetData();
  // True when the first page and the identification header were found. Stream errors raise.
  bool ReadFromFile(const std::wstring& FileName);
  double GetDuration() const;  // seconds

  int64_t FileSize = 0;
  uint8_t Channels = 0;
  int SampleRate = 0;
  uint16_t NominalBitRate = 0;  // kbit/s
  int Samples = 0;              // low 32 bits of the last granule position
  int ID3v2Size = 0;
  std::wstring Title;
  std::wstring Artist;
  std::wstring Album;
  int Track = 0;
  std::wstring Date;
  std::wstring Genre;
  std::wstring Comment;
  std::wstring Vendor;
};

// The size of an ID3v2 tag at the start of the stream; 0 when there is none or it is larger than the stream.
int GetID3v2Size(TStream* Stream);
bool GetInfo(const std::wstring& FileName, TOGGInfo& Info);
// Reads the vendor string and the comments from the stream's position up to End (the end of the packet).
void ReadTag(TStream* Stream, int64_t End, TOGGInfo& Info);
// One comment "NAME=value" (raw UTF-8 bytes), or the vendor string.
void SetTagItem(const std::string& Text, TOGGInfo& Info);
// The granule position of the last page found near the end of the stream; 0 when none.
int GetSamples(TStream* Stream);
// The number before the first "/"; 0 when it is none.
int ExtractTrack(const std::wstring& Text);
