#include "classlib/ActnList.h"

#include "classlib/Controls.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"

void TCustomAction::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  for (TBasicActionLink* Link : std::vector<TBasicActionLink*>(FClients))
    if (auto* ActionLink = dynamic_cast<TActionLink*>(Link)) ActionLink->SetCaption(Value);
  FCaption = Value;
  Change();
}

void TCustomAction::SetHint(const std::string& Value) {
  if (Value == FHint) return;
  for (TBasicActionLink* Link : std::vector<TBasicActionLink*>(FClients))
    if (auto* ActionLink = dynamic_cast<TActionLink*>(Link)) ActionLink->SetHint(Value);
  FHint = Value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
  if (Value == FShortCut) return;
  FShortCut = Value;
  Change();
}

bool TCustomAction::Execute() {
  if (TBasicAction::Execute()) return true;
  return SendMessageA(Application->Handle(), CM_ACTIONEXECUTE, 0, reinterpret_cast<LPARAM>(this)) == 1;
}

void TCustomAction::AssignTo(TPersistent* Dest) {
  auto* Action = dynamic_cast<TCustomAction*>(Dest);
  if (!Action) {
    TBasicAction::AssignTo(Dest);
    return;
  }
  Action->SetCaption(FCaption);
  Action->SetHint(FHint);
  Action->SetShortCut(FShortCut);
}

bool TActionLink::IsCaptionLinked() {
  return dynamic_cast<TCustomAction*>(Action()) != nullptr;
}

bool TActionLink::IsHintLinked() {
  return dynamic_cast<TCustomAction*>(Action()) != nullptr;
}

bool TActionLink::DoShowHint(std::string& HintStr) {
  auto* Action = dynamic_cast<TCustomAction*>(this->Action());
  if (Action && Application->HintShortCuts && Action->ShortCut() != scNone && !HintStr.empty())
    HintStr = Format("%s (%s)", {HintStr, ShortCutToText(Action->ShortCut())});
  return true;
}
