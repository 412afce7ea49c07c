#include "Imports/UCodeClasses.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "Imports/UCodeSysUtils.h"
#include "classlib/FormReader.h"
#include "classlib/Forms.h"
#include "tests/support/TestFiles.h"

namespace {

using Strings = std::vector<std::wstring>;

// Bytes written as in a hex dump: "FF FE 61 00".
Bytes Hex(const char* Text) {
  Bytes Result;
  for (const char* P = Text; *P; P += P[2] ? 3 : 2)
    Result.push_back(static_cast<uint8_t>(strtoul(std::string(P, 2).c_str(), nullptr, 16)));
  return Result;
}

Strings Lines(const TWideStrings& List) {
  Strings Result;
  for (int I = 0; I < List.Count(); ++I) Result.push_back(List.Get(I));
  return Result;
}

template <class E, class F>
std::wstring MessageOf(F Action) {
  try {
    Action();
  } catch (const E& Error) {
    return Error.Message();
  }
  ADD_FAILURE() << "nothing raised";
  return {};
}

TStream* Fill(TMemoryStream& Stream, const char* HexBytes, int64_t Position) {
  const Bytes Data = Hex(HexBytes);
  Stream.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size()));
  Stream.SetPosition(Position);
  return &Stream;
}

}  // namespace

TEST(UCodeClassesLoad, ReadsEachMarkAndFallsBackToTheAnsiCodePage) {
  const struct {
    const char* File;
    TStreamEncoding Encoding;
    Strings Lines;
  } Cases[] = {
      {"FF FE 61 00 0D 00 0A 00 62 00", seUtf16LE, {L"a", L"b"}},
      {"FF FE 61 00 62", seUtf16LE, {L"a"}},  // an odd last byte is dropped
      {"E4 0D 0A 62", seAnsi, {L"\u00E4", L"b"}},
      {"EF BB BF 61 0D 0A", seUtf8, {L"a"}},
      {"EF BB BF 61 FF 62", seUtf8, {L"a\uFFFDb"}},  // a bad byte loses only itself
      {"FE FF", seUtf16BE, {}},
      {"FE FF 00 61 00 0D 04 16", seUtf16BE, {L"a", L"\u0416"}},
      {"EF BB", seAnsi, {L"\u00EF\u00BB"}},  // a cut-off mark is text
      {"", seAnsi, {}},
  };
  TempDir Dir;
  const std::wstring Name = Dir.File(L"\u0416\u65E5\u00E4.txt");
  for (const auto& C : Cases) {
    WriteBytes(Name, Hex(C.File));
    TUCodeStringList List;
    EXPECT_EQ(List.LoadedEncoding(), seUtf16LE);
    List.Add(L"old");
    List.LoadFromFile(Name);
    EXPECT_EQ(List.LoadedEncoding(), C.Encoding) << C.File;
    EXPECT_EQ(Lines(List), C.Lines) << C.File;
  }
}

TEST(UCodeClassesLoad, DetectsMarksFromTheCurrentPosition) {
  const struct {
    const char* Data;
    int64_t Start;
    TStreamEncoding Encoding;
    int64_t End;
  } Cases[] = {
      {"00 FF FE", 1, seUtf16LE, 3}, {"00 00 FE FF 61", 2, seUtf16BE, 4}, {"00 EF BB BF", 1, seUtf8, 4},
      {"00 EF BB", 1, seAnsi, 1},    {"EF BB BE", 0, seAnsi, 0},          {"FF", 0, seAnsi, 0},
      {"FF FE", 2, seAnsi, 2},
  };
  for (const auto& C : Cases) {
    TMemoryStream Stream;
    EXPECT_EQ(DetectStreamEncoding(Fill(Stream, C.Data, C.Start)), C.Encoding) << C.Data << " at " << C.Start;
    EXPECT_EQ(Stream.Position(), C.End) << C.Data << " at " << C.Start;
  }
}

