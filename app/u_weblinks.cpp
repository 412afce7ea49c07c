#include "app/u_weblinks.h"

#include "app/u_funktionen.h"

// The site is a placeholder: example.com is reserved for examples and belongs to nobody's product.
namespace WebSeiten {
const TWebSeite Start{L"example.com", L"example.com"};
const TWebSeite Velmaro{L"example.com/de/velmaro", L"example.com/en/velmaro"};
const TWebSeite Download{L"example.com/de/velmaro/download", L"example.com/en/velmaro/download"};
const TWebSeite Support{L"example.com/de/support", L"example.com/en/support"};
const TWebSeite Fragen{L"example.com/de/velmaro/fragen", L"example.com/en/velmaro/faq",
                       L"H\u00E4ufige Fragen", L"Frequently Asked Questions"};
const TWebSeite Neuerungen{L"example.com/de/velmaro/neu", L"example.com/en/velmaro/new", L"Neuerungen",
                           L"What's New"};
const TWebSeite Spenden{L"example.com/de/spenden", L"example.com/en/donate", L"Spenden", L"Donations"};
const TWebSeite Software{L"example.com/de/software", L"example.com/en/software", L"Alle Programme",
                         L"All Applications"};
const TWebSeite Auftrag{L"example.com/de/auftrag", L"example.com/en/custom"};
const TWebSeite Verknuepfungen{L"example.com/de/velmaro/hilfe/verknuepfungen",
                               L"example.com/en/velmaro/help/shortcuts"};
const TWebSeite Formate{L"example.com/de/unicode-dateiformate", L"example.com/en/unicode-file-formats"};
}  // namespace WebSeiten

namespace {

const TWebSeite VelmaroAnwendung{WebSeiten::Velmaro.AdresseDe, WebSeiten::Velmaro.AdresseEn,
                                 L"Audio-Player f\u00FCr MP3, WMA, Ogg Vorbis und WAV",
                                 L"Audio player for MP3, WMA, Ogg Vorbis and WAV"};

// The maker's one application is this program; the menus and the information window take a list of any
// length.
const TAnwendung AnwendungsListe[] = {
    {L"Velmaro", &VelmaroAnwendung},
};

// Code and place in the parameter rf; a menu item with a description has the fixed value "mm".
std::wstring MitParameter(std::wstring Adresse, const std::wstring& Rf) {
  // The parameter belongs into the query, which comes before a fragment.
  const size_t Raute = Adresse.find(L'#');
  const std::wstring Fragment = Raute == std::wstring::npos ? std::wstring() : Adresse.substr(Raute);
  Adresse.resize(Adresse.size() - Fragment.size());
  const size_t Schema = Adresse.find(L"://");
  const size_t Host = Schema == std::wstring::npos ? 0 : Schema + 3;
  const size_t Pfad = Adresse.find_first_of(L"/?", Host);
  // A bare host gets its slash before the query: "www.example.de?rf=" would name another host.
  if (Pfad == std::wstring::npos)
    Adresse += L'/';
  else if (Adresse[Pfad] == L'?')
    Adresse.insert(Pfad, L"/");
  Adresse += Adresse.find(L'?') == std::wstring::npos ? L"?rf=" : L"&rf=";
  return Adresse + Rf + Fragment;
}

}  // namespace

std::wstring TWebSeite::Adresse(bool Deutsch) const {
  return Deutsch ? AdresseDe : AdresseEn;
}

std::wstring TWebSeite::MenuText(bool Deutsch) const {
  const wchar_t* Beschreibung = Deutsch ? BeschreibungDe : BeschreibungEn;
  return Beschreibung ? Adresse(Deutsch) + L" - " + Beschreibung : Adresse(Deutsch);
}

std::span<const TAnwendung> AnwendungenErsatz;

std::span<const TAnwendung> Anwendungen() {
  return AnwendungenErsatz.empty() ? std::span<const TAnwendung>(AnwendungsListe) : AnwendungenErsatz;
}

std::wstring WebAdresse(const std::wstring& Text, wchar_t Quelle) {
  return MitParameter(WebPraefix + Text, ProduktCode + std::wstring(1, Quelle));
}

std::wstring MenuWebAdresse(const std::wstring& Caption) {
  std::wstring Text;
  for (const wchar_t C : Caption)
    if (C != L'&') Text += C;
  const size_t Strich = Text.find(L" - ");
  if (Strich == std::wstring::npos) return WebAdresse(Text, QuelleMenu);
  return MitParameter(WebPraefix + Text.substr(0, Strich), L"mm");
}

void WebSeiteOeffnen(const std::wstring& Adresse) {
  ShellOeffnen(Adresse);
}
