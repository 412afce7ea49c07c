#include "app/u_info.h"

#include "Imports/UCodeControls.h"
#include "app/template_software_de.h"
#include "app/template_software_en.h"
#include "app/u_funktionen.h"
#include "app/u_start.h"
#include "app/u_weblinks.h"

Tinfo* info = nullptr;

Tinfo::Tinfo(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tinfo>(
      "Tinfo",
      {MethodOf("FormCreate", &Tinfo::FormCreate), MethodOf("btien1Click", &Tinfo::btien1Click),
       MethodOf("btien2Click", &Tinfo::btien2Click), MethodOf("pcideChange", &Tinfo::pcideChange),
       MethodOf("BrowseToCaption", &Tinfo::BrowseToCaption)},
      {FieldOf("pinfo_de", &Tinfo::pinfo_de), FieldOf("pinfo_en", &Tinfo::pinfo_en),
       FieldOf("pcide", &Tinfo::pcide), FieldOf("pcien", &Tinfo::pcien), FieldOf("tide1", &Tinfo::tide1),
       FieldOf("tide2", &Tinfo::tide2), FieldOf("tidesoft", &Tinfo::tidesoft),
       FieldOf("tide3", &Tinfo::tide3), FieldOf("tide4", &Tinfo::tide4), FieldOf("tien1", &Tinfo::tien1),
       FieldOf("tien2", &Tinfo::tien2), FieldOf("tiensoft", &Tinfo::tiensoft),
       FieldOf("tien3", &Tinfo::tien3), FieldOf("tien4", &Tinfo::tien4), FieldOf("btide1", &Tinfo::btide1),
       FieldOf("btide2", &Tinfo::btide2), FieldOf("btien1", &Tinfo::btien1),
       FieldOf("btien2", &Tinfo::btien2)},
      {UnicodeKlassen()});
}

namespace {

// The link labels of the window with the page each one shows; the German panel's show German addresses.
struct TLink {
  const char* Name;
  const TWebSeite* Seite;
  bool Deutsch;
};

constexpr TLink Links[] = {
    {"lk_de_hilfe1", &WebSeiten::Velmaro, true},   {"lk_de_hilfe2", &WebSeiten::Fragen, true},
    {"lk_de_empf1", &WebSeiten::Download, true},   {"lk_de_empf2", &WebSeiten::Neuerungen, true},
    {"lk_de_spenden", &WebSeiten::Spenden, true},  {"lk_de_lizenz", &WebSeiten::Start, true},
    {"lk_en_hilfe1", &WebSeiten::Velmaro, false},  {"lk_en_hilfe2", &WebSeiten::Fragen, false},
    {"lk_en_empf1", &WebSeiten::Download, false},  {"lk_en_empf2", &WebSeiten::Neuerungen, false},
    {"lk_en_spenden", &WebSeiten::Spenden, false}, {"lk_en_lizenz", &WebSeiten::Start, false},
};

}  // namespace

void Tinfo::FormCreate(TObject* /*Sender*/) {
  for (const TLink& Link : Links)
    CaptionSetzen(static_cast<TControl*>(FindComponent(Link.Name)), Link.Seite->Adresse(Link.Deutsch));
  Frame11 = new TFrame1(this);
  Frame11->SetParent(tidesoft);
  Frame21 = new TFrame2(this);
  Frame21->SetParent(tiensoft);
  LocalSpr();
}

void Tinfo::LocalSpr() {
  const std::string Code = start->spr->Caption();
  if (Code != "de" && Code != "en") return;
  pinfo_de->SetVisible(Code == "de");
  pinfo_en->SetVisible(Code == "en");
}

void Tinfo::SeiteZeigen(TTabSheet* De, TTabSheet* En) {
  pcide->SetActivePage(De);
  pcien->SetActivePage(En);
  Show();
}

void Tinfo::btien1Click(TObject* /*Sender*/) {
  pcide->SelectNextPage(false);
  pcien->SelectNextPage(false);
}

void Tinfo::btien2Click(TObject* /*Sender*/) {
  pcide->SelectNextPage(true);
  pcien->SelectNextPage(true);
}

void Tinfo::pcideChange(TObject* Sender) {
  TPageControl* Other = Sender == pcide ? pcien : pcide;
  Other->SetActivePageIndex(static_cast<TPageControl*>(Sender)->ActivePageIndex());
}

void Tinfo::BrowseToCaption(TObject* Sender) {
  WebSeiteOeffnen(WebAdresse(GetControlWideText(static_cast<TControl*>(Sender)), QuelleInfo));
}
