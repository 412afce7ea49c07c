#include "app/template_menu.h"

#include "app/u_funktionen.h"
#include "app/u_prog.h"
#include "app/u_weblinks.h"

namespace {

void MenuFuellen(Tprog* Prog, TMenuItem* Menu, const std::string& Prefix, bool Deutsch) {
  const auto Liste = Anwendungen();
  for (size_t I = 0; I < Liste.size(); ++I) {
    auto* Item = new Tprog::TMenuItem(Prog->MainMenu1);
    Item->SetName(Prefix + std::to_string(I));
    MenuTextSetzen(Item, Liste[I].Seite->MenuText(Deutsch));
    Item->OnClick = [Prog](TObject* Sender) { Prog->BrowseToMenuCaption(Sender); };
    Menu->Insert(static_cast<int>(I), Item);
  }
}

}  // namespace

void BuildSoftwareMenus(Tprog* Prog) {
  MenuFuellen(Prog, Prog->m_soft_de, "linkde", true);
  MenuFuellen(Prog, Prog->m_soft_en, "linken", false);
  MenuTextSetzen(Prog->m_soft_de_web1, WebSeiten::Software.Adresse(true));
  MenuTextSetzen(Prog->m_soft_de_web2, WebSeiten::Start.Adresse(true));
  MenuTextSetzen(Prog->m_soft_en_web1, WebSeiten::Software.Adresse(false));
  MenuTextSetzen(Prog->m_soft_en_web2, WebSeiten::Start.Adresse(false));
}