TEST(UCodeClassesSave, WritesUtf16WithMarkAndEveryLineEndedAndLetsOthersRead) {
  TempDir Dir;
  const std::wstring Name = Dir.File(L"out.txt");
  WriteBytes(Name, Bytes(40, 'x'));  // replaced, not overwritten in place
  TUCodeStringList List;
  List.SetText(L"a\r\nb");
  List.SaveToFile(Name);
  EXPECT_EQ(ReadBytes(Name), Hex("FF FE 61 00 0D 00 0A 00 62 00 0D 00 0A 00"));
  for (DWORD Access :
       {DWORD(GENERIC_READ), DWORD(GENERIC_WRITE)}) {  // saving has closed the file; loading denies writing
    HANDLE Other = CreateFileW(Name.c_str(), Access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(Other, INVALID_HANDLE_VALUE);
    if (Access == GENERIC_READ)
      EXPECT_NO_THROW(List.LoadFromFile(Name));
    else
      EXPECT_THROW(List.LoadFromFile(Name), EFOpenError);
    CloseHandle(Other);
  }
  TMemoryStream Stream;
  List.ReadFromStream(Fill(Stream, "FF FE 61 00", 0), false);  // without detection a mark is a character
  EXPECT_EQ(Lines(List), Strings{L"\uFEFFa"});
}

TEST(UCodeClassesSorted, DuplicatesAndEditsFollowTheSortOrder) {
  TUCodeStringList List;
  List.SetText(L"b\r\na");
  List.SetSorted(true);
  EXPECT_EQ(Lines(List), (Strings{L"a", L"b"}));
  EXPECT_EQ(List.Add(L"B"), 1);  // case ignored: the held index, nothing added
  EXPECT_EQ(List.Count(), 2);
  List.SetDuplicates(dupError);
  EXPECT_EQ(MessageOf<EStringListError>([&] { List.Add(L"A"); }), L"String list does not allow duplicates");
  List.SetDuplicates(dupAccept);
  List.Add(L"B");
  List.Add(L"b");
  List.Delete(0);
  List.SetDuplicates(dupIgnore);
  int Index = -1;
  EXPECT_TRUE(List.Find(L"B", Index));
  EXPECT_EQ(Index, 0);  // the first of three equal strings, not the middle one
  EXPECT_EQ(MessageOf<EStringListError>([&] { List.Insert(0, L"c"); }),
            L"Operation not allowed on sorted list");
  EXPECT_EQ(MessageOf<EStringListError>([&] { List.Put(0, L"c"); }), L"Operation not allowed on sorted list");
}

TEST(UCodeClassesSorted, IndexOfNameSortedAndUnsorted) {
  TUCodeStringList List;
  List.SetText(L"b=2\r\nab=3\r\na=1");
  EXPECT_EQ(List.IndexOfName(L"a"), 2);
  List.SetSorted(true);
  EXPECT_EQ(Lines(List), (Strings{L"a=1", L"ab=3", L"b=2"}));
  const std::pair<const wchar_t*, int> Names[] = {{L"A", 0}, {L"ab", 1}, {L"b", 2}, {L"c", -1}};
  for (const auto& [Name, Index] : Names) EXPECT_EQ(List.IndexOfName(Name), Index) << Name;
}

TEST(UCodeClassesSorted, CaseSensitiveReordersASortedList) {
  TUCodeStringList List;
  List.SetDuplicates(dupAccept);
  List.SetSorted(true);
  List.Add(L"a");
  List.Add(L"A");  // equal while case is ignored: goes first
  List.SetCaseSensitive(true);
  EXPECT_EQ(Lines(List), (Strings{L"a", L"A"}));
  EXPECT_EQ(List.IndexOf(L"a"), 0);
}

TEST(UCodeClassesList, IndexErrorsNameTheIndex) {
  TUCodeStringList List;
  List.SetText(L"a\r\nb");
  EXPECT_EQ(MessageOf<EStringListError>([&] { List.Exchange(0, 2); }), L"List index out of bounds (2)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { List.Exchange(-1, 0); }), L"List index out of bounds (-1)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { List.Insert(3, L"x"); }), L"List index out of bounds (3)");
}

TEST(UCodeClassesList, UpdatesFireOneChangeAtTheEnd) {
  TUCodeStringList List;
  std::wstring Events;
  List.OnChanging = [&](TObject* Sender) { Events += Sender == &List ? L"<" : L"?"; };
  List.OnChange = [&](TObject* Sender) { Events += Sender == &List ? L">" : L"?"; };
  List.Add(L"a");
  List.Clear();
  List.Clear();  // empty: nothing
  EXPECT_EQ(Events, L"<><>");
  List.BeginUpdate();
  List.BeginUpdate();
  List.Add(L"b");
  List.Insert(0, L"c");
  List.Exchange(0, 1);
  List.EndUpdate();
  List.Delete(0);
  List.EndUpdate();
  EXPECT_EQ(Events, L"<><>>");
}

