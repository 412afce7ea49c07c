#include "app/u_WideMP3Func.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Imports/UCodeClasses.h"
#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeSystem.h"
#include "app/Parallel.h"
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

// Appends S with a-z upper-cased and the umlauts, sharp s and C cedilla folded. Every replacement is
// plain ASCII, so one pass gives what replacing each pattern in turn would.
void FoldSortText(std::wstring_view S, std::wstring& Result) {
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
}

bool IsNumberField(int Field) {
  return Field == sfLength || Field == sfTrack || Field == sfYear;
}

// A number is plain ASCII; anything else is no integer (and must not be best-fitted into one).
bool IsAsciiInteger(std::wstring_view S) {
  std::string Narrow;
  for (const wchar_t C : S) {
    if (C > 127) return false;
    Narrow += static_cast<char>(C);
  }
  return IsInteger(Narrow);
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

std::wstring SongKeyText(const Song& S, int Field) {
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

namespace {

// Removes every "/" and ":" from Key after From; then, when that rest is an integer, pads it as a number.
void NumberKey(std::wstring& Key, size_t From) {
  Key.erase(std::remove_if(Key.begin() + static_cast<ptrdiff_t>(From), Key.end(),
                           [](wchar_t C) { return C == L'/' || C == L':'; }),
            Key.end());
  const size_t Length = Key.size() - From;
  if (Length < 9 && IsAsciiInteger(std::wstring_view(Key).substr(From))) Key.insert(From, 9 - Length, L'0');
}

}  // namespace

std::wstring SongSortKey(const std::wstring& S, int Field) {
  std::wstring Key;
  Key.reserve(S.size() + 8);
  FoldSortText(S, Key);
  if (IsNumberField(Field)) NumberKey(Key, 0);
  return Key;
}

// The song keys sort like any key array: by UTF-16 units, in logarithmic depth.
void SortWRA(TWRA& Keys) {
  SortWideRA(Keys);
}

void SortWRADesc(TWRA& Keys) {
  SortWideRADesc(Keys);
}

namespace {

// The column sort. Its order is that of the keys SongSortKey(SongKeyText) + U+0000 + the 1-based position
// padded to the digits of the song count, compared by UTF-16 units: unique keys, so descending is
// ascending reversed. The key texts are made once, side by side, into one buffer for each part of the
// songs; most comparisons end at the first eight units of the whole key, kept in each song's place.

// Appends the comparable form of the key text of S for Field to Keys: SongSortKey(SongKeyText(S, Field)).
void AppendSortKey(const Song& S, int Field, std::wstring& Keys) {
  static const std::wstring_view Gap = L"   ";
  const size_t From = Keys.size();
  switch (Field) {
    case sfArtist:
      FoldSortText(S[sfArtist], Keys);
      Keys += Gap;
      FoldSortText(S[sfTitle], Keys);
      return;
    case sfAlbum:
      FoldSortText(S[sfAlbum], Keys);
      Keys += Gap;
      if (S[sfTrack].size() < 9) Keys.append(9 - S[sfTrack].size(), L'0');
      FoldSortText(S[sfTrack], Keys);
      Keys += Gap;
      FoldSortText(S[sfArtist], Keys);
      Keys += Gap;
      FoldSortText(S[sfTitle], Keys);
      return;
    default:
      FoldSortText(S.at(Field), Keys);
      if (IsNumberField(Field)) NumberKey(Keys, From);
  }
}

struct TSortPlace {
  uint64_t Head[2];  // the whole key's first eight units, four to a number, zeros past its end
  const wchar_t* Text;
  uint32_t Length;  // of Text
  uint32_t Index;   // the song's position before the sort
};

// The whole key of a place: its text, U+0000, and the position's Digits digits.
std::wstring WholeKey(const TSortPlace& P, size_t Digits) {
  const std::wstring Position = std::to_wstring(P.Index + 1);
  return std::wstring(P.Text, P.Length) + L'\0' + std::wstring(Digits - Position.size(), L'0') + Position;
}

void SetHead(TSortPlace& P, size_t Digits) {
  const auto Unit = [&](size_t J) -> uint64_t {
    if (J < P.Length) return P.Text[J];
    if (J == P.Length) return 0;
    J -= P.Length + 1;
    if (J >= Digits) return 0;
    uint64_t Position = P.Index + 1;
    for (size_t K = J + 1; K < Digits; ++K) Position /= 10;
    return L'0' + Position % 10;
  };
  for (size_t K = 0; K < 2; ++K)
    P.Head[K] = Unit(4 * K) << 48 | Unit(4 * K + 1) << 32 | Unit(4 * K + 2) << 16 | Unit(4 * K + 3);
}

// The order of two places whose heads are equal, by their whole keys.
bool BeforeAfterHeads(const TSortPlace& A, const TSortPlace& B, size_t Digits) {
  constexpr size_t HeadUnits = 8;
  const size_t Common = std::min(A.Length, B.Length);
  if (Common > HeadUnits) {
    const auto Differ = std::mismatch(A.Text + HeadUnits, A.Text + Common, B.Text + HeadUnits);
    if (Differ.first != A.Text + Common) return *Differ.first < *Differ.second;
  }
  if (A.Length == B.Length) return A.Index < B.Index;  // equal texts: the positions decide
  // The shorter text's U+0000 against the longer one's next unit; a text that holds U+0000 itself goes
  // unit by unit.
  const wchar_t Next = A.Length < B.Length ? B.Text[Common] : A.Text[Common];
  if (Next != 0) return A.Length < B.Length;
  return WholeKey(A, Digits) < WholeKey(B, Digits);
}

// Sorts the places ascending: a sample of them bounds buckets, the places go to their buckets in parts side
// by side, and each bucket is sorted on its own.
template <typename TBefore>
void SortPlaces(std::vector<TSortPlace>& Places, const TBefore& Before) {
  const size_t Count = Places.size();
  const std::vector<size_t> G = Grenzen(Count);
  const size_t Parts = G.size() - 1;
  if (Parts == 1) {
    std::sort(Places.begin(), Places.end(), Before);
    return;
  }
  // Some buckets take longer than others: with several for each processor, the processors even out.
  const size_t Buckets = 4 * Parts;
  constexpr size_t PerBucket = 8;
  std::vector<TSortPlace> Sample;
  for (size_t I = 0; I < PerBucket * Buckets; ++I)
    Sample.push_back(Places[I * Count / (PerBucket * Buckets)]);
  std::sort(Sample.begin(), Sample.end(), Before);
  std::vector<TSortPlace> Bounds;
  for (size_t B = 1; B < Buckets; ++B) Bounds.push_back(Sample[B * PerBucket]);
  std::vector<uint32_t> BucketOf(Count);
  std::vector<std::vector<size_t>> Start(Parts, std::vector<size_t>(Buckets));
  Parallel(Parts, [&](size_t T) {
    for (size_t I = G[T]; I < G[T + 1]; ++I) {
      BucketOf[I] = static_cast<uint32_t>(std::upper_bound(Bounds.begin(), Bounds.end(), Places[I], Before) -
                                          Bounds.begin());
      ++Start[T][BucketOf[I]];
    }
  });
  std::vector<size_t> BucketStart(Buckets + 1);
  for (size_t B = 0, Sum = 0; B < Buckets; ++B) {
    BucketStart[B] = Sum;
    for (size_t T = 0; T < Parts; ++T) Sum += std::exchange(Start[T][B], Sum);
    BucketStart[B + 1] = Sum;
  }
  std::vector<TSortPlace> Sorted(Count);
  Parallel(Parts, [&](size_t T) {
    for (size_t I = G[T]; I < G[T + 1]; ++I) Sorted[Start[T][BucketOf[I]]++] = Places[I];
  });
  Parallel(Buckets, [&](size_t B) {
    std::sort(Sorted.begin() + static_cast<ptrdiff_t>(BucketStart[B]),
              Sorted.begin() + static_cast<ptrdiff_t>(BucketStart[B + 1]), Before);
  });
  Places = std::move(Sorted);
}

// Puts Songs in the order Order gives (Order[K] is the song to stand at K), moving each song once along
// the cycles of the order: the songs' strings stay where they are, and no second array is made.
void Reorder(TWideSongArray& Songs, std::vector<uint32_t>& Order) {
  for (size_t K = 0; K < Order.size(); ++K) {
    if (Order[K] == K) continue;
    Song Held = std::move(Songs[K]);
    size_t At = K;
    while (Order[At] != K) {
      const size_t From = Order[At];
      Songs[At] = std::move(Songs[From]);
      Order[At] = static_cast<uint32_t>(At);
      At = From;
    }
    Songs[At] = std::move(Held);
    Order[At] = static_cast<uint32_t>(At);
  }
}

}  // namespace

void SortSongs(TWideSongArray& Songs, bool Descending, int Field) {
  const size_t Count = Songs.size();
  const size_t Digits = std::to_wstring(Count).size();
  const std::vector<size_t> G = Grenzen(Count);
  std::vector<std::wstring> Keys(G.size() - 1);
  std::vector<TSortPlace> Places(Count);
  Parallel(Keys.size(), [&](size_t T) {
    std::wstring& Text = Keys[T];
    Text.reserve((G[T + 1] - G[T]) * 24);
    std::vector<size_t> Ends;
    Ends.reserve(G[T + 1] - G[T]);
    for (size_t I = G[T]; I < G[T + 1]; ++I) {
      AppendSortKey(Songs[I], Field, Text);
      Ends.push_back(Text.size());
    }
    for (size_t I = G[T], From = 0; I < G[T + 1]; From = Ends[I - G[T]], ++I) {
      TSortPlace& P = Places[I];
      P.Text = Text.data() + From;
      P.Length = static_cast<uint32_t>(Ends[I - G[T]] - From);
      P.Index = static_cast<uint32_t>(I);
      SetHead(P, Digits);
    }
  });
  SortPlaces(Places, [Digits](const TSortPlace& A, const TSortPlace& B) {
    if (A.Head[0] != B.Head[0]) return A.Head[0] < B.Head[0];
    if (A.Head[1] != B.Head[1]) return A.Head[1] < B.Head[1];
    return BeforeAfterHeads(A, B, Digits);
  });
  std::vector<uint32_t> Order(Count);
  for (size_t K = 0; K < Count; ++K) Order[K] = Places[Descending ? Count - 1 - K : K].Index;
  Reorder(Songs, Order);
}

namespace {

bool IsFieldEnd(wchar_t C) {
  return C == L'|' || C == L'\r' || C == L'\n';
}

// The first "|", CR or LF at or after Pos, else the end of Text.
template <class Char>
size_t FieldEnd(std::basic_string_view<Char> Text, size_t Pos) {
  while (Pos < Text.size() && !IsFieldEnd(Text[Pos])) ++Pos;
  return Pos;
}

// The number of LF in Text.
template <class Char>
size_t LineFeeds(std::basic_string_view<Char> Text) {
  return static_cast<size_t>(std::count(Text.begin(), Text.end(), Char('\n')));
}

#if defined(__SSE2__)
// The same two for bytes, sixteen at a time: a playlist is mostly the fields' text.

__m128i LoadSixteen(std::string_view Text, size_t Pos) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(Text.data() + Pos));
}

int BytesEqual(__m128i Bytes, char C) {
  return _mm_movemask_epi8(_mm_cmpeq_epi8(Bytes, _mm_set1_epi8(C)));
}

size_t FieldEnd(std::string_view Text, size_t Pos) {
  for (; Text.size() - Pos >= 16; Pos += 16) {
    const __m128i Bytes = LoadSixteen(Text, Pos);
    if (const int Ends = BytesEqual(Bytes, '|') | BytesEqual(Bytes, '\r') | BytesEqual(Bytes, '\n'))
      return Pos + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(Ends)));
  }
  return FieldEnd<char>(Text, Pos);
}

