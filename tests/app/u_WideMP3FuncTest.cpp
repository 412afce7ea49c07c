#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "Imports/UCodeSystem.h"
#include "app/u_WideMP3Func.h"
#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "tests/app/PlainSongSort.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Watchdog.h"

namespace {

TWideSongArray SongsWith(int Field, std::initializer_list<std::wstring> Values) {
  TWideSongArray Songs;
  for (const std::wstring& V : Values) {
    Song S;
    S[Field] = V;
    S[sfPath] = std::to_wstring(Songs.size());
    Songs.push_back(S);
  }
  return Songs;
}

std::string Line(const std::string& Title) {
  return "a|" + Title + "|c|d|e|f|g|h";
}

std::wstring Column(const TWideSongArray& Songs, int Field) {
  std::wstring Text;
  for (const Song& S : Songs) Text += S[Field] + L",";
  return Text;
}

}  // namespace

TEST(WideMP3FuncText, LengthTextTakesHoursFrom3599) {
  const std::pair<int, const wchar_t*> Cases[] = {{0, L"0:00"},        {59, L"0:59"},      {754, L"12:34"},
                                                  {3598, L"59:58"},    {3599, L"0:59:59"}, {3600, L"1:00:00"},
                                                  {36061, L"10:01:01"}};
  for (const auto& [Seconds, Text] : Cases) EXPECT_EQ(SongLengthText(Seconds), Text) << Seconds;
}

TEST(WideMP3FuncText, SortKeyFoldsAsciiAndGermanLettersOnly) {
  const struct {
    int Field;
    std::wstring Text, Key;
  } Cases[] = {
      {sfTitle, L"Zebra apfel", L"ZEBRA APFEL"},
      {sfTitle, L"\u00C4pfel \u00E4\u00F6\u00FC\u00DF \u00C7\u00E7\u00E9", L"AEPFEL AEOEUESS C\u00E7\u00E9"},
      {sfTitle, L"\u0432\u0435\u0440\u0430 \u65E5\u672C", L"\u0432\u0435\u0440\u0430 \u65E5\u672C"},
      {sfTitle, L"3:45", L"3:45"},
      {sfLength, L"3:45", L"000000345"},
      {sfLength, L"1:02:03", L"000010203"},
      {sfTrack, L"2/12", L"000000212"},
      {sfYear, L"1999", L"000001999"},
      {sfYear, L"ca. 1999", L"CA. 1999"},
      {sfTrack, L"\uFF11\uFF12", L"\uFF11\uFF12"},
  };
  for (const auto& C : Cases) EXPECT_EQ(SongSortKey(C.Text, C.Field), C.Key) << C.Field;
}

TEST(WideMP3FuncSort, EqualKeysKeepListOrderAscendingAndReverseDescending) {
  AlleSongs = SongsWith(sfArtist, {L"x", L"x", L"x", L"x", L"x", L"x", L"x", L"x", L"x", L"x"});
  SuchErgebnis = AlleSongs;
  SortSongs(SuchErgebnis, true, sfArtist);
  EXPECT_EQ(Column(SuchErgebnis, sfPath), L"9,8,7,6,5,4,3,2,1,0,");
  SortSongs(SuchErgebnis, false, sfArtist);
  EXPECT_EQ(Column(SuchErgebnis, sfPath), L"9,8,7,6,5,4,3,2,1,0,");
  EXPECT_EQ(Column(AlleSongs, sfPath), L"0,1,2,3,4,5,6,7,8,9,");
}

TEST(WideMP3FuncSort, SortingTwiceReversesExactly) {
  TWideSongArray Songs =
      SongsWith(sfTitle, {L"Zebra", L"apfel", L"B", L"c", L"apfel", L"\u00C4pfel", L"Aepfel"});
  SortSongs(Songs, false, sfTitle);
  EXPECT_EQ(Column(Songs, sfPath), L"5,6,1,4,2,3,0,");
  SortSongs(Songs, true, sfTitle);
  EXPECT_EQ(Column(Songs, sfPath), L"0,3,2,4,1,6,5,");
}

TEST(WideMP3FuncSort, AKeyThatIsAPrefixOfAnotherSortsFirst) {
  TWideSongArray Numbers = SongsWith(sfTitle, {L"10", L"9", L"100"});
  SortSongs(Numbers, false, sfTitle);
  EXPECT_EQ(Column(Numbers, sfTitle), L"10,100,9,");
  SortSongs(Numbers, true, sfTitle);
  EXPECT_EQ(Column(Numbers, sfTitle), L"9,100,10,");

  TWideSongArray Words = SongsWith(sfTitle, {L"abc", L"ab", L"ab c", L"ab"});
  SortSongs(Words, false, sfTitle);
  EXPECT_EQ(Column(Words, sfTitle), L"ab,ab,ab c,abc,");
  EXPECT_EQ(Column(Words, sfPath), L"1,3,2,0,");  // equal texts keep their order
  SortSongs(Words, true, sfTitle);
  EXPECT_EQ(Column(Words, sfTitle), L"abc,ab c,ab,ab,");
  EXPECT_EQ(Column(Words, sfPath), L"0,2,3,1,");
}

