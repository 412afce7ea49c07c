#include "app/u_dateiquellen.h"

Tdateiquellen* dateiquellen = nullptr;

Tdateiquellen::Tdateiquellen(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tdateiquellen>("Tdateiquellen");
}
