#include "app/u_lastfiles.h"

Tlastfiles* lastfiles = nullptr;

Tlastfiles::Tlastfiles(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tlastfiles>("Tlastfiles");
}
