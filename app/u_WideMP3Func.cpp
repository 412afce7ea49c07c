#include "app/u_WideMP3Func.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "Imports/UCodeClasses.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeSystem.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "classlib/SysUtils.h"

std::wstring SongLengthText(int Seconds) {
  if (Seconds >= 3599) return Format(L"%d:%2.2d:%2.2d", {Seconds / 3600, (Seconds / 60) % 60, Seconds % 60});
  return Format(L"%d:%.2d", {Seconds / 60, Seconds % 60});
}

std::wstring PadSortNumber(const std::wstring& S) {
  if (S.size() >= 9) return S;
  return std::wstring(9 - S.size(), L'0') + S;
}

namespace {

// Upper-cases a-z only and folds the umlauts, sharp s and C cedilla. Every replacement is plain
// ASCII, so one pass gives what replacing each pattern in turn would.
std::wstring FoldSortText(const std::wstring& S) {
  std::wstring Result;
  Result.reserve(S.size() + 8);
  for (const wchar_t C : S) {
    switch (C) {
      case L'\u00C4':
      case L'\u00E4':
        Result += L"AE";
        break;
      case L'\u00D6':
      case L'\u00F6':
        Result += L"OE";
        break;
      case L'\u00DC':
      case L'\u00FC':
        Result += L"UE";
        break;
      case L'\u00DF':
        Result += L"SS";
        break;
      case L'\u00C7':
        Result += L'C';
        break;
      default:
        Result += (C >= L'a' && C <= L'z') ? static_cast<wchar_t>(C - L'a' + L'A') : C;
    }
  }
  return Result;
}

bool IsNumberField(int Field) {
  return Field == sfLength || Field == sfTrack || Field == sfYear;
}

// A number is plain ASCII; anything else is no integer (and must not be best-fitted into one).
bool IsAsciiInteger(const std::wstring& S) {
  std::string Narrow;
  for (const wchar_t C : S) {
    if (C > 127) return false;
    Narrow += static_cast<char>(C);
  }
  return IsInteger(Narrow);
}

std::wstring SortKeyText(const Song& S, int Field) {
  static const std::wstring Gap = L"   ";
  switch (Field) {
    case sfArtist:
      return S[sfArtist] + Gap + S[sfTitle];
    case sfAlbum:
      return S[sfAlbum] + Gap + PadSortNumber(S[sfTrack]) + Gap + S[sfArtist] + Gap + S[sfTitle];
    default:
      return S.at(Field);
  }
}

// Ends the key text before the position: it sorts below every character of a text, so a text that is
// a prefix of another sorts first ("10" before "100"), whatever position digits follow.
constexpr wchar_t PositionSeparator = L'\0';

// The 1-based position padded to the digits of the song count, which makes every key unique.
std::wstring PositionText(size_t Position, size_t Digits) {
  std::wstring S = IntToWideStr(static_cast<long long>(Position));
  return std::wstring(Digits - S.size(), L'0') + S;
}

std::string ReadFileBytes(const std::wstring& FileName) {
  TUCodeFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  std::string Bytes(static_cast<size_t>(Stream.Size()), '\0');
  if (!Bytes.empty()) Stream.ReadBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
  return Bytes;
}

// One bad byte makes a whole UTF-7 text invalid. Line ends never belong to a base64 run, so each
// line decodes on its own and only the bad lines are lost.
std::wstring UTF7LinesToWide(const std::string& Bytes) {
  std::wstring Text;
  size_t Pos = 0;
  while (Pos < Bytes.size()) {
    size_t End = Bytes.find_first_of("\r\n", Pos);
    if (End == std::string::npos) End = Bytes.size();
    try {
      Text += UTF7ToWideString(Bytes.substr(Pos, End - Pos)) + L"\r\n";
    } catch (const EUCodeGeneralError&) {
      // the bad line is left out
    }
    Pos = End + 1;
  }
  if (!Text.empty() && Text[0] == L'\uFEFF') Text.erase(0, 1);
  return Text;
}

}  // namespace

std::wstring SongSortKey(const std::wstring& S, int Field) {
  std::wstring Key = FoldSortText(S);
  if (!IsNumberField(Field)) return Key;
  std::erase_if(Key, [](wchar_t C) { return C == L'/' || C == L':'; });
  return IsAsciiInteger(Key) ? PadSortNumber(Key) : Key;
}

// The song keys sort like any key array: by UTF-16 units, in logarithmic depth.
void SortWRA(TWRA& Keys) {
  SortWideRA(Keys);
}

void SortWRADesc(TWRA& Keys) {
  SortWideRADesc(Keys);
}

void SortSongs(TWideSongArray& Songs, bool Descending, int Field) {
  const size_t Digits = IntToWideStr(static_cast<long long>(Songs.size())).size();
  TWRA Keys;
  Keys.reserve(Songs.size());
  for (size_t I = 0; I < Songs.size(); ++I)
    Keys.push_back(
        {SongSortKey(SortKeyText(Songs[I], Field), Field) + PositionSeparator + PositionText(I + 1, Digits),
         static_cast<int>(I)});
  if (Descending)
    SortWRADesc(Keys);
  else
    SortWRA(Keys);
  TWideSongArray Sorted;
  Sorted.reserve(Songs.size());
  for (const TWideRecord& K : Keys) Sorted.push_back(std::move(Songs[K.Index]));
  Songs = std::move(Sorted);
}

bool NextPlaylistLine(const std::wstring& Text, size_t& Pos, std::wstring_view& Line) {
  if (Pos >= Text.size()) return false;
  const auto IsLineEnd = [](wchar_t C) { return C == L'\r' || C == L'\n'; };
  size_t End = static_cast<size_t>(std::find_if(Text.begin() + Pos, Text.end(), IsLineEnd) - Text.begin());
  Line = std::wstring_view(Text).substr(Pos, End - Pos);
  Pos = End;
  if (Pos < Text.size() && Text[Pos] == L'\r') ++Pos;
  if (Pos < Text.size() && Text[Pos] == L'\n') ++Pos;
  return true;
}

std::wstring ReadPlaylistText(const std::wstring& FileName) {
  std::wstring Text;
  try {
    WideLoadTextFile(FileName, Text);
  } catch (const EUCodeGeneralError&) {
    if (WideGetTextFileCodePage(FileName) != cpUTF7) throw;
    Text = UTF7LinesToWide(ReadFileBytes(FileName));
  }
  return Text;
}

bool PlaylistLineSong(std::wstring_view Line, Song& S) {
  // Split at every "|": n separators give n + 1 pieces, so eight fields are seven separators.
  if (CountPipes(Line) != SongFieldCount - 1) return false;
  for (std::wstring& Field : S) {
    const size_t Bar = std::min(Line.find(L'|'), Line.size());
    Field.assign(Line.substr(0, Bar));
    Line.remove_prefix(std::min(Bar + 1, Line.size()));
  }
  return true;
}

void ReadPlaylist(const std::wstring& FileName, TWideSongArray& Songs) {
  const std::wstring Text = ReadPlaylistText(FileName);
  // Room for a song per line end at once: growing by copies would move every song several times.
  Songs.reserve(Songs.size() + std::count(Text.begin(), Text.end(), L'\n') + 1);
  size_t Pos = 0;
  std::wstring_view Line;
  Song S;
  while (NextPlaylistLine(Text, Pos, Line))
    if (PlaylistLineSong(Line, S)) Songs.push_back(std::move(S));
}

void LoadPlaylist(const std::wstring& FileName) {
  ReadPlaylist(FileName, AlleSongs);
  QuelleHinzufuegen(FileName);
}
