#pragma once
// The action setter that controls and menu items share.
#include <functional>
#include <memory>

#include "classlib/Classes.h"

// Value goes on the client's Link, which Make creates when there is none; Changed applies the action now and
// at each of its changes. While the client loads, CheckDefaults spares the values its form gave it. nullptr
// drops the link.
template <class TLink, class TMakeLink>
void SetClientAction(TComponent* Client, std::unique_ptr<TLink>& Link, TBasicAction* Value, TMakeLink Make,
                     const std::function<void(TObject* Action, bool CheckDefaults)>& Changed) {
  if (!Value) {
    Link.reset();
    return;
  }
  if (!Link) Link.reset(Make());
  Link->SetAction(Value);
  TBasicActionLink* Tied = Link.get();
  Link->OnChange = [Tied, Changed](TObject* Sender) {
    if (Sender == Tied->Action()) Changed(Sender, false);
  };
  Changed(Value, (Client->ComponentState() & csLoading) != 0);
  Value->FreeNotification(Client);
}
