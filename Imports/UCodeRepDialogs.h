#pragma once
// The wide open and save dialogs under the library's names, for the forms (see UCodeRepStdCtrls).
#include <vector>

#include "Imports/UCodeDialogs.h"

namespace UCodeRepDialogs {

class TOpenDialog : public TUCodeOpenDialog {
 public:
  using TUCodeOpenDialog::TUCodeOpenDialog;
};
class TSaveDialog : public TUCodeSaveDialog {
 public:
  using TUCodeSaveDialog::TUCodeSaveDialog;
};

std::vector<const TClassInfo*> Classes();

}  // namespace UCodeRepDialogs
