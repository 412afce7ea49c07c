#include "app/u_fehler.h"

#include "app/u_prog.h"
#include "app/u_funktionen.h"

Tfehler* fehler = nullptr;

Tfehler::Tfehler(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tfehler>("Tfehler", {MethodOf("FormCreate", &Tfehler::FormCreate)},
                             {FieldOf("Memo1", &Tfehler::Memo1)}, {UnicodeKlassen()});
}

Tfehler::~Tfehler() {
  if (fehler == this) fehler = nullptr;
}

void Tfehler::FormCreate(TObject* /*Sender*/) {
  FehlerTitelSetzen();
}