TEST(UCodeClassesAdapter, ConvertsInItsCodePage) {
  TUCodeStringList List;
  TAnsiStringsForWideStringsAdapter Cyrillic(&List, 1251);
  Cyrillic.Insert(0, "\xCF\xF0\xE8");
  Cyrillic.Insert(1, "b");
  Cyrillic.Put(1, "\xC0");
  EXPECT_EQ(Lines(List), (Strings{L"\u041F\u0440\u0438", L"\u0410"}));
  EXPECT_EQ(Cyrillic.Get(1), "\xC0");
  TMemoryStream Out;
  Cyrillic.SaveToStreamEx(&Out, 1251);
  EXPECT_EQ(Bytes(Out.Memory(), Out.Memory() + Out.Size()), Hex("CF F0 E8 0D 0A C0 0D 0A"));
  TMemoryStream In;
  List.AnsiStrings()->LoadFromStreamEx(Fill(In, "78 78 C6 0D 0A E4", 2), 1251);
  EXPECT_EQ(Lines(List), (Strings{L"\u0416", L"\u0434"}));
  TStringList Source;
  Source.Add("\xE4");
  List.SetAnsiStrings(&Source);  // the view's own code page: the system's
  EXPECT_EQ(Lines(List), Strings{L"\u00E4"});
}

TEST(UCodeClassesFileStream, OpenErrorsNameTheFullPathAndTheCause) {
  TempDir Dir;
  wchar_t Previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, Previous);
  SetCurrentDirectoryW(Dir.Path().c_str());
  const std::wstring OpenMessage = MessageOf<EFOpenError>([] { TUCodeFileStream S(L"missing.txt", 0x20); });
  SetCurrentDirectoryW(Previous);
  EXPECT_EQ(OpenMessage, L"Cannot open file \"" + Dir.File(L"missing.txt") + L"\". " +
                             WideSysErrorMessage(ERROR_FILE_NOT_FOUND));
  const std::wstring Inside = Dir.File(L"none\\new.txt");
  EXPECT_EQ(MessageOf<EFCreateError>([&] { TUCodeFileStream S(Inside, fmCreate); }),
            L"Cannot create file \"" + Inside + L"\". " + WideSysErrorMessage(ERROR_PATH_NOT_FOUND));
}

// ---------------------------------------------------------------------------------------------
// Wide texts in form descriptions and beside 8-bit ones

namespace {

class TWideTextControl : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  void DefineProperties(TFiler* Filer) override {
    TGraphicControl::DefineProperties(Filer);
    DefineWideProperties(Filer, this);
  }
  std::wstring WideCaption;
  std::wstring WideHint;
  std::wstring PasswordChar = L"*";
  TUCodeStringList Items;
};

const TClassInfo* WideTextControlClass() {
  static const TClassInfo Info = [] {
    using namespace Published;
    RegisterLibraryClasses();
    return MakeClassInfo<TWideTextControl>(
        "TWideTextControl", GetClass("TControl"),
        {WideStr<TWideTextControl>(
             "Caption", [](TWideTextControl* C) { return C->WideCaption; },
             [](TWideTextControl* C, const std::wstring& V) { C->WideCaption = V; }),
         WideStr<TWideTextControl>(
             "Hint", [](TWideTextControl* C) { return C->WideHint; },
             [](TWideTextControl* C, const std::wstring& V) { C->WideHint = V; }),
         WideStr<TWideTextControl>(
             "PasswordChar", [](TWideTextControl* C) { return C->PasswordChar; },
             [](TWideTextControl* C, const std::wstring& V) { C->PasswordChar = V; }, tkWChar),
         Object<TWideTextControl>("Items", [](TWideTextControl* C) { return &C->Items; })});
  }();
  RegisterClass(&Info);
  return &Info;
}

class TWideTextForm : public TForm {
 public:
  explicit TWideTextForm(TComponent* AOwner) : TForm(AOwner) {
    RegisterFormClass<TWideTextForm>("TWideTextForm", {}, {}, {{WideTextControlClass()}});
  }
  TWideTextControl* Control() { return static_cast<TWideTextControl*>(FindComponent("C")); }
};

// Reads a form with one wide control whose properties are Body.
std::unique_ptr<TWideTextForm> ReadWideForm(const std::string& Body) {
  auto Form = std::make_unique<TWideTextForm>(nullptr);
  TReader Reader("object F: TWideTextForm\n object C: TWideTextControl\n" + Body + "\n end\nend", "TEST");
  Reader.ReadRootComponent(Form.get());
  return Form;
}

