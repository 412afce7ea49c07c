#include "app/ExportSort.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "app/Parallel.h"

std::string Sortierschluessel(const std::wstring& Text) {
  constexpr DWORD Flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  // A key seldom needs more than a few bytes a character, so one call mostly does; asking the size
  // first would double the platform's work.
  std::string Key(Text.size() * 8 + 32, '\0');
  int Size = LCMapStringW(LOCALE_USER_DEFAULT, Flags, Text.c_str(), -1, reinterpret_cast<LPWSTR>(Key.data()),
                          static_cast<int>(Key.size()));
  if (Size == 0) {
    Size = LCMapStringW(LOCALE_USER_DEFAULT, Flags, Text.c_str(), -1, nullptr, 0);
    Key.assign(static_cast<size_t>(std::max(Size, 0)), '\0');
    LCMapStringW(LOCALE_USER_DEFAULT, Flags, Text.c_str(), -1, reinterpret_cast<LPWSTR>(Key.data()), Size);
  }
  Key.resize(static_cast<size_t>(std::max(Size, 0)));
  return Key;
}

namespace {

// The first level of a sort key: its bytes before the first byte below 2, which ends that level and is
// below every byte of it. Keys whose first levels differ are in the order of these alone.
std::string_view ErsteStufe(std::string_view Key) {
  const auto Ende = std::find_if(Key.begin(), Key.end(), [](char C) { return static_cast<uint8_t>(C) < 2; });
  return Key.substr(0, static_cast<size_t>(Ende - Key.begin()));
}

// A line as it reads: its markers as their placeholders, an HTML marker as its character.
std::wstring Lesbar(std::wstring_view Zeile) {
  std::wstring L;
  L.reserve(Zeile.size());
  for (const wchar_t C : Zeile) {
    if (C == MarkeNummer)
      L += NummerText;
    else if (C == MarkeTab)
      L += TabText;
    else
      L += Klar(C);
  }
  return L;
}

// The markers that stand for text: the number, the cell and the HTML characters.
bool StehtFuerText(wchar_t C) {
  return IstMarke(C) || IstHtmlMarke(C);
}

// The bytes of a first level that a sort compares at one depth.
constexpr size_t KopfBytes = 16;

// The first levels of single characters, learned from the platform, so that a line over them needs no key
// of its own: its first level is theirs one after another, a marker's that of its placeholder. That holds
// unless letters sort together (as "cs" in Hungarian), which would show in a text of every pair of them;
// then no character is known.
class TErsteStufen {
 public:
  // For the characters Gesehen, markers among them.
  explicit TErsteStufen(std::vector<wchar_t> Gesehen)
      : FStufe(std::make_unique_for_overwrite<uint64_t[]>(0x10000)), FLaenge(0x10000) {
    const std::vector<wchar_t> Alle = Gesehen;
    AlleLernen(std::move(Gesehen));
    FAlleBekannt = std::ranges::none_of(Alle, [this](wchar_t C) { return FLaenge[C] == Unbekannt; });
  }

  // True when every character of the lines is known.
  bool AlleBekannt() const { return FAlleBekannt; }

  // True when every character of Text is known.
  bool AlleBekannt(std::wstring_view Text) const {
    return FAlleBekannt || std::ranges::none_of(Text, [this](wchar_t C) { return FLaenge[C] == Unbekannt; });
  }

  // Sets Ziel to the first level of the line Text; false when a character of Text is not known.
  bool Stufe(std::wstring_view Text, std::string& Ziel) const {
    Ziel.resize(Text.size() * (FGroesste + FMarkeGroesste) + 8);  // room for eight bytes written whole
    const char* Ende = Schreiben(Text, Ziel.data());
    if (Ende == nullptr) return false;
    Ziel.resize(static_cast<size_t>(Ende - Ziel.data()));
    return true;
  }

