#include "Imports/UCodeRepMenus.h"

namespace UCodeRepMenus {

std::vector<const TClassInfo*> Classes() {
  static const TClassInfo Info = MakeClassInfo<TMenuItem>("TMenuItem", UCodeMenuItemClass(), {});
  RegisterReplacementClass(&Info);
  return {&Info};
}

}  // namespace UCodeRepMenus