TEST(WideMP3FuncSort, ColumnsSortByTheirOwnKeys) {
  TWideSongArray Lengths = SongsWith(sfLength, {L"1:00:00", L"10:00", L"9:59", L"0:59"});
  SortSongs(Lengths, false, sfLength);
  EXPECT_EQ(Column(Lengths, sfLength), L"0:59,9:59,10:00,1:00:00,");

  // The track is padded as stored, "/" and all.
  TWideSongArray Album = SongsWith(sfTrack, {L"1", L"10", L"2", L"1/12", L""});
  for (Song& S : Album) S[sfAlbum] = S[sfTrack] == L"1" ? L"B" : L"A";
  SortSongs(Album, false, sfAlbum);
  EXPECT_EQ(Column(Album, sfTrack), L",2,10,1/12,1,");
}

TEST(WideMP3FuncSort, EveryColumnBothWaysSortsAsThePlainSort) {
  // Ties, case, umlauts and accents, numbers of every column's form, empty fields, texts that begin
  // alike beyond eight units or are prefixes of others, and texts that hold U+0000; enough songs for the
  // sort to go in parts.
  const std::wstring Words[] = {L"",
                                L"a",
                                L"A",
                                L"ab",
                                L"aB c",
                                L"\u00E4pfel",
                                L"Aepfel",
                                L"Zebra",
                                L"zebra",
                                L"\u00C7a",
                                L"\u00E9t\u00E9",
                                L"Stra\u00DFe",
                                L"STRASSE",
                                L"\u0416\u65E5",
                                L"9",
                                L"10",
                                L"100",
                                L"3:45",
                                L"1:02:03",
                                L"2/12",
                                L"1999",
                                L"ca. 1999",
                                L"123456789012",
                                L"The Long Common Beginning",
                                L"The Long Common Beginning 2",
                                L"the long common beginning",
                                std::wstring(L"a\0b", 3),
                                std::wstring(L"a\0", 2),
                                std::wstring(L"\0", 1),
                                std::wstring(L"ab\0"
                                             L"0001",
                                             7)};
  std::mt19937 Random(52);
  const auto Pick = [&] { return Words[Random() % std::size(Words)]; };
  TWideSongArray Fast(20000);
  for (Song& S : Fast)
    for (std::wstring& Field : S) Field = Random() % 4 ? Pick() : Pick() + L" " + Pick();
  TWideSongArray Plain = Fast;
  // Each sort starts from the order the one before left.
  for (int Field = 0; Field < SongFieldCount; ++Field)
    for (const bool Descending : {false, true}) {
      SortSongs(Fast, Descending, Field);
      PlainSortSongs(Plain, Descending, Field);
      ASSERT_TRUE(Fast == Plain) << "field " << Field << (Descending ? " descending" : " ascending");
    }
  TWideSongArray Few(Plain.begin(), Plain.begin() + 50);
  TWideSongArray PlainFew = Few;
  SortSongs(Few, false, sfArtist);
  PlainSortSongs(PlainFew, false, sfArtist);
  EXPECT_TRUE(Few == PlainFew);
}

namespace {

std::wstring Padded(int V) {
  std::wstring S = std::to_wstring(V);
  return std::wstring(6 - S.size(), L'0') + S;
}

// Keys on which the middle pivot is always the largest of its range, so each partition splits off
// one key: recursing into both parts would nest once per key.
TWRA WorstCaseKeys(int N) {
  std::vector<int> At(N), Value(N);
  std::iota(At.begin(), At.end(), 0);
  for (int Hi = N - 1, Rank = 0; Hi >= 0; --Hi, ++Rank) {
    Value[At[Hi / 2]] = N - 1 - Rank;
    std::swap(At[Hi / 2], At[Hi]);
  }
  TWRA Keys;
  for (int I = 0; I < N; ++I) Keys.push_back({Padded(Value[I]), I});
  return Keys;
}

constexpr size_t Painted = 256 * 1024;
constexpr char Paint = 0x5A;

// Marks the stack below the caller downwards (guard pages are met in turn); gives the lowest mark.
__attribute__((noinline)) volatile char* PaintStack() {
  volatile char* Top = static_cast<char*>(__builtin_frame_address(0)) - 8 * 1024;
  for (volatile char* P = Top; P > Top - Painted; --P) *P = Paint;
  return Top - Painted + 1;
}

template <class F>
size_t StackUsedBy(F Sort) {
  volatile char* Bottom = PaintStack();
  Sort();
  volatile char* Low = Bottom;
  while (Low < Bottom + Painted && *Low == Paint) ++Low;
  return static_cast<size_t>(Bottom + Painted - Low);
}

}  // namespace