  // Fills Kopf, KopfBytes and eight to spare, with the first level of the known characters from Zeichen
  // on, Versatz bytes of the first one's level left out; the characters taken whole are counted off Rest.
  // Kopf is zero behind the level's bytes.
  void KopfFuellen(const wchar_t*& Zeichen, uint32_t& Rest, uint8_t& Versatz, char* Kopf) const {
    size_t N = 0;
    while (N < KopfBytes && Rest > 0) {
      const wchar_t C = *Zeichen;
      const uint8_t L = FLaenge[C];
      if (L >= Bekannt && Versatz == 0) {  // the most: a whole character's level of eight bytes at most
        std::memcpy(Kopf + N, &FStufe[C], 8);
        if (N + (L - Bekannt) > KopfBytes) {
          Versatz = static_cast<uint8_t>(KopfBytes - N);
          return;
        }
        N += L - Bekannt;
      } else {
        const std::string_view S =
            L == Marke ? std::string_view(FMarken[C - MarkeNummer])
                       : std::string_view(reinterpret_cast<const char*>(&FStufe[C]), L - Bekannt);
        const size_t Teil = std::min(S.size() - Versatz, KopfBytes - N);
        std::copy_n(S.data() + Versatz, Teil, Kopf + N);
        N += Teil;
        if (Versatz + Teil < S.size()) {
          Versatz = static_cast<uint8_t>(Versatz + Teil);
          return;
        }
        Versatz = 0;
      }
      ++Zeichen;
      --Rest;
    }
    std::fill(Kopf + N, Kopf + KopfBytes + 8, '\0');
  }

 private:
  // FLaenge: cannot be known, a marker, else Bekannt plus the first level's length.
  static constexpr uint8_t Unbekannt = 0, Marke = 1, Bekannt = 2;
  // Learns the characters Gesehen and the markers' placeholders, all of them or none.
  void AlleLernen(std::vector<wchar_t> Gesehen) {
    const size_t Anzahl = Gesehen.size();
    for (size_t I = 0; I < Anzahl; ++I)
      if (StehtFuerText(Gesehen[I])) {
        const std::wstring& P = Platzhalter(Gesehen[I]);
        Gesehen.insert(Gesehen.end(), P.begin(), P.end());
      }
    std::ranges::sort(Gesehen);
    Gesehen.erase(std::unique(Gesehen.begin(), Gesehen.end()), Gesehen.end());
    if (Gesehen.size() > GroessteZahl) return;
    std::erase_if(Gesehen, [this](wchar_t C) { return StehtFuerText(C) || !Lernen(C); });
    for (wchar_t M = MarkeNummer; M <= MarkeAnfuehrung; ++M) MarkeLernen(M);
    if (!Bestaetigt(Gesehen)) {
      std::ranges::fill(FLaenge, Unbekannt);
      FGroesste = 0;
    }
  }

  // More would make the text of all pairs take longer than the keys it spares.
  static constexpr size_t GroessteZahl = 300;

  // The text that a marker stands for.
  static const std::wstring& Platzhalter(wchar_t Marke) {
    static const std::wstring Texte[] = {NummerText, TabText, L"&", L"<", L">", L"\""};
    return Texte[Marke - MarkeNummer];
  }

  // Writes the first level of the line Text to Ziel, which has room for it; returns its end, or nullptr when
  // a character of Text is not known.
  char* Schreiben(std::wstring_view Text, char* Ziel) const {
    for (const wchar_t C : Text) {
      const uint8_t L = FLaenge[C];
      if (L >= Bekannt) {
        std::memcpy(Ziel, &FStufe[C], 8);
        Ziel += L - Bekannt;
      } else if (L == Marke) {
        const std::string& S = FMarken[C - MarkeNummer];
        Ziel = std::copy(S.begin(), S.end(), Ziel);
      } else {
        return nullptr;
      }
    }
    return Ziel;
  }

  // The end of text, surrogates and characters whose first level is longer than eight bytes stay unknown.
  bool Lernen(wchar_t C) {
    if (C == 0 || (C >= 0xD800 && C <= 0xDFFF)) return false;
    const std::string Key = Sortierschluessel(std::wstring(1, C));
    const std::string_view Erste = ErsteStufe(Key);
    if (Erste.size() > 8) return false;
    FStufe[C] = 0;
    std::memcpy(&FStufe[C], Erste.data(), Erste.size());
    FLaenge[C] = static_cast<uint8_t>(Bekannt + Erste.size());
    FGroesste = std::max(FGroesste, Erste.size());
    return true;
  }

