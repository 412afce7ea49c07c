// The player window's search: the search texts of the songs, the word, term and pattern searches, the
// search panel and the searches for songs like the selected one.
#include "app/u_prog.h"
#include "app/u_prog_intern.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numeric>
#include <string_view>
#include <utility>

#include "Imports/UCodeSysUtils.h"
#include "Imports/UCodeWindows.h"
#include "app/u_funktionen.h"
#include "app/u_suchopt.h"
#include "app/Parallel.h"
#include "regex/WideRegex.h"

namespace {

const std::wstring ZeilenEnde = L"\r\n";

void PlattformGross(wchar_t* Von, wchar_t* Bis) {
  if (Bis > Von) CharUpperBuffW(Von, static_cast<DWORD>(Bis - Von));
}

// Folds as the platform folds, each character alone: below 0x80 it folds a to z and nothing else. Eight
// such characters in a row are folded here at once, and only the rest is handed to the platform, which
// takes some nanoseconds for every character.
void Grossschreiben(wchar_t* Text, size_t Laenge) {
  using TAcht = unsigned short __attribute__((vector_size(16)));
  wchar_t* const Ende = Text + Laenge;
  wchar_t* Offen = Text;  // from here on the characters are not folded yet
  for (wchar_t* P = Text; Ende - P >= 8; P += 8) {
    TAcht A;
    std::memcpy(&A, P, sizeof A);
    const auto Hoch = A > (TAcht{} + 0x7F);
    uint64_t Haelften[2];
    std::memcpy(Haelften, &Hoch, sizeof Haelften);
    if ((Haelften[0] | Haelften[1]) != 0) continue;
    PlattformGross(Offen, P);
    const auto Klein = (A >= (TAcht{} + u'a')) & (A <= (TAcht{} + u'z'));
    A -= reinterpret_cast<const TAcht&>(Klein) & (TAcht{} + 0x20);
    std::memcpy(P, &A, sizeof A);
    Offen = P + 8;
  }
  PlattformGross(Offen, Ende);
}

void Grossschreiben(std::wstring& S) {
  Grossschreiben(S.data(), S.size());
}

// The words of the text, prepared as the haystacks are. An empty word (from blanks in a row or at either
// end) is found nowhere unless exact, where it finds an empty column: it is left out of the words and
// Ungefunden tells that there was one.
std::vector<std::wstring> SuchWoerter(const std::wstring& Text, const TSuchOptionen& O, bool& Ungefunden) {
  TWideStrArray Teile;
  WideSplitString(Teile, L" ", Text);
  std::vector<std::wstring> Woerter;
  Ungefunden = false;
  for (std::wstring& Wort : Teile) {
    if (Wort.empty() && !O.Exakt) {
      Ungefunden = true;
      continue;
    }
    if (O.Exakt) Wort = ZeilenEnde + Wort + ZeilenEnde;
    if (!O.GrossKlein) Grossschreiben(Wort);
    Woerter.push_back(std::move(Wort));
  }
  return Woerter;
}

// How often a long search repaints the windows, in milliseconds.
constexpr ULONGLONG kZeichenAbstand = 50;

// Paints what waits to be painted, and nothing else: input waits until the search is done, so that no
// click can change the list or start a search while this one runs.
void FensterZeichnen() {
  MSG Msg;
  // A window whose painting leaves its area invalid would be painted again and again.
  for (int N = 0; N < 64 && PeekMessageA(&Msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++N)
    DispatchMessageA(&Msg);
}

}  // namespace

namespace {

size_t SuchTextLaenge(const Song& S, const std::array<bool, SongFieldCount>& Spalten) {
  size_t Laenge = ZeilenEnde.size();
  for (int F = 0; F < SongFieldCount; ++F)
    if (Spalten[F]) Laenge += S[F].size() + ZeilenEnde.size();
  return Laenge;
}

// Writes the haystack of S at Ziel, which has room for it; returns the end of what it wrote.
wchar_t* SuchTextSchreiben(wchar_t* Ziel, const Song& S, const std::array<bool, SongFieldCount>& Spalten) {
  Ziel = std::copy(ZeilenEnde.begin(), ZeilenEnde.end(), Ziel);
  for (int F = 0; F < SongFieldCount; ++F) {
    if (!Spalten[F]) continue;
    Ziel = std::copy(S[F].begin(), S[F].end(), Ziel);
    Ziel = std::copy(ZeilenEnde.begin(), ZeilenEnde.end(), Ziel);
  }
  return Ziel;
}

// A substring search that tests eight places at a time for the term's first and last character and
// compares the rest only where both agree.
class TFinder {
 public:
  explicit TFinder(std::wstring Begriff) : FBegriff(std::move(Begriff)) {}
  size_t Laenge() const { return FBegriff.size(); }
  // The first place at or after From where the term starts in Text, or npos.
  size_t Finde(std::wstring_view Text, size_t From) const {
    const size_t M = FBegriff.size();
    if (M == 0) return From <= Text.size() ? From : std::wstring_view::npos;
    const wchar_t* T = Text.data();
    size_t Pos = From;
    if (Text.size() >= M + 7) {
      const TAcht Erstes = TAcht{} + static_cast<unsigned short>(FBegriff.front());
      const TAcht Letztes = TAcht{} + static_cast<unsigned short>(FBegriff.back());
      for (; Pos <= Text.size() - M - 7; Pos += 8) {
        TAcht A, B;
        std::memcpy(&A, T + Pos, sizeof A);
        std::memcpy(&B, T + Pos + M - 1, sizeof B);
        const auto Beide = (A == Erstes) & (B == Letztes);
        uint64_t Haelften[2];
        std::memcpy(Haelften, &Beide, sizeof Haelften);
        // Four places to a half, 16 bits each, all set where both characters agree: one bit is enough.
        for (size_t H = 0; H < 2; ++H)
          for (uint64_t Bits = Haelften[H] & 0x0001000100010001u; Bits != 0; Bits &= Bits - 1) {
            const size_t Stelle = Pos + H * 4 + std::countr_zero(Bits) / 16;
            if (Gleich(T + Stelle)) return Stelle;
          }
      }
    }
    for (; Pos + M <= Text.size(); ++Pos)
      if (T[Pos] == FBegriff.front() && Gleich(T + Pos)) return Pos;
    return std::wstring_view::npos;
  }

