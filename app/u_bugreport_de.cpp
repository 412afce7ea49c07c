#include "app/u_bugreport_de.h"
#include "app/u_funktionen.h"

Tbugreport_de* bugreport_de = nullptr;

Tbugreport_de::Tbugreport_de(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tbugreport_de>("Tbugreport_de", {}, {}, {UnicodeKlassen()});
}
