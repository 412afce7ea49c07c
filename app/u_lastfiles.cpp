#include "app/u_lastfiles.h"

#include "app/u_funktionen.h"
#include "app/u_start.h"

Tlastfiles* lastfiles = nullptr;

Tlastfiles::Tlastfiles(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tlastfiles>("Tlastfiles", {MethodOf("FormCreate", &Tlastfiles::FormCreate)}, {},
                                {UnicodeKlassen()});
}

void Tlastfiles::FormCreate(TObject* /*Sender*/) {
  LocalSpr();
}

void Tlastfiles::LocalSpr() {
  static const TFensterText Texte[] = {
      {txCaption, "lastfiles", L"Letzte Songs", L"Last Songs"},
  };
  FensterTexteSetzen(this, Texte, start->spr->Caption());
}
