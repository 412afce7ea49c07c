#pragma once
// The one door to the tags and play time of an audio file, whatever its kind.
#include <string>

#include "classlib/Classes.h"

class TAudioInfo : public TObject {
 public:
  // Chooses the reader by the extension; falls back to the file name. Never raises. False when the file
  // does not exist: the fields of a tag file are then left as they were.
  bool ReadFromFile(const std::wstring& FileName);

  std::wstring Artist;
  std::wstring Title;
  std::wstring Album;
  std::wstring Year;
  std::wstring Genre;  // only MPEG files give one
  int Duration = 0;    // seconds
  std::wstring Track;  // never "0"

 private:
  // Each but the MPEG read (which raises for a file it cannot open) is false for a missing file.
  void ReadMpegFile(const std::wstring& FileName);
  bool ReadWmaFile(const std::wstring& FileName);
  bool ReadOggFile(const std::wstring& FileName);
  bool ReadFromFileName(const std::wstring& FileName);
  bool ReadFailed(const std::wstring& FileName);
  // The fields of a successful Ogg or ASF read.
  void TakeTags(const std::wstring& FileName, const std::wstring& ATitle, const std::wstring& AArtist,
                const std::wstring& AAlbum, const std::wstring& AYear, int ATrack, double Seconds);
  void BlankControlCharacters();
};
