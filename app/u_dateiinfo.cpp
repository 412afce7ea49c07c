#include "app/u_dateiinfo.h"

#include "app/u_funktionen.h"
#include "app/u_start.h"

Tdateiinfo* dateiinfo = nullptr;

Tdateiinfo::Tdateiinfo(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tdateiinfo>("Tdateiinfo", {MethodOf("FormCreate", &Tdateiinfo::FormCreate)}, {},
                                {UnicodeKlassen()});
}

void Tdateiinfo::FormCreate(TObject* /*Sender*/) {
  LocalSpr();
}

void Tdateiinfo::LocalSpr() {
  static const TFensterText Texte[] = {
      {txCaption, "dateiinfo", L"Datei Informationen", L"File Information"},
  };
  FensterTexteSetzen(this, Texte, start->spr->Caption());
}
