#include "Imports/UCodeRepDialogs.h"

namespace UCodeRepDialogs {

std::vector<const TClassInfo*> Classes() {
  static const TClassInfo Open = MakeClassInfo<TOpenDialog>("TOpenDialog", UCodeOpenDialogClass(), {});
  static const TClassInfo Save = MakeClassInfo<TSaveDialog>("TSaveDialog", UCodeSaveDialogClass(), {});
  RegisterReplacementClass(&Open);
  RegisterReplacementClass(&Save);
  return {&Open, &Save};
}

}  // namespace UCodeRepDialogs
