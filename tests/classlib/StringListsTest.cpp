#include "classlib/StringLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "classlib/Streams.h"
#include "classlib/SysUtils.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/support/TestFiles.h"

namespace {

std::vector<std::string> Items(const TStrings& List) {
  std::vector<std::string> Result;
  for (int I = 0; I < List.Count(); ++I) Result.push_back(List.Get(I));
  return Result;
}

using Strings = std::vector<std::string>;

// Counts the list's change events.
struct TEvents {
  explicit TEvents(TStringList& List) {
    List.OnChanging = [this](TObject*) { ++Changing; };
    List.OnChange = [this](TObject*) { ++Change; };
  }
  int Changing = 0;
  int Change = 0;
};

TObject* const Obj1 = reinterpret_cast<TObject*>(0x10);
TObject* const Obj2 = reinterpret_cast<TObject*>(0x20);

}  // namespace

TEST(StringListsAlgorithms, QuickSortSortsAnyOrder) {
  std::mt19937 Random(7);
  for (int Size = 1; Size <= 40; ++Size) {
    for (int Round = 0; Round < 20; ++Round) {
      std::vector<int> Values(static_cast<size_t>(Size));
      for (int& V : Values) V = static_cast<int>(Random() % 8);  // many equal items
      std::vector<int> Expected = Values;
      std::sort(Expected.begin(), Expected.end());
      ListQuickSort(
          0, Size - 1,
          [&](int I, int J) { return Values[static_cast<size_t>(I)] - Values[static_cast<size_t>(J)]; },
          [&](int I, int J) { std::swap(Values[static_cast<size_t>(I)], Values[static_cast<size_t>(J)]); });
      ASSERT_EQ(Expected, Values) << "size " << Size;
    }
  }
}

TEST(StringListsAlgorithms, SortedFindGivesPlaceOrFirstEqual) {
  const std::vector<int> Values = {1, 3, 3, 3, 5};
  auto Find = [&](int Target, TDuplicates Duplicates, int& Index) {
    return SortedFind(
        5, [&](int I) { return Values[static_cast<size_t>(I)] - Target; }, Duplicates, Index);
  };
  int Index = -1;
  EXPECT_FALSE(Find(4, dupIgnore, Index));
  EXPECT_EQ(4, Index);
  EXPECT_TRUE(Find(3, dupAccept, Index));
  EXPECT_EQ(1, Index);
  EXPECT_TRUE(Find(3, dupIgnore, Index));
  EXPECT_EQ(2, Index);  // stops at the first hit
}

TEST(StringListsStringList, SortedAddHonoursDuplicates) {
  TStringList List;
  List.SetSorted(true);
  EXPECT_EQ(0, List.Add("beta"));
  EXPECT_EQ(0, List.Add("Alpha"));
  EXPECT_EQ(2, List.Add("gamma"));
  EXPECT_EQ(1, List.Add("BETA"));  // ignored: the case does not count
  EXPECT_EQ((Strings{"Alpha", "beta", "gamma"}), Items(List));

  List.SetDuplicates(dupError);
  EXPECT_EQ(L"String list does not allow duplicates",
            MessageOf<EStringListError>([&] { List.Add("GAMMA"); }));
  List.SetDuplicates(dupAccept);
  EXPECT_EQ(1, List.Add("Beta"));
  EXPECT_EQ(4, List.Count());

  EXPECT_EQ(L"Operation not allowed on sorted list",
            MessageOf<EStringListError>([&] { List.Insert(0, "x"); }));
  EXPECT_EQ(L"Operation not allowed on sorted list", MessageOf<EStringListError>([&] { List.Put(0, "x"); }));
  EXPECT_EQ(L"List index out of bounds (4)", MessageOf<EStringListError>([&] { List.Get(4); }));
  EXPECT_EQ(L"List index out of bounds (-1)", MessageOf<EStringListError>([&] { List.Exchange(0, -1); }));
}

