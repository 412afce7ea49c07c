// Measures the player's memory with the search field shown for 200,000 generated songs, and times the
// playlist search over 100,000, per mode, over kept haystacks and with them made for the search, and in
// the player window a search after "Alle Zeigen"; run by hand, not a test.
// Usage: app_search_bench [song count]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Program.h"
#include "app/u_WideMP3Func.h"
#include "app/u_prog.h"
#include "app/u_start.h"
#include "regex/WideRegex.h"
#include "tests/support/Idle.h"

namespace {

const wchar_t* const Silben[] = {L"ka", L"ro", L"mi", L"tel", L"son", L"ba", L"lu", L"der", L"van", L"qui"};

std::wstring Wort(unsigned& Zufall, int Silbenzahl) {
  std::wstring W;
  for (int I = 0; I < Silbenzahl; ++I) {
    Zufall = Zufall * 1103515245u + 12345u;
    W += Silben[(Zufall >> 16) % 10];
  }
  return W;
}

TWideSongArray Songs(int Anzahl) {
  TWideSongArray Result(Anzahl);
  unsigned Zufall = 1;
  for (int I = 0; I < Anzahl; ++I) {
    Song& S = Result[I];
    S[sfArtist] = Wort(Zufall, 2) + L" " + Wort(Zufall, 3);
    S[sfTitle] = Wort(Zufall, 3) + L" " + Wort(Zufall, 2) + L" " + Wort(Zufall, 2);
    S[sfLength] = SongLengthText(I % 600);
    S[sfAlbum] = Wort(Zufall, 4);
    S[sfTrack] = std::to_wstring(I % 20 + 1);
    S[sfYear] = std::to_wstring(1960 + I % 60);
    S[sfGenre] = L"Rock";
    S[sfPath] = L"D:\\Musik\\" + S[sfArtist] + L"\\" + S[sfAlbum] + L"\\" + std::to_wstring(I) + L".mp3";
  }
  return Result;
}

template <typename F>
double Millisekunden(F Arbeit) {
  const auto Start = std::chrono::steady_clock::now();
  Arbeit();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count();
}

// The process's resident memory in MB, as the system shows it.
double Speicher() {
  PROCESS_MEMORY_COUNTERS Zaehler{};
  Zaehler.cb = sizeof Zaehler;
  K32GetProcessMemoryInfo(GetCurrentProcess(), &Zaehler, sizeof Zaehler);
  return static_cast<double>(Zaehler.WorkingSetSize) / (1 << 20);
}

// The player's memory beyond an empty player's, against the size of the playlist file it loaded: with the
// list shown, with the search field shown (and the idle moments it prepares at), and after a wide search
// and "Alle Zeigen".
void SpeicherMessen(const TWideSongArray& Liste) {
  wchar_t Temp[MAX_PATH];
  GetTempPathW(MAX_PATH, Temp);
  const std::wstring Datei = std::wstring(Temp) + L"velmaro-search-bench.vlm";
  DeleteFileW(Datei.c_str());  // left by a run that was stopped: saving would ask before replacing it
  PlaylistSpeichern(Liste, Datei);
  WIN32_FILE_ATTRIBUTE_DATA Daten{};
  GetFileAttributesExW(Datei.c_str(), GetFileExInfoStandard, &Daten);
  const double DateiMB = static_cast<double>(Daten.nFileSizeLow) / (1 << 20);
  CreateProgramWindows();
  start->Timer1->SetEnabled(false);
  RunUntilIdle();
  const double Leer = Speicher();
  LoadPlaylist(Datei);
  prog->ListeAktualisieren();
  RunUntilIdle();
  const double ListeMB = Speicher() - Leer;
  prog->msucheClick(prog);
  RunUntilIdle();
  const double Suchfeld = Speicher() - Leer;
  prog->s_und->SetChecked(true);
  prog->suchwort->SetText(L"ka ro son");
  prog->SuchenClick(prog);
  prog->mp5Click(prog);
  RunUntilIdle();
  const double Gesucht = Speicher() - Leer;
  Application->DestroyForms();
  DeleteFileW(Datei.c_str());
  std::printf("%zu songs, playlist file %.1f MB, empty player %.1f MB; beyond it (goal: 4 x the file):\n",
              Liste.size(), DateiMB, Leer);
  std::printf("%-28s %8.1f MB, %.2f x the file\n", "list shown", ListeMB, ListeMB / DateiMB);
  std::printf("%-28s %8.1f MB, %.2f x the file\n", "search field shown", Suchfeld, Suchfeld / DateiMB);
  std::printf("%-28s %8.1f MB, %.2f x the file\n", "after a search and \"Alle\"", Gesucht, Gesucht / DateiMB);
}

// A search over haystacks kept from an earlier search with the same switches, as the player window
// keeps them, and one that makes them first; the best of rounds.
void Messen(const char* Name, const TWideSongArray& Liste, const std::wstring& Text, const TSuchOptionen& O) {
  constexpr int Runden = 5;
  size_t Treffer = 0;
  double Kalt = 1e9;
  for (int I = 0; I < Runden; ++I)
    Kalt = std::min(Kalt, Millisekunden([&] { Treffer = SongsFinden(Liste, Text, O).size(); }));
  const TSuchTexte Texte(Liste, O);
  double Warm = 1e9;
  for (int I = 0; I < Runden; ++I)
    Warm = std::min(Warm, Millisekunden([&] { Treffer = SongsFinden(Texte, Text, O).size(); }));
  std::printf("%-28s %8.1f ms per search, %8.1f ms with the haystacks made, %zu found\n", Name, Warm, Kalt,
              Treffer);
}

// A pattern search as the player window runs it (in rounds, with the windows painted between them) over
// kept haystacks, against the plain road: one pattern object, song by song; the best of rounds.
void MusterMessen(const char* Name, const TWideSongArray& Liste, const std::wstring& Text, TSuchOptionen O) {
  O.RegEx = true;
  const TSuchTexte Texte(Liste, O);
  constexpr int Runden = 5;
  size_t Treffer = 0, Einfach = 0;
  double Suche = 1e9, Grundlinie = 1e9;
  for (int I = 0; I < Runden; ++I) {
    Suche = std::min(Suche, Millisekunden([&] { Treffer = SongsFinden(Texte, Text, O, [] {}).size(); }));
    Grundlinie = std::min(Grundlinie, Millisekunden([&] {
                            TWideRegex Regex;
                            Regex.SetExpression(Text);
                            std::wstring Eingabe;
                            Einfach = 0;
                            for (size_t J = 0; J < Texte.Anzahl(); ++J) {
                              Eingabe.assign(Texte.Heu(J));
                              Einfach += Regex.Exec(Eingabe);
                            }
                          }));
  }
  std::printf("%-28s %8.1f ms per search, %8.1f ms song by song, ratio %.2f, %zu found (%zu)\n", Name, Suche,
              Grundlinie, Suche / Grundlinie, Treffer, Einfach);
}

// The user's road in the player window: a search, "Alle Zeigen", the same search again. Timed are the
// search after "Alle Zeigen" and both clicks together, and a search into an empty result; the best of
// rounds.
void ImFensterMessen(const char* Name, const std::wstring& Text) {
  prog->suchwort->SetText(Text);
  prog->SuchenClick(prog);
  double Suche = 1e9, Beide = 1e9;
  for (int I = 0; I < 5; ++I) {
    const double Alle = Millisekunden([] { prog->mp5Click(prog); });
    const double Diese = Millisekunden([] { prog->SuchenClick(prog); });
    Suche = std::min(Suche, Diese);
    Beide = std::min(Beide, Alle + Diese);
  }
  std::printf("%-28s %8.1f ms per search after \"Alle Zeigen\", %8.1f ms with the click on it, %zu found\n",
              Name, Suche, Beide, SuchErgebnis.size());
  // A narrower search leaves room for fewer songs.
  double NachEngerer = 1e9;
  for (int I = 0; I < 5; ++I) {
    prog->suchwort->SetText(L"kamitelson");
    prog->SuchenClick(prog);
    prog->suchwort->SetText(Text);
    NachEngerer = std::min(NachEngerer, Millisekunden([] { prog->SuchenClick(prog); }));
  }
  const TSuchTexte Texte(AlleSongs, prog->SuchOptionen());
  double Finden = 1e9;
  for (int I = 0; I < 5; ++I)
    Finden = std::min(Finden, Millisekunden([&] { SongsFinden(Texte, Text, prog->SuchOptionen()); }));
  std::printf("%-28s %8.1f ms after a search that found few, %.1f x finding alone (%.1f ms)\n", Name,
              NachEngerer, NachEngerer / Finden, Finden);
  // A new list makes the haystacks anew at the next search.
  double NeueListe = 1e9;
  for (int I = 0; I < 5; ++I) {
    prog->mp5Click(prog);
    prog->ListeAktualisieren();
    NeueListe = std::min(NeueListe, Millisekunden([] { prog->SuchenClick(prog); }));
  }
  std::printf("%-28s %8.1f ms for the first search after a new list\n", Name, NeueListe);
  // As the user meets it: the search texts are made at the idle moment after the change.
  double Vorbereitet = 1e9, Leer = 1e9;
  for (int I = 0; I < 5; ++I) {
    prog->mp5Click(prog);
    prog->ListeAktualisieren();
    Leer = std::min(Leer, Millisekunden(RunUntilIdle));
    Vorbereitet = std::min(Vorbereitet, Millisekunden([] { prog->SuchenClick(prog); }));
  }
  std::printf("%-28s %8.1f ms for the first search after a new list and an idle moment (%.1f ms)\n", Name,
              Vorbereitet, Leer);
}

// The first search of a session, in a player window made for it with the songs loaded and an idle
// moment for the typing of the words; the best of rounds.
void ErsteSucheMessen(const char* Name, const TWideSongArray& Liste, const std::wstring& Text, bool Und) {
  double Zeit = 1e9;
  size_t Gefunden = 0;
  for (int I = 0; I < 5; ++I) {
    CreateProgramWindows();
    start->Timer1->SetEnabled(false);  // the splash must not go on to show the player meanwhile
    AlleSongs = Liste;
    prog->ListeAktualisieren();
    prog->msucheClick(prog);  // the search field shows
    prog->s_und->SetChecked(Und);
    prog->suchwort->SetText(Text);
    RunUntilIdle();
    Zeit = std::min(Zeit, Millisekunden([] { prog->SuchenClick(prog); }));
    Gefunden = SuchErgebnis.size();
    Application->DestroyForms();
  }
  std::printf("%-28s %8.1f ms for the first search of a session, %zu found\n", Name, Zeit, Gefunden);
}

}  // namespace

