#include "app/u_einstausgabe.h"

#include "app/u_funktionen.h"
#include "app/u_start.h"

Teinstausgabe* einstausgabe = nullptr;

Teinstausgabe::Teinstausgabe(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Teinstausgabe>("Teinstausgabe", {MethodOf("FormCreate", &Teinstausgabe::FormCreate)}, {},
                                   {UnicodeKlassen()});
}

void Teinstausgabe::FormCreate(TObject* /*Sender*/) {
  Sprache();
}

void Teinstausgabe::Sprache() {
  static const TFensterText Texte[] = {
      {txCaption, "einstausgabe", L"Ausgabe Einstellungen", L"Output Settings"},
  };
  FensterTexteSetzen(this, Texte, start->spr->Caption() == "de" ? "de" : "en");
}
