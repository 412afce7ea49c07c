#include "app/u_einstausgabe.h"

Teinstausgabe* einstausgabe = nullptr;

Teinstausgabe::Teinstausgabe(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Teinstausgabe>("Teinstausgabe");
}