 private:
  using TAcht = unsigned short __attribute__((vector_size(16)));
  bool Gleich(const wchar_t* Stelle) const {
    return std::equal(FBegriff.begin() + 1, FBegriff.end(), Stelle + 1);
  }
  std::wstring FBegriff;
};

// Sets Ja[I - Von] to whether song I's haystack holds the term, for the songs from Von on whose Ja is
// Offen; the others are not searched. Each run of such songs is one pass; after a find it goes on at the
// next song.
void Suchen(const TSuchTexte& Texte, const TFinder& Finder, size_t Von, std::vector<bool>& Ja, bool Offen) {
  const size_t Bis = Von + Ja.size();
  for (size_t Song = Von; Song < Bis;) {
    if (Ja[Song - Von] != Offen) {
      ++Song;
      continue;
    }
    size_t Ende = Song + 1;
    while (Ende < Bis && Ja[Ende - Von] == Offen) ++Ende;
    const std::wstring_view Lauf = Texte.Alles().substr(0, Texte.Ende(Ende - 1));
    for (size_t Pos = Texte.Anfang(Song); Song < Ende;) {
      Pos = Finder.Finde(Lauf, Pos);
      for (; Song < Ende && (Pos == std::wstring_view::npos || Texte.Ende(Song) <= Pos); ++Song)
        Ja[Song - Von] = false;
      if (Song == Ende) break;
      // A find that runs on into the next haystack is none.
      if (Pos + Finder.Laenge() <= Texte.Ende(Song)) {
        Ja[Song - Von] = true;
        Pos = Texte.Ende(Song++);
      } else {
        ++Pos;
      }
    }
  }
}

// Appends to Treffer the songs from Von up to Bis whose haystacks hold every term (Alle) or one term at
// least, or with Invers the others. Each term searches only the songs it can still decide: with Alle
// those that hold every term so far, else those that hold none. Alle without a term keeps nothing.
void TermeFinden(const TSuchTexte& Texte, const std::vector<TFinder>& Terme, bool Alle, bool Invers,
                 size_t Von, size_t Bis, std::vector<size_t>& Treffer) {
  std::vector<bool> Ja(Bis - Von, Alle && !Terme.empty());
  for (const TFinder& Finder : Terme) Suchen(Texte, Finder, Von, Ja, Alle);
  for (size_t I = 0; I < Ja.size(); ++I)
    if (Ja[I] != Invers) Treffer.push_back(Von + I);
}

// Appends to Treffer the songs from Von up to Bis whose haystacks Regex matches, or with Invers the others.
void MusterFinden(const TSuchTexte& Texte, TWideRegex& Regex, bool Invers, size_t Von, size_t Bis,
                  std::vector<size_t>& Treffer) {
  std::wstring Eingabe;
  for (size_t I = Von; I < Bis; ++I) {
    Eingabe.assign(Texte.Heu(I));
    if (Regex.Exec(Eingabe) != Invers) Treffer.push_back(I);
  }
}

// The songs whose haystacks Muster matches (or with Invers the others), searched in rounds of parts side
// by side, each part with a pattern object of its own. Between rounds Zwischendurch runs; a pattern may
// cost a microsecond a song or milliseconds, so each round is sized by the last one's pace to take a
// few milliseconds. Without Zwischendurch all songs are one round.
std::vector<size_t> MusterFinden(const TSuchTexte& Texte, const std::wstring& Muster, bool Invers,
                                 const std::function<void()>& Zwischendurch) {
  constexpr size_t JeTeil = 16;
  constexpr double RundenMs = 8;
  std::vector<std::unique_ptr<TWideRegex>> Regexe;
  std::vector<size_t> Treffer;
  size_t Runde = 256;
  for (size_t Von = 0; Von < Texte.Anzahl();) {
    const size_t Bis = Zwischendurch ? std::min(Texte.Anzahl(), Von + Runde) : Texte.Anzahl();
    const std::vector<size_t> G = Grenzen(Bis - Von, JeTeil);
    while (Regexe.size() + 1 < G.size()) {
      Regexe.push_back(std::make_unique<TWideRegex>());
      Regexe.back()->SetExpression(Muster);
    }
    std::vector<std::vector<size_t>> Teile(G.size() - 1);
    const auto Anfang = std::chrono::steady_clock::now();
    Parallel(Teile.size(), [&](size_t T) {
      MusterFinden(Texte, *Regexe[T], Invers, Von + G[T], Von + G[T + 1], Teile[T]);
    });
    const double Ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Anfang).count();
    for (const std::vector<size_t>& Teil : Teile) Treffer.insert(Treffer.end(), Teil.begin(), Teil.end());
    Von = Bis;
    if (!Zwischendurch) continue;
    Zwischendurch();
    // At most four times the last round, so that one quick round does not make the next one long.
    Runde = std::clamp<size_t>(
        static_cast<size_t>(static_cast<double>(Runde) * RundenMs / std::max(Ms, 0.01)), JeTeil, Runde * 4);
  }
  return Treffer;
}

// True when every string of Ziel has room for Quelle's: copying makes none.
bool HatPlatz(const Song& Ziel, const Song& Quelle) {
  for (int F = 0; F < SongFieldCount; ++F)
    if (Ziel[F].capacity() < Quelle[F].size()) return false;
  return true;
}

}  // namespace

