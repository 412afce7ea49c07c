#include "classlib/WideStrings.h"

#include <gtest/gtest.h>

#include "classlib/StringLists.h"
#include "classlib/Streams.h"
#include "classlib/SysUtils.h"
#include "tests/classlib/RaisedMessage.h"
#include "tests/support/TestFiles.h"

namespace {

// The least a concrete list must give; everything else is the base class's.
class TVectorStrings : public TWideStrings {
 public:
  std::wstring Get(int Index) const override { return FItems[Checked(Index)].first; }
  int GetCount() const override { return static_cast<int>(FItems.size()); }
  TObject* GetObject(int Index) const override { return FItems[Checked(Index)].second; }
  void PutObject(int Index, TObject* AObject) override { FItems[Checked(Index)].second = AObject; }
  void SetUpdateState(bool Updating) override { UpdateStates.push_back(Updating); }
  void Clear() override { FItems.clear(); }
  void Delete(int Index) override { FItems.erase(FItems.begin() + static_cast<ptrdiff_t>(Checked(Index))); }
  void Insert(int Index, const std::wstring& S) override {
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    FItems.insert(FItems.begin() + Index, {S, nullptr});
  }

  std::vector<std::wstring> Items() const {
    std::vector<std::wstring> Result;
    for (const auto& Item : FItems) Result.push_back(Item.first);
    return Result;
  }
  std::vector<bool> UpdateStates;

 private:
  size_t Checked(int Index) const {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
    return static_cast<size_t>(Index);
  }
  std::vector<std::pair<std::wstring, TObject*>> FItems;
};

using Lines = std::vector<std::wstring>;

TObject* const Obj1 = reinterpret_cast<TObject*>(0x10);
TObject* const Obj2 = reinterpret_cast<TObject*>(0x20);

}  // namespace

TEST(WideStringsText, SplitsAtCrLfAndCrLfAndStopsAtZero) {
  const std::pair<std::wstring, Lines> Cases[] = {
      {L"a\rb", {L"a", L"b"}},
      {L"a\nb", {L"a", L"b"}},
      {L"a\r\nb", {L"a", L"b"}},
      {L"a\n\rb", {L"a", L"", L"b"}},  // LF CR is two line ends
      {L"a\r\r\nb", {L"a", L"", L"b"}},
      {L"a\r\n", {L"a"}},  // a final line end adds no empty line
      {L"\r\n", {L""}},
      {L"", {}},
      {std::wstring(L"a\r\nb\0c\r\nd", 9), {L"a", L"b"}},
      {std::wstring(L"\0a", 2), {}},
      {L"\u0416\u00E9\r\n\u65E5", {L"\u0416\u00E9", L"\u65E5"}},
  };
  for (const auto& [Text, Expected] : Cases) {
    TVectorStrings List;
    List.Add(L"old");
    List.SetText(Text);
    EXPECT_EQ(Expected, List.Items()) << WideToAnsi(Text, CP_UTF8);
    EXPECT_EQ((std::vector<bool>{true, false}), List.UpdateStates);
  }
}

TEST(WideStringsText, EveryStringEndsWithCrLf) {
  TVectorStrings List;
  EXPECT_EQ(L"", List.Text());
  List.Add(L"a");
  List.Add(L"");
  EXPECT_EQ(L"a\r\n\r\n", List.Text());
}

TEST(WideStringsSearch, IndexOfAndIndexOfName) {
  TVectorStrings List;
  List.SetText(L"plain\r\nKey=1\r\nkey=2\r\n=empty\r\n\u00C4pfel=3");
  EXPECT_EQ(1, List.IndexOfName(L"KEY"));  // the first, without regard to case
  EXPECT_EQ(4, List.IndexOfName(L"\u00E4PFEL"));
  EXPECT_EQ(3, List.IndexOfName(L""));
  EXPECT_EQ(-1, List.IndexOfName(L"plain"));
  EXPECT_EQ(-1, List.IndexOfName(L"Ke"));
  EXPECT_EQ(L"1", List.Values(L"key"));
  EXPECT_EQ(L"Key", List.Names(1));
  EXPECT_EQ(0, List.IndexOf(L"PLAIN"));
  EXPECT_EQ(-1, List.IndexOf(L"plai"));
}

