#pragma once
// Actions with a caption, hint and shortcut, the hint action, and the links that show an action's texts on
// its clients.
#include <string>

#include "classlib/Classes.h"

// A key code with shift bits; see Menus.h.
using TShortCut = uint16_t;

class TCustomAction : public TBasicAction {
 public:
  using TBasicAction::TBasicAction;
  const std::string& Caption() const { return FCaption; }
  // The links hear the new text before the action takes it, so that each can tell whether its client
  // still shows the old one.
  void SetCaption(const std::string& Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  // OnExecute when set; else the application offers the action to its forms (CM_ACTIONEXECUTE).
  bool Execute() override;
  // Another TCustomAction takes caption, hint and shortcut.
  void AssignTo(TPersistent* Dest) override;

 private:
  std::string FCaption;
  std::string FHint;
  TShortCut FShortCut = 0;
};

class TAction : public TCustomAction {
 public:
  using TCustomAction::TCustomAction;
};

// Carries the application's hint to whatever shows hints (a status line).
class THintAction : public TCustomAction {
 public:
  using TCustomAction::TCustomAction;
};

// A link that shows the texts of a TCustomAction on its client.
class TActionLink : public TBasicActionLink {
 public:
  // True when the action is a TCustomAction; derived links also ask the client.
  virtual bool IsCaptionLinked();
  virtual bool IsHintLinked();
  virtual void SetCaption(const std::string& /*Value*/) {}
  virtual void SetHint(const std::string& /*Value*/) {}
  // The client's tooltip is about to show HintStr: the action's shortcut is added in parentheses when the
  // application shows shortcuts in hints. False would show no hint.
  virtual bool DoShowHint(std::string& HintStr);
};