std::wstring SuchText(const Song& S, const std::array<bool, SongFieldCount>& Spalten) {
  std::wstring Text;
  Text.resize(SuchTextLaenge(S, Spalten));
  SuchTextSchreiben(Text.data(), S, Spalten);
  return Text;
}

TSuchTexte::TSuchTexte(const TWideSongArray& Songs, const TSuchOptionen& O)
    : FSpalten(O.Spalten), FGefaltet(!O.GrossKlein && !O.RegEx), FAnfang(Songs.size() + 1, 0) {
  // Parts of the playlist side by side: the songs' lengths first, then, where each part's haystacks
  // begin being known, each part written and folded.
  const std::vector<size_t> G = Grenzen(Songs.size());
  Parallel(G.size() - 1, [&](size_t T) {
    for (size_t I = G[T]; I < G[T + 1]; ++I) FAnfang[I + 1] = SuchTextLaenge(Songs[I], FSpalten);
  });
  std::partial_sum(FAnfang.begin(), FAnfang.end(), FAnfang.begin());
  // Every character is written below, so the room is not cleared first.
  FText = std::make_unique_for_overwrite<wchar_t[]>(FAnfang.back());
  Parallel(G.size() - 1, [&](size_t T) {
    wchar_t* Ziel = FText.get() + FAnfang[G[T]];
    for (size_t I = G[T]; I < G[T + 1]; ++I) Ziel = SuchTextSchreiben(Ziel, Songs[I], FSpalten);
    // The platform folds each character alone, so one call does for a part.
    if (FGefaltet) Grossschreiben(FText.get() + FAnfang[G[T]], FAnfang[G[T + 1]] - FAnfang[G[T]]);
  });
}

