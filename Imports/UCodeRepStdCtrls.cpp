#include "Imports/UCodeRepStdCtrls.h"

namespace UCodeRepStdCtrls {

namespace {

template <class T>
const TClassInfo* Replacement(const char* Name, const char* Wide) {
  static const TClassInfo Info = MakeClassInfo<T>(Name, UCodeStdCtrlsClass(Wide), {});
  RegisterReplacementClass(&Info);
  return &Info;
}

}  // namespace

std::vector<const TClassInfo*> Classes() {
  return {Replacement<TEdit>("TEdit", "TUCodeEdit"),
          Replacement<TMemo>("TMemo", "TUCodeMemo"),
          Replacement<TLabel>("TLabel", "TUCodeLabel"),
          Replacement<TButton>("TButton", "TUCodeButton"),
          Replacement<TCheckBox>("TCheckBox", "TUCodeCheckBox"),
          Replacement<TRadioButton>("TRadioButton", "TUCodeRadioButton"),
          Replacement<TGroupBox>("TGroupBox", "TUCodeGroupBox"),
          Replacement<TListBox>("TListBox", "TUCodeListBox"),
          Replacement<TComboBox>("TComboBox", "TUCodeComboBox")};
}

}  // namespace UCodeRepStdCtrls