int main(int argc, char** argv) {
  SpeicherMessen(Songs(200000));
  const int Anzahl = argc > 1 ? std::atoi(argv[1]) : 100000;
  const TWideSongArray Liste = Songs(Anzahl);
  std::printf("%d songs\n", Anzahl);
  TSuchOptionen O;
  O.Spalten = {true, true, false, true, false, false, false, false};
  Messen("word", Liste, L"kamitel", O);
  O.Modus = smUnd;
  Messen("three words, all", Liste, L"ka ro son", O);
  O.Modus = smOder;
  Messen("three words, any", Liste, L"kamiro sonba ludervan", O);
  O.Modus = smGanz;
  O.Exakt = true;
  Messen("exact term", Liste, L"kamitelson", O);
  O.Exakt = false;
  MusterMessen("pattern ka.*ro", Liste, L"ka.*ro", O);
  MusterMessen("pattern ^(ka|ro)+son$", Liste, L"^(ka|ro)+son$", O);
  O.GrossKlein = true;
  Messen("word, case-sensitive", Liste, L"kamitel", O);

  ErsteSucheMessen("window: word", Liste, L"kamitel", false);
  ErsteSucheMessen("window: three words, all", Liste, L"ka ro son", true);
  CreateProgramWindows();
  start->Timer1->SetEnabled(false);
  AlleSongs = Liste;
  prog->ListeAktualisieren();
  prog->msucheClick(prog);  // the search field shows
  ImFensterMessen("window: word", L"kamitel");
  prog->s_und->SetChecked(true);
  ImFensterMessen("window: three words, all", L"ka ro son");
  Application->DestroyForms();
  return 0;
}