bool TSuchTexte::PasstZu(const TWideSongArray& Songs, const TSuchOptionen& O) const {
  return FSpalten == O.Spalten && FGefaltet == (!O.GrossKlein && !O.RegEx) && Anzahl() == Songs.size();
}

std::vector<size_t> SongsFinden(const TWideSongArray& Songs, const std::wstring& Text,
                                const TSuchOptionen& O) {
  return SongsFinden(TSuchTexte(Songs, O), Text, O);
}

std::vector<size_t> SongsFinden(const TSuchTexte& Texte, const std::wstring& Text, const TSuchOptionen& O,
                                const std::function<void()>& Zwischendurch) {
  std::vector<size_t> Treffer;
  if (O.RegEx) {
    std::wstring Muster = O.Exakt ? L"^" + Text + L"$" : Text;
    if (O.GrossKlein) Muster = L"(?-i)" + Muster;
    Treffer = MusterFinden(Texte, Muster, O.Invers, Zwischendurch);
  } else {
    std::vector<std::wstring> Begriffe;
    bool Ungefunden = false;
    if (O.Modus == smGanz) {
      Begriffe.push_back(O.Exakt ? ZeilenEnde + Text + ZeilenEnde : Text);
      if (!O.GrossKlein) Grossschreiben(Begriffe.back());
    } else {
      Begriffe = SuchWoerter(Text, O, Ungefunden);
    }
    // A word found nowhere leaves no song holding all words.
    if (Ungefunden && O.Modus == smUnd) {
      if (O.Invers)
        for (size_t I = 0; I < Texte.Anzahl(); ++I) Treffer.push_back(I);
      return Treffer;
    }
    const std::vector<TFinder> Terme(Begriffe.begin(), Begriffe.end());
    // Parts of the playlist are searched side by side; their finds join in song order.
    const std::vector<size_t> G = Grenzen(Texte.Anzahl());
    std::vector<std::vector<size_t>> Teile(G.size() - 1);
    Parallel(Teile.size(), [&](size_t T) {
      TermeFinden(Texte, Terme, O.Modus == smUnd, O.Invers, G[T], G[T + 1], Teile[T]);
    });
    for (const std::vector<size_t>& Teil : Teile) Treffer.insert(Treffer.end(), Teil.begin(), Teil.end());
  }
  return Treffer;
}

