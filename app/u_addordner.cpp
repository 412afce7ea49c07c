#include "app/u_addordner.h"

Taddordner* addordner = nullptr;
bool AbbruchOrdner = false;

Taddordner::Taddordner(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Taddordner>(
      "Taddordner", {MethodOf("FormCreate", &Taddordner::FormCreate)},
      {FieldOf("Label1", &Taddordner::Label1), FieldOf("relativ", &Taddordner::relativ)});
}

void Taddordner::FormCreate(TObject* /*Sender*/) {
  AbbruchOrdner = false;
}
