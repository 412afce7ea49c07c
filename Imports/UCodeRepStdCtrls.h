#pragma once
// The wide standard controls under the library's names. A form whose class lists Classes() gets them
// for the library's classes its description names.
#include <vector>

#include "Imports/UCodeStdCtrls.h"

namespace UCodeRepStdCtrls {

class TEdit : public TUCodeEdit {
 public:
  using TUCodeEdit::TUCodeEdit;
};
class TMemo : public TUCodeMemo {
 public:
  using TUCodeMemo::TUCodeMemo;
};
class TLabel : public TUCodeLabel {
 public:
  using TUCodeLabel::TUCodeLabel;
};
class TButton : public TUCodeButton {
 public:
  using TUCodeButton::TUCodeButton;
};
class TCheckBox : public TUCodeCheckBox {
 public:
  using TUCodeCheckBox::TUCodeCheckBox;
};
class TRadioButton : public TUCodeRadioButton {
 public:
  using TUCodeRadioButton::TUCodeRadioButton;
};
class TGroupBox : public TUCodeGroupBox {
 public:
  using TUCodeGroupBox::TUCodeGroupBox;
};
class TListBox : public TUCodeListBox {
 public:
  using TUCodeListBox::TUCodeListBox;
};
class TComboBox : public TUCodeComboBox {
 public:
  using TUCodeComboBox::TUCodeComboBox;
};

// The class table of these classes.
std::vector<const TClassInfo*> Classes();

}  // namespace UCodeRepStdCtrls
