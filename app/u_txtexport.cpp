#include "app/u_txtexport.h"

Ttxtexport* txtexport = nullptr;

Ttxtexport::Ttxtexport(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Ttxtexport>("Ttxtexport");
}