TEST(WideMP3FuncSort, WorstCaseKeysNeedLittleStack) {
  const int N = 4000;
  TWRA Keys = WorstCaseKeys(N);
  EXPECT_LT(StackUsedBy([&] { SortWRA(Keys); }), 32u * 1024);
  for (int I = 0; I < N; ++I) ASSERT_EQ(Keys[I].Key, Padded(I)) << I;
}

// Both playlist readers: the file's bytes and the titles (field 1) of the songs they must give.
class WideMP3FuncReaders : public testing::TestWithParam<void (*)(const std::wstring&)> {};

TEST_P(WideMP3FuncReaders, ReadEveryGoodLineWhateverTheLineEnds) {
  const std::string Bom = "\xEF\xBB\xBF";
  const struct {
    const char* Name;
    std::string Bytes;
    std::vector<std::wstring> Titles;
  } Cases[] = {
      {"crlf, last line open", Line("1") + "\r\n" + Line("2"), {L"1", L"2"}},
      {"lf", Line("1") + "\n" + Line("2") + "\n", {L"1", L"2"}},
      {"lone cr", Line("1") + "\r" + Line("2") + "\r", {L"1", L"2"}},
      {"7 and 9 fields, empty lines",
       Line("1") + "\r\na|b|c|d|e|f|g\r\n" + Line("2") + "|\r\n\r\n" + Line("3"),
       {L"1", L"3"}},
      {"bad utf-8 byte", Bom + Line("x\xFFy") + "\r\n" + Line("2"), {L"x\uFFFDy", L"2"}},
      {"zero byte",
       Bom + Line(std::string("x\0y", 3)) + "\r\n" + Line("2"),
       {std::wstring(L"x\0y", 3), L"2"}},
      {"fullwidth bar", Bom + Line("x\xEF\xBD\x9Cy") + "\r\n", {L"x\uFF5Cy"}},
      {"bad utf-7 line",
       "+/v8-" + Line("1") + "\r\n" + Line("\x80") + "\r\n" + Line("2") + "\r\n",
       {L"1", L"2"}},
      {"empty file", "", {}},
  };
  TempDir Dir;
  for (const auto& C : Cases) {
    AlleSongs.clear();
    DateiQuellen.clear();
    const std::wstring File = Dir.File(L"list.vlm");
    WriteBytes(File, Bytes(C.Bytes.begin(), C.Bytes.end()));
    GetParam()(File);
    ASSERT_EQ(AlleSongs.size(), C.Titles.size()) << C.Name;
    for (size_t I = 0; I < C.Titles.size(); ++I) {
      EXPECT_EQ(AlleSongs[I][sfTitle], C.Titles[I]) << C.Name;
      EXPECT_EQ(AlleSongs[I][sfArtist] + AlleSongs[I][sfPath], L"ah") << C.Name;
    }
    EXPECT_EQ(DateiQuellen, TWideStrArray{Dir.Path() + L"\\"}) << C.Name;
  }
}

INSTANTIATE_TEST_SUITE_P(LoadAndDrop, WideMP3FuncReaders,
                         testing::Values(&LoadPlaylist, &LoadDroppedPlaylist), [](const auto& Info) {
                           return Info.index == 0 ? "LoadPlaylist" : "LoadDroppedPlaylist";
                         });

