#include "app/u_addordner.h"

Taddordner* addordner = nullptr;

Taddordner::Taddordner(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Taddordner>("Taddordner");
}
