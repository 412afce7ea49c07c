#include "Imports/UCodeStdActns.h"

void TUCodeHintAction::Assign(TPersistent* Source) {
  if (auto* Action = dynamic_cast<TCustomAction*>(Source)) Action->AssignTo(this);
  AssignWideActionTexts(this, Source);
}

void TUCodeHintAction::DefineProperties(TFiler* Filer) {
  THintAction::DefineProperties(Filer);
  DefineWideProperties(Filer, this);
}
