#include "app/u_einstshortcuts.h"

Teinstshortcuts* einstshortcuts = nullptr;

Teinstshortcuts::Teinstshortcuts(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Teinstshortcuts>("Teinstshortcuts");
}
