#include "classlib/Classes.h"

#include <gtest/gtest.h>

#include "classlib/StringLists.h"
#include "classlib/SysUtils.h"
#include "tests/classlib/RaisedMessage.h"

namespace {

// Records what it hears and counts its own destruction.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* AOwner, std::vector<std::string>* ALog) : TComponent(AOwner), FLog(ALog) {}
  ~TProbe() override {
    if (FLog) FLog->push_back("free " + Name());
  }
  TComponent* Watched = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Watched) {
      Watched = nullptr;
      if (FLog) FLog->push_back(Name() + " lost " + AComponent->Name());
    }
  }

 private:
  std::vector<std::string>* FLog;
};

// Frees itself when its watched component goes, as wide-text helpers do.
class TSelfFreeing : public TComponent {
 public:
  explicit TSelfFreeing(TComponent* AWatched, bool* AFreed) : TComponent(nullptr), FFreed(AFreed) {
    AWatched->FreeNotification(this);
  }
  ~TSelfFreeing() override { *FFreed = true; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) delete this;
  }

 private:
  bool* FFreed;
};

class TPlain : public TPersistent {};

namespace inner {
class TNested : public TPersistent {};
}  // namespace inner

TProbe* Named(TProbe* Probe, const std::string& Name) {
  Probe->SetName(Name);
  return Probe;
}

}  // namespace

TEST(ClassesObject, ClassNameIsUndecorated) {
  TStringList List;
  EXPECT_EQ("TStringList", List.ClassName());
  inner::TNested Nested;
  EXPECT_EQ("TNested", Nested.ClassName());
}

TEST(ClassesPersistent, AssignErrorNamesBothClasses) {
  TPlain Plain;
  inner::TNested Nested;
  EXPECT_EQ(L"Cannot assign a TNested to a TPlain", MessageOf<EConvertError>([&] { Plain.Assign(&Nested); }));
  EXPECT_EQ(L"Cannot assign a nil to a TPlain", MessageOf<EConvertError>([&] { Plain.Assign(nullptr); }));
}

TEST(ClassesComponent, OwnerFreesChildrenLastFirst) {
  std::vector<std::string> Log;
  auto* Owner = Named(new TProbe(nullptr, &Log), "Owner");
  auto* A = Named(new TProbe(Owner, &Log), "A");
  auto* B = Named(new TProbe(Owner, &Log), "B");
  EXPECT_EQ(2, Owner->ComponentCount());
  EXPECT_EQ(Owner, A->Owner());
  EXPECT_EQ(1, B->ComponentIndex());
  EXPECT_EQ(-1, Owner->ComponentIndex());
  EXPECT_THROW(Owner->Components(2), EListError);
  delete Owner;
  EXPECT_EQ((std::vector<std::string>{"free Owner", "free B", "free A"}), Log);
}

TEST(ClassesComponent, ChildFreedFirstLeavesOwnerConsistent) {
  std::vector<std::string> Log;
  TProbe Owner(nullptr, &Log);
  auto* A = Named(new TProbe(&Owner, &Log), "A");
  auto* B = Named(new TProbe(&Owner, &Log), "B");
  B->Watched = A;  // a sibling hears of the removal through the owner
  delete A;
  ASSERT_EQ(1, Owner.ComponentCount());
  EXPECT_EQ(B, Owner.Components(0));
  EXPECT_EQ(0, B->ComponentIndex());
  EXPECT_EQ(nullptr, Owner.FindComponent("A"));
  EXPECT_EQ(nullptr, B->Watched);
}

TEST(ClassesComponent, FreeNotificationWorksBothWays) {
  std::vector<std::string> Log;
  auto* A = Named(new TProbe(nullptr, &Log), "A");
  auto* B = Named(new TProbe(nullptr, &Log), "B");
  A->FreeNotification(B);  // B hears of A, and A of B
  A->Watched = B;
  B->Watched = A;
  delete B;
  EXPECT_EQ(nullptr, A->Watched);
  delete A;  // must not reach the freed B
  EXPECT_EQ((std::vector<std::string>{"free B", "A lost B", "free A"}), Log);

  TProbe C(nullptr, nullptr);
  auto* D = new TProbe(nullptr, nullptr);
  C.FreeNotification(D);
  C.Watched = D;
  D->RemoveFreeNotification(&C);  // either side may end it for both
  delete D;
  EXPECT_EQ(D, C.Watched);
}

TEST(ClassesComponent, ListenerMayFreeItselfWhenNotified) {
  bool Freed1 = false;
  bool Freed2 = false;
  auto* Watched = new TComponent(nullptr);
  new TSelfFreeing(Watched, &Freed1);
  new TSelfFreeing(Watched, &Freed2);
  delete Watched;
  EXPECT_TRUE(Freed1);
  EXPECT_TRUE(Freed2);
}

TEST(ClassesComponent, NamesAreUniqueAmongSiblings) {
  TComponent Owner(nullptr);
  auto* A = new TComponent(&Owner);
  auto* B = new TComponent(&Owner);
  A->SetName("Button1");
  EXPECT_EQ(A, Owner.FindComponent("BUTTON1"));
  EXPECT_EQ(L"A component named button1 already exists",
            MessageOf<EComponentError>([&] { B->SetName("button1"); }));
  EXPECT_EQ("", B->Name());
  A->SetName("BUTTON1");  // a change of case only
  EXPECT_EQ("BUTTON1", A->Name());
  EXPECT_EQ(L"Component name \"1abc\" is not a valid identifier",
            MessageOf<EComponentError>([&] { B->SetName("1abc"); }));
  EXPECT_THROW(B->SetName("a-b"), EComponentError);
  B->SetName("_b2");
  EXPECT_EQ(nullptr, Owner.FindComponent(""));

  TComponent Other(nullptr);
  auto* C = new TComponent(&Other);
  C->SetName("Button1");  // another owner may hold the name
  EXPECT_THROW(Owner.InsertComponent(C), EComponentError);
  EXPECT_EQ(&Other, C->Owner());
  C->SetName("Moved");
  Owner.InsertComponent(C);
  EXPECT_EQ(&Owner, C->Owner());
  EXPECT_EQ(0, Other.ComponentCount());
}
