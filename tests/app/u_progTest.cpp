#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Imports/UCodeSysUtils.h"
#include "app/u_prog.h"
#include "tests/support/TestFiles.h"

class ProgPlaylist : public testing::Test {
 protected:
  void SetUp() override {
    AlleSongs.clear();
    DateiQuellen.clear();
    IstGefiltert = true;
  }
  void TearDown() override {
    AusgabeKodierung = cpUTF8;
    ProgrammOrdnerErsatz.clear();
  }
  TempDir Dir;
};

TEST_F(ProgPlaylist, EveryOutputEncodingReadsBackEqual) {
  for (const int CodePage :
       {cpAnsi, cpUTF7NoSignature, cpUTF7, cpUTF8, cpUTF16LE, cpUTF16BE, cpUTF32LE, cpUTF32BE}) {
    // ANSI holds Latin-1 here; UTF-7 without its signature reads back as ANSI, so ASCII without "\".
    const std::wstring Text = CodePage == cpAnsi ? L"Caf\u00E9 C:\\a.mp3 "
                              : CodePage == cpUTF7NoSignature
                                  ? L"plain/ascii.mp3 "
                                  : L"\u0416\u0443\u043A \u65E5 \U0001F3B5 C:\\M\u00FCsik\\a ";
    TWideSongArray Songs(2);
    for (int F = 0; F < SongFieldCount; ++F) Songs[0][F] = Songs[1][F] = Text + std::to_wstring(F);
    Songs[1][sfTitle].clear();
    AusgabeKodierung = CodePage;
    const std::wstring File = Dir.File(L"cp" + std::to_wstring(CodePage) + L".vlm");
    PlaylistSpeichern(Songs, File);
    TWideSongArray Read;
    ReadPlaylist(File, Read);
    EXPECT_EQ(Read, Songs) << CodePage;
  }
}

TEST_F(ProgPlaylist, LinesAreBarJoinedFieldsEndedByCrLf) {
  PlaylistSpeichern({{L"a|b", L"t", L"1:00", L"x\r\ny", L"", L"", L"", L"p"}, Song{}}, Dir.File(L"a.vlm"));
  const std::string Expected =
      "\xEF\xBB\xBF"
      "alb|t|1:00|x  y||||p\r\n|||||||\r\n";
  EXPECT_EQ(ReadBytes(Dir.File(L"a.vlm")), Bytes(Expected.begin(), Expected.end()));
  PlaylistSpeichern({}, Dir.File(L"empty.vlm"));
  EXPECT_EQ(ReadBytes(Dir.File(L"empty.vlm")), B("\xEF\xBB\xBF", 3));
}

TEST_F(ProgPlaylist, SaveAppendsVlmUnlessTheNameHoldsIt) {
  const std::pair<const wchar_t*, const wchar_t*> Names[] = {{L"list", L"list.vlm"},
                                                             {L"list.VLM", L"list.VLM.vlm"},
                                                             {L"a.vlm.txt", L"a.vlm.txt"},
                                                             {L"b.vlm", L"b.vlm"}};
  for (const auto& [Given, Written] : Names) {
    PlaylistSpeichern({Song{}}, Dir.File(Given));
    EXPECT_TRUE(WideFileExists(Dir.File(Written))) << Given;
  }
  EXPECT_NO_THROW(PlaylistSpeichern({Song{}}, L""));
}

TEST_F(ProgPlaylist, LoadReplacesThePlaylistOnlyAfterAGoodRead) {
  const std::wstring File = Dir.File(L"two.vlm");
  const std::string Text = "1|a||||||\r\n2|b||||||\r\n";
  WriteBytes(File, Bytes(Text.begin(), Text.end()));
  AlleSongs.resize(3);
  PlaylistLaden(L"", true);
  EXPECT_FALSE(IstGefiltert);
  EXPECT_ANY_THROW(PlaylistLaden(Dir.File(L"missing.vlm"), true));
  EXPECT_EQ(AlleSongs.size(), 3u);
  EXPECT_TRUE(DateiQuellen.empty());

  PlaylistLaden(File, true);
  ASSERT_EQ(AlleSongs.size(), 2u);
  EXPECT_EQ(AlleSongs[1][sfTitle], L"b");
  PlaylistLaden(File, false);
  EXPECT_EQ(AlleSongs.size(), 4u);
  EXPECT_EQ(DateiQuellen, TWideStrArray(2, Dir.Path() + L"\\"));
}

