#include "app/u_startfenster.h"

Tstartfenster* startfenster = nullptr;

Tstartfenster::Tstartfenster(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tstartfenster>("Tstartfenster");
}