TEST(WideStringsUpdate, NestedCountCallsSetUpdateStateAtTheEdges) {
  TVectorStrings List;
  List.BeginUpdate();
  List.BeginUpdate();
  List.EndUpdate();
  EXPECT_EQ(1, List.UpdateCount());
  EXPECT_EQ((std::vector<bool>{true}), List.UpdateStates);
  List.EndUpdate();
  EXPECT_EQ(0, List.UpdateCount());
  EXPECT_EQ((std::vector<bool>{true, false}), List.UpdateStates);
}

TEST(WideStringsEdit, PutExchangeAndMoveKeepObjects) {
  TVectorStrings List;
  List.AddObject(L"a", Obj1);
  List.AddObject(L"b", Obj2);
  List.Add(L"c");
  List.Put(0, L"A");
  EXPECT_EQ(Obj1, List.GetObject(0));
  List.Exchange(0, 1);
  EXPECT_EQ((Lines{L"b", L"A", L"c"}), List.Items());
  EXPECT_EQ(Obj1, List.GetObject(1));
  List.Move(1, 2);
  EXPECT_EQ((Lines{L"b", L"c", L"A"}), List.Items());
  EXPECT_EQ(Obj1, List.GetObject(2));
  EXPECT_EQ(2, List.IndexOfObject(Obj1));
}

TEST(WideStringsStream, Utf16LittleEndianWithoutMark) {
  TVectorStrings List;
  List.SetText(L"a\r\n\u0416");
  TMemoryStream Stream;
  List.SaveToStream(&Stream);
  const Bytes Expected = B("a\0\r\0\n\0\x16\x04\r\0\n\0", 12);
  ASSERT_EQ(static_cast<int64_t>(Expected.size()), Stream.Size());
  EXPECT_EQ(Expected, Bytes(Stream.Memory(), Stream.Memory() + Stream.Size()));

  TMemoryStream Odd;
  Odd.WriteBuffer("xxa\0\n\0b\0c", 9);
  Odd.SetPosition(2);
  List.LoadFromStream(&Odd);  // from the position; the odd last byte is dropped
  EXPECT_EQ((Lines{L"a", L"b"}), List.Items());
}

TEST(WideStringsStream, FileRoundTripAndErrors) {
  TempDir Dir;
  const std::wstring Name = Dir.File(L"\u0421\u043F\u0438\u0441\u043E\u043A.txt");
  TVectorStrings List;
  List.SetText(L"\u65E5\r\nb");
  List.SaveToFile(Name);
  EXPECT_EQ(B("\xE5\x65\r\0\n\0b\0\r\0\n\0", 12), ReadBytes(Name));
  TVectorStrings Loaded;
  Loaded.LoadFromFile(Name);
  EXPECT_EQ(List.Items(), Loaded.Items());

  const std::wstring Missing = Dir.File(L"missing.txt");
  EXPECT_EQ(L"Cannot open file \"" + Missing + L"\". " + SysErrorMessage(ERROR_FILE_NOT_FOUND),
            MessageOf<EFOpenError>([&] { Loaded.LoadFromFile(Missing); }));
  EXPECT_THROW(List.SaveToFile(Dir.File(L"no\\such.txt")), EFCreateError);
}

TEST(WideStringsAssign, ConvertsWithEightBitListsInTheSystemCodePage) {
  TStringList Ansi;
  Ansi.AddObject("caf\xE9", Obj1);
  TVectorStrings Wide;
  Wide.Add(L"old");
  Wide.Assign(&Ansi);
  EXPECT_EQ((Lines{L"caf\u00E9"}), Wide.Items());
  EXPECT_EQ(Obj1, Wide.GetObject(0));

  Wide.Add(L"\u00FC");
  Ansi.Assign(&Wide);  // through the wide list's AssignTo
  EXPECT_EQ("caf\xE9", Ansi.Get(0));
  EXPECT_EQ("\xFC", Ansi.Get(1));
  EXPECT_EQ(Obj1, Ansi.GetObject(0));

  TComponent NotAList(nullptr);
  EXPECT_THROW(Wide.Assign(&NotAList), EConvertError);
}
