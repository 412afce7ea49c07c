#pragma once
// The wide list view under the library's name, for the forms (see UCodeRepStdCtrls).
#include <vector>

#include "Imports/UCodeComCtrls.h"

namespace UCodeRepComCtrls {

class TListView : public TUCodeListView {
 public:
  using TUCodeListView::TUCodeListView;
};

std::vector<const TClassInfo*> Classes();

}  // namespace UCodeRepComCtrls