size_t LineFeeds(std::string_view Text) {
  size_t Count = 0;
  size_t Pos = 0;
  for (; Text.size() - Pos >= 16; Pos += 16)
    for (int Feeds = BytesEqual(LoadSixteen(Text, Pos), '\n'); Feeds != 0; Feeds &= Feeds - 1) ++Count;
  return Count + LineFeeds<char>(Text.substr(Pos));
}
#endif

template <class Char>
using TLineFields = std::array<std::basic_string_view<Char>, SongFieldCount>;

// Cuts the line at Pos at every "|" into Fields (the first eight pieces; n separators give n + 1)
// and moves Pos past its end: CR LF, LF or a lone CR. Gives the number of pieces.
template <class Char>
size_t NextLineFields(std::basic_string_view<Char> Text, size_t& Pos, TLineFields<Char>& Fields) {
  size_t Count = 0;
  for (;; ++Pos) {
    const size_t End = FieldEnd(Text, Pos);
    if (Count < SongFieldCount) Fields[Count] = Text.substr(Pos, End - Pos);
    ++Count;
    Pos = End;
    if (Pos == Text.size() || Text[Pos] != Char('|')) break;
  }
  if (Pos < Text.size() && Text[Pos] == Char('\r')) ++Pos;
  if (Pos < Text.size() && Text[Pos] == Char('\n')) ++Pos;
  return Count;
}

