#pragma once
// Objects, persistent objects and components with owners and free notification.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  // The class's name without decoration, e.g. "TStringList".
  std::string ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Counts Depth up for its lifetime: "the program is changing this itself", and it nests.
class TCountingScope {
 public:
  explicit TCountingScope(int& Depth) : FDepth(Depth) { ++FDepth; }
  ~TCountingScope() { --FDepth; }
  TCountingScope(const TCountingScope&) = delete;
  TCountingScope& operator=(const TCountingScope&) = delete;

 private:
  int& FDepth;
};

// Holds Value in Target for the length of a scope, then the value it had before.
template <class T>
class TValueScope {
 public:
  TValueScope(T& Target, T Value) : FTarget(Target), FOld(Target) { FTarget = Value; }
  ~TValueScope() { FTarget = FOld; }
  TValueScope(const TValueScope&) = delete;
  TValueScope& operator=(const TValueScope&) = delete;

 private:
  T& FTarget;
  T FOld;
};

class TFiler;  // form streaming
class TBasicAction;

class TPersistent : public TObject {
 public:
  // Copies Source into this object; the default asks Source to AssignTo this and
  // raises EConvertError "Cannot assign a %s to a %s" when neither side knows the other.
  virtual void Assign(TPersistent* Source);
  virtual void AssignTo(TPersistent* Dest);
  // Declares properties that are streamed besides the published ones; nothing here.
  virtual void DefineProperties(TFiler* Filer);

 protected:
  [[noreturn]] void AssignError(TPersistent* Source);
};

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag : uint32_t {
  csLoading = 1,
  csReading = 2,
  csWriting = 4,
  csDestroying = 8,
  csDesigning = 16,
  csFreeNotification = 32,
  csUpdating = 64,
};
using TComponentState = uint32_t;

// A component is freed by its owner. Any component may ask another for a free notification:
// it then hears Notification(other, opRemove) when the other goes, and drops its reference.
// Derived classes whose own members must outlive their owned components call
// DestroyComponents() in their destructor.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;  // EListError outside 0..Count-1
  int ComponentIndex() const;               // position in the owner's list, -1 without owner
  TComponent* FindComponent(const std::string& AName) const;  // case-insensitive, nullptr when none

  const std::string& Name() const { return FName; }
  // Raises EComponentError "A component named %s already exists" when a sibling has the name
  // (case-insensitive) and "Component name \"%s\" is not a valid identifier" for an invalid one.
  virtual void SetName(const std::string& NewName);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t Value) { FTag = Value; }
  TComponentState ComponentState() const { return FComponentState; }

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  void DestroyComponents();
  // Marks this component and its owned ones as being destroyed.
  void Destroying();

  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Offers an action to this component; true when it carried the action out. Nothing here.
  virtual bool ExecuteAction(TBasicAction* Action);

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void Loaded();
  void SetComponentState(TComponentState Flags, bool On);

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::string FName;
  intptr_t FTag = 0;
  TComponentState FComponentState = 0;
};

class TBasicActionLink;

// A command that components carry out on request; links tie clients (controls, menu items) to it.
class TBasicAction : public TComponent {
 public:
  using TComponent::TComponent;
  // Its links let their clients go.
  ~TBasicAction() override;
  // OnExecute when set; true when something carried the action out.
  virtual bool Execute();
  // OnUpdate when set; true when it ran.
  virtual bool Update();
  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);
  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

 protected:
  // Tells every link that a property changed.
  void Change();
  std::vector<TBasicActionLink*> FClients;
};

// The tie of one client to an action.
class TBasicActionLink : public TObject {
 public:
  ~TBasicActionLink() override;
  TBasicAction* Action() const { return FAction; }
  void SetAction(TBasicAction* Value);
  // The action changed; runs OnChange with the action as sender.
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  friend class TBasicAction;
  TBasicAction* FAction = nullptr;
};
