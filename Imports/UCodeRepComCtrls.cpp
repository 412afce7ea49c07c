#include "Imports/UCodeRepComCtrls.h"

namespace UCodeRepComCtrls {

std::vector<const TClassInfo*> Classes() {
  static const TClassInfo Info = MakeClassInfo<TListView>("TListView", UCodeListViewClass(), {});
  RegisterReplacementClass(&Info);
  return {&Info};
}

}  // namespace UCodeRepComCtrls