void SetField(std::wstring& Field, std::wstring_view Text) {
  Field.assign(Text);
}

// "|", CR and LF are single bytes that never belong to a longer sequence, so each field decodes alone
// to what its part of the whole decoded text would be.
void SetField(std::wstring& Field, std::string_view Bytes) {
  UTF8ToWide(Bytes, Field);
}

// The songs read from a playlist, in their order. Room for a song per line end is made at once: growing
// by copies would move every song several times. The system makes the pages of new room at their first
// touch, which for a long list costs about a quarter of its reading; a helper on the pool touches them
// ahead of the songs. A page is taken by whichever comes first: the helper touches only pages that no song
// has reached, and a song waits for a page that the helper is touching.
class TNewSongs {
 public:
  TNewSongs(TWideSongArray& Songs, size_t LineFeeds, int Quelle) : FSongs(Songs), FQuelle(Quelle) {
    const bool NewRoom = LineFeeds >= MinToTouch && Songs.capacity() - Songs.size() <= LineFeeds;
    Songs.reserve(Songs.size() + LineFeeds + 1);
    if (!NewRoom) return;
    FFirstPage = FOwnedUpTo = PageOf(Songs.data() + Songs.size());
    FPageCount = PageOf(reinterpret_cast<const char*>(Songs.data() + Songs.capacity()) - 1) - FFirstPage + 1;
    FPages = std::make_unique<std::atomic<uint8_t>[]>(FPageCount);
    FToucher.emplace([this] { TouchPages(); });
  }

