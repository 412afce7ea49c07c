#pragma once
// The maker's applications in German, on the information window's software page.
#include "app/template_software.h"

class TFrame1 : public TSoftwareFrame {
 public:
  explicit TFrame1(TComponent* AOwner) : TSoftwareFrame(AOwner, "ScrollBox1", true) {}
};
