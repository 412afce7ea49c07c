#include "app/u_info.h"
#include "app/u_funktionen.h"

Tinfo* info = nullptr;

Tinfo::Tinfo(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tinfo>("Tinfo", {}, {}, {UnicodeKlassen()});
}