std::wstring RegexMaskieren(const std::wstring& Text) {
  std::wstring Result;
  Result.reserve(Text.size() * 2);
  for (const wchar_t C : Text) {
    if (std::wstring_view(L"\\^$.|?*+()[]{}").find(C) != std::wstring_view::npos) Result += L'\\';
    Result += C;
  }
  return Result;
}

std::array<Tprog::TCheckBox*, SongFieldCount> Tprog::SpaltenSchalter() const {
  return {s_interpret, s_titel, s_laenge, s_album, s_track, s_jahr, s_genre, s_datei};
}

TSuchOptionen Tprog::SuchOptionen() {
  TSuchOptionen O;
  const std::array<TCheckBox*, SongFieldCount> Spalten =
      suchopt ? suchopt->SpaltenSchalter() : SpaltenSchalter();
  for (int F = 0; F < SongFieldCount; ++F) O.Spalten[F] = Spalten[F]->Checked();
  O.GrossKlein = s_grkl->Checked();
  O.Exakt = s_strexakt->Checked();
  O.Invers = s_invers->Checked();
  O.RegEx = regexsuche->Checked();
  O.Modus = s_ganz->Checked() ? smGanz : s_und->Checked() ? smUnd : smOder;
  return O;
}

void Tprog::SuchenClick(TObject* /*Sender*/) {
  NaechsterTitel.clear();
  const std::wstring Text = suchwort->Text();
  if (Text.empty()) {
    AlleClick(this);
    return;
  }
  const TSuchOptionen O = SuchOptionen();
  const TSuchTexte& Texte = SuchTexteFuer(O);
  ULONGLONG Gezeichnet = GetTickCount64();
  const auto Zeichnen = [&Gezeichnet] {
    if (GetTickCount64() - Gezeichnet < kZeichenAbstand) return;
    Gezeichnet = GetTickCount64();
    FensterZeichnen();
  };
  // The list paints from the last result while the search runs, so it is replaced only afterwards.
  const std::vector<size_t> Treffer = SongsFinden(Texte, Text, O, Zeichnen);
  const int64_t Spielzeit = SuchErgebnisKopieren(Treffer);
  IstGefiltert = true;
  ZeilenAuffrischen();
  status->SetCaption(std::to_wstring(SuchErgebnis.size()) +
                     (Deutsch() ? L" Dateien gefunden " : L" Files Found ") +
                     AnsiToWide(SuchErgebnis.empty() ? std::string() : PlayTimeText(Spielzeit)));
}

// The songs of the last result are copied over, so that their strings' room serves again: the same search
// after "Alle Zeigen" makes and frees no string. Parts are copied side by side, each adding up its play
// time while its songs are at hand. A song whose strings need more room is copied afterwards by this
// thread alone, since threads that make strings side by side wait for each other, and so are the songs
// beyond the last result's, made as copies at once rather than made empty and then overwritten.
int64_t Tprog::SuchErgebnisKopieren(const std::vector<size_t>& Treffer) {
  const size_t Alt = std::min(SuchErgebnis.size(), Treffer.size());
  SuchErgebnis.resize(Alt);
  SuchErgebnis.reserve(Treffer.size());
  const std::vector<size_t> G = Grenzen(Alt);
  std::vector<int64_t> Sekunden(G.size() - 1);
  std::vector<std::vector<size_t>> Spaeter(G.size() - 1);
  Parallel(Sekunden.size(), [&](size_t T) {
    int64_t Summe = 0;  // not in Sekunden: parts side by side would share its memory
    for (size_t I = G[T]; I < G[T + 1]; ++I) {
      if (!HatPlatz(SuchErgebnis[I], AlleSongs[Treffer[I]])) {
        Spaeter[T].push_back(I);
        continue;
      }
      SuchErgebnis[I] = AlleSongs[Treffer[I]];
      Summe += LengthSeconds(SuchErgebnis[I][sfLength]);
    }
    Sekunden[T] = Summe;
  });
  int64_t Spielzeit = std::accumulate(Sekunden.begin(), Sekunden.end(), int64_t{0});
  for (const std::vector<size_t>& Teil : Spaeter)
    for (const size_t I : Teil) {
      SuchErgebnis[I] = AlleSongs[Treffer[I]];
      Spielzeit += LengthSeconds(SuchErgebnis[I][sfLength]);
    }
  for (size_t I = Alt; I < Treffer.size(); ++I) {
    SuchErgebnis.push_back(AlleSongs[Treffer[I]]);
    Spielzeit += LengthSeconds(SuchErgebnis.back()[sfLength]);
  }
  return Spielzeit;
}