  // A marker's first level is its placeholder's, known when each of its characters is.
  void MarkeLernen(wchar_t M) {
    std::string S;
    for (const wchar_t C : Platzhalter(M)) {
      if (FLaenge[C] < Bekannt) return;
      S.append(reinterpret_cast<const char*>(&FStufe[C]), FLaenge[C] - Bekannt);
    }
    FMarkeGroesste = std::max(FMarkeGroesste, S.size());
    FMarken[M - MarkeNummer] = std::move(S);
    FLaenge[M] = Marke;
  }

  // True when the first levels of all pairs of the characters are theirs one after another.
  bool Bestaetigt(const std::vector<wchar_t>& Zeichen) const {
    std::wstring Paare;
    Paare.reserve(Zeichen.size() * Zeichen.size() * 2);
    for (const wchar_t C : Zeichen)
      for (const wchar_t D : Zeichen) Paare += {C, D};
    std::string Erwartet;
    return Stufe(Paare, Erwartet) && ErsteStufe(Sortierschluessel(Paare)) == Erwartet;
  }

  // The first level's bytes in memory order; written only for the characters learned, as a few hundred
  // of the 65,536 are.
  std::unique_ptr<uint64_t[]> FStufe;
  std::vector<uint8_t> FLaenge;
  std::string FMarken[6];  // the markers' first levels
  size_t FGroesste = 0;    // the longest first level of a character
  size_t FMarkeGroesste = 0;
  bool FAlleBekannt = false;  // every character of the lines is known
};

// Byte order, eight bytes at a step: the runtime library's memcmp goes a byte at a time.
int Vergleich(std::string_view A, std::string_view B) {
  const size_t N = std::min(A.size(), B.size());
  size_t I = 0;
  for (; I + 8 <= N; I += 8) {
    uint64_t X, Y;
    std::memcpy(&X, A.data() + I, 8);
    std::memcpy(&Y, B.data() + I, 8);
    if (X != Y) return __builtin_bswap64(X) < __builtin_bswap64(Y) ? -1 : 1;
  }
  for (; I < N; ++I)
    if (A[I] != B[I]) return static_cast<uint8_t>(A[I]) < static_cast<uint8_t>(B[I]) ? -1 : 1;
  return (A.size() > B.size()) - (A.size() < B.size());
}

// The platform's whole key of line I, as it reads.
std::string VollerSchluessel(const TZeilen& Z, size_t I) {
  const std::wstring_view Text = Z.Zeile(Z.Strecken[I]);
  return Sortierschluessel(Z.MitMarken ? Lesbar(Text) : std::wstring(Text));
}

// What the sort knows of each line: the first level of its key, and the platform's whole key where the
// characters' first levels do not give it or two lines are equal at it.
struct TSortDaten {
  TUngenulltListe<uint32_t> VollNr;  // for each line, 1 + where its whole key is in Volle, or 0
  std::vector<std::string> Volle;    // the few whole keys that are needed

