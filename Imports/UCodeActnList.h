#pragma once
// Wide captions and hints of actions, and the links that carry them to the Unicode controls.
#include <string>

#include "Imports/UCodeControls.h"
#include "classlib/ActnList.h"
#include "classlib/Buttons.h"
#include "classlib/ComCtrls.h"
#include "classlib/StdCtrls.h"

// The mark of an action that keeps wide texts.
class IWideAction {
 public:
  virtual ~IWideAction() = default;
};

// The wide texts of one action with the mark; one of the action's owned components. While a caption
// (or hint) is being set, readers see the old text until the action itself has taken the new one.
class TCustomActionHelper : public TComponent {
 public:
  explicit TCustomActionHelper(TCustomAction* AAction);
  TCustomAction* Action() const { return FAction; }
  std::wstring Caption();
  void SetCaption(const std::wstring& Value);
  std::wstring Hint();
  void SetHint(const std::wstring& Value);
  // The text being set, for a link that hears the 8-bit one; Default outside a setting.
  std::wstring CaptionOrDefault(const std::wstring& Default);
  std::wstring HintOrDefault(const std::wstring& Default);

 private:
  struct TText {
    std::wstring Value;
    bool Setting = false;
    std::wstring Old;     // the text before the one being set
    std::string NewAnsi;  // the 8-bit form of the one being set
  };
  std::wstring Get(TText& Text, const std::string& Ansi);
  void Set(TText& Text, const std::wstring& Value, const std::string& Ansi,
           const std::function<void(const std::string&)>& AnsiSetter);
  std::wstring OrDefault(const TText& Text, const std::string& Ansi, const std::wstring& Default);

  TCustomAction* FAction;
  TText FCaption;
  TText FHint;
};

// Texts of any action: the wide ones of an action with the mark, the 8-bit ones widened of others.
std::wstring GetWideActionCaption(TBasicAction* Action);
void SetWideActionCaption(TBasicAction* Action, const std::wstring& Value);
std::wstring GetWideActionHint(TBasicAction* Action);
void SetWideActionHint(TBasicAction* Action, const std::wstring& Value);
std::wstring WideActionCaptionOrDefault(TBasicAction* Action, const std::wstring& Default);
std::wstring WideActionHintOrDefault(TBasicAction* Action, const std::wstring& Default);
// Dest's wide caption and hint from a TCustomAction or from a control.
void AssignWideActionTexts(TBasicAction* Dest, TPersistent* Source);

class TUCodeAction : public TAction, public IWideAction {
 public:
  using TAction::TAction;
  std::wstring Caption() { return GetWideActionCaption(this); }
  void SetCaption(const std::wstring& Value) { SetWideActionCaption(this, Value); }
  std::wstring Hint() { return GetWideActionHint(this); }
  void SetHint(const std::wstring& Value) { SetWideActionHint(this, Value); }
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;
};

// The links of the Unicode controls: a client shows the action's wide texts while it shows its texts.
template <class Base>
class TUCodeActionLinkOf : public Base {
 public:
  using Base::Base;
  bool IsCaptionLinked() override {
    return Base::IsCaptionLinked() &&
           GetWideActionCaption(this->Action()) == GetControlWideText(this->Client());
  }
  bool IsHintLinked() override {
    return Base::IsHintLinked() && GetWideActionHint(this->Action()) == GetControlWideHint(this->Client());
  }
  void SetCaption(const std::string& Value) override {
    if (IsCaptionLinked())
      SetControlWideText(this->Client(), WideActionCaptionOrDefault(this->Action(), AnsiToWide(Value)));
  }
  void SetHint(const std::string& Value) override {
    if (IsHintLinked())
      SetControlWideHint(this->Client(), WideActionHintOrDefault(this->Action(), AnsiToWide(Value)));
  }
};

class TUCodeControlActionLink : public TUCodeActionLinkOf<TControlActionLink> {
 public:
  using TUCodeActionLinkOf::TUCodeActionLinkOf;
};
class TUCodeWinControlActionLink : public TUCodeActionLinkOf<TWinControlActionLink> {
 public:
  using TUCodeActionLinkOf::TUCodeActionLinkOf;
};
class TUCodeButtonActionLink : public TUCodeActionLinkOf<TButtonActionLink> {
 public:
  using TUCodeActionLinkOf::TUCodeActionLinkOf;
};
class TUCodeListViewActionLink : public TUCodeActionLinkOf<TListViewActionLink> {
 public:
  using TUCodeActionLinkOf::TUCodeActionLinkOf;
};
class TUCodeComboBoxExActionLink : public TUCodeActionLinkOf<TComboBoxExActionLink> {
 public:
  using TUCodeActionLinkOf::TUCodeActionLinkOf;
};
class TUCodeSpeedButtonActionLink : public TUCodeActionLinkOf<TSpeedButtonActionLink> {
 public:
  using TUCodeActionLinkOf::TUCodeActionLinkOf;
};
class TUCodeBitBtnActionLink : public TUCodeActionLinkOf<TBitBtnActionLink> {
 public:
  using TUCodeActionLinkOf::TUCodeActionLinkOf;
};
class TUCodeToolButtonActionLink : public TUCodeActionLinkOf<TToolButtonActionLink> {
 public:
  using TUCodeActionLinkOf::TUCodeActionLinkOf;
};

// The link class of a Unicode control, by its kind.
TControlActionLinkClass UCodeActionLinkClass(TControl* Control);
// A Unicode control's ActionChange, before the library's: its wide texts from an action with the mark.
void UCodeActionChange(TControl* Control, TObject* Sender, bool CheckDefaults);
