#include "app/u_einstshortcuts.h"

#include "app/u_funktionen.h"
#include "app/u_start.h"

Teinstshortcuts* einstshortcuts = nullptr;

Teinstshortcuts::Teinstshortcuts(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Teinstshortcuts>(
      "Teinstshortcuts", {MethodOf("FormCreate", &Teinstshortcuts::FormCreate)}, {}, {UnicodeKlassen()});
}

void Teinstshortcuts::FormCreate(TObject* /*Sender*/) {
  Sprache();
}

void Teinstshortcuts::Sprache() {
  static const TFensterText Texte[] = {
      {txCaption, "einstshortcuts", L"Verkn\u00FCpfungen", L"Shortcuts"},
  };
  FensterTexteSetzen(this, Texte, start->spr->Caption());
}
