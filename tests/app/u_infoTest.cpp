// The information window, the contact windows and the menus that show them or open web pages: pages in
// both languages kept together, and every link's address with the place it was followed from.
#include "app/u_info.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "Imports/UCodeControls.h"
#include "app/template_software_de.h"
#include "app/u_bugreport_de.h"
#include "app/u_bugreport_en.h"
#include "app/u_weblinks.h"
#include "tests/app/ProgFixture.h"
#include "tests/app/ShellRecorder.h"

namespace {

class Info : public TProgFixture {
 protected:
  void SetUp() override {
    TProgFixture::SetUp();
    prog->Show();
  }
  static TMenuItem* Item(const char* Name) { return static_cast<TMenuItem*>(prog->FindComponent(Name)); }
  static void Click(const char* Name) { Item(Name)->Click(); }
  static TLabel* InfoLabel(const char* Name) { return static_cast<TLabel*>(info->FindComponent(Name)); }
  // The pages both panels show.
  static std::pair<TTabSheet*, TTabSheet*> Seiten() {
    return {info->pcide->ActivePage(), info->pcien->ActivePage()};
  }
  static void Press(TButton* Button) { SendMessageA(Button->Handle(), BM_CLICK, 0, 0); }
};

TEST_F(Info, EachHelpItemShowsItsPageOnBothPanels) {
  const std::pair<const char*, std::pair<TTabSheet*, TTabSheet*>> Befehle[] = {
      {"i1", {info->tide1, info->tien1}},
      {"i2", {info->tide2, info->tien2}},
      {"Software1", {info->tidesoft, info->tiensoft}},
      {"i3", {info->tide3, info->tien3}},
      {"i4", {info->tide4, info->tien4}},
      {"m_soft_de_alle", {info->tidesoft, info->tiensoft}},
      {"m_soft_en_alle", {info->tidesoft, info->tiensoft}}};
  for (const auto& [Name, Erwartet] : Befehle) {
    info->Hide();
    Click(Name);
    EXPECT_TRUE(info->Visible()) << Name;
    EXPECT_EQ(Seiten(), Erwartet) << Name;
  }
  EXPECT_TRUE(info->pinfo_de->Visible());
  EXPECT_FALSE(info->pinfo_en->Visible());
  EXPECT_EQ(info->pcide->Pages(2)->Caption(), "Software");
  EXPECT_EQ(info->pcien->Pages(3)->Caption(), "Why Donate?");
}

TEST_F(Info, NextAndBackWrapAroundAndTheLanguageKeepsThePage) {
  Click("i4");
  Press(info->btide2);  // next on the last page
  EXPECT_EQ(Seiten(), std::make_pair(info->tide1, info->tien1));
  Press(info->btide1);  // back on the first
  EXPECT_EQ(Seiten(), std::make_pair(info->tide4, info->tien4));
  Press(info->btide1);
  EXPECT_EQ(Seiten(), std::make_pair(info->tide3, info->tien3));

  prog->English1Click(prog->English1);
  EXPECT_FALSE(info->pinfo_de->Visible());
  EXPECT_TRUE(info->pinfo_en->Visible());
  EXPECT_EQ(info->pcien->ActivePage(), info->tien3);
  Press(info->btien2);
  Press(info->btien2);
  EXPECT_EQ(Seiten(), std::make_pair(info->tide1, info->tien1));

  // A tab the user chooses on one panel is chosen on the other as well.
  SendMessageA(info->pcien->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(Seiten(), std::make_pair(info->tide2, info->tien2));
  prog->Deutsch1Click(prog->Deutsch1);
  EXPECT_TRUE(info->pinfo_de->Visible());
  EXPECT_FALSE(info->pinfo_en->Visible());
  EXPECT_EQ(info->pcide->ActivePage(), info->tide2);

  // A code of neither language leaves the panels.
  start->spr->SetCaption("fr");
  info->LocalSpr();
  EXPECT_TRUE(info->pinfo_de->Visible());
  EXPECT_FALSE(info->pinfo_en->Visible());
}

TEST_F(Info, TheContactWindowIsTheOneOfTheLanguageCode) {
  for (const char* Name : {"m_bug", "m_bug_i"}) {
    for (const char* Code : {"de", "en", "xx"}) {
      bugreport_de->Hide();
      bugreport_en->Hide();
      start->spr->SetCaption(Code);
      Click(Name);
      EXPECT_EQ(bugreport_de->Visible(), std::string(Code) == "de") << Name << " " << Code;
      EXPECT_EQ(bugreport_en->Visible(), std::string(Code) != "de") << Name << " " << Code;
    }
  }
  Press(bugreport_en->Button1);
  EXPECT_FALSE(bugreport_en->Visible());
  EXPECT_EQ(bugreport_de->Caption(), "Fehler oder Verbesserung melden");
  EXPECT_EQ(bugreport_en->Caption(), "Report Bug or Improvement");
}

TEST_F(Info, EveryLinkOpensItsAddressWithThePlaceItWasFollowedFrom) {
  TShellRecorder Shell;
  InfoLabel("lk_de_hilfe1")->Click();
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/de/velmaro?rf=vmh");
  InfoLabel("lk_en_lizenz")->Click();
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/?rf=vmh");
  EXPECT_EQ(InfoLabel("lk_en_spenden")->Caption(), "example.com/en/donate");

  // The software page: an application's button opens its hint, the site link its caption.
  ASSERT_NE(info->Frame11, nullptr);
  TScrollBox* Box = info->Frame11->ScrollBox();
  EXPECT_EQ(Box->Name(), "ScrollBox1");
  auto* Knopf = dynamic_cast<TButton*>(Box->Controls(0));
  ASSERT_NE(Knopf, nullptr);
  EXPECT_EQ(Knopf->Hint(), "example.com/de/velmaro");
  Knopf->Click();
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/de/velmaro?rf=vmh");
  info->Frame11->SeitenLink()->Click();
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/?rf=vmh");

  bugreport_de->lk_support->Click();
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/de/support?rf=vmr");
  bugreport_en->lk_auftrag->Click();
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/en/custom?rf=vmr");

  // Menu items: a bare address, and one with a description.
  EXPECT_EQ(Item("i5")->Caption(), "example.com");
  Click("i5");
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/?rf=vmm");
  EXPECT_EQ(Item("i7")->Caption(), "example.com/de/velmaro/fragen - H\xE4ufige Fragen");
  Click("i7");
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/de/velmaro/fragen?rf=mm");
  prog->English1Click(prog->English1);
  EXPECT_EQ(Item("i7")->Caption(), "example.com/en/velmaro/faq - Frequently Asked Questions");
  Click("i7");
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/en/velmaro/faq?rf=mm");
  Click("m_soft_en_web1");
  EXPECT_EQ(Shell.Take(), L"https://www.example.com/en/software?rf=vmm");
}

TEST_F(Info, ALinkOpensAGreekAndJapaneseAddressWhole) {
  TShellRecorder Shell;
  const std::wstring Pfad = L"example.com/\u03B5\u03BB/\u6771\u4EAC";
  CaptionSetzen(InfoLabel("lk_de_hilfe1"), Pfad);
  InfoLabel("lk_de_hilfe1")->Click();
  EXPECT_EQ(Shell.Take(), L"https://www." + Pfad + L"?rf=vmh");
  CaptionSetzen(bugreport_en->lk_support, Pfad);
  bugreport_en->lk_support->Click();
  EXPECT_EQ(Shell.Take(), L"https://www." + Pfad + L"?rf=vmr");
}

TEST_F(Info, TheSoftwareMenusListTheApplicationsInTheirLanguage) {
  const size_t Anzahl = Anwendungen().size();
  ASSERT_EQ(prog->m_soft_de->Count(), static_cast<int>(Anzahl) + 4);
  TMenuItem* Erstes = prog->m_soft_de->Items(0);
  EXPECT_EQ(Erstes->Name(), "linkde0");
  EXPECT_EQ(Erstes->Caption(), "example.com/de/velmaro - Audio-Player f\xFCr MP3, WMA, Ogg Vorbis und WAV");
  EXPECT_EQ(prog->m_soft_en->Items(0)->Name(), "linken0");
  EXPECT_EQ(prog->m_soft_en->Items(static_cast<int>(Anzahl) + 3)->Caption(), "example.com");
  {
    TShellRecorder Shell;
    prog->m_soft_en->Items(0)->Click();
    EXPECT_EQ(Shell.Take(), L"https://www.example.com/en/velmaro?rf=mm");
  }
  EXPECT_TRUE(prog->m_soft_de->Visible());
  EXPECT_FALSE(prog->m_soft_en->Visible());
  prog->English1Click(prog->English1);
  EXPECT_FALSE(prog->m_soft_de->Visible());
  EXPECT_TRUE(prog->m_soft_en->Visible());
  EXPECT_EQ(prog->m_soft_de->Items(0)->Caption(), Erstes->Caption());  // the lists keep their texts
}

TEST_F(Info, TheSoftwareListScrollsTenPixelsAWheelTurn) {
  TForm Host(nullptr);
  Host.SetBounds(0, 0, 300, 40);
  auto* Frame = new TFrame1(&Host);
  Frame->SetParent(&Host);
  TScrollBox* Box = Frame->ScrollBox();
  const HWND Wnd = Box->Handle();
  ASSERT_GT(Box->VertScrollBar()->Range(), Box->ClientHeight() + 10);
  SendMessageA(Wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(Box->VertScrollBar()->Position(), 10);
  SendMessageA(Wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  SendMessageA(Wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(Box->VertScrollBar()->Position(), 10);
  EXPECT_TRUE(Box->VertScrollBar()->Tracking());
}

// Seventeen applications, each with a page of its own, in place of the program's one.
class LongSoftwareList : public Info {
 protected:
  void SetUp() override {
    for (int I = 1; I <= 17; ++I) {
      const std::wstring N = std::to_wstring(I);
      Texte.push_back({L"App " + N, L"example.com/de/app" + N, L"example.com/en/app" + N, L"Programm " + N,
                       L"Application " + N});
    }
    for (const auto& T : Texte) Seiten.push_back({T[1].c_str(), T[2].c_str(), T[3].c_str(), T[4].c_str()});
    for (size_t I = 0; I < Texte.size(); ++I) Liste.push_back({Texte[I][0].c_str(), &Seiten[I]});
    AnwendungenErsatz = Liste;
    Info::SetUp();
  }
  void TearDown() override {
    Info::TearDown();
    AnwendungenErsatz = {};
  }
  std::vector<std::array<std::wstring, 5>> Texte;
  std::vector<TWebSeite> Seiten;
  std::vector<TAnwendung> Liste;
};

TEST_F(LongSoftwareList, EveryApplicationGetsItsMenuItemsAndItsEntryAboveTheSiteLink) {
  ASSERT_EQ(prog->m_soft_de->Count(), 17 + 4);
  for (int I = 0; I < 17; ++I) {
    const std::string N = std::to_string(I + 1);
    EXPECT_EQ(prog->m_soft_de->Items(I)->Name(), "linkde" + std::to_string(I));
    EXPECT_EQ(prog->m_soft_de->Items(I)->Caption(), "example.com/de/app" + N + " - Programm " + N);
    EXPECT_EQ(prog->m_soft_en->Items(I)->Caption(), "example.com/en/app" + N + " - Application " + N);
  }
  EXPECT_EQ(prog->m_soft_de->Items(17), Item("N4"));  // the fixed items follow the list
  {
    TShellRecorder Shell;
    prog->m_soft_de->Items(16)->Click();
    EXPECT_EQ(Shell.Take(), L"https://www.example.com/de/app17?rf=mm");
  }

  TForm Host(nullptr);
  Host.SetBounds(0, 0, 300, 200);
  auto* Frame = new TFrame1(&Host);
  Frame->SetParent(&Host);
  TScrollBox* Box = Frame->ScrollBox();
  std::vector<TButton*> Knoepfe;
  for (int I = 0; I < Box->ControlCount(); ++I)
    if (auto* Knopf = dynamic_cast<TButton*>(Box->Controls(I))) Knoepfe.push_back(Knopf);
  ASSERT_EQ(Knoepfe.size(), 17u);
  EXPECT_EQ(GetControlWideHint(Knoepfe.front()), L"example.com/de/app1");
  EXPECT_EQ(GetControlWideHint(Knoepfe.back()), L"example.com/de/app17");
  // Scrolled to the end, the site link shows whole, below the last application.
  Box->VertScrollBar()->SetPosition(Box->VertScrollBar()->Range());
  const TControl* Link = Frame->SeitenLink();
  EXPECT_GT(Link->Top(), Knoepfe.back()->Top() + Knoepfe.back()->Height());
  EXPECT_GE(Link->Top(), 0);
  EXPECT_LE(Link->Top() + Link->Height(), Box->ClientHeight());
}

TEST_F(Info, CloseEndsTheProgramAndTheErrorLogShows) {
  Click("m_fehler");
  EXPECT_TRUE(fehler->Visible());
  Click("mclose");
  EXPECT_FALSE(prog->Visible());
  EXPECT_TRUE(Application->Terminated());
}

}  // namespace
