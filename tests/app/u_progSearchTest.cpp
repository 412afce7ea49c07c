// The search: the filter over the chosen columns in every mode, the search panel, the options window
// kept equal to the panel, and the searches for songs like a chosen or the playing one.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/u_funktionen.h"
#include "app/u_suchopt.h"
#include "regex/WideRegex.h"
#include "tests/app/ProgFixture.h"
#include "tests/support/Idle.h"

namespace {

// A click of the user on a button, check box or radio button.
void Klick(TButtonControl* C) {
  C->Perform(CN_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0);
}

constexpr std::array<bool, SongFieldCount> Standard{true, true, false, true, false, false, false, false};

TWideSongArray Liste() {
  return {
      {L"ABBA", L"Waterloo", L"2:42", L"Waterloo", L"1", L"1974", L"Pop", L"D:\\Musik\\A\\x.mp3"},
      {L"Queen", L"Bohemian Rhapsody", L"5:55", L"A Night at the Opera", L"11", L"1975", L"Rock",
       L"D:\\Musik\\A\\sub\\q.mp3"},
      {L"xyz band", L"abba tribute", L"1:00:00", L"", L"", L"", L"", L"D:\\Other\\(t).mp3"},
      {L"\u00C4rzte", L"Schrei nach Liebe", L"4:14", L"Die Bestie", L"3", L"1993", L"Punk", L"E:\\a.mp3"},
  };
}

TSuchOptionen Optionen(TSuchModus Modus = smGanz) {
  TSuchOptionen O;
  O.Spalten = Standard;
  O.Modus = Modus;
  return O;
}

TEST(SuchenFinden, TheHaystackJoinsTheTickedFieldsByLineBreaks) {
  std::array<bool, SongFieldCount> Spalten{};
  EXPECT_EQ(SuchText(Liste()[0], Spalten), L"\r\n");
  Spalten[sfArtist] = Spalten[sfTitle] = true;
  EXPECT_EQ(SuchText(Liste()[0], Spalten), L"\r\nABBA\r\nWaterloo\r\n");
}

// The kept haystacks of a list long enough to be made in parts side by side: each song's as its own
// haystack, upper-cased as the platform folds it unless the search is case-sensitive, whatever letters,
// signs and characters of other scripts or of two code units stand at the ends of runs of eight.
TEST(SuchenFinden, KeptHaystacksAreEachSongsFoldedAsThePlatformFolds) {
  std::wstring Zeichen = L"\u00DF\u00E4\u00FF\u03B1\u0436\u0131\u6771\U0001D41A\U00010428";
  for (wchar_t C = 1; C < 0x80; ++C) Zeichen += C;
  unsigned Zufall = 7;
  const auto Naechste = [&Zufall](size_t Bis) {
    Zufall = Zufall * 1103515245u + 12345u;
    return (Zufall >> 16) % Bis;
  };
  TWideSongArray Songs(12000);
  for (Song& S : Songs)
    for (std::wstring& Feld : S)
      for (size_t Laenge = Naechste(23); Feld.size() < Laenge;) Feld += Zeichen[Naechste(Zeichen.size())];
  for (const bool GrossKlein : {false, true}) {
    TSuchOptionen O;
    O.Spalten = {true, true, true, true, true, true, true, true};
    O.GrossKlein = GrossKlein;
    const TSuchTexte Texte(Songs, O);
    ASSERT_EQ(Texte.Anzahl(), Songs.size());
    size_t Falsch = 0;
    for (size_t I = 0; I < Songs.size(); ++I) {
      std::wstring Erwartet = SuchText(Songs[I], O.Spalten);
      if (!GrossKlein) CharUpperBuffW(Erwartet.data(), static_cast<DWORD>(Erwartet.size()));
      Falsch += Texte.Heu(I) != Erwartet;
    }
    EXPECT_EQ(Falsch, 0u) << GrossKlein;
    EXPECT_EQ(Texte.Ende(Songs.size() - 1), Texte.Alles().size());
  }
}

TEST(SuchenFinden, EveryModeAndSwitch) {
  const auto Mit = [](TSuchOptionen O, auto Aendern) {
    Aendern(O);
    return O;
  };
  const auto Exakt = [](TSuchOptionen& O) { O.Exakt = true; };
  const auto Invers = [](TSuchOptionen& O) { O.Invers = true; };
  const auto Gross = [](TSuchOptionen& O) { O.GrossKlein = true; };
  const auto RegEx = [](TSuchOptionen& O) { O.RegEx = true; };
  const auto Werk = [](TSuchOptionen& O) {
    O.Spalten = {true, true, false, false, false, false, false, false};
  };
  const auto Keine = [](TSuchOptionen& O) { O.Spalten = {}; };
  const auto NurPfad = [](TSuchOptionen& O) {
    O.Spalten = {false, false, false, false, false, false, false, true};
  };
  struct {
    const wchar_t* Text;
    TSuchOptionen O;
    std::vector<size_t> Treffer;
  } const Cases[] = {
      {L"loo", Optionen(), {0}},
      {L"ABBA Waterloo", Optionen(), {}},  // the fields are apart by a line break, not a blank
      {L"abba", Optionen(), {0, 2}},
      {L"Waterloo\r\n\r\nQueen", Optionen(), {}},  // a term never runs on from one song into the next
      {L"\u00E4rzte", Optionen(), {3}},            // upper-casing folds beyond ASCII
      {L"waterloo", Mit(Optionen(), Exakt), {0}},
      {L"waterlo", Mit(Optionen(), Exakt), {}},
      {L"abba", Mit(Optionen(), Exakt), {0}},
      {L"abba", Mit(Optionen(), Gross), {2}},
      {L"ABBA", Mit(Optionen(), Gross), {0}},
      {L"Waterloo", Mit(Mit(Optionen(), Gross), Exakt), {0}},
      {L"waterloo", Mit(Mit(Optionen(), Gross), Exakt), {}},
      {L"abba", Mit(Optionen(), Invers), {1, 3}},
      {L"abba xyz", Optionen(smOder), {0, 2}},
      {L"abba xyz", Optionen(smUnd), {2}},
      {L"abba xyz", Mit(Optionen(smUnd), Invers), {0, 1, 3}},
      {L"abba xyz", Mit(Optionen(smOder), Invers), {1, 3}},
      // Blanks in a row or at either end make empty words, found nowhere unless exact, where they find an
      // empty column.
      {L"  abba   xyz ", Optionen(smUnd), {}},
      {L"abba ", Optionen(smUnd), {}},
      {L"abba ", Mit(Optionen(smUnd), Invers), {0, 1, 2, 3}},
      {L" queen", Optionen(smOder), {1}},
      {L"   ", Optionen(smUnd), {}},
      {L"queen ", Mit(Optionen(smOder), Exakt), {1, 2}},
      {L"waterloo queen", Mit(Optionen(smOder), Exakt), {0, 1}},
      {L"Queen Rock", Mit(Mit(Optionen(smUnd), Exakt), [](TSuchOptionen& O) { O.Spalten.fill(true); }), {1}},
      {L"a", Mit(Optionen(), Keine), {}},
      {L"a", Mit(Mit(Optionen(), Keine), Invers), {0, 1, 2, 3}},
      {L"D:\\Musik\\A\\", Mit(Optionen(), NurPfad), {0, 1}},
      // Patterns: multi-line and case-insensitive unless "(?-i)" stands first.
      {L"a.*", Mit(Mit(Mit(Optionen(), RegEx), Exakt), Werk), {0, 2}},
      {L"a.*", Mit(Mit(Mit(Mit(Optionen(), RegEx), Exakt), Gross), Werk), {2}},
      {L"wat.rloo", Mit(Optionen(), RegEx), {0}},
      {L"(", Mit(Optionen(), RegEx), {}},
      {L"(", Mit(Mit(Optionen(), RegEx), Invers), {0, 1, 2, 3}},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(SongsFinden(Liste(), Case.Text, Case.O), Case.Treffer) << testing::PrintToString(Case.Text);
}

TEST(SuchenFinden, TheExactTermFindsAWholeFieldOfEachColumn) {
  for (int F = 0; F < SongFieldCount; ++F) {
    TSuchOptionen O = Optionen();
    O.Exakt = true;
    O.Spalten = {};
    O.Spalten[F] = true;
    EXPECT_EQ(SongsFinden(Liste(), Liste()[1][F], O), std::vector<size_t>{1}) << F;
    // A part of the field is not the whole field.
    const std::vector<size_t> Teil = SongsFinden(Liste(), Liste()[1][F].substr(1), O);
    EXPECT_EQ(std::count(Teil.begin(), Teil.end(), 1u), 0) << F;
  }
}

TEST(SuchenFinden, AMaskedTextIsSearchedAsItStands) {
  EXPECT_EQ(RegexMaskieren(L"a\\b(c).d"), L"a\\\\b\\(c\\)\\.d");
  TSuchOptionen O = Optionen();
  O.RegEx = true;
  O.Spalten = {false, false, false, false, false, false, false, true};
  for (const wchar_t* Text : {L"D:\\Other\\(t).mp3", L"D:\\Musik\\A\\", L"^$.|?*+()[]{}"})
    EXPECT_EQ(SongsFinden(Liste(), RegexMaskieren(Text), O), SongsFinden(Liste(), Text,
                                                                         [&] {
                                                                           TSuchOptionen P = O;
                                                                           P.RegEx = false;
                                                                           return P;
                                                                         }()))
        << testing::PrintToString(Text);
}

// ---------------------------------------------------------------------------------------------
// The window

class ProgSearch : public TProgFixture {
 protected:
  void SetUp() override {
    TProgFixture::SetUp();
    AlleSongs = Liste();
    prog->ListeAktualisieren();
  }
  static void Suche(const std::string& Text) {
    prog->suchwort->SetText(AnsiToWide(Text));
    prog->SuchenClick(prog->Suchen);
  }
  static std::vector<std::wstring> Kuenstler() {
    std::vector<std::wstring> Result;
    for (const Song& S : AngezeigteSongs()) Result.push_back(S[sfArtist]);
    return Result;
  }
  // The fourteen switches of both windows, in pairs.
  static std::vector<std::pair<TButtonControl*, TButtonControl*>> Paare() {
    return {{prog->s_interpret, suchopt->s_interpret},
            {prog->s_titel, suchopt->s_titel},
            {prog->s_laenge, suchopt->s_laenge},
            {prog->s_album, suchopt->s_album},
            {prog->s_track, suchopt->s_track},
            {prog->s_jahr, suchopt->s_jahr},
            {prog->s_genre, suchopt->s_genre},
            {prog->s_datei, suchopt->s_datei},
            {prog->s_grkl, suchopt->s_grkl},
            {prog->s_strexakt, suchopt->s_exakt},
            {prog->s_invers, suchopt->s_invers},
            {prog->s_ganz, suchopt->s_ganz},
            {prog->s_und, suchopt->s_und},
            {prog->s_oder, suchopt->s_oder}};
  }
  static bool An(TButtonControl* C) {
    if (auto* Box = dynamic_cast<TCheckBox*>(C)) return Box->Checked();
    return static_cast<TRadioButton*>(C)->Checked();
  }
  // Both windows' switches, as one string of 0 and 1 each.
  static std::pair<std::string, std::string> Schalter() {
    std::pair<std::string, std::string> Result;
    for (const auto& [Haupt, Opt] : Paare()) {
      Result.first += An(Haupt) ? '1' : '0';
      Result.second += An(Opt) ? '1' : '0';
    }
    return Result;
  }
  static const inline std::string StandardSchalter = "11010000000100";
};

TEST_F(ProgSearch, ASearchFiltersShowsTheCountAndForgetsTheQueuedSong) {
  NaechsterTitel = L"C:\\next.mp3";
  Suche("abba");
  EXPECT_TRUE(IstGefiltert);
  EXPECT_EQ(Kuenstler(), (std::vector<std::wstring>{L"ABBA", L"xyz band"}));
  EXPECT_EQ(prog->lv->Items()->Count(), 2);
  EXPECT_EQ(prog->status->Caption(), L"2 Dateien gefunden (1h 2min 42sec)");
  EXPECT_TRUE(NaechsterTitel.empty());

  NaechsterTitel = L"C:\\next.mp3";
  start->spr->SetCaption("en");
  Suche("nothing");
  EXPECT_TRUE(IstGefiltert);
  EXPECT_EQ(prog->lv->Items()->Count(), 0);
  EXPECT_EQ(prog->status->Caption(), L"0 Files Found ");
  EXPECT_TRUE(NaechsterTitel.empty());
  start->spr->SetCaption("de");

  // An empty text ends the filter.
  Suche("");
  EXPECT_FALSE(IstGefiltert);
  EXPECT_EQ(prog->lv->Items()->Count(), 4);
  EXPECT_EQ(prog->status->Caption().substr(0, 18), L"4 Dateien geladen ");
}

// A list long enough to be searched and copied in parts side by side: the finds in song order in every
// plain mode, as its pieces give them; in the window the result and its play time are right whether its
// strings are made anew or copied over those of an older result, longer or shorter.
TEST_F(ProgSearch, ALongListIsSearchedInPartsAsItsPiecesAre) {
  const TWideSongArray Kurz = Liste();
  TWideSongArray Lang;
  for (size_t I = 0; I < 20000; ++I) {
    Lang.push_back(Kurz[I % Kurz.size()]);
    Lang.back()[sfPath] += std::to_wstring(I);
  }
  const auto Erwartet = [&](const std::wstring& Text, const TSuchOptionen& O) {
    const std::vector<size_t> Stueck = SongsFinden(Kurz, Text, O);
    std::vector<size_t> Alle;
    for (size_t I = 0; I < Lang.size(); ++I)
      if (std::ranges::count(Stueck, I % Kurz.size()) > 0) Alle.push_back(I);
    return Alle;
  };
  for (const TSuchModus Modus : {smGanz, smUnd, smOder})
    for (const bool Invers : {false, true}) {
      TSuchOptionen O = Optionen(Modus);
      O.Invers = Invers;
      for (const wchar_t* Text : {L"abba", L"abba waterloo", L"queen \u00E4rzte"})
        EXPECT_EQ(SongsFinden(Lang, Text, O), Erwartet(Text, O)) << Modus << Invers << WideToAnsi(Text);
    }

  AlleSongs = Lang;
  prog->ListeAktualisieren();
  for (const std::string Text : {"abba", "rhapsody", "abba"}) {
    Suche(Text);
    TWideSongArray Gefunden;
    for (const size_t I : Erwartet(AnsiToWide(Text), Optionen())) Gefunden.push_back(Lang[I]);
    EXPECT_EQ(SuchErgebnis, Gefunden) << Text;
    EXPECT_EQ(prog->status->Caption(),
              std::to_wstring(Gefunden.size()) + L" Dateien gefunden " + AnsiToWide(PlayTimeText(Gefunden)));
    prog->mp5Click(prog);
  }
}

// After songs grow, shrink, move, go and come, every result is the songs as they are, copied from the
// last result's room; a pattern's, searched in rounds side by side, is what one pattern object finds song
// by song.
TEST_F(ProgSearch, ResultEqualsThePlainSearchAsTheListChanges) {
  for (size_t I = 0; I < 20000; ++I) {
    AlleSongs.push_back(Liste()[I % 4]);
    AlleSongs.back()[sfPath] += std::to_wstring(I);
  }
  prog->ListeAktualisieren();
  prog->msucheClick(prog);
  ASSERT_TRUE(RunUntilIdle());
  const auto Pruefen = [](const std::string& Text, const std::string& Schritt) {
    Suche(Text);
    TWideSongArray Gefunden;
    for (const size_t I : SongsFinden(AlleSongs, AnsiToWide(Text), Optionen()))
      Gefunden.push_back(AlleSongs[I]);
    ASSERT_EQ(SuchErgebnis, Gefunden) << Schritt << " " << Text;
  };
  const auto Aendern = [&Pruefen](const std::string& Schritt, const auto& Aenderung) {
    prog->AlleClick(prog);
    Aenderung();
    prog->ListeAktualisieren();
    for (const std::string Text : {"a", "rhapsody", "abba", "a"}) Pruefen(Text, Schritt);
  };
  Aendern("as made", [] {});
  Aendern("longer", [] {
    for (size_t I = 0; I < AlleSongs.size(); I += 3)
      AlleSongs[I][sfTitle] += L" (live at the Royal Albert Hall)";
  });
  Aendern("shorter", [] {
    for (size_t I = 1; I < AlleSongs.size(); I += 3) AlleSongs[I][sfPath] = L"x";
  });
  Aendern("moved", [] { std::ranges::reverse(AlleSongs); });
  Aendern("gone", [] { AlleSongs.resize(7000); });
  ASSERT_TRUE(RunUntilIdle());
  Aendern("more", [] { AlleSongs.insert(AlleSongs.begin(), AlleSongs.begin(), AlleSongs.end()); });
  prog->regexsuche->SetChecked(true);
  for (const bool Invers : {false, true}) {
    prog->s_invers->SetChecked(Invers);
    for (const std::string Text : {"a.*y", "^(ab|qu)", "(", "rhap|Albert"}) {
      Suche(Text);
      TWideRegex Regex;
      Regex.SetExpression(AnsiToWide(Text));
      TWideSongArray Gefunden;
      for (const Song& S : AlleSongs)
        if (Regex.Exec(SuchText(S, Standard)) != Invers) Gefunden.push_back(S);
      ASSERT_EQ(SuchErgebnis, Gefunden) << Invers << " " << Text;
    }
  }
}

TEST_F(ProgSearch, EnterInTheSearchFieldSearchesOnceAndInsertsNothing) {
  prog->suchwort->SetText(L"queen");
  char Key = 'q';
  prog->suchwort->OnKeyPress(prog->suchwort, Key);
  EXPECT_EQ(Key, 'q');
  EXPECT_FALSE(IstGefiltert);
  Key = 13;
  NaechsterTitel = L"x";
  prog->suchwort->OnKeyPress(prog->suchwort, Key);
  EXPECT_EQ(Key, 0);
  EXPECT_EQ(Kuenstler(), std::vector<std::wstring>{L"Queen"});
}

TEST_F(ProgSearch, TheSearchRunsOverAllSongsAndAgainAtEachRefresh) {
  Suche("a");
  ASSERT_EQ(AngezeigteSongs().size(), 4u);
  SelectRows({0, 1});
  prog->p4Click(prog);
  EXPECT_EQ(AngezeigteSongs().size(), 2u);
  // A new search starts from the whole playlist, not from the rows left in the result.
  Suche("a");
  EXPECT_EQ(AngezeigteSongs().size(), 4u);

  AlleSongs.push_back({L"Abba Cover", L"", L"0:10", L"", L"", L"", L"", L"C:\\c.mp3"});
  Suche("abba");
  AlleSongs.push_back({L"More Abba", L"", L"0:10", L"", L"", L"", L"", L"C:\\m.mp3"});
  prog->ListeAktualisieren();
  EXPECT_EQ(Kuenstler(), (std::vector<std::wstring>{L"ABBA", L"xyz band", L"Abba Cover", L"More Abba"}));
  EXPECT_EQ(prog->lv->Items()->Count(), 4);
  EXPECT_EQ(prog->status->Caption().substr(0, 18), L"4 Dateien geladen ");
}

// The haystacks are kept from one search to the next: after every change of the songs, and of the
// switches, the next search must still see the songs as they are.
TEST_F(ProgSearch, KeptHaystacksFollowEveryChangeOfSongsAndSwitches) {
  using TNamen = std::vector<std::wstring>;
  Suche("abba");
  EXPECT_EQ(Kuenstler(), (TNamen{L"ABBA", L"xyz band"}));
  // Editing, as any window does it: the change, then the list refresh (which searches again).
  AlleSongs[1][sfTitle] = L"Abba Medley";
  prog->ListeAktualisieren();
  EXPECT_EQ(Kuenstler(), (TNamen{L"ABBA", L"Queen", L"xyz band"}));
  // Sorting the whole list by artist: the result follows the new order.
  prog->AlleClick(prog);
  prog->lvColumnClick(prog->lv, prog->lv->Columns()->Items(1));
  ASSERT_EQ(AlleSongs[1][sfArtist], L"\u00C4rzte");
  Suche("abba");
  EXPECT_EQ(Kuenstler(), (TNamen{L"ABBA", L"Queen", L"xyz band"}));
  // Deleting a row of the whole list.
  prog->AlleClick(prog);
  SelectRows({0});
  prog->p4Click(prog);
  Suche("abba");
  EXPECT_EQ(Kuenstler(), (TNamen{L"Queen", L"xyz band"}));
  // The switches: without the title column only artist and album are searched.
  Klick(prog->s_titel);
  Suche("abba");
  EXPECT_TRUE(Kuenstler().empty());
  Klick(prog->s_titel);
  // Adding a folder.
  Suche("first");
  EXPECT_TRUE(Kuenstler().empty());
  prog->OrdnerHinzufuegen(Fixture(L"songs"));
  Suche("first");
  EXPECT_EQ(Kuenstler(), TNamen{L"Alpha"});
  // Loading a playlist in place of the songs, as the load command does, with the refresh after it.
  WritePlaylist(L"neu.vlm", {L"C:\\first.mp3"});
  PlaylistLaden(Dir.File(L"neu.vlm"), true);
  prog->ListeAktualisieren();
  Suche("first");
  EXPECT_TRUE(Kuenstler().empty());
  Suche("t");
  EXPECT_EQ(Kuenstler(), TNamen{L"a"});
}

// With the search field shown the search texts are made at an idle moment, before the search: a search
// after a later change of the songs or the switches must not find them as they were.
TEST_F(ProgSearch, SearchTextsMadeWhileIdleFollowLaterChanges) {
  using TNamen = std::vector<std::wstring>;
  prog->msucheClick(prog);
  ASSERT_TRUE(prog->pa_suche->Visible());
  ASSERT_TRUE(RunUntilIdle());
  Suche("abba");
  EXPECT_EQ(Kuenstler(), (TNamen{L"ABBA", L"xyz band"}));
  prog->AlleClick(prog);
  ASSERT_TRUE(RunUntilIdle());
  AlleSongs[1][sfTitle] = L"Abba Medley";  // as many songs as before
  prog->ListeAktualisieren();
  ASSERT_TRUE(RunUntilIdle());
  Suche("abba");
  EXPECT_EQ(Kuenstler(), (TNamen{L"ABBA", L"Queen", L"xyz band"}));
  Klick(prog->s_titel);  // without the title column only artist and album are searched
  Suche("abba");
  EXPECT_EQ(Kuenstler(), TNamen{L"ABBA"});
  ASSERT_TRUE(RunUntilIdle());
  Klick(prog->s_titel);
  Suche("abba");
  EXPECT_EQ(Kuenstler(), (TNamen{L"ABBA", L"Queen", L"xyz band"}));
}

TEST_F(ProgSearch, TheSwitchesOfBothWindowsMirrorEachOtherAndTheStandardResetsAll) {
  EXPECT_EQ(Schalter(), std::make_pair(StandardSchalter, StandardSchalter));
  const auto Paar = Paare();
  for (size_t I = 0; I < Paar.size(); ++I) {
    for (const bool VomPanel : {true, false}) {
      TButtonControl* Geklickt = VomPanel ? Paar[I].first : Paar[I].second;
      Klick(Geklickt);
      const auto [Haupt, Opt] = Schalter();
      EXPECT_EQ(Haupt, Opt) << I << VomPanel;
      // Every click changes a switch, except one on the radio button that is already on.
      if (Paar[I].first != prog->s_ganz) {
        EXPECT_NE(Haupt, StandardSchalter) << I << VomPanel;
      }
      Klick(suchopt->Standard);
      EXPECT_EQ(Schalter(), std::make_pair(StandardSchalter, StandardSchalter)) << I << VomPanel;
    }
  }
  // The search reads the changed columns.
  Klick(suchopt->s_datei);
  Suche("musik\\a\\sub");
  EXPECT_EQ(Kuenstler(), std::vector<std::wstring>{L"Queen"});

  Klick(prog->sp_rballes);
  EXPECT_EQ(Schalter().second, "11111111000100");
  Klick(prog->sp_rbnix);
  EXPECT_EQ(Schalter().second, "00000000000100");
  Klick(prog->s_und);
  Klick(prog->sp_rbstandard);
  EXPECT_EQ(Schalter(), std::make_pair(StandardSchalter, StandardSchalter));
}

// What the thread takes from its queue while the search runs.
bool Suchend = false;
std::vector<UINT> WaehrendDerSuche;

LRESULT CALLBACK Abgeholt(int Code, WPARAM W, LPARAM L) {
  if (Code == HC_ACTION && Suchend) WaehrendDerSuche.push_back(reinterpret_cast<const MSG*>(L)->message);
  return CallNextHookEx(nullptr, Code, W, L);
}

// A pattern that spends the matcher's whole step budget on every song keeps the search busy for far longer
// than a repaint may wait; the window is painted meanwhile, and input waits for the result.
TEST_F(ProgSearch, ALongPatternSearchPaintsTheWindowAndLeavesInputWaiting) {
  Song Lang;
  Lang[sfArtist] = L"y" + std::wstring(30, L'x');
  AlleSongs.assign(260, Lang);
  prog->ListeAktualisieren();
  prog->Show();
  prog->regexsuche->SetChecked(true);
  Application->ProcessMessages();
  InvalidateRect(prog->Handle(), nullptr, TRUE);
  PostMessageA(prog->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  const HHOOK Hook = SetWindowsHookExA(WH_GETMESSAGE, Abgeholt, nullptr, GetCurrentThreadId());
  Suchend = true;
  Suche("(x+x+)+\\1y");
  Suchend = false;
  UnhookWindowsHookEx(Hook);
  EXPECT_FALSE(WaehrendDerSuche.empty());
  EXPECT_EQ(std::count(WaehrendDerSuche.begin(), WaehrendDerSuche.end(), WM_PAINT), WaehrendDerSuche.size());
  EXPECT_TRUE(AngezeigteSongs().empty());
  MSG Msg;
  EXPECT_TRUE(PeekMessageA(&Msg, prog->Handle(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
}

TEST_F(ProgSearch, MenuAndPanelCommands) {
  prog->Show();
  prog->msuche->Click();
  EXPECT_TRUE(prog->msuche->Checked());
  EXPECT_TRUE(prog->pa_suche->Visible());
  Suche("queen");
  prog->msuche->Click();
  EXPECT_FALSE(prog->pa_suche->Visible());
  EXPECT_FALSE(IstGefiltert);
  EXPECT_EQ(prog->lv->Items()->Count(), 4);

  Klick(prog->Opt);
  EXPECT_TRUE(prog->suchoptpanel->Checked());
  EXPECT_TRUE(prog->pa_suchopt->Visible());
  EXPECT_TRUE(prog->pa_suche->Visible());
  EXPECT_TRUE(prog->msuche->Checked());
  prog->suchoptpanel->Click();
  EXPECT_FALSE(prog->pa_suchopt->Visible());
  EXPECT_TRUE(prog->pa_suche->Visible());

  prog->m_regexsuche->Click();
  EXPECT_TRUE(prog->regexsuche->Checked());
  Klick(prog->regexsuche);
  EXPECT_FALSE(prog->m_regexsuche->Checked());

  // Closing the options window brings the search panel back.
  prog->msuche->Click();
  prog->Suchoptionen1->Click();
  EXPECT_TRUE(suchopt->Visible());
  Klick(suchopt->OK);
  EXPECT_FALSE(suchopt->Visible());
  EXPECT_TRUE(prog->pa_suche->Visible());
  EXPECT_TRUE(prog->msuche->Checked());
}

TEST_F(ProgSearch, TheOptionsWindowSpeaksTheSplashWindowsLanguage) {
  start->spr->SetCaption("en");
  suchopt->LocalSpr();
  EXPECT_EQ(suchopt->Caption(), "Search Options");
  EXPECT_EQ(suchopt->s_oder->Caption(), L"OR-Relation betwenn individual Words");
  EXPECT_EQ(suchopt->gb1->Caption(), L"Search these Columns:");
  start->spr->SetCaption("fr");
  suchopt->LocalSpr();
  EXPECT_EQ(suchopt->s_datei->Caption(), L"File");
  start->spr->SetCaption("de");
  suchopt->LocalSpr();
  EXPECT_EQ(suchopt->s_grkl->Caption(), L"Gro\xDF- und Kleinschreibung beachten");
  EXPECT_EQ(suchopt->s_datei->Caption(), L"Dateiname und Pfad");
  EXPECT_EQ(suchopt->s_genre->Caption(), L"Genre");
}

TEST_F(ProgSearch, SongsLikeTheSelectedRowThenTheSwitchesComeBack) {
  prog->Show();
  Klick(prog->s_invers);
  Klick(prog->s_oder);
  const auto Vorher = Schalter();
  struct {
    int Zeile;
    void (Tprog::*Befehl)(TObject*);
    const char* Suchwort;
    std::vector<std::wstring> Kuenstler;
  } const Cases[] = {
      {0, &Tprog::pss0Click, "ABBA", {L"ABBA"}},  // exact: "abba tribute" is not found
      {0, &Tprog::pss1Click, "Waterloo", {L"ABBA"}},
      {1, &Tprog::pss2Click, "5:55", {L"Queen"}},
      {2, &Tprog::pss2Click, "1:00:00", {L"xyz band"}},
      {1, &Tprog::pss3Click, "A Night at the Opera", {L"Queen"}},
      {3, &Tprog::pss4Click, "3", {L"\xC4rzte"}},
      {1, &Tprog::pss5Click, "1975", {L"Queen"}},
      {0, &Tprog::pss6Click, "Pop", {L"ABBA"}},
      {0, &Tprog::pss7Click, "D:\\Musik\\A\\", {L"ABBA", L"Queen"}},  // sub-folders too
  };
  for (const auto& Case : Cases) {
    prog->AlleClick(prog->Alle);
    SelectRows({Case.Zeile});
    (prog->*Case.Befehl)(prog);
    EXPECT_EQ(prog->suchwort->Text(), AnsiToWide(Case.Suchwort));
    EXPECT_EQ(Kuenstler(), Case.Kuenstler) << Case.Suchwort;
    EXPECT_EQ(AktIndex, Case.Zeile);
    EXPECT_TRUE(prog->pa_suche->Visible());
    EXPECT_EQ(Schalter(), Vorher) << Case.Suchwort;
  }

  // Without a selected row nothing is searched.
  prog->AlleClick(prog->Alle);
  prog->suchwort->SetText(L"");
  prog->pss0Click(prog);
  EXPECT_FALSE(IstGefiltert);
  EXPECT_EQ(Schalter(), Vorher);

  // With pattern search on, the preset text is masked.
  prog->regexsuche->SetChecked(true);
  SelectRows({2});
  prog->pss7Click(prog);
  EXPECT_EQ(prog->suchwort->Text(), L"D:\\\\Other\\\\");
  EXPECT_EQ(Kuenstler(), std::vector<std::wstring>{L"xyz band"});
}

TEST_F(ProgSearch, SongsLikeThePlayingOneTakeTheFieldsOfItsPlaylistRecord) {
  prog->Show();
  // Without a song loaded nothing is searched.
  prog->akp5Click(prog);
  EXPECT_FALSE(IstGefiltert);
  EXPECT_EQ(Schalter(), std::make_pair(StandardSchalter, StandardSchalter));

  const std::wstring Datei = CopyFixture(L"short\\s1.mp3", L"s1.mp3");
  // The record differs from the tags: an artist taken from the file name and a length of over an hour.
  AlleSongs.push_back({L"Band", L"Song", L"1:15:03", L"", L"", L"", L"", Datei});
  AlleSongs.push_back({L"Other", L"Song", L"75:03", L"", L"", L"", L"", L"C:\\o.mp3"});
  prog->ListeAktualisieren();
  SelectRows({4});
  prog->lvDblClick(prog->lv);
  ASSERT_NE(prog->AktuellerPlayer(), nullptr);
  prog->mw2Click(prog);

  prog->akp5Click(prog);
  EXPECT_EQ(prog->suchwort->Text(), L"Band");
  EXPECT_EQ(Kuenstler(), std::vector<std::wstring>{L"Band"});
  prog->akp7Click(prog);
  EXPECT_EQ(prog->suchwort->Text(), L"1:15:03");
  EXPECT_EQ(Kuenstler(), std::vector<std::wstring>{L"Band"});
  prog->akp12Click(prog);
  EXPECT_EQ(prog->suchwort->Text(), Dir.Path() + L"\\");
  EXPECT_EQ(Kuenstler(), std::vector<std::wstring>{L"Band"});
  EXPECT_EQ(Schalter(), std::make_pair(StandardSchalter, StandardSchalter));
}

TEST_F(ProgSearch, TheContextMenusCarryTheSearches) {
  ASSERT_EQ(prog->popup->Items()->Count(), 16);
  EXPECT_EQ(prog->popup->Items()->Items(7)->Caption(), "Songs von diesem Interpreten..");
  EXPECT_EQ(prog->pa_unten->PopupMenu(), prog->akpopup);
  EXPECT_EQ(prog->status->PopupMenu(), prog->akpopup);
  EXPECT_EQ(prog->stelle->PopupMenu(), prog->akpopup);
  ASSERT_EQ(prog->akpopup->Items()->Count(), 12);
  EXPECT_EQ(prog->akpopup->Items()->Items(11)->Caption(), "Songs im selben Ordner..");
  EXPECT_EQ(prog->msuche->ShortCut(), TextToShortCut("Ctrl+F"));
}

}  // namespace
