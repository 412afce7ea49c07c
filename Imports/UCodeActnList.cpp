#include "Imports/UCodeActnList.h"

#include "Imports/UCodeSysUtils.h"

namespace {

TCustomActionHelper* TextStoreOf(TBasicAction* Action) {
  Assert(Action != nullptr, L"UCode Internal Error: an action is needed.");
  auto* Custom = dynamic_cast<TCustomAction*>(Action);
  if (!Custom || !dynamic_cast<IWideAction*>(Action)) return nullptr;
  for (int I = 0; I < Action->ComponentCount(); ++I)
    if (auto* Store = dynamic_cast<TCustomActionHelper*>(Action->Components(I))) return Store;
  return new TCustomActionHelper(Custom);
}

TCustomAction* CustomAction(TBasicAction* Action) {
  return dynamic_cast<TCustomAction*>(Action);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCustomActionHelper

TCustomActionHelper::TCustomActionHelper(TCustomAction* AAction) : TComponent(AAction), FAction(AAction) {}

std::wstring TCustomActionHelper::Get(TText& Text, const std::string& Ansi) {
  if (Text.Setting && Ansi != Text.NewAnsi) return Text.Old;
  return GetSyncedWideString(Text.Value, Ansi);
}

void TCustomActionHelper::Set(TText& Text, const std::wstring& Value, const std::string& Ansi,
                              const std::function<void(const std::string&)>& AnsiSetter) {
  const bool Saved = Text.Setting;
  Text.Old = Get(Text, Ansi);
  Text.NewAnsi = WideToAnsi(Value);
  Text.Setting = true;
  try {
    SetSyncedWideString(Value, Text.Value, Ansi, [&](const std::string& S) {
      if (S.empty()) Text.Old.clear();
      AnsiSetter(S);
    });
  } catch (...) {
    Text.Setting = Saved;
    throw;
  }
  Text.Setting = Saved;
}

std::wstring TCustomActionHelper::OrDefault(const TText& Text, const std::string& Ansi,
                                            const std::wstring& Default) {
  return Text.Setting && Text.NewAnsi != Ansi ? Text.Value : Default;
}

std::wstring TCustomActionHelper::Caption() {
  return Get(FCaption, FAction->Caption());
}

void TCustomActionHelper::SetCaption(const std::wstring& Value) {
  Set(FCaption, Value, FAction->Caption(), [this](const std::string& S) { FAction->SetCaption(S); });
}

std::wstring TCustomActionHelper::Hint() {
  return Get(FHint, FAction->Hint());
}

void TCustomActionHelper::SetHint(const std::wstring& Value) {
  Set(FHint, Value, FAction->Hint(), [this](const std::string& S) { FAction->SetHint(S); });
}

std::wstring TCustomActionHelper::CaptionOrDefault(const std::wstring& Default) {
  return OrDefault(FCaption, FAction->Caption(), Default);
}

std::wstring TCustomActionHelper::HintOrDefault(const std::wstring& Default) {
  return OrDefault(FHint, FAction->Hint(), Default);
}

// ---------------------------------------------------------------------------------------------
// Texts of any action

std::wstring GetWideActionCaption(TBasicAction* Action) {
  if (TCustomActionHelper* Store = TextStoreOf(Action)) return Store->Caption();
  TCustomAction* Custom = CustomAction(Action);
  return Custom ? AnsiToWide(Custom->Caption()) : std::wstring();
}

void SetWideActionCaption(TBasicAction* Action, const std::wstring& Value) {
  if (TCustomActionHelper* Store = TextStoreOf(Action))
    Store->SetCaption(Value);
  else if (TCustomAction* Custom = CustomAction(Action))
    Custom->SetCaption(WideToAnsi(Value));
}

std::wstring GetWideActionHint(TBasicAction* Action) {
  if (TCustomActionHelper* Store = TextStoreOf(Action)) return Store->Hint();
  TCustomAction* Custom = CustomAction(Action);
  return Custom ? AnsiToWide(Custom->Hint()) : std::wstring();
}

void SetWideActionHint(TBasicAction* Action, const std::wstring& Value) {
  if (TCustomActionHelper* Store = TextStoreOf(Action))
    Store->SetHint(Value);
  else if (TCustomAction* Custom = CustomAction(Action))
    Custom->SetHint(WideToAnsi(Value));
}

std::wstring WideActionCaptionOrDefault(TBasicAction* Action, const std::wstring& Default) {
  TCustomActionHelper* Store = TextStoreOf(Action);
  return Store ? Store->CaptionOrDefault(Default) : Default;
}

std::wstring WideActionHintOrDefault(TBasicAction* Action, const std::wstring& Default) {
  TCustomActionHelper* Store = TextStoreOf(Action);
  return Store ? Store->HintOrDefault(Default) : Default;
}

void AssignWideActionTexts(TBasicAction* Dest, TPersistent* Source) {
  if (auto* Action = dynamic_cast<TCustomAction*>(Source)) {
    SetWideActionCaption(Dest, GetWideActionCaption(Action));
    SetWideActionHint(Dest, GetWideActionHint(Action));
  } else if (auto* Control = dynamic_cast<TControl*>(Source)) {
    SetWideActionCaption(Dest, GetControlWideText(Control));
    SetWideActionHint(Dest, GetControlWideHint(Control));
  }
}

// ---------------------------------------------------------------------------------------------
// TUCodeAction

void TUCodeAction::Assign(TPersistent* Source) {
  TAction::Assign(Source);
  AssignWideActionTexts(this, Source);
}

void TUCodeAction::DefineProperties(TFiler* Filer) {
  TAction::DefineProperties(Filer);
  DefineWideProperties(Filer, this);
}

// ---------------------------------------------------------------------------------------------
// The controls' action support

TControlActionLinkClass UCodeActionLinkClass(TControl* Control) {
  if (dynamic_cast<TListView*>(Control)) return NewActionLink<TUCodeListViewActionLink>;
  if (dynamic_cast<TComboBoxEx*>(Control)) return NewActionLink<TUCodeComboBoxExActionLink>;
  if (dynamic_cast<TSpeedButton*>(Control)) return NewActionLink<TUCodeSpeedButtonActionLink>;
  if (dynamic_cast<TBitBtn*>(Control)) return NewActionLink<TUCodeBitBtnActionLink>;
  if (dynamic_cast<TToolButton*>(Control)) return NewActionLink<TUCodeToolButtonActionLink>;
  if (dynamic_cast<TButtonControl*>(Control)) return NewActionLink<TUCodeButtonActionLink>;
  if (dynamic_cast<TWinControl*>(Control)) return NewActionLink<TUCodeWinControlActionLink>;
  return NewActionLink<TUCodeControlActionLink>;
}

void UCodeActionChange(TControl* Control, TObject* Sender, bool CheckDefaults) {
  auto* Action = dynamic_cast<TCustomAction*>(Sender);
  if (!Action || !dynamic_cast<IWideAction*>(Action)) return;
  const std::wstring Caption = GetControlWideText(Control);
  if (!CheckDefaults || Caption.empty() || Caption == AnsiToWide(Control->Name()))
    SetControlWideText(Control, GetWideActionCaption(Action));
  if (!CheckDefaults || GetControlWideHint(Control).empty())
    SetControlWideHint(Control, GetWideActionHint(Action));
}