  const std::string& Voll(size_t Zeile) const { return Volle[VollNr[Zeile] - 1]; }
};

// The platform's whole keys of the lines Welche, which have none yet, side by side.
void VolleSchluessel(TSortDaten& D, const std::vector<size_t>& Welche, const TZeilen& Z) {
  const size_t Erster = D.Volle.size();
  D.Volle.resize(Erster + Welche.size());
  for (size_t I = 0; I < Welche.size(); ++I) D.VollNr[Welche[I]] = static_cast<uint32_t>(Erster + I + 1);
  Verteilt(Welche.size(), [&](size_t Von, size_t Bis) {
    for (size_t I = Von; I < Bis; ++I) D.Volle[Erster + I] = VollerSchluessel(Z, Welche[I]);
  });
}

// The buckets of the lines by their first levels: for each part of the lines the bucket of each line, and
// how many of its lines each bucket holds; the characters' levels, and the whole keys of the lines whose
// levels do not come from them.
struct TEingeteilt {
  std::unique_ptr<TErsteStufen> Stufen;
  TSortDaten D;
  TUngenulltListe<uint32_t> Eimer;
  std::vector<std::vector<size_t>> Anzahl;  // per part and bucket
  size_t Vorspann = 0;                      // the characters at the head of every line, left out
};

// The characters the lines Von to Bis hold.
TZeichenMenge Zeichen(const TZeilen& Z, size_t Von, size_t Bis) {
  TZeichenMenge Menge(0x10000 / 64);
  for (size_t I = Von; I < Bis; ++I) Hinzufuegen(Z.Zeile(Z.Strecken[I]), Menge);
  return Menge;
}

// The characters that any of the parts holds.
std::vector<wchar_t> Gesehen(const std::vector<TZeichenMenge>& Teil) {
  std::vector<wchar_t> Alle;
  for (size_t W = 0; W < 0x10000 / 64; ++W) {
    uint64_t Bits = 0;
    for (const TZeichenMenge& T : Teil) Bits |= T[W];
    for (; Bits != 0; Bits &= Bits - 1) Alle.push_back(static_cast<wchar_t>(W * 64 + std::countr_zero(Bits)));
  }
  return Alle;
}

// How many characters every line begins with alike. Where every character is known, the lines' first
// levels begin with the same bytes of these, which no comparison needs: a format that begins with a
// number or a text would fill a sort's first heads with them.
size_t GemeinsamerAnfang(const TZeilen& Z, const std::vector<size_t>& G) {
  if (Z.Strecken.empty()) return 0;
  const std::wstring_view Erste = Z.Zeile(Z.Strecken[0]);
  const auto Gleich = [&Z, Erste](size_t N, size_t I) {  // of the first N characters, those line I shares
    return static_cast<size_t>(std::ranges::mismatch(Erste.substr(0, N), Z.Zeile(Z.Strecken[I])).in1 -
                               Erste.begin());
  };
  // Mostly a few lines already begin differently: then no pass over all is needed.
  constexpr size_t Proben = 64;
  size_t Gemeinsam = Erste.size();
  for (size_t P = 1; P < Proben && Gemeinsam > 0; ++P)
    Gemeinsam = Gleich(Gemeinsam, P * (Z.Strecken.size() - 1) / (Proben - 1));
  if (Gemeinsam == 0) return 0;
  std::vector<size_t> Teil(G.size() - 1);
  Parallel(Teil.size(), [&](size_t T) {
    size_t N = Gemeinsam;
    for (size_t I = G[T]; I < G[T + 1] && N > 0; ++I) N = Gleich(N, I);
    Teil[T] = N;
  });
  return std::ranges::min(Teil);
}

// The first level of line I after Vorspann characters: from its characters', else, with no Vorspann, from
// the platform's whole key.
std::string ProbenStufe(const TZeilen& Z, size_t I, const TErsteStufen& Stufen, size_t Vorspann) {
  std::string Stufe;
  return Stufen.Stufe(Z.Zeile(Z.Strecken[I]).substr(Vorspann), Stufe)
             ? Stufe
             : std::string(ErsteStufe(VollerSchluessel(Z, I)));
}

// The first 32 bytes of a first level, zeros behind its end, as numbers in the order of the bytes: these
// alone put most lines in their buckets, with no level of their own made.
using TPraefix = std::array<uint64_t, 4>;
static_assert(sizeof(TPraefix) == 2 * KopfBytes);

// Bytes as numbers in their order, eight to a number.
template <size_t N>
void AlsZahlen(const char* Bytes, uint64_t (&Zahlen)[N]) {
  for (size_t K = 0; K < N; ++K) {
    std::memcpy(&Zahlen[K], Bytes + 8 * K, 8);
    Zahlen[K] = __builtin_bswap64(Zahlen[K]);
  }
}

TPraefix AlsPraefix(const char* Bytes) {
  uint64_t Zahlen[std::tuple_size_v<TPraefix>];
  AlsZahlen(Bytes, Zahlen);
  return std::to_array(Zahlen);
}

TPraefix Praefix(std::string_view Stufe) {
  char Bytes[sizeof(TPraefix)] = {};
  std::copy_n(Stufe.data(), std::min(Stufe.size(), sizeof Bytes), Bytes);
  return AlsPraefix(Bytes);
}

// The same of a line whose characters are all known.
TPraefix Praefix(const TErsteStufen& Stufen, std::wstring_view Zeile) {
  char Bytes[sizeof(TPraefix) + 8];
  const wchar_t* Zeichen = Zeile.data();
  auto Rest = static_cast<uint32_t>(Zeile.size());
  uint8_t Versatz = 0;
  Stufen.KopfFuellen(Zeichen, Rest, Versatz, Bytes);
  Stufen.KopfFuellen(Zeichen, Rest, Versatz, Bytes + KopfBytes);
  return AlsPraefix(Bytes);
}

// A bound between buckets: a line's first level.
struct TGrenze {
  TPraefix Anfang;
  std::string Stufe;
};

// The bounds between Eimerzahl buckets: the levels of an even sample of the lines.
std::vector<TGrenze> EimerGrenzen(const TZeilen& Z, size_t Eimerzahl, const TErsteStufen& Stufen,
                                  size_t Vorspann) {
  constexpr size_t JeEimer = 8;
  std::vector<std::string> Probe;
  for (size_t I = 0; I < JeEimer * Eimerzahl && Eimerzahl > 1; ++I)
    Probe.push_back(ProbenStufe(Z, I * Z.Strecken.size() / (JeEimer * Eimerzahl), Stufen, Vorspann));
  std::sort(Probe.begin(), Probe.end(),
            [](const std::string& A, const std::string& B) { return Vergleich(A, B) < 0; });
  std::vector<TGrenze> Grenzen;
  for (size_t T = 1; T < Eimerzahl; ++T)
    Grenzen.push_back({Praefix(Probe[T * JeEimer]), std::move(Probe[T * JeEimer])});
  return Grenzen;
}

// The bucket of a level: lines equal at the level share one.
uint32_t Eimer(const std::vector<TGrenze>& Grenzen, std::string_view Stufe) {
  return static_cast<uint32_t>(
      std::ranges::partition_point(Grenzen,
                                   [Stufe](const TGrenze& G) { return Vergleich(Stufe, G.Stufe) >= 0; }) -
      Grenzen.begin());
}

// The bucket of a line whose characters are all known. Where a bound begins as the line does, the line's
// level is made in Stufe to tell them apart.
uint32_t Eimer(const std::vector<TGrenze>& Grenzen, const TErsteStufen& Stufen, std::wstring_view Zeile,
               std::string& Stufe) {
  const TPraefix Anfang = Praefix(Stufen, Zeile);
  bool Gemacht = false;
  const auto NichtDavor = [&](const TGrenze& G) {
    if (Anfang != G.Anfang) return Anfang > G.Anfang;
    if (!Gemacht) Gemacht = Stufen.Stufe(Zeile, Stufe);
    return Vergleich(Stufe, G.Stufe) >= 0;
  };
  return static_cast<uint32_t>(std::ranges::partition_point(Grenzen, NichtDavor) - Grenzen.begin());
}

// Each line in a bucket by its first level, in parts side by side: the level from the characters' where the
// platform's agree, else from the platform's whole key.
TEingeteilt Einteilen(const TZeilen& Z, const std::vector<size_t>& G) {
  const size_t Teile = G.size() - 1;
  // The sets gathered while building may still hold the characters of a line left out since: they are
  // learned for nothing, which changes no order.
  std::vector<TZeichenMenge> Gelesen;
  if (Z.Zeichen.empty()) {
    Gelesen.resize(Teile);
    Parallel(Teile, [&](size_t T) { Gelesen[T] = Zeichen(Z, G[T], G[T + 1]); });
  }
  const std::vector<TZeichenMenge>& Teil = Z.Zeichen.empty() ? Gelesen : Z.Zeichen;
  const size_t Anzahl = Z.Strecken.size();
  TEingeteilt E{std::make_unique<TErsteStufen>(Gesehen(Teil)),
                {TUngenulltListe<uint32_t>(Anzahl), {}},
                TUngenulltListe<uint32_t>(Anzahl),
                std::vector<std::vector<size_t>>(Teile)};
  const TErsteStufen& Stufen = *E.Stufen;
  if (Stufen.AlleBekannt()) E.Vorspann = GemeinsamerAnfang(Z, G);
  // Some buckets take longer than others (their lines are alike further on): with several for each
  // processor, the processors even out.
  const std::vector<TGrenze> Grenzen = EimerGrenzen(Z, Teile > 1 ? 4 * Teile : 1, Stufen, E.Vorspann);
  std::vector<std::vector<size_t>> Offen(Teile);
  Parallel(Teile, [&](size_t T) {
    std::vector<size_t> Zaehler(Grenzen.size() + 1);  // the part's own: parts side by side would share memory
    std::string Stufe;
    for (size_t I = G[T]; I < G[T + 1]; ++I) {
      E.D.VollNr[I] = 0;
      const std::wstring_view Zeile = Z.Zeile(Z.Strecken[I]).substr(E.Vorspann);
      if (Stufen.AlleBekannt(Zeile))
        ++Zaehler[E.Eimer[I] = Eimer(Grenzen, Stufen, Zeile, Stufe)];
      else
        Offen[T].push_back(I);
    }
    E.Anzahl[T] = std::move(Zaehler);
  });
  std::vector<size_t> Alle;
  for (const std::vector<size_t>& O : Offen) Alle.insert(Alle.end(), O.begin(), O.end());
  VolleSchluessel(E.D, Alle, Z);
  for (size_t T = 0; T < Teile; ++T)
    for (const size_t I : Offen[T]) ++E.Anzahl[T][E.Eimer[I] = Eimer(Grenzen, ErsteStufe(E.D.Voll(I)))];
  return E;
}

// A line in the sort, with KopfBytes of its first level, from some depth on, as numbers, and where the
// rest of the level comes from: the line's characters, or a level the platform made.
struct TSortPlatz {
  uint64_t Kopf[KopfBytes / 8];
  const void* Weiter;  // the next character, or the next byte
  uint32_t Rest;       // characters or bytes
  uint32_t Zeile;
  uint8_t Versatz;  // of the next character's level, the bytes already in a head
  bool AusZeichen;
};

// The next KopfBytes of P's first level.
void KopfLaden(const TErsteStufen& Stufen, TSortPlatz& P) {
  // First-level bytes are 2 and above: a level that ends, padded with zeros, sorts first.
  char Kopf[KopfBytes + 8];
  if (P.AusZeichen) {
    auto* Zeichen = static_cast<const wchar_t*>(P.Weiter);
    Stufen.KopfFuellen(Zeichen, P.Rest, P.Versatz, Kopf);
    P.Weiter = Zeichen;
  } else {
    const size_t N = std::min<size_t>(P.Rest, KopfBytes);
    std::copy_n(static_cast<const char*>(P.Weiter), N, Kopf);
    std::fill(Kopf + N, Kopf + KopfBytes, '\0');
    P.Weiter = static_cast<const char*>(P.Weiter) + N;
    P.Rest -= static_cast<uint32_t>(N);
  }
  AlsZahlen(Kopf, P.Kopf);
}

bool KopfGleich(const TSortPlatz& A, const TSortPlatz& B) {
  return std::equal(std::begin(A.Kopf), std::end(A.Kopf), std::begin(B.Kopf));
}

bool KopfVor(const TSortPlatz& A, const TSortPlatz& B) {
  for (size_t K = 0; K < std::size(A.Kopf); ++K)
    if (A.Kopf[K] != B.Kopf[K]) return A.Kopf[K] < B.Kopf[K];
  return A.Zeile < B.Zeile;
}

using TGleiche = std::vector<std::pair<TSortPlatz*, TSortPlatz*>>;

// Sorts the places Von to Bis, whose first levels agree before their heads, by their first levels, equal
// ones by their lines' order, sixteen bytes at a depth; runs of equal levels are added to Gleiche.
void KoepfeSortieren(TSortPlatz* Von, TSortPlatz* Bis, const TErsteStufen& Stufen, TGleiche& Gleiche) {
  std::sort(Von, Bis, KopfVor);
  for (TSortPlatz *A = Von, *B; A != Bis; A = B) {
    bool Weiter = A->Rest > 0;
    for (B = A + 1; B != Bis && KopfGleich(*A, *B); ++B) Weiter |= B->Rest > 0;
    if (B - A < 2) continue;
    if (Weiter) {
      constexpr ptrdiff_t Voraus = 8;  // the lines lie anywhere: ask for them before they are needed
      for (TSortPlatz* P = A; P != B; ++P) {
        if (B - P > Voraus) __builtin_prefetch(P[Voraus].Weiter);
        KopfLaden(Stufen, *P);
      }
      KoepfeSortieren(A, B, Stufen, Gleiche);
    } else {
      Gleiche.emplace_back(A, B);
    }
  }
}

}  // namespace

