#include "app/u_bugreport_en.h"
#include "app/u_funktionen.h"

Tbugreport_en* bugreport_en = nullptr;

Tbugreport_en::Tbugreport_en(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tbugreport_en>("Tbugreport_en", {}, {}, {UnicodeKlassen()});
}
