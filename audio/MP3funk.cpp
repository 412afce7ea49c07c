#include "audio/MP3funk.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "audio/MP3.h"
#include "audio/OGG.h"
#include "audio/TagFileStream.h"
#include "audio/WMA.h"

static std::wstring AsciiLowerCase(std::wstring S) {
  for (wchar_t& C : S)
    if (C >= L'A' && C <= L'Z') C = static_cast<wchar_t>(C - L'A' + L'a');
  return S;
}

static const std::wstring& FirstNonEmpty(const std::wstring& A, const std::wstring& B) {
  return A.empty() ? B : A;
}

static std::wstring TrackText(const std::wstring& Track) {
  return Track == L"0" ? std::wstring() : Track;
}

// Only a name of 8.3 size holding "~" can be a generated short alias; any other is its own long name.
// Asking the platform costs a folder search for every part of the path.
static std::wstring LongFileName(const std::wstring& FileName) {
  const std::wstring Name = WideExtractFileName(FileName);
  if (Name.size() > 12 || Name.find(L'~') == std::wstring::npos) return Name;
  return WideExtractFileName(WideGetLongPathName(FileName));
}

// Whole seconds, halves to the even neighbour.
static int RoundSeconds(double Seconds) {
  return static_cast<int>(
      std::rint(std::clamp(Seconds, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX))));
}

bool TAudioInfo::ReadFromFile(const std::wstring& FileName) {
  bool Found = true;
  try {
    const std::wstring Extension = AsciiLowerCase(WideExtractFileExt(FileName));
    if (Extension == L".mp3" || Extension == L".mp2" || Extension == L".mp1")
      ReadMpegFile(FileName);
    else if (Extension == L".wma")
      Found = ReadWmaFile(FileName);
    else if (Extension == L".ogg")
      Found = ReadOggFile(FileName);
    else
      Found = ReadFromFileName(FileName);
  } catch (...) {
    Found = ReadFailed(FileName);
  }
  BlankControlCharacters();
  return Found;
}

// Existence is asked only once a read has failed, since a file that could be read exists: a missing
// file leaves the fields as they were, any other takes them from its name.
bool TAudioInfo::ReadFailed(const std::wstring& FileName) {
  const bool Exists = WideFileExists(FileName);
  if (Exists) ReadFromFileName(FileName);
  return Exists;
}

void TAudioInfo::ReadMpegFile(const std::wstring& FileName) {
  TMpegInfo Mpeg;
  TID3v2Tag V2;
  TID3v1Tag V1;
  {
    TTagFileStream Stream(FileName);
    V1.ReadFromStream(&Stream);
    Stream.Seek(0, soBeginning);
    V2.LoadFromStream(&Stream);
    Stream.Seek(V2.Exists ? std::min<int64_t>(V2.Size, Stream.Size()) : 0, soBeginning);
    Mpeg.ReadFromStream(&Stream);
  }
  // Tags without audio frames are not trusted.
  if (Mpeg.Position < 0) {
    ReadFromFileName(FileName);
    return;
  }
  Artist = FirstNonEmpty(V2.GetArtist(), V1.GetArtist());
  Title = FirstNonEmpty(V2.GetTitle(), V1.GetTitle());
  if (Title.empty()) Title = LongFileName(FileName);
  Album = FirstNonEmpty(V2.GetAlbum(), V1.GetAlbum());
  Year = FirstNonEmpty(V2.GetYear(), V1.GetYear());
  Genre = FirstNonEmpty(V2.GetGenre(), V1.GetGenre());
  Track = TrackText(FirstNonEmpty(V2.GetTrack(), V1.GetTrack()));
  Duration = Mpeg.Duration;
}

bool TAudioInfo::ReadWmaFile(const std::wstring& FileName) {
  TWMATag Tag;
  if (!Tag.ReadFromFile(FileName)) return ReadFailed(FileName);
  TakeTags(FileName, Tag.Title, Tag.Artist, Tag.Album, Tag.Year, Tag.Track, Tag.Duration);
  return true;
}

bool TAudioInfo::ReadOggFile(const std::wstring& FileName) {
  TOGGtag Tag;
  if (!Tag.ReadFromFile(FileName)) return ReadFailed(FileName);
  TakeTags(FileName, Tag.Title, Tag.Artist, Tag.Album, Tag.Date, Tag.Track, Tag.GetDuration());
  return true;
}

void TAudioInfo::TakeTags(const std::wstring& FileName, const std::wstring& ATitle,
                          const std::wstring& AArtist, const std::wstring& AAlbum, const std::wstring& AYear,
                          int ATrack, double Seconds) {
  Title = ATitle.empty() ? LongFileName(FileName) : ATitle;
  Artist = AArtist;
  Album = AAlbum;
  Year = AYear;
  Duration = RoundSeconds(Seconds);
  Track = TrackText(std::to_wstring(ATrack));
}

bool TAudioInfo::ReadFromFileName(const std::wstring& FileName) {
  const bool Exists = WideFileExists(FileName);
  const std::wstring Name = Exists ? WideExtractFileName(FileName) : std::wstring();
  Title = Name;
  Artist.clear();
  if (Name.find(L" - ") != std::wstring::npos) {
    const std::wstring Extension = WideExtractFileExt(Name);
    const std::wstring Bare = Extension.empty() ? Name : WideStringReplaceAll(Name, Extension, L"");
    const size_t Dash = Bare.find(L" - ");
    Title = Bare;
    if (Dash != std::wstring::npos) {
      Artist = Bare.substr(0, Dash);
      Title = Bare.substr(Dash + 3);
    }
  }
  Album.clear();
  Year.clear();
  Genre.clear();
  Track.clear();
  Duration = 0;
  return Exists;
}

// A tag must not be able to break a playlist line or cut a search text.
void TAudioInfo::BlankControlCharacters() {
  for (std::wstring* Field : {&Artist, &Title, &Album, &Year, &Genre, &Track})
    std::replace_if(
        Field->begin(), Field->end(), [](wchar_t C) { return C < L' '; }, L' ');
}
