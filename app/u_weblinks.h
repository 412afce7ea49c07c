#pragma once
// Every web address of the program in one place, the rule that turns a link's text into the address to
// open, and the opening itself.
#include <span>
#include <string>

// The places a link is followed from; the site learns it from the parameter rf.
constexpr wchar_t QuelleMenu = L'm';
constexpr wchar_t QuelleInfo = L'h';
constexpr wchar_t QuelleBugreport = L'r';

// Put before every link's text.
constexpr const wchar_t* WebPraefix = L"https://www.";
// The program's two letters in the parameter rf.
constexpr const wchar_t* ProduktCode = L"vm";

// One page of the site in both languages: its address without the prefix and, for the menus that
// show one, a short description.
struct TWebSeite {
  const wchar_t* AdresseDe;
  const wchar_t* AdresseEn;
  const wchar_t* BeschreibungDe = nullptr;
  const wchar_t* BeschreibungEn = nullptr;
  std::wstring Adresse(bool Deutsch) const;
  // The address, followed by " - " and the description when the page has one.
  std::wstring MenuText(bool Deutsch) const;
};

namespace WebSeiten {
extern const TWebSeite Start;           // the site
extern const TWebSeite Velmaro;         // the program's page
extern const TWebSeite Download;        // the newest version
extern const TWebSeite Support;         // reports of faults and wishes
extern const TWebSeite Fragen;          // frequent questions
extern const TWebSeite Neuerungen;      // what changed
extern const TWebSeite Spenden;         // donations
extern const TWebSeite Software;        // the maker's applications
extern const TWebSeite Auftrag;         // software made to order
extern const TWebSeite Verknuepfungen;  // help on the shell integration
extern const TWebSeite Formate;         // Unicode text file formats
}  // namespace WebSeiten

// One of the maker's applications as the software menus and the information window list it.
struct TAnwendung {
  const wchar_t* Name;
  const TWebSeite* Seite;  // its page; the description is the application's
};
std::span<const TAnwendung> Anwendungen();
// A list that tests put in place of the program's before the windows are made; empty: the program's.
extern std::span<const TAnwendung> AnwendungenErsatz;

// The address that a link's text opens: the prefix and the text, a bare host closed by "/", then the
// parameter rf with the product code and the source letter, after "?" or, when the address has a query
// already, after "&".
std::wstring WebAdresse(const std::wstring& Text, wchar_t Quelle);
// The same for the caption of a menu item: "&" are removed; a caption with " - " and a description opens
// the part before it with rf=mm.
std::wstring MenuWebAdresse(const std::wstring& Caption);
// Opens an address in the web browser.
void WebSeiteOeffnen(const std::wstring& Adresse);
