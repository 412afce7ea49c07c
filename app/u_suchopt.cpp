#include "app/u_suchopt.h"

Tsuchopt* suchopt = nullptr;

Tsuchopt::Tsuchopt(TComponent* AOwner) : TForm(AOwner) {
  RegisterFormClass<Tsuchopt>("Tsuchopt");
}
