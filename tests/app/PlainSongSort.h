#pragma once
// The column sort done plainly, as the tests and the benchmarks compare the player's sort with it: one key
// string per song, its text, U+0000 and its padded position, sorted by the key array's quicksort.
#include <string>

#include "app/u_WideMP3Func.h"

inline void PlainSortSongs(TWideSongArray& Songs, bool Descending, int Field) {
  const size_t Digits = std::to_wstring(Songs.size()).size();
  TWRA Keys;
  Keys.reserve(Songs.size());
  for (size_t I = 0; I < Songs.size(); ++I) {
    const std::wstring Position = std::to_wstring(I + 1);
    Keys.push_back({SongSortKey(SongKeyText(Songs[I], Field), Field) + L'\0' +
                        std::wstring(Digits - Position.size(), L'0') + Position,
                    static_cast<int>(I)});
  }
  if (Descending)
    SortWRADesc(Keys);
  else
    SortWRA(Keys);
  TWideSongArray Sorted;
  Sorted.reserve(Songs.size());
  for (const TWideRecord& K : Keys) Sorted.push_back(std::move(Songs[K.Index]));
  Songs = std::move(Sorted);
}