TEST_F(ProgPlaylist, DateiFindenTriesProgramFolderThenEverySourceFolder) {
  const std::wstring Prog = Dir.File(L"prog\\"), Q1 = Dir.File(L"q1\\"),
                     Q2 = Dir.File(L"\u041F\u0435\u0441\u043D\u0438\\");
  for (const std::wstring& F : {Prog, Q1, Q2, Q2 + L"c.mp3"}) MakeDir(F);
  for (const std::wstring& F : {Prog + L"a.mp3", Q1 + L"a.mp3", Q1 + L"b.mp3", Q2 + L"b.mp3", Q1 + L"c.mp3"})
    WriteBytes(F, B("x", 1));
  QuelleHinzufuegen(Q1 + L"l.vlm");
  QuelleHinzufuegen(Q2 + L"l.vlm");
  EXPECT_EQ(DateiQuellen, (TWideStrArray{Q1, Q2}));

  const std::pair<std::wstring, std::wstring> Cases[] = {
      {L"a.mp3", Prog + L"a.mp3"}, {L"b.mp3", Q2 + L"b.mp3"},      {L"c.mp3", Q1 + L"c.mp3"},
      {L"d.mp3", L"d.mp3"},        {Q1 + L"b.mp3", Q1 + L"b.mp3"}, {L"Z:\\a.mp3", L"Z:\\a.mp3"}};
  for (const auto& [Stored, Resolved] : Cases) EXPECT_EQ(DateiFinden(Stored, Prog, DateiQuellen), Resolved);
}

// A copy saved into another folder finds every song from there, a missing one once it is back (not the
// file of that name beside another playlist read since); a path found beside the program stays relative
// to it. A copy beside the first keeps the relative paths, which find the songs wherever both are moved
// together.
TEST_F(ProgPlaylist, RelativeEntriesSavedIntoAnotherFolderStillFindTheirSongs) {
  for (const wchar_t* F : {L"src", L"src\\sub", L"other", L"prog", L"else"}) MakeDir(Dir.File(F));
  for (const wchar_t* F : {L"src\\sub\\a.mp3", L"src\\b.mp3", L"c.mp3", L"prog\\p.mp3", L"else\\gone.mp3"})
    WriteBytes(Dir.File(F), B("x", 1));
  WriteBytes(Dir.File(L"else\\empty.vlm"), {});
  ProgrammOrdnerErsatz = Dir.File(L"prog\\");
  const std::string Text = "1|a||||||sub\\a.mp3\r\n2|b||||||b.mp3\r\n3|c||||||" +
                           WideToAnsi(Dir.File(L"c.mp3")) + "\r\n4|d||||||gone.mp3\r\n5|p||||||p.mp3\r\n";
  WriteBytes(Dir.File(L"src\\list.vlm"), Bytes(Text.begin(), Text.end()));
  PlaylistLaden(Dir.File(L"src\\list.vlm"), true);
  const TWideSongArray Geladen = AlleSongs;
  PlaylistLaden(Dir.File(L"else\\empty.vlm"), false);
  PlaylistSpeichern(AlleSongs, Dir.File(L"other\\copy.vlm"));
  PlaylistSpeichern(AlleSongs, Dir.File(L"src\\beside.vlm"));

  DateiQuellen.clear();
  PlaylistLaden(Dir.File(L"other\\copy.vlm"), true);
  ASSERT_EQ(AlleSongs.size(), 5u);
  for (int I = 0; I < 3; ++I) EXPECT_TRUE(WideFileExists(DateiFinden(AlleSongs[I]))) << I;
  EXPECT_EQ(AlleSongs[3][sfPath], Dir.File(L"src\\gone.mp3"));
  EXPECT_EQ(AlleSongs[4][sfPath], L"p.mp3");
  DateiQuellen.clear();
  PlaylistLaden(Dir.File(L"src\\beside.vlm"), true);
  EXPECT_EQ(AlleSongs, Geladen);
}

TEST(ProgDateiFinden, RelativePathsStartAtTheProgramFolder) {
  const std::wstring Name = L"prog-test-" + std::to_wstring(GetCurrentProcessId()) + L".mp3";
  const std::wstring Beside = ProgrammOrdner() + Name;
  WriteBytes(Beside, B("x", 1));
  EXPECT_EQ(DateiFinden(Name), Beside);
  DeleteFileW(Beside.c_str());
}