  Song& Add() {
    if (FPages && FSongs.size() == FSongs.capacity()) {  // the list moves: the helper must stop first
      Finish();
      FPages.reset();
    }
    if (FPages) {
      if (FOwnedUpTo == FFirstPage && SongsTakeFirstPage) SongsTakeFirstPage();
      const uintptr_t Last = PageOf(reinterpret_cast<const char*>(FSongs.data() + FSongs.size() + 1) - 1);
      for (; FOwnedUpTo <= Last; ++FOwnedUpTo) Take(FOwnedUpTo);
    }
    Song& S = FSongs.emplace_back();
    S.Quelle = FQuelle;
    return S;
  }

  // Waits for the helper.
  void Finish() {
    FStop = true;
    if (FToucher) FToucher->Warten();
  }

 private:
  static constexpr size_t MinToTouch = 16384;
  static constexpr uintptr_t PageSize = 4096;
  enum : uint8_t { Free, Touching, Ready };

  static uintptr_t PageOf(const void* P) { return reinterpret_cast<uintptr_t>(P) / PageSize; }

  std::atomic<uint8_t>& State(uintptr_t Page) { return FPages[Page - FFirstPage]; }

  // Makes the page the songs': waits when the helper is touching it. A helper that lost its processor
  // in the middle gets it back sooner when the waiter gives up its time slice.
  void Take(uintptr_t Page) {
    uint8_t Was = Free;
    if (State(Page).compare_exchange_strong(Was, Ready, std::memory_order_acquire)) return;
    for (int Spins = 0; State(Page).load(std::memory_order_acquire) != Ready; ++Spins)
      if (Spins < 64)
        YieldProcessor();
      else
        SwitchToThread();
  }

