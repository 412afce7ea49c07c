#pragma once
// The song record and the song list: eight text fields per song, the column sort of the playlist
// view, and the reader of playlist files.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "Imports/u_WideFunc.h"

// A field's index is its identity everywhere: list column, search column, playlist file, export.
enum TSongField { sfArtist, sfTitle, sfLength, sfAlbum, sfTrack, sfYear, sfGenre, sfPath };
constexpr int SongFieldCount = 8;
// The source of a song that no playlist gave.
constexpr int KeineQuelle = -1;

// All eight fields are always present; an unknown value is the empty string. A song read from a playlist
// also knows which one: its relative path is that playlist's.
struct Song : std::array<std::wstring, SongFieldCount> {
  int Quelle = KeineQuelle;  // the playlist's folder in the source folders (DateiQuellen)
};
using TWideSongArray = std::vector<Song>;

// Sort keys with the song's position; they live only during a sort.
using TWRA = TWideRA;

// "m:ss" below 3599 s, "h:mm:ss" from 3599 s on (3599 s reads 0:59:59).
std::wstring SongLengthText(int Seconds);

// The text a song is sorted by in Field: artist and title for the artist, album, padded track, artist and
// title for the album, else the field alone.
std::wstring SongKeyText(const Song& S, int Field);
// Left-pads to nine characters with "0"; nine or more characters come back unchanged.
std::wstring PadSortNumber(const std::wstring& S);
// The comparable form of a key text of the given field: ASCII letters upper-cased, German umlauts,
// sharp s and C cedilla folded; lengths, tracks and years as padded numbers.
std::wstring SongSortKey(const std::wstring& S, int Field);
// Ordinal sort of the keys by UTF-16 units; keys are expected to be unique.
void SortWRA(TWRA& Keys);
void SortWRADesc(TWRA& Keys);
// Reorders Songs by Field (0..7). Songs with equal key text keep their order ascending and come out
// reversed descending.
void SortSongs(TWideSongArray& Songs, bool Descending, int Field);

// Appends the songs of FileName to Songs, each with the source Quelle: each line of exactly eight fields
// is one song, other lines are skipped. Nothing is appended when the file cannot be read (the exception
// passes on).
void ReadPlaylist(const std::wstring& FileName, TWideSongArray& Songs, int Quelle = KeineQuelle);
// Called, when set, by the helper that touches a long list's new room ahead of its songs, between taking
// a page and marking it ready: a test holds the helper there to meet the songs on that page.
extern void (*PageTakenByHelper)();
// Called, when set, before the songs take the first page of a long list's new room: a test waits there
// for the helper, which a loaded machine may start late.
extern void (*SongsTakeFirstPage)();
// Appends the songs of FileName to AlleSongs and its folder to the source folders.
void LoadPlaylist(const std::wstring& FileName);
