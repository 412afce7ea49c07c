#include "app/u_bugreport_en.h"

Tbugreport_en* bugreport_en = nullptr;

Tbugreport_en::Tbugreport_en(TComponent* AOwner) : TBugreportFenster(AOwner, false) {
  Registrieren<Tbugreport_en>("Tbugreport_en");
}