  void TouchPages() {
    for (uintptr_t Page = FFirstPage + 1; Page < FFirstPage + FPageCount && !FStop; ++Page) {
      uint8_t Was = Free;
      if (!State(Page).compare_exchange_strong(Was, Touching, std::memory_order_acquire)) continue;
      if (PageTakenByHelper) PageTakenByHelper();
      *reinterpret_cast<volatile char*>(Page * PageSize) = 0;
      State(Page).store(Ready, std::memory_order_release);
    }
  }

  TWideSongArray& FSongs;
  int FQuelle;
  uintptr_t FFirstPage = 0, FPageCount = 0;
  uintptr_t FOwnedUpTo = 0;
  std::unique_ptr<std::atomic<uint8_t>[]> FPages;
  std::atomic<bool> FStop{false};
  std::optional<TNebenbei> FToucher;  // last, so that it is waited for before the pages' states go
};

// Appends a song for each line of Text that holds exactly eight fields.
template <class Char>
void AppendSongs(std::basic_string_view<Char> Text, TNewSongs& Songs) {
  TLineFields<Char> Fields;
  for (size_t Pos = 0; Pos < Text.size();) {
    if (NextLineFields(Text, Pos, Fields) != SongFieldCount) continue;
    Song& S = Songs.Add();
    for (int F = 0; F < SongFieldCount; ++F) SetField(S[F], Fields[F]);
  }
}

// Gives Take the rest of Stream in pieces read into Buffer, each ending after a LF (the last one at
// the end of the stream). A line longer than the buffer makes the buffer grow.
template <class F>
void ForEachPiece(TStream& Stream, std::string& Buffer, F Take) {
  constexpr size_t PieceSize = 256 * 1024;
  size_t Kept = 0;  // the start of a line that the last read cut off
  for (;;) {
    if (Kept == Buffer.size()) Buffer.resize(std::max(2 * Buffer.size(), PieceSize));
    const size_t Size = Kept + Stream.Read(Buffer.data() + Kept, static_cast<int32_t>(Buffer.size() - Kept));
    const bool AtEnd = Size < Buffer.size();
    const size_t Whole = AtEnd ? Size : Buffer.rfind('\n') + 1;  // 0 when no LF was read
    Take(std::string_view(Buffer).substr(0, Whole));
    Kept = Size - Whole;
    std::copy(Buffer.begin() + Whole, Buffer.begin() + Size, Buffer.begin());
    if (AtEnd) return;
  }
}

// UTF-8 is read a piece at a time, once to count the lines and once to cut them into fields, each
// decoded straight into its song. A buffer of the whole file costs more than both under Wine: its
// pages are made, zeroed and given back on every load.
void ReadUTF8Playlist(const std::wstring& FileName, TWideSongArray& Songs, int Quelle) {
  constexpr int ByteOrderMark = 3;
  TUCodeFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  std::string Buffer;
  size_t Lines = 0;
  Stream.Seek(ByteOrderMark, soBeginning);
  ForEachPiece(Stream, Buffer, [&Lines](std::string_view Piece) { Lines += LineFeeds(Piece); });
  TNewSongs New(Songs, Lines, Quelle);
  Stream.Seek(ByteOrderMark, soBeginning);
  ForEachPiece(Stream, Buffer, [&New](std::string_view Piece) { AppendSongs(Piece, New); });
  New.Finish();
}

// The decoded text of a playlist file. Raises the text reader's exception for an unreadable file.
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

}  // namespace

void (*PageTakenByHelper)() = nullptr;
void (*SongsTakeFirstPage)() = nullptr;

void ReadPlaylist(const std::wstring& FileName, TWideSongArray& Songs, int Quelle) {
  if (WideGetTextFileCodePage(FileName) == cpUTF8) {
    ReadUTF8Playlist(FileName, Songs, Quelle);
    return;
  }
  const std::wstring Text = ReadPlaylistText(FileName);
  TNewSongs New(Songs, LineFeeds(std::wstring_view(Text)), Quelle);
  AppendSongs(std::wstring_view(Text), New);
  New.Finish();
}

void LoadPlaylist(const std::wstring& FileName) {
  ReadPlaylist(FileName, AlleSongs, static_cast<int>(DateiQuellen.size()));
  QuelleHinzufuegen(FileName);
}
