#include "app/u_dateiinfo.h"

Tdateiinfo* dateiinfo = nullptr;

Tdateiinfo::Tdateiinfo(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tdateiinfo>("Tdateiinfo");
}
