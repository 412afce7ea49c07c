#include "app/u_addordner.h"

#include "app/u_funktionen.h"
#include "app/u_start.h"

Taddordner* addordner = nullptr;
bool AbbruchOrdner = false;

Taddordner::Taddordner(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Taddordner>(
      "Taddordner", {MethodOf("FormCreate", &Taddordner::FormCreate)},
      {FieldOf("Label1", &Taddordner::Label1), FieldOf("relativ", &Taddordner::relativ)}, {UnicodeKlassen()});
}

void Taddordner::FormCreate(TObject* /*Sender*/) {
  LocalSpr();
  AbbruchOrdner = false;
}

void Taddordner::LocalSpr() {
  static const TFensterText Texte[] = {
      {txCaption, "addordner", L"Ordner Hinzuf\u00FCgen", L"Add Folder"},
      {txCaption, "relativ", L"Dateipfad relativ zum Programmpfad (wenn m\u00F6glich)",
       L"Filepath relative to Application Path (if possible)"},
  };
  FensterTexteSetzen(this, Texte, start->spr->Caption());
}
