#include "classlib/Contnrs.h"

#include <gtest/gtest.h>

#include "classlib/SysUtils.h"
#include "tests/classlib/RaisedMessage.h"

namespace {

class TRecordingList : public TList {
 public:
  ~TRecordingList() override { Clear(); }
  std::vector<std::pair<void*, TListNotification>> Log;

 protected:
  void Notify(void* Ptr, TListNotification Action) override { Log.emplace_back(Ptr, Action); }
};

class TCounted : public TObject {
 public:
  explicit TCounted(int* ALive) : FLive(ALive) { ++*FLive; }
  ~TCounted() override { --*FLive; }

 private:
  int* FLive;
};

int X, Y, Z;

}  // namespace

TEST(ContnrsList, NotifiesAddExtractDeleteAndPut) {
  TRecordingList List;
  List.Add(&X);
  List.Add(nullptr);  // nil entries are not announced
  List.Insert(0, &Y);
  EXPECT_EQ(&Y, List.First());
  EXPECT_EQ(nullptr, List.Last());
  EXPECT_EQ(&X, List.Extract(&X));
  EXPECT_EQ(nullptr, List.Extract(&X));
  List.Put(0, &Z);
  EXPECT_EQ(1, List.Remove(nullptr));
  List.Clear();
  using N = std::vector<std::pair<void*, TListNotification>>;
  EXPECT_EQ(
      (N{{&X, lnAdded}, {&Y, lnAdded}, {&X, lnExtracted}, {&Y, lnDeleted}, {&Z, lnAdded}, {&Z, lnDeleted}}),
      List.Log);
}

TEST(ContnrsList, IndexErrorsNameTheIndex) {
  TList List;
  List.Add(&X);
  EXPECT_EQ(L"List index out of bounds (1)", MessageOf<EListError>([&] { List.Get(1); }));
  EXPECT_THROW(List.Insert(2, &Y), EListError);
  List.Insert(1, &Y);  // at the end is allowed
}

TEST(ContnrsObjectList, DeletesWhatItOwnsButNotWhatItGivesAway) {
  int Live = 0;
  auto* Kept = new TCounted(&Live);
  {
    TObjectList List;
    List.Add(new TCounted(&Live));
    List.Add(new TCounted(&Live));
    List.Add(Kept);
    List.Delete(0);
    EXPECT_EQ(2, Live);
    List.Extract(Kept);
    EXPECT_EQ(2, Live);
  }
  EXPECT_EQ(1, Live);  // the destructor deleted the rest
  {
    TObjectList List(false);
    List.Add(Kept);
    List.Clear();
  }
  EXPECT_EQ(1, Live);
  delete Kept;
}

TEST(ContnrsComponentList, DropsFreedComponents) {
  TComponentList List;
  auto* A = new TComponent(nullptr);
  auto* B = new TComponent(nullptr);
  List.Add(A);
  List.Add(B);
  List.Add(A);
  delete A;  // every entry of A goes
  ASSERT_EQ(1, List.Count());
  EXPECT_EQ(B, List.Items(0));
  delete B;
  EXPECT_EQ(0, List.Count());
}

TEST(ContnrsComponentList, ForgetsComponentsThatLeaveTheList) {
  auto* A = new TComponent(nullptr);
  {
    TComponentList List;
    List.Add(A);
    List.Add(A);
    List.Delete(0);
    List.Add(nullptr);
  }  // owns nothing: A survives, and no notification is left behind for it to send
  delete A;

  TComponentList List;
  auto* C = new TComponent(nullptr);
  List.Add(C);
  List.Add(C);
  List.Delete(0);
  delete C;  // the second entry was still watched
  EXPECT_EQ(0, List.Count());
}
