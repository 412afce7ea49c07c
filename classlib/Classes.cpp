#include "classlib/Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "classlib/SysUtils.h"

std::string TObject::ClassName() const {
  const char* Mangled = typeid(*this).name();
  int Status = 0;
  const std::unique_ptr<char, decltype(&std::free)> Demangled(
      abi::__cxa_demangle(Mangled, nullptr, nullptr, &Status), &std::free);
  std::string Name = Demangled ? Demangled.get() : Mangled;
  const size_t Scope = Name.rfind("::", Name.find('<'));
  return Scope == std::string::npos ? Name : Name.substr(Scope + 2);
}

// ---------------------------------------------------------------------------------------------
// TPersistent

void TPersistent::Assign(TPersistent* Source) {
  if (!Source) AssignError(nullptr);
  Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) {
  Dest->AssignError(this);
}

void TPersistent::DefineProperties(TFiler* /*Filer*/) {}

void TPersistent::AssignError(TPersistent* Source) {
  const std::string SourceName = Source ? Source->ClassName() : "nil";
  throw EConvertError(Format("Cannot assign a %s to a %s", {SourceName, ClassName()}));
}

// ---------------------------------------------------------------------------------------------
// TComponent

namespace {

bool SameName(const std::string& A, const std::string& B) {
  return LowerCase(A) == LowerCase(B);
}

bool IsValidIdent(const std::string& Name) {
  auto IsAlpha = [](char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; };
  if (Name.empty() || !IsAlpha(Name[0])) return false;
  return std::all_of(Name.begin() + 1, Name.end(),
                     [&](char C) { return IsAlpha(C) || (C >= '0' && C <= '9'); });
}

void EraseItem(std::vector<TComponent*>& List, TComponent* Item) {
  const auto It = std::find(List.begin(), List.end(), Item);
  if (It != List.end()) List.erase(It);
}

}  // namespace

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  while (!FFreeNotifies.empty()) {
    TComponent* Other = FFreeNotifies.back();
    // Both links go before the call: the other side may free itself when it hears of this one.
    RemoveFreeNotification(Other);
    Other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError(Format(L"List index out of bounds (%d)", {Index}));
  return FComponents[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  const auto& Siblings = FOwner->FComponents;
  return static_cast<int>(std::find(Siblings.begin(), Siblings.end(), this) - Siblings.begin());
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* Component : FComponents)
    if (SameName(Component->FName, AName)) return Component;
  return nullptr;
}

void TComponent::SetName(const std::string& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(Format("Component name \"%s\" is not a valid identifier", {NewName}));
  if (FOwner && !SameName(FName, NewName) && FOwner->FindComponent(NewName))
    throw EComponentError(Format("A component named %s already exists", {NewName}));
  FName = NewName;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  const TComponent* Namesake = FindComponent(AComponent->FName);
  if (Namesake && Namesake != AComponent)
    throw EComponentError(Format("A component named %s already exists", {AComponent->FName}));
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* Instance = FComponents.back();
    Remove(Instance);
    delete Instance;
  }
}

void TComponent::Destroying() {
  if (FComponentState & csDestroying) return;
  FComponentState |= csDestroying;
  for (TComponent* Component : FComponents) Component->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  FComponentState |= csFreeNotification;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) != FFreeNotifies.end()) return;
  FFreeNotifies.push_back(AComponent);
  AComponent->FreeNotification(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  EraseItem(FFreeNotifies, AComponent);
  EraseItem(AComponent->FFreeNotifies, this);
}

bool TComponent::ExecuteAction(TBasicAction* /*Action*/) {
  return false;
}

// Owned components hear of every insertion and removal in their owner, so that siblings can drop
// references to each other without asking for free notifications.
void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  for (size_t I = FComponents.size(); I-- > 0;)
    if (I < FComponents.size()) FComponents[I]->Notification(AComponent, Operation);
}

void TComponent::Loaded() {
  SetComponentState(csLoading, false);
}

void TComponent::SetComponentState(TComponentState Flags, bool On) {
  if (On)
    FComponentState |= Flags;
  else
    FComponentState &= ~Flags;
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  EraseItem(FComponents, AComponent);
  AComponent->FOwner = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Actions

TBasicAction::~TBasicAction() {
  while (!FClients.empty()) FClients.back()->SetAction(nullptr);
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
  FClients.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  const auto It = std::find(FClients.begin(), FClients.end(), Value);
  if (It != FClients.end()) FClients.erase(It);
}

void TBasicAction::Change() {
  for (TBasicActionLink* Link : std::vector<TBasicActionLink*>(FClients)) Link->Change();
}

TBasicActionLink::~TBasicActionLink() {
  SetAction(nullptr);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = Value;
  if (Value) Value->RegisterChanges(this);
}

void TBasicActionLink::Change() {
  if (OnChange) OnChange(FAction);
}
