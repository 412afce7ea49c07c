#include "app/u_dateiquellen.h"
#include "app/u_funktionen.h"

Tdateiquellen* dateiquellen = nullptr;

Tdateiquellen::Tdateiquellen(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tdateiquellen>("Tdateiquellen", {}, {}, {UnicodeKlassen()});
}