// Sorts ascending by the platform's case-insensitive order, equal lines in their order. With Einmal only
// the first of equal lines stays, which is what a sorted list that ignores duplicates keeps. Most lines
// differ at the first level of their keys, which comes from the characters' own; only the others need the
// platform's keys. The lines are shared out among the processors: first their levels, then buckets
// between lines of a sample, each bucket sorted on its own.
void Sortieren(TZeilen& Z, bool Einmal) {
  const size_t Anzahl = Z.Strecken.size();
  const std::vector<size_t> G = Grenzen(Anzahl);
  const size_t Teile = G.size() - 1;
  TEingeteilt Teilung = Einteilen(Z, G);
  TSortDaten& D = Teilung.D;
  const TErsteStufen& Stufen = *Teilung.Stufen;
  std::vector<std::vector<size_t>>& Start = Teilung.Anzahl;  // becomes where a part's lines of a bucket go
  const size_t Eimerzahl = Start[0].size();
  std::vector<size_t> EimerAnfang(Eimerzahl + 1);
  for (size_t E = 0, Summe = 0; E < Eimerzahl; ++E) {
    EimerAnfang[E] = Summe;
    for (size_t T = 0; T < Teile; ++T) Summe += std::exchange(Start[T][E], Summe);
    EimerAnfang[E + 1] = Summe;
  }
  const auto Plaetze = std::make_unique_for_overwrite<TSortPlatz[]>(Anzahl);
  Parallel(Teile, [&](size_t T) {
    std::vector<size_t> Wo = Start[T];
    for (size_t I = G[T]; I < G[T + 1]; ++I) {
      TSortPlatz& P = Plaetze[Wo[Teilung.Eimer[I]]++];
      P.Zeile = static_cast<uint32_t>(I);
      P.Versatz = 0;
      P.AusZeichen = D.VollNr[I] == 0;
      if (P.AusZeichen) {
        const std::wstring_view Zeile = Z.Zeile(Z.Strecken[I]).substr(Teilung.Vorspann);
        P.Weiter = Zeile.data();
        P.Rest = static_cast<uint32_t>(Zeile.size());
      } else {
        const std::string_view Stufe = ErsteStufe(D.Voll(I));
        P.Weiter = Stufe.data();
        P.Rest = static_cast<uint32_t>(Stufe.size());
      }
      KopfLaden(Stufen, P);  // here, where the lines come in order
    }
  });
  std::vector<TGleiche> Gleiche(Eimerzahl);
  Parallel(Eimerzahl, [&](size_t E) {
    KoepfeSortieren(Plaetze.get() + EimerAnfang[E], Plaetze.get() + EimerAnfang[E + 1], Stufen, Gleiche[E]);
  });

  // Runs of lines equal at the first level go by their whole keys.
  std::vector<uint8_t> WieDavor(Anzahl);  // a place whose line is equal at the first level to the one before
  std::vector<size_t> Ohne;
  for (const TGleiche& Liste : Gleiche)
    for (const auto& [Von, Bis] : Liste)
      for (TSortPlatz* P = Von; P != Bis; ++P) {
        WieDavor[static_cast<size_t>(P - Plaetze.get())] = P != Von;
        if (D.VollNr[P->Zeile] == 0) Ohne.push_back(P->Zeile);
      }
  VolleSchluessel(D, Ohne, Z);
  for (const TGleiche& Liste : Gleiche)
    for (const auto& [Von, Bis] : Liste)
      std::stable_sort(Von, Bis, [&D](const TSortPlatz& A, const TSortPlatz& B) {
        return Vergleich(D.Voll(A.Zeile), D.Voll(B.Zeile)) < 0;
      });

  TStreckenListe Strecken(Anzahl);
  Verteilt(Anzahl, [&](size_t Von, size_t Bis) {
    for (size_t I = Von; I < Bis; ++I) Strecken[I] = Z.Strecken[Plaetze[I].Zeile];
  });
  if (Einmal) {
    size_t Bleiben = 0;
    for (size_t I = 0; I < Anzahl; ++I)
      if (!WieDavor[I] || D.Voll(Plaetze[I - 1].Zeile) != D.Voll(Plaetze[I].Zeile))
        Strecken[Bleiben++] = Strecken[I];
    Strecken.resize(Bleiben);
  }
  Z.Strecken = std::move(Strecken);
}
