#include "app/u_txtexport.h"

#include "app/u_funktionen.h"
#include "app/u_start.h"

Ttxtexport* txtexport = nullptr;

Ttxtexport::Ttxtexport(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Ttxtexport>("Ttxtexport", {MethodOf("FormCreate", &Ttxtexport::FormCreate)}, {},
                                {UnicodeKlassen()});
}

void Ttxtexport::FormCreate(TObject* /*Sender*/) {
  LocalSpr();
}

void Ttxtexport::LocalSpr() {
  static const TFensterText Texte[] = {
      {txCaption, "txtexport", L"Export als Text/HTML Tabelle", L"Export as Text/HTML Table"},
  };
  FensterTexteSetzen(this, Texte, start->spr->Caption());
}
