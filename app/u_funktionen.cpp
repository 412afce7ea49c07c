#include "app/u_funktionen.h"

#include <algorithm>

#include "app/u_WideMP3Func.h"
#include "app/u_prog.h"
#include "classlib/SysUtils.h"

bool IsInteger(const std::string& Text) {
  return StrToIntDef(Text, 0) == StrToIntDef(Text, 1);
}

int CountPipes(const std::wstring& Text) {
  return static_cast<int>(std::count(Text.begin(), Text.end(), L'|'));
}

namespace {

// Takes the fields off the front of a line that has been given a closing "|".
Song CutFields(std::wstring_view W) {
  Song S;
  for (std::wstring& Field : S) {
    const size_t Bar = W.find(L'|');
    Field = W.substr(0, Bar);
    W.remove_prefix(Bar + 1);
  }
  return S;
}

}  // namespace

void LoadDroppedPlaylist(const std::wstring& FileName) {
  // The text reader knows every encoding the program writes; a zero byte does not end the text.
  const std::wstring Text = ReadPlaylistText(FileName);
  size_t Pos = 0;
  std::wstring_view Line;
  while (NextPlaylistLine(Text, Pos, Line)) {
    const std::wstring W = std::wstring(Line) + L"|";
    if (CountPipes(W) == SongFieldCount) AlleSongs.push_back(CutFields(W));
  }
  QuelleHinzufuegen(FileName);
}