const TSuchTexte& Tprog::SuchTexteFuer(const TSuchOptionen& O) {
  if (!SuchTexte || !SuchTexte->PasstZu(AlleSongs, O)) SuchTexte = std::make_unique<TSuchTexte>(AlleSongs, O);
  return *SuchTexte;
}

void Tprog::SuchTexteVorbereiten(TObject* /*Sender*/, bool& /*Done*/) {
  if (pa_suche->Visible()) SuchTexteFuer(SuchOptionen());
}

void Tprog::suchwortKeyPress(TObject* Sender, char& Key) {
  if (Key != 13) return;
  SuchenClick(Sender);
  Key = 0;
}

void Tprog::SuchfeldZeigen() {
  msuche->SetChecked(true);
  pa_suche->Show();
  if (suchwort->CanFocus()) suchwort->SetFocus();
}

void Tprog::msucheClick(TObject* /*Sender*/) {
  msuche->SetChecked(!msuche->Checked());
  if (msuche->Checked()) {
    SuchfeldZeigen();
    return;
  }
  pa_suche->Hide();
  IstGefiltert = false;
  ListeAktualisieren();
}

void Tprog::suchoptpanelClick(TObject* /*Sender*/) {
  suchoptpanel->SetChecked(!suchoptpanel->Checked());
  if (suchoptpanel->Checked()) {
    pa_suchopt->Show();
    SuchfeldZeigen();
  } else {
    pa_suchopt->Hide();
  }
}

void Tprog::Suchoptionen1Click(TObject* /*Sender*/) {
  suchopt->Show();
}

void Tprog::regexsucheClick(TObject* /*Sender*/) {
  m_regexsuche->SetChecked(regexsuche->Checked());
}

void Tprog::m_regexsucheClick(TObject* /*Sender*/) {
  m_regexsuche->SetChecked(!m_regexsuche->Checked());
  regexsuche->SetChecked(m_regexsuche->Checked());
}

void Tprog::AkPanel(TObject* /*Sender*/) {
  // Setting a switch fires its handler only on a change, so the copy back finds nothing to do.
  if (!suchopt) return;
  suchopt->s_interpret->SetChecked(s_interpret->Checked());
  suchopt->s_titel->SetChecked(s_titel->Checked());
  suchopt->s_laenge->SetChecked(s_laenge->Checked());
  suchopt->s_album->SetChecked(s_album->Checked());
  suchopt->s_track->SetChecked(s_track->Checked());
  suchopt->s_jahr->SetChecked(s_jahr->Checked());
  suchopt->s_datei->SetChecked(s_datei->Checked());
  suchopt->s_genre->SetChecked(s_genre->Checked());
  suchopt->s_grkl->SetChecked(s_grkl->Checked());
  suchopt->s_exakt->SetChecked(s_strexakt->Checked());
  suchopt->s_invers->SetChecked(s_invers->Checked());
  suchopt->s_ganz->SetChecked(s_ganz->Checked());
  suchopt->s_und->SetChecked(s_und->Checked());
  suchopt->s_oder->SetChecked(s_oder->Checked());
}

void Tprog::sp_rballesClick(TObject* Sender) {
  for (TCheckBox* Spalte : SpaltenSchalter()) Spalte->SetChecked(true);
  AkPanel(Sender);
}

