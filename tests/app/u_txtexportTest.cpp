// The export's window-free steps: parsing the format, building, filtering, sorting, numbering, HTML,
// the file names and the bytes of a saved export.
#include "app/u_txtexport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "Imports/UCodeSysUtils.h"
#include "Imports/u_WideFunc.h"
#include "app/ExportSort.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Watchdog.h"

namespace {

Song Lied(const std::wstring& Artist, const std::wstring& Title, const std::wstring& Path = L"C:\\m\\a.mp3") {
  Song S;
  S[sfArtist] = Artist;
  S[sfTitle] = Title;
  S[sfLength] = L"2:47";
  S[sfAlbum] = L"Waterloo (Album)";
  S[sfTrack] = L"1";
  S[sfYear] = L"1974";
  S[sfGenre] = L"Pop";
  S[sfPath] = Path;
  return S;
}

TExportOptionen Mit(const std::wstring& Format) {
  TExportOptionen O;
  O.Format = Format;
  return O;
}

std::wstring Export(const TWideSongArray& Songs, const std::wstring& Format) {
  return ExportText(Songs, Mit(Format));
}

// Songs whose artist is each of Names, in that order.
TWideSongArray Artists(const std::vector<std::wstring>& Names) {
  TWideSongArray Songs;
  for (const std::wstring& N : Names) Songs.push_back(Lied(N, L""));
  return Songs;
}

std::wstring Lines(const std::vector<std::wstring>& L) {
  std::wstring Text;
  for (const std::wstring& Line : L) Text += Line + L"\r\n";
  return Text;
}

TEST(TxtExportFormat, PlaceholdersInBothLanguagesAndEverythingElseLiteral) {
  const TWideSongArray Abba{Lied(L"ABBA", L"Waterloo", L"C:\\Musik\\Abba\\waterloo.mp3")};
  EXPECT_EQ(Export(Abba, L"%artist% - %title%"), L"ABBA - Waterloo\r\n");
  EXPECT_EQ(Export(Abba, L"%interpret% - %titel%"), L"ABBA - Waterloo\r\n");
  EXPECT_EQ(Export(Abba, L"%l\u00E4nge%|%length%|%album%|%track%|%jahr%|%year%|%genre%"),
            L"2:47|2:47|Waterloo (Album)|1|1974|1974|Pop\r\n");
  EXPECT_EQ(Export(Abba, L"%pfad% %path% %dateiname% %filename%"),
            L"C:\\Musik\\Abba\\waterloo.mp3 C:\\Musik\\Abba\\waterloo.mp3 waterloo.mp3 waterloo.mp3\r\n");
  EXPECT_EQ(Export({Lied(L"", L"", L"D:song.ogg")}, L"%filename%"), L"song.ogg\r\n");
  EXPECT_EQ(Export(Abba, L"%Artist%"), L"%Artist%\r\n");
  EXPECT_EQ(Export(Abba, L"100%"), L"100%\r\n");
  EXPECT_EQ(Export(Abba, L"%x%"), L"%x%\r\n");
  EXPECT_EQ(Export(Abba, L"%"), L"%\r\n");
  EXPECT_EQ(Export(Abba, L"%%title%"), L"%Waterloo\r\n");
  EXPECT_EQ(Export(Abba, L"%title%%artist%%title%"), L"WaterlooABBAWaterloo\r\n");
  EXPECT_EQ(Export(Abba, L"%artist%%tab%%title%"), L"ABBA%tab%Waterloo\r\n");  // plain text keeps the marker

  // The codes follow the format from left to right; literal pieces count from 11.
  const TExportFormat F = ParseFormat(L"%%title% - %x%tab%");
  EXPECT_EQ(F.Codes, (std::vector<int32_t>{11, 2, 12, 13, 14, tcTab}));
  EXPECT_EQ(F.Stuecke, (std::vector<std::wstring>{L"%", L" - ", L"%", L"x"}));
  EXPECT_TRUE(ParseFormat(L"").Codes.empty());
}

TEST(TxtExportBuild, SortsWithoutCaseAndRemovesDuplicatesKeepingTheFirst) {
  const TWatchdog Watchdog(std::chrono::seconds(30));  // the room for the text is made beside the sort
  const TWideSongArray Songs = Artists({L"beta", L"Alpha", L"alpha", L"Gamma", L"ALPHA"});
  EXPECT_EQ(Export(Songs, L"%artist%"), Lines({L"Alpha", L"alpha", L"ALPHA", L"beta", L"Gamma"}));
  TExportOptionen O = Mit(L"%artist%");
  O.Sortieren = false;
  EXPECT_EQ(ExportText(Songs, O), Lines({L"beta", L"Alpha", L"alpha", L"Gamma", L"ALPHA"}));
  O.DoppelteWeg = true;  // ascending even without sorting, the first in playlist order stays
  EXPECT_EQ(ExportText(Songs, O), Lines({L"Alpha", L"beta", L"Gamma"}));
}

TEST(TxtExportBuild, NumbersFollowTheFinalOrderWithZerosAsWideAsTheLineCount) {
  std::vector<std::wstring> Names;
  for (int I = 100; I >= 1; --I)
    Names.push_back(L"song " + std::wstring(I < 10 ? L"00" : I < 100 ? L"0" : L"") + std::to_wstring(I));
  const TWideSongArray Hundred = Artists(Names);
  std::vector<std::wstring> Expected;
  for (int I = 1; I <= 100; ++I) {
    const std::wstring N = (I < 10 ? L"00" : I < 100 ? L"0" : L"") + std::to_wstring(I);
    Expected.push_back(N + L". song " + N);
  }
  EXPECT_EQ(Export(Hundred, L"%123%. %artist%"), Lines(Expected));
  TExportOptionen O = Mit(L"%123%");
  O.Nullen = false;
  O.LeereWeg = false;
  const std::wstring Plain = ExportText(Hundred, O);
  EXPECT_TRUE(Plain.starts_with(L"1\r\n2\r\n")) << WideToAnsi(Plain.substr(0, 20));
  EXPECT_TRUE(Plain.ends_with(L"\r\n99\r\n100\r\n"));

  // Nine lines need one digit; the width comes from the lines that are left after the filter.
  TWideSongArray Twelve = Artists({L"a", L"b", L"c", L"d", L"e", L"f", L"g", L"h", L"i", L"x", L"y", L"z"});
  O = Mit(L"%123% %artist%");
  O.Filter = true;
  O.FilterText = L"x";
  O.FilterFelder[sfTitle] = true;  // the path holds no letter of a..i
  O.FilterFelder[sfPath] = true;
  for (int I = 0; I < 9; ++I) Twelve[I][sfPath] = L"C:\\x\\" + Twelve[I][sfArtist];
  EXPECT_EQ(ExportText(Twelve, O),
            Lines({L"1 a", L"2 b", L"3 c", L"4 d", L"5 e", L"6 f", L"7 g", L"8 h", L"9 i"}));
}

TEST(TxtExportBuild, EmptyLinesAndBareNumbersGoOnlyWhenAsked) {
  const TWideSongArray Three = Artists({L"a", L"b", L"c"});
  EXPECT_EQ(Export(Three, L""), L"");
  EXPECT_EQ(Export(Three, L"%123%"), L"");
  TExportOptionen O = Mit(L"%123%");
  O.LeereWeg = false;
  EXPECT_EQ(ExportText(Three, O), Lines({L"1", L"2", L"3"}));
  O.Format = L"";
  EXPECT_EQ(ExportText(Three, O), Lines({L"", L"", L""}));
  EXPECT_EQ(Export({}, L"%artist%"), L"");
  O.Html = true;
  EXPECT_EQ(ExportText({}, O), L"<table>\r\n</table>\r\n");
}

TEST(TxtExportBuild, TheFilterSearchesTheTickedFieldsWithoutCase) {
  const TWideSongArray Songs{Lied(L"ABBA", L"Waterloo"),
                             Lied(L"\u0391\u03B8\u03AE\u03BD\u03B1", L"Mamma Mia"),
                             Lied(L"Queen", L"Bohemian")};
  TExportOptionen O = Mit(L"%title%");
  O.FilterFelder[sfArtist] = O.FilterFelder[sfTitle] = true;
  O.FilterText = L"wat";
  EXPECT_EQ(ExportText(Songs, O), Lines({L"Bohemian", L"Mamma Mia", L"Waterloo"}));  // no filter yet
  O.Filter = true;
  EXPECT_EQ(ExportText(Songs, O), Lines({L"Waterloo"}));
  O.FilterText = L"\u03B8\u0389";  // Greek: upper-cased on both sides
  EXPECT_EQ(ExportText(Songs, O), Lines({L"Mamma Mia"}));
  O.FilterText = L"";
  EXPECT_EQ(ExportText(Songs, O), Lines({L"Bohemian", L"Mamma Mia", L"Waterloo"}));
  O.FilterText = L"a";
  O.FilterFelder = {};
  EXPECT_EQ(ExportText(Songs, O), L"");
  EXPECT_FALSE(PassesFilter(Songs[0], O));
}

TEST(TxtExportBuild, SearchAndReplaceIsCaseSensitiveAndReplacesEveryOccurrence) {
  const TWideSongArray Songs = Artists({L"Abba abba ABBA", L"Queen"});
  TExportOptionen O = Mit(L"%artist%");
  O.Ersetzen = true;
  O.Suchen = L"abba";
  O.ErsetzenDurch = L"x";
  EXPECT_EQ(ExportText(Songs, O), Lines({L"Abba x ABBA", L"Queen"}));
  O.Suchen = L"b";
  EXPECT_EQ(ExportText(Songs, O), Lines({L"Axxa axxa ABBA", L"Queen"}));
  O.Suchen = L"";  // never occurs
  EXPECT_EQ(ExportText(Songs, O), Lines({L"Abba abba ABBA", L"Queen"}));
  // Replacing happens before sorting.
  O.Suchen = L"Queen";
  O.ErsetzenDurch = L"AAA";
  EXPECT_EQ(ExportText(Songs, O), Lines({L"AAA", L"Abba abba ABBA"}));
}

TEST(TxtExportHtml, CellsAreEscapedAndPlaceholdersInFieldsSplitOrNumberAsTheFormats) {
  const TWideSongArray Songs{Lied(L"R&B <script>", L"\"Live\" > x"), Lied(L"%tab%", L"%123%")};
  TExportOptionen O = Mit(L"%123%%tab%%artist%%tab%%title%");
  O.Html = true;
  O.Sortieren = false;
  EXPECT_EQ(ExportText(Songs, O),
            L"<table>\r\n"
            L"<tr><td>1</td><td>R&amp;B &lt;script&gt;</td><td>&quot;Live&quot; &gt; x</td></tr>\r\n"
            L"<tr><td>2</td><td></td><td></td><td>2</td></tr>\r\n"
            L"</table>\r\n");
  // A song whose only text is the number's placeholder goes with the empty lines.
  O = Mit(L"%title%");
  EXPECT_EQ(ExportText(Songs, O), Lines({L"\"Live\" > x"}));
  O.LeereWeg = false;
  EXPECT_EQ(ExportText(Songs, O), Lines({L"\"Live\" > x", L"%123%"}));
  // Search and replacement texts work on every marker; numbers come only from a format that holds one.
  O = Mit(L"%artist%%tab%%title%");
  O.Sortieren = false;
  O.Ersetzen = true;
  O.Suchen = L"%tab%";
  O.ErsetzenDurch = L"/%123%/";
  EXPECT_EQ(ExportText(Songs, O), Lines({L"R&B <script>/%123%/\"Live\" > x", L"/%123%//%123%/%123%"}));
  O.Format += L" %123%";
  EXPECT_EQ(ExportText(Songs, O), Lines({L"R&B <script>/1/\"Live\" > x 1", L"/2//2/2 2"}));
  // Only what the fields bring is escaped: the format and the replacement are the user's markup, and
  // the search finds a field's "&" as typed.
  O = Mit(L"<b>%artist%</b>%tab%%title% & co");
  O.Html = true;
  O.Sortieren = false;
  const std::wstring Ende = L"<tr><td></td><td></td><td>%123% & co</td></tr>\r\n</table>\r\n";
  EXPECT_EQ(
      ExportText(Songs, O),
      L"<table>\r\n<tr><td><b>R&amp;B &lt;script&gt;</b></td><td>&quot;Live&quot; &gt; x & co</td></tr>\r\n"
      L"<tr><td><b></td><td></b></td><td>%123% & co</td></tr>\r\n</table>\r\n");
  O.Format = L"%artist%%tab%%title% & co";
  O.Ersetzen = true;
  O.Suchen = L"R&B <";
  O.ErsetzenDurch = L"<i>&</i>";
  EXPECT_EQ(
      ExportText(Songs, O),
      L"<table>\r\n<tr><td><i>&</i>script&gt;</td><td>&quot;Live&quot; &gt; x & co</td></tr>\r\n" + Ende);
}

// While lines are built, numbers and cells are two noncharacters of the export's own: the same
// characters in a tag, a file name or the format's text must neither number a line nor split it, also
// where they come after the first four characters, which are copied as a whole.
TEST(TxtExportHtml, TheBuildsOwnMarkersInTagsAndTextStayText) {
  const std::wstring Marken = L"\uFDD0\uFDD1";
  const TWideSongArray Songs{
      Lied(L"a" + Marken, L"titlex" + Marken, L"C:\\m" + Marken + L"\\f" + Marken + L".mp3")};
  TExportOptionen O = Mit(L"%123% %artist% %title% %filename% x" + Marken);
  const std::wstring Ersatz = L"\uFFFD\uFFFD";
  const std::wstring Zeile = L"1 a" + Ersatz + L" titlex" + Ersatz + L" f" + Ersatz + L".mp3 x" + Ersatz;
  EXPECT_EQ(ExportText(Songs, O), Zeile + L"\r\n");
  O.Html = true;
  EXPECT_EQ(ExportText(Songs, O), L"<table>\r\n<tr><td>" + Zeile + L"</td></tr>\r\n</table>\r\n");
}

// The export of a plain build, step by step: each song's line with its fields' own markers replaced by
// the marker characters, then search and replace, sort, empty lines, numbers and cells over whole lines.
const std::wstring Nr(1, MarkeNummer), Tb(1, MarkeTab);

std::wstring Ersetzt(const std::wstring& Text, const std::wstring& Alt, const std::wstring& Neu) {
  return WideStringReplaceAll(Text, Alt, Neu);
}

std::wstring Markiert(const std::wstring& Text) {
  const std::wstring Sauber = Ersetzt(Ersetzt(Text, Nr, L"\uFFFD"), Tb, L"\uFFFD");
  return Ersetzt(Ersetzt(Sauber, NummerText, Nr), TabText, Tb);
}

// A field of an HTML export: its HTML characters are the build's markers for them.
const std::wstring HtmlText[] = {L"&", L"<", L">", L"\""};
const std::wstring HtmlEntity[] = {L"&amp;", L"&lt;", L"&gt;", L"&quot;"};
std::wstring FeldText(const std::wstring& Text, bool Html) {
  std::wstring F = Markiert(Text);
  for (wchar_t M = MarkeUnd; Html && M <= MarkeAnfuehrung; ++M)
    F = Ersetzt(Ersetzt(F, std::wstring(1, M), L"\uFFFD"), HtmlText[M - MarkeUnd], std::wstring(1, M));
  return F;
}

std::wstring Klartext(std::wstring L) {
  for (wchar_t M = MarkeUnd; M <= MarkeAnfuehrung; ++M)
    L = Ersetzt(L, std::wstring(1, M), HtmlText[M - MarkeUnd]);
  return Ersetzt(Ersetzt(L, Nr, NummerText), Tb, TabText);
}

void SchlichtSortieren(std::vector<std::wstring>& Lines, bool Einmal) {
  std::vector<std::pair<std::string, std::wstring>> Keyed;
  for (const std::wstring& L : Lines) Keyed.emplace_back(Sortierschluessel(Klartext(L)), L);
  std::ranges::stable_sort(Keyed, {}, &std::pair<std::string, std::wstring>::first);
  if (Einmal)
    Keyed.erase(std::unique(Keyed.begin(), Keyed.end(),
                            [](const auto& A, const auto& B) { return A.first == B.first; }),
                Keyed.end());
  Lines.clear();
  for (const auto& K : Keyed) Lines.push_back(K.second);
}

std::wstring SchlichterExport(const TWideSongArray& Songs, const TExportOptionen& O) {
  const TExportFormat F = ParseFormat(O.Format);
  std::vector<std::wstring> Lines;
  for (const Song& S : Songs) {
    std::wstring Line;
    for (const int32_t C : F.Codes)
      Line += C == tcNummer      ? Nr
              : C == tcTab       ? Tb
              : C == tcDateiname ? FeldText(S[sfPath].substr(S[sfPath].find_last_of(L"\\:") + 1), O.Html)
              : C < tcDateiname  ? FeldText(S[C - 1], O.Html)
                                 : F.Stuecke[C - tcErstesStueck];
    Lines.push_back(Line);
  }
  if (O.DoppelteWeg) SchlichtSortieren(Lines, true);
  if (O.Ersetzen && !O.Suchen.empty())
    for (std::wstring& L : Lines) L = Ersetzt(L, Markiert(O.Suchen), Markiert(O.ErsetzenDurch));
  if (O.Sortieren) SchlichtSortieren(Lines, false);
  if (O.LeereWeg) std::erase_if(Lines, [](const std::wstring& L) { return L.empty() || L == Nr; });
  const bool Nummerieren = O.Format.find(NummerText) != std::wstring::npos;
  std::wstring Out = O.Html ? L"<table>\r\n" : L"";
  for (size_t I = 0; I < Lines.size(); ++I) {
    std::wstring N = std::to_wstring(I + 1);
    if (O.Nullen) N.insert(0, std::to_wstring(Lines.size()).size() - N.size(), L'0');
    std::wstring L = Ersetzt(Lines[I], Nr, Nummerieren ? N : NummerText);
    if (O.Html) {
      for (wchar_t M = MarkeUnd; M <= MarkeAnfuehrung; ++M)
        L = Ersetzt(L, std::wstring(1, M), HtmlEntity[M - MarkeUnd]);
      Out += L"<tr><td>" + Ersetzt(L, Tb, L"</td><td>") + L"</td></tr>\r\n";
    } else {
      Out += Ersetzt(L, Tb, TabText) + L"\r\n";
    }
  }
  return O.Html ? Out + L"</table>\r\n" : Out;
}

// The build copies four characters at a step, counts each line's length before writing it where the
// lines before it end, and sorts by levels learned from the lines' characters: placeholders in fields,
// whole or in part, at any place of those steps, must come out as a plain build gives them.
TEST(TxtExportBuild, PlaceholdersInFieldsComeOutAsAPlainBuildGivesThem) {
  const TWatchdog Watchdog(std::chrono::seconds(20));
  const std::vector<std::wstring> Teile{L"%123%", L"%tab%",     L"%12",       L"%tab", L"%%tab%%", L"%",
                                        L"3%",    L"ab",        L"AB",        L"Xyz",  L"\u00C4",  L"\uFDD1",
                                        L"123%",  L"%tab%123%", L"%123%tab%", L"&",    L"<b>",     L"\uFDD3"};
  std::mt19937 Zufall(4711);
  const auto Feld = [&] {
    std::wstring F(Zufall() % 4, L'a');  // placeholders at each place of a four-character word
    if (Zufall() % 3 == 0) return F + L"plain " + std::to_wstring(Zufall() % 50);
    for (unsigned N = Zufall() % 4; N > 0; --N) F += Teile[Zufall() % Teile.size()];
    return F;
  };
  TWideSongArray Songs(9000);  // more than one part of the build
  for (Song& S : Songs) {
    for (int F = 0; F < SongFieldCount; ++F) S[F] = Feld();
    S[sfPath] = L"C:\\" + Feld() + L"\\" + Feld();
  }
  const std::vector<std::wstring> Formate{L"%123%%tab%%artist%%tab%%title%", L"%artist%",
                                          L"%title%%album% - %filename%", L"%tab%%genre%%123%",
                                          L"%artist%%tab%%path%"};
  const std::vector<std::pair<std::wstring, std::wstring>> Ersetzungen{
      {L"%tab%", L"|"}, {L"b%", L"%123%"}, {L"%123%", L"<%tab%>"}};
  for (unsigned I = 0; I < 20; ++I) {
    TExportOptionen O = Mit(Formate[I % Formate.size()]);
    O.Html = I & 1;
    O.Nullen = I & 2;
    O.LeereWeg = I & 4;
    O.Sortieren = I & 8;
    O.DoppelteWeg = I % 3 == 0;
    O.Ersetzen = I % 4 != 0;
    std::tie(O.Suchen, O.ErsetzenDurch) = Ersetzungen[I % Ersetzungen.size()];
    const std::wstring Got = ExportText(Songs, O), Want = SchlichterExport(Songs, O);
    const size_t Ab = static_cast<size_t>(std::ranges::mismatch(Got, Want).in1 - Got.begin());
    EXPECT_TRUE(Got == Want) << "round " << I << " differs at " << Ab << ": "
                             << WideToAnsi(Got.substr(Ab > 40 ? Ab - 40 : 0, 80)) << " | expected "
                             << WideToAnsi(Want.substr(Ab > 40 ? Ab - 40 : 0, 80));
  }
}

TEST(TxtExportSave, PresetNamesAndAppendedExtensionsInBothLanguages) {
  EXPECT_EQ(ExportVorgabeName("de", false), L"Musikliste.txt");
  EXPECT_EQ(ExportVorgabeName("de", true), L"Musikliste.htm");
  EXPECT_EQ(ExportVorgabeName("en", false), L"Music List.txt");
  EXPECT_EQ(ExportVorgabeName("en", true), L"Music List.htm");
  EXPECT_EQ(ExportVorgabeName("xx", true), L"Music List.htm");
  const std::vector<std::tuple<std::wstring, bool, std::wstring>> Cases{
      {L"C:\\a\\liste", false, L"C:\\a\\liste.txt"}, {L"liste.TXT", false, L"liste.TXT.txt"},
      {L"a.txt.bmp", false, L"a.txt.bmp"},           {L"liste.gif", false, L"liste.gif"},
      {L"liste.JPEG", true, L"liste.JPEG"},          {L"a.txt", false, L"a.txt"},
      {L"liste.htm", false, L"liste.htm.txt"},       {L"liste", true, L"liste.htm"},
      {L"liste.html", true, L"liste.html"},          {L"a.htm.jpg", true, L"a.htm.jpg"},
      {L"\u6771\u4eac", true, L"\u6771\u4eac.htm"}};
  for (const auto& [Given, Html, Written] : Cases) EXPECT_EQ(ExportDateiName(Given, Html), Written);
  // A picture type of the dialog appends its own extension, unless the name ends in a picture's.
  const std::vector<std::tuple<std::wstring, int, std::wstring>> Pictures{
      {L"bild", dtBmp, L"bild.bmp"},   {L"bild", dtJpeg, L"bild.jpg"}, {L"bild", dtGif, L"bild.gif"},
      {L"a.txt", dtGif, L"a.txt.gif"}, {L"b.GIF", dtBmp, L"b.GIF"},    {L"c.jpeg", dtGif, L"c.jpeg"},
      {L"bild", dtText, L"bild.htm"}};
  for (const auto& [Given, Typ, Written] : Pictures) EXPECT_EQ(ExportDateiName(Given, true, Typ), Written);
}

TEST(TxtExportSave, BytesAndByteOrderMarkInEveryEncoding) {
  TempDir Dir;
  const std::vector<std::pair<int, Bytes>> Cases{{cpAnsi, B("ab\r\n", 4)},
                                                 {cpUTF7, B("+/v8-ab\r\n", 9)},
                                                 {cpUTF7NoSignature, B("ab\r\n", 4)},
                                                 {cpUTF8, B("\xEF\xBB\xBF"
                                                            "ab\r\n",
                                                            7)},
                                                 {cpUTF16LE, B("\xFF\xFE"
                                                               "a\0b\0\r\0\n\0",
                                                               10)},
                                                 {cpUTF16BE, B("\xFE\xFF"
                                                               "\0a\0b\0\r\0\n",
                                                               10)},
                                                 {cpUTF32LE, B("\xFF\xFE\0\0"
                                                               "a\0\0\0b\0\0\0\r\0\0\0\n\0\0\0",
                                                               20)},
                                                 {cpUTF32BE, B("\0\0\xFE\xFF"
                                                               "\0\0\0a\0\0\0b\0\0\0\r\0\0\0\n",
                                                               20)}};
  for (const auto& [CodePage, Expected] : Cases) {
    const std::wstring File = Dir.File(L"e" + std::to_wstring(CodePage) + L".txt");
    ExportSpeichern(L"ab\r\n", File, CodePage);
    EXPECT_EQ(ReadBytes(File), Expected) << CodePage;
  }
  // A non-ANSI name, and Unicode text that reads back.
  const std::wstring Text = L"\u0391\u03B8\u03AE\u03BD\u03B1 \u6771\u4eac \U0001F3B5\r\n";
  const std::wstring File = Dir.File(L"\u041F\u0435\u0441\u043D\u0438.txt");
  for (const int CodePage : {cpUTF7, cpUTF8, cpUTF16LE, cpUTF16BE, cpUTF32LE, cpUTF32BE}) {
    ExportSpeichern(Text, File, CodePage);
    std::wstring Read;
    WideLoadTextFile(File, Read);
    EXPECT_EQ(Read, Text) << CodePage;
  }
}

TEST(TxtExportSave, AnHtmlExportIsWrittenAsItIsWithItsEncodingsMark) {
  TempDir Dir;
  const std::wstring Table = L"<table>\r\n</table>\r\n";
  ExportSpeichern(Table, Dir.File(L"a.htm"), cpUTF8);
  const std::string Utf8 = "\xEF\xBB\xBF<table>\r\n</table>\r\n";
  EXPECT_EQ(ReadBytes(Dir.File(L"a.htm")), Bytes(Utf8.begin(), Utf8.end()));
  std::wstring Read;
  ExportSpeichern(Table, Dir.File(L"b.HTML"), cpUTF16BE);
  WideLoadTextFile(Dir.File(L"b.HTML"), Read);
  EXPECT_EQ(Read, Table);
  ExportSpeichern(Table, Dir.File(L"c.htm"), cpAnsi);
  EXPECT_EQ(ReadBytes(Dir.File(L"c.htm")), Bytes(Utf8.begin() + 3, Utf8.end()));
}

TEST(TxtExportSave, APictureNameWritesThePictureOfItsExtension) {
  TempDir Dir;
  const std::vector<std::pair<const wchar_t*, std::string>> Cases{{L"liste.txt.bmp", "BM"},
                                                                  {L"liste.Jpg", "\xFF\xD8"},
                                                                  {L"liste.GIF", "GIF8"},
                                                                  {L"liste.jpeg", "\xFF\xD8"}};
  for (const auto& [Name, Signature] : Cases) {
    ExportSpeichern(L"x\r\n", Dir.File(Name), cpUTF8);
    const Bytes Written = ReadBytes(Dir.File(Name));
    ASSERT_GE(Written.size(), Signature.size()) << WideToAnsi(Name);
    EXPECT_EQ(std::string(Written.begin(), Written.begin() + Signature.size()), Signature)
        << WideToAnsi(Name);
  }
}

}  // namespace
