#pragma once
// The German contact window: where to report faults and wishes, and where software is made to order.
#include "app/u_bugreport.h"

class Tbugreport_de : public TBugreportFenster {
 public:
  explicit Tbugreport_de(TComponent* AOwner);
};

extern Tbugreport_de* bugreport_de;
