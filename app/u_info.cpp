#include "app/u_info.h"

Tinfo* info = nullptr;

Tinfo::Tinfo(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tinfo>("Tinfo");
}
