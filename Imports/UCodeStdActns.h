#pragma once
// The hint action with a wide hint, which the wide application hands on in place of the library's.
#include <string>

#include "Imports/UCodeActnList.h"

class TUCodeHintAction : public THintAction, public IWideAction {
 public:
  using THintAction::THintAction;
  std::wstring Hint() { return GetWideActionHint(this); }
  void SetHint(const std::wstring& Value) { SetWideActionHint(this, Value); }
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;
};