namespace {

// What a UTF-8 playlist must give, found the plain way: the whole text decoded, cut at every line end
// and split at "|".
TWideSongArray SongsOfTheWholeText(const std::string& Bytes) {
  const std::wstring Text = UTF8ToWideString(Bytes);
  TWideSongArray Songs;
  for (size_t Pos = 0; Pos < Text.size();) {
    const size_t End = std::min(Text.find_first_of(L"\r\n", Pos), Text.size());
    TWideStrArray Fields;
    WideSplitString(Fields, L"|", Text.substr(Pos, End - Pos));
    if (Fields.size() == SongFieldCount)
      std::copy(Fields.begin(), Fields.end(), Songs.emplace_back().begin());
    Pos = End + (Text.compare(End, 2, L"\r\n") == 0 ? 2 : 1);
  }
  return Songs;
}

// Lines of mostly eight fields with ASCII, two- to four-byte characters, broken sequences and zero
// bytes, ended by CR LF, LF or a lone CR.
std::string RandomLines(std::mt19937& Rng, size_t Size) {
  static const std::string Pieces[] = {
      "a",    "Musik\\",  "0123456789abcdef",   "\xC3\xA4", "\xE2\x82\xAC", "\xF0\x9F\x8E\xB5",
      "\xFF", "\xE2\x82", std::string(1, '\0'), " "};
  static const char* const Ends[] = {"\r\n", "\r\n", "\r\n", "\n", "\r"};
  std::string Text;
  while (Text.size() < Size) {
    const int Fields =
        std::uniform_int_distribution<int>(0, 9)(Rng) < 8 ? 8 : 7 + 2 * static_cast<int>(Rng() % 2);
    for (int F = 0; F < Fields; ++F) {
      if (F > 0) Text += '|';
      for (int P = static_cast<int>(Rng() % 6); P > 0; --P) Text += Pieces[Rng() % std::size(Pieces)];
    }
    Text += Ends[Rng() % std::size(Ends)];
  }
  return Text;
}

}  // namespace

TEST(WideMP3FuncReaders, LongUtf8FilesGiveWhatTheirWholeTextHolds) {
  const TWatchdog Watchdog(std::chrono::seconds(30));  // a helper left running as the list moves hangs
  // The reader takes a file in pieces of a few hundred KiB: lines cut at every place by a piece's end,
  // CR LF cut between CR and LF, a line longer than a piece and a part without any LF.
  constexpr size_t Piece = 256 * 1024;
  std::mt19937 Rng(7);
  std::string Text = RandomLines(Rng, Piece - 1000);
  const std::string Head = "a|b|c|d|e|f|g|";
  Text += Head + std::string(Piece - 1 - Text.size() - Head.size(), 'x') + "\r\n";  // CR last in a piece
  Text += RandomLines(Rng, 1 << 20);
  Text += "x|" + std::string(700 * 1024, 'y') + "||||||z\r\n";
  Text += RandomLines(Rng, 1 << 20);
  Text += std::string(300 * 1024, '|') + "\r";
  for (int Line = 0; Line < 3000; ++Line) Text += "a|b\xC3\xA4|c|d|e|f|g|h\r";
  TempDir Dir;
  const std::wstring File = Dir.File(L"long.vlm");
  const std::string Whole = "\xEF\xBB\xBF" + Text;
  WriteBytes(File, Bytes(Whole.begin(), Whole.end()));
  TWideSongArray Songs(1);
  ReadPlaylist(File, Songs);
  const TWideSongArray Expected = SongsOfTheWholeText(Text);
  ASSERT_GT(Expected.size(), 20000u);
  ASSERT_EQ(Songs.size(), Expected.size() + 1);
  for (size_t I = 0; I < Expected.size(); ++I) ASSERT_EQ(Songs[I + 1], Expected[I]) << I;
}

// A long list's new room is touched by a helper ahead of the songs, a page by one of them only. The helper
// is held on the first page it takes for long enough that the songs reach it; fields of seven characters,
// none with a zero byte, show any byte of theirs that the helper's touch overwrites.
TEST(WideMP3FuncReaders, APageOfANewListIsTouchedByTheHelperOrWrittenBySongsNeverBoth) {
  const TWatchdog Watchdog(std::chrono::seconds(30));
  constexpr int Lines = 40000;
  std::string Text = "\xEF\xBB\xBF";
  for (int Line = 0; Line < Lines; ++Line)
    for (int F = 0; F < SongFieldCount; ++F)
      Text +=
          char('a' + F) + std::to_string(1000000 + Line).substr(1) + (F + 1 < SongFieldCount ? "|" : "\r\n");
  TempDir Dir;
  const std::wstring File = Dir.File(L"race.vlm");
  WriteBytes(File, Bytes(Text.begin(), Text.end()));
  static std::atomic<int> Taken;
  Taken = 0;
  PageTakenByHelper = [] {
    if (Taken++ == 0) Sleep(300);
  };
  SongsTakeFirstPage = [] {
    for (int Waited = 0; Taken == 0 && Waited < 10000; Waited += 10) Sleep(10);
  };
  TWideSongArray Songs;
  ReadPlaylist(File, Songs);
  PageTakenByHelper = nullptr;
  SongsTakeFirstPage = nullptr;
  EXPECT_GT(Taken, 0);
  ASSERT_EQ(Songs.size(), static_cast<size_t>(Lines));
  for (int Line = 0; Line < Lines; ++Line)
    for (int F = 0; F < SongFieldCount; ++F)
      ASSERT_EQ(Songs[Line][F], wchar_t(L'a' + F) + std::to_wstring(1000000 + Line).substr(1)) << Line;
}
