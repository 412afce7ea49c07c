#pragma once
// The English contact window: where to report faults and wishes, and where software is made to order.
#include "app/u_bugreport.h"

class Tbugreport_en : public TBugreportFenster {
 public:
  explicit Tbugreport_en(TComponent* AOwner);
};

extern Tbugreport_en* bugreport_en;
