#include "app/u_bugreport_de.h"

Tbugreport_de* bugreport_de = nullptr;

Tbugreport_de::Tbugreport_de(TComponent* AOwner) : TBugreportFenster(AOwner, true) {
  Registrieren<Tbugreport_de>("Tbugreport_de");
}
