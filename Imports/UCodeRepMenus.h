#pragma once
// The wide menu item under the library's name, for the forms (see UCodeRepStdCtrls).
#include <vector>

#include "Imports/UCodeMenus.h"

namespace UCodeRepMenus {

class TMenuItem : public TUCodeMenuItem {
 public:
  using TUCodeMenuItem::TUCodeMenuItem;
};

std::vector<const TClassInfo*> Classes();

}  // namespace UCodeRepMenus