void Tprog::sp_rbnixClick(TObject* Sender) {
  for (TCheckBox* Spalte : SpaltenSchalter()) Spalte->SetChecked(false);
  AkPanel(Sender);
}

void Tprog::sp_rbstandardClick(TObject* /*Sender*/) {
  suchopt->StandardClick(suchopt);
}

// Runs Suche with the switches set for songs like one in field Column, and sets them back afterwards.
void Tprog::AehnlicheSuchen(int Column, const std::function<void()>& Suche) {
  std::array<bool, SongFieldCount> Spalten;
  for (int F = 0; F < SongFieldCount; ++F) Spalten[F] = suchopt->SpaltenSchalter()[F]->Checked();
  const bool GrossKlein = suchopt->s_grkl->Checked(), Ganz = suchopt->s_ganz->Checked(),
             Und = suchopt->s_und->Checked(), Oder = suchopt->s_oder->Checked(),
             Invers = suchopt->s_invers->Checked(), Exakt = s_strexakt->Checked();

  for (int F = 0; F < SongFieldCount; ++F) suchopt->SpaltenSchalter()[F]->SetChecked(F == Column);
  s_strexakt->SetChecked(true);
  suchopt->s_grkl->SetChecked(false);
  suchopt->s_ganz->SetChecked(true);
  suchopt->s_und->SetChecked(false);
  suchopt->s_oder->SetChecked(false);
  suchopt->s_invers->SetChecked(false);
  // A folder is searched as the start of a path, so its sub-folders are found too.
  if (Column == sfPath) s_strexakt->SetChecked(false);

  const auto Zuruecksetzen = [&] {
    for (int F = 0; F < SongFieldCount; ++F) SpaltenSchalter()[F]->SetChecked(Spalten[F]);
    s_ganz->SetChecked(Ganz);
    s_strexakt->SetChecked(Exakt);
    s_und->SetChecked(Und);
    s_grkl->SetChecked(GrossKlein);
    s_oder->SetChecked(Oder);
    s_invers->SetChecked(Invers);
  };
  try {
    Suche();
  } catch (...) {
    Zuruecksetzen();
    throw;
  }
  Zuruecksetzen();
}

namespace {

// The search text for a field; with pattern search on it is masked, so that it is searched as it stands.
std::wstring Suchwort(const std::wstring& Feld, bool RegEx) {
  return RegEx ? RegexMaskieren(Feld) : Feld;
}

}  // namespace

void Tprog::SongsSuchen(TObject* Sender, int Column) {
  AehnlicheSuchen(Column, [&] {
    const int Row = FirstSelectedRow();
    if (Row < 0) return;
    AktIndex = Row;
    SuchfeldZeigen();
    const std::wstring& Feld = AngezeigteSongs()[Row][Column];
    suchwort->SetText(Suchwort(Column == sfPath ? WideExtractFilePath(Feld) : Feld, regexsuche->Checked()));
    SuchenClick(Sender);
  });
}

// The playlist's record of the playing song; read from the file's tags only when the playlist no longer
// holds it.
Song Tprog::SpielendesSong() {
  for (const Song& S : AlleSongs)
    if (S[sfPath] == AktuelleDatei || (S[sfPath] == AktuellerPfad && DateiFinden(S) == AktuelleDatei))
      return S;
  for (const Song& S : AlleSongs)
    if (DateiFinden(S) == AktuelleDatei) return S;
  Song S;
  TagsLesen(S, AktuelleDatei);
  S[sfPath] = AktuelleDatei;
  return S;
}

void Tprog::AkSongsSuchen(TObject* Sender, int Column) {
  AehnlicheSuchen(Column, [&] {
    if (!Player) return;
    SuchfeldZeigen();
    const Song S = SpielendesSong();
    const std::wstring& Feld = S[Column];
    suchwort->SetText(Suchwort(Column == sfPath ? WideExtractFilePath(Feld) : Feld, regexsuche->Checked()));
    SuchenClick(Sender);
  });
}