TEST(UCodeClassesStreaming, WideTextsComeFromTheFormAndTheOlderFormsAreDropped) {
  const auto Form = ReadWideForm(
      "Caption = #913#952#942#957#945\n"
      "CaptionW = 'utf8 ignored'\n"
      "Hint_UTF7 = '+A5E-'\n"
      "Hint = 'kurz|' + #26481#20140\n"
      "PasswordCharW = #9679\n");
  EXPECT_EQ(Form->Control()->WideCaption, L"\u0391\u03B8\u03AE\u03BD\u03B1");
  EXPECT_EQ(Form->Control()->WideHint, L"kurz|\u6771\u4EAC");
  EXPECT_EQ(Form->Control()->PasswordChar, L"\u25CF");
  EXPECT_EQ(ReadWideForm("PasswordChar_UTF7 = '+BBY-'")->Control()->PasswordChar, L"\u0416");
  EXPECT_EQ(ReadWideForm("PasswordCharW = ''")->Control()->PasswordChar, L"");
}

TEST(UCodeClassesStreaming, MalformedWideCharactersFailTheForm) {
  EXPECT_THROW(ReadWideForm("PasswordCharW = 'ab'"), EReadError);
  EXPECT_THROW(ReadWideForm("PasswordCharW = 12"), EReadError);
}

TEST(UCodeClassesStreaming, ItemsInTheirWideAndOlderForms) {
  const auto Kept = ReadWideForm(
      "Items.Strings = ('a' #1046)\n"
      "Items.WideStringsW = ('x')\n");
  EXPECT_EQ(Lines(Kept->Control()->Items), (Strings{L"a", L"\u0416"}));
  const auto Taken = ReadWideForm("Items.WideStringsW = ('\xC3\xA4' 'b')");
  EXPECT_EQ(Lines(Taken->Control()->Items), (Strings{L"\u00E4", L"b"}));
  const auto Whole = ReadWideForm("Items.WideStrings = 'one'#13#10#1046");
  EXPECT_EQ(Lines(Whole->Control()->Items), (Strings{L"one", L"\u0416"}));
  const auto Listed = ReadWideForm("Items.WideStrings = ('p' #1046)\nItems.WideStrings_UTF7 = ('+BBY-')");
  EXPECT_EQ(Lines(Listed->Control()->Items), (Strings{L"p", L"\u0416"}));
}

TEST(UCodeClassesSynced, TheWideValueFollowsThe8BitOneAndNotifiesIt) {
  std::wstring Wide;
  std::string Ansi;
  std::vector<std::string> Set;
  const auto Setter = [&](const std::string& S) {
    Set.push_back(S);
    Ansi = S;
  };
  SetSyncedWideString(L"\u6771x", Wide, Ansi, Setter);
  EXPECT_EQ(Set, (std::vector<std::string>{"?x"}));
  // The same 8-bit form: an empty text first, so that the 8-bit side sees a change.
  SetSyncedWideString(L"\u4EACx", Wide, Ansi, Setter);
  EXPECT_EQ(Set, (std::vector<std::string>{"?x", "", "?x"}));
  EXPECT_EQ(GetSyncedWideString(Wide, Ansi), L"\u4EACx");
  // Setting it again changes nothing.
  SetSyncedWideString(L"\u4EACx", Wide, Ansi, Setter);
  EXPECT_EQ(Set.size(), 3u);
  // 8-bit code changed the value behind the wide one.
  Ansi = "neu";
  EXPECT_EQ(GetSyncedWideString(Wide, Ansi), L"neu");
  EXPECT_EQ(Wide, L"neu");
}

TEST(UCodeClassesHelpers, StoresAreFoundByTheirComponentAndGoWithIt) {
  TComponentList Stores;
  Stores.SetOwnsObjects(true);
  std::vector<std::unique_ptr<TComponent>> Components;
  for (int I = 0; I < 5; ++I) Components.push_back(std::make_unique<TComponent>(nullptr));
  for (int I : {3, 0, 4, 1}) new TWideComponentHelper(Components[I].get(), &Stores);
  for (int I = 1; I < Stores.Count(); ++I)
    EXPECT_LT(static_cast<TWideComponentHelper*>(Stores.Items(I - 1))->Component(),
              static_cast<TWideComponentHelper*>(Stores.Items(I))->Component());
  EXPECT_EQ(FindWideComponentHelperIndex(&Stores, Components[4].get())->Component(), Components[4].get());
  EXPECT_EQ(FindWideComponentHelperIndex(&Stores, Components[2].get()), nullptr);
  Components[4].reset();
  EXPECT_EQ(Stores.Count(), 3);
}

}  // namespace
