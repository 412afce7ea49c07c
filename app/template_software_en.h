#pragma once
// The maker's applications in English, on the information window's software page.
#include "app/template_software.h"

class TFrame2 : public TSoftwareFrame {
 public:
  explicit TFrame2(TComponent* AOwner) : TSoftwareFrame(AOwner, "ScrollBox2", false) {}
};
