#pragma once
// ASF files (Windows Media Audio): stream values and texts from the objects of the header.
#include <cstdint>
#include <string>

#include "classlib/Classes.h"

class TStream;

// Slots of the extended content description, in the order of WmaAttributeNames.
enum TWMAField { wfTitle, wfArtist, wfAlbum, wfTrack, wfYear, wfGenre, wfComment, wfCount };

// "WM/TITLE", "WM/AUTHOR", "WM/ALBUMTITLE", "WM/TRACK", "WM/YEAR", "WM/GENRE", "WM/DESCRIPTION".
extern const char* const WmaAttributeNames[wfCount];

// What the header walk finds.
struct TWMARaw {
  uint32_t FileSize = 0;
  uint32_t MaxBitRate = 0;
  uint16_t Channels = 0;
  uint32_t SampleRate = 0;
  uint32_t ByteRate = 0;
  std::wstring Fields[wfCount];
};

class TWMATag : public TObject {
 public:
  TWMATag() { ResetData(); }
  void ResetData();
  // True when the file is ASF and its header was walked to the end without an error; the fields are
  // filled only when the stream values are plausible as well.
  bool ReadFromFile(const std::wstring& FileName);

  bool Valid = false;
  uint32_t FileSize = 0;  // low 32 bits
  uint8_t Channels = 0;
  int SampleRate = 0;
  double Duration = 0;  // seconds
  int BitRate = 0;      // kbit/s
  std::wstring Title;
  std::wstring Artist;
  std::wstring Album;
  int Track = 0;
  std::wstring Year;
  std::wstring Genre;
  std::wstring Comment;
};

// False for a file that cannot be read, is not ASF or whose header does not hold together.
bool ReadData(const std::wstring& FileName, TWMARaw& Raw);
bool IsValid(const TWMARaw& Raw);
// The whole text as a decimal number; 0 when it is none ("3/12" too).
int TrackFromText(const std::wstring& Text);
