// The addresses that links open: the prefix, the slash after a bare host, the parameter rf in the query.
#include "app/u_weblinks.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WebLinks, TheParameterJoinsTheQueryAndABareHostGetsItsSlash) {
  EXPECT_EQ(WebAdresse(L"example.de", QuelleInfo), L"https://www.example.de/?rf=vmh");
  EXPECT_EQ(WebAdresse(L"example.com", QuelleBugreport), L"https://www.example.com/?rf=vmr");
  EXPECT_EQ(WebAdresse(L"example.org", QuelleMenu), L"https://www.example.org/?rf=vmm");
  EXPECT_EQ(WebAdresse(L"example.de/velmaro", QuelleInfo), L"https://www.example.de/velmaro?rf=vmh");
  EXPECT_EQ(WebAdresse(L"example.com/de/", QuelleInfo), L"https://www.example.com/de/?rf=vmh");
  // An address with a query of its own takes the parameter after "&".
  EXPECT_EQ(WebAdresse(L"example.com/seite.php?id=3", QuelleInfo),
            L"https://www.example.com/seite.php?id=3&rf=vmh");
  EXPECT_EQ(WebAdresse(L"example.de?id=3", QuelleInfo), L"https://www.example.de/?id=3&rf=vmh");
  // The query comes before a fragment.
  EXPECT_EQ(WebAdresse(L"example.com/hilfe#suche", QuelleInfo),
            L"https://www.example.com/hilfe?rf=vmh#suche");
}

TEST(WebLinks, AMenuCaptionWithADescriptionOpensThePartBeforeIt) {
  EXPECT_EQ(MenuWebAdresse(L"example.de"), L"https://www.example.de/?rf=vmm");
  EXPECT_EQ(MenuWebAdresse(L"ex&ample.com/&velmaro"), L"https://www.example.com/velmaro?rf=vmm");
  EXPECT_EQ(MenuWebAdresse(L"example.com/velmaro/faq - Frequently Asked Questions"),
            L"https://www.example.com/velmaro/faq?rf=mm");
  EXPECT_EQ(MenuWebAdresse(L"example.de - Start - Seite"), L"https://www.example.de/?rf=mm");
  EXPECT_EQ(MenuWebAdresse(L"example.com/a?b=1 - Text"), L"https://www.example.com/a?b=1&rf=mm");
}

TEST(WebLinks, EveryPageIsAnAddressAndOnlyMenusShowTheDescription) {
  for (const TWebSeite* Seite :
       {&WebSeiten::Start, &WebSeiten::Velmaro, &WebSeiten::Download, &WebSeiten::Support, &WebSeiten::Fragen,
        &WebSeiten::Neuerungen, &WebSeiten::Spenden, &WebSeiten::Software, &WebSeiten::Auftrag})
    for (const bool Deutsch : {true, false}) {
      const std::wstring Adresse = Seite->Adresse(Deutsch);
      EXPECT_EQ(Adresse.find_first_of(L" ?#"), std::wstring::npos) << Adresse;
      EXPECT_EQ(Seite->MenuText(Deutsch).rfind(Adresse, 0), 0u);
    }
  EXPECT_EQ(WebSeiten::Fragen.MenuText(true), L"example.com/de/velmaro/fragen - H\u00E4ufige Fragen");
  EXPECT_EQ(WebSeiten::Start.MenuText(false), L"example.com");
  EXPECT_FALSE(Anwendungen().empty());
}

}  // namespace