TEST(StringListsStringList, FindFollowsSortingAndCase) {
  TStringList List;
  List.SetText("b\nB\na\nc\n");
  EXPECT_EQ(2, List.IndexOf("A"));  // unsorted: linear, without regard to case
  List.SetSorted(true);
  EXPECT_EQ("a", List.Get(0));
  int Index = -1;
  EXPECT_FALSE(List.Find("bb", Index));
  EXPECT_EQ(3, Index);
  EXPECT_EQ(-1, List.IndexOf("d"));

  List.SetCaseSensitive(true);  // sorted again, so that Find still works
  for (const char* S : {"a", "b", "B", "c"}) {
    EXPECT_TRUE(List.Find(S, Index)) << S;
    EXPECT_EQ(S, List.Get(Index));
  }
  EXPECT_EQ(-1, List.IndexOf("A"));
}

TEST(StringListsStringList, EventsAndUpdates) {
  TStringList List;
  TEvents Events(List);
  List.Add("a");
  List.Clear();
  List.Clear();  // empty: nothing happens
  EXPECT_EQ(2, Events.Changing);
  EXPECT_EQ(2, Events.Change);

  List.BeginUpdate();
  List.BeginUpdate();
  List.Add("b");
  List.Add("a");
  List.Sort();
  List.EndUpdate();
  EXPECT_EQ(2, Events.Change);  // still updating
  List.EndUpdate();
  EXPECT_EQ(2, Events.Changing);
  EXPECT_EQ(3, Events.Change);
  EXPECT_EQ((Strings{"a", "b"}), Items(List));
}

TEST(StringListsStringList, CustomSortMovesObjectsWithTheirStrings) {
  TStringList List;
  List.AddObject("ccc", Obj1);
  List.AddObject("a", Obj2);
  List.Add("bb");
  List.CustomSort([](TStringList* L, int I, int J) {
    return static_cast<int>(L->Get(I).size()) - static_cast<int>(L->Get(J).size());
  });
  EXPECT_EQ((Strings{"a", "bb", "ccc"}), Items(List));
  EXPECT_EQ(Obj2, List.GetObject(0));
  EXPECT_EQ(2, List.IndexOfObject(Obj1));
}

TEST(StringListsStrings, ValuesAndSetValue) {
  TStringList List;
  List.SetText("x=1\nName=Va=lue\nplain");
  EXPECT_EQ("Va=lue", List.Values("NAME"));
  EXPECT_EQ("", List.Values("plain"));
  List.SetValue("x", "2");
  List.SetValue("new", "3");
  List.SetValue("name", "");  // an empty value deletes
  EXPECT_EQ((Strings{"x=2", "plain", "new=3"}), Items(List));
}

TEST(StringListsStrings, AssignCopiesStringsAndObjectsAsOneChange) {
  TStringList Source;
  Source.AddObject("one", Obj1);
  Source.AddObject("two", Obj2);
  TStringList Dest;
  Dest.Add("old");
  TEvents Events(Dest);
  Dest.Assign(&Source);
  EXPECT_EQ((Strings{"one", "two"}), Items(Dest));
  EXPECT_EQ(Obj2, Dest.GetObject(1));
  EXPECT_EQ(0, Events.Changing);
  EXPECT_EQ(1, Events.Change);
}

TEST(StringListsStrings, FileRoundTrip) {
  TempDir Dir;
  const std::string Name = WideToAnsi(Dir.File(L"list.txt"));
  TStringList List;
  List.SetText("caf\xE9\r\nzwei");
  List.SaveToFile(Name);
  EXPECT_EQ(B("caf\xE9\r\nzwei\r\n", 12), ReadBytes(Dir.File(L"list.txt")));
  TStringList Loaded;
  Loaded.LoadFromFile(Name);
  EXPECT_EQ(Items(List), Items(Loaded));
  EXPECT_THROW(Loaded.LoadFromFile(Name + ".missing"), EFOpenError);
}
