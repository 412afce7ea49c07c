#include "app/u_fehler.h"

Tfehler* fehler = nullptr;

Tfehler::Tfehler(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tfehler>("Tfehler", {}, {FieldOf("Memo1", &Tfehler::Memo1)});
}
