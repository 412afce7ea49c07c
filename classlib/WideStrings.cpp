#include "classlib/WideStrings.h"

#include <windows.h>

#include <cstring>

#include "classlib/FormReader.h"
#include "classlib/StringLists.h"
#include "classlib/Streams.h"
#include "classlib/StringsCommon.h"
#include "classlib/SysUtils.h"

using namespace StringsCommon;

namespace {

std::wstring Same(const std::wstring& S) {
  return S;
}

std::wstring FromAnsi(const std::string& S) {
  return AnsiToWide(S);
}

std::string ToAnsi(const std::wstring& S) {
  return WideToAnsi(S);
}

class THandleGuard {
 public:
  explicit THandleGuard(HANDLE AHandle) : FHandle(AHandle) {}
  ~THandleGuard() { CloseHandle(FHandle); }
  THandleGuard(const THandleGuard&) = delete;
  THandleGuard& operator=(const THandleGuard&) = delete;
  HANDLE Handle() const { return FHandle; }

 private:
  HANDLE FHandle;
};

std::wstring FullPathOf(const std::wstring& FileName) {
  const DWORD Length = GetFullPathNameW(FileName.c_str(), 0, nullptr, nullptr);
  if (Length == 0) return FileName;
  std::wstring Path(Length, L'\0');
  Path.resize(GetFullPathNameW(FileName.c_str(), Length, Path.data(), nullptr));
  return Path;
}

// Opens FileName or raises the error class E with the file stream's message Text.
template <class E>
HANDLE OpenFile(const std::wstring& FileName, DWORD Access, DWORD Share, DWORD Disposition,
                const wchar_t* Text) {
  const HANDLE Handle =
      CreateFileW(FileName.c_str(), Access, Share, nullptr, Disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (Handle != INVALID_HANDLE_VALUE) return Handle;
  const std::wstring Reason = SysErrorMessage(GetLastError());
  throw E(Format(Text, {FullPathOf(FileName), Reason}));
}

}  // namespace

void TWideStrings::AssignTo(TPersistent* Dest) {
  if (auto* Strings = dynamic_cast<TStrings*>(Dest))
    AssignStringsOf(*Strings, *this, ToAnsi);
  else if (auto* WideStrings = dynamic_cast<TWideStrings*>(Dest))
    AssignStringsOf(*WideStrings, *this, Same);
  else
    TPersistent::AssignTo(Dest);
}

void TWideStrings::Assign(TPersistent* Source) {
  if (auto* WideStrings = dynamic_cast<TWideStrings*>(Source))
    AssignStringsOf(*this, *WideStrings, Same);
  else if (auto* Strings = dynamic_cast<TStrings*>(Source))
    AssignStringsOf(*this, *Strings, FromAnsi);
  else
    TPersistent::Assign(Source);
}

void TWideStrings::DefineProperties(TFiler* Filer) {
  Filer->DefineProperty(
      "Strings",
      [this](TReader* Reader) {
        TUpdateGuard<TWideStrings> Guard(*this);
        Clear();
        Reader->ReadListBegin();
        while (!Reader->EndOfList()) Add(Reader->ReadWideString());
        Reader->ReadListEnd();
      },
      nullptr, Count() > 0);
}

int TWideStrings::GetCapacity() const {
  return GetCount();
}

TObject* TWideStrings::GetObject(int /*Index*/) const {
  return nullptr;
}

std::wstring TWideStrings::GetTextStr() const {
  return TextOf(*this);
}

void TWideStrings::Put(int Index, const std::wstring& S) {
  PutByInsert(*this, Index, S);
}

void TWideStrings::PutObject(int /*Index*/, TObject* /*AObject*/) {}

void TWideStrings::SetCapacity(int /*NewCapacity*/) {}

void TWideStrings::SetTextStr(const std::wstring& Value) {
  SetTextOf(*this, Value);
}

void TWideStrings::SetUpdateState(bool /*Updating*/) {}

int TWideStrings::CompareStrings(const std::wstring& S1, const std::wstring& S2) const {
  return WideCompareText(S1, S2);
}

int TWideStrings::Add(const std::wstring& S) {
  return AddObject(S, nullptr);
}

int TWideStrings::AddObject(const std::wstring& S, TObject* AObject) {
  const int Result = GetCount();
  InsertObject(Result, S, AObject);
  return Result;
}

void TWideStrings::AddStrings(TStrings* Strings) {
  AddStringsOf(*this, *Strings, FromAnsi);
}

void TWideStrings::AddStrings(TWideStrings* Strings) {
  AddStringsOf(*this, *Strings, Same);
}

void TWideStrings::Exchange(int Index1, int Index2) {
  ExchangeByPut(*this, Index1, Index2);
}

int TWideStrings::IndexOf(const std::wstring& S) const {
  return IndexOfString(*this, S);
}

int TWideStrings::IndexOfName(const std::wstring& Name) const {
  return IndexOfNameIn(*this, Name);
}

int TWideStrings::IndexOfObject(TObject* AObject) const {
  return IndexOfObjectIn(*this, AObject);
}

void TWideStrings::InsertObject(int Index, const std::wstring& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TWideStrings::LoadFromFile(const std::wstring& FileName) {
  THandleGuard File(OpenFile<EFOpenError>(FileName, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                          L"Cannot open file \"%s\". %s"));
  THandleStream Stream(File.Handle());
  LoadFromStream(&Stream);
}

// An odd last byte is no whole unit and is dropped.
void TWideStrings::LoadFromStream(TStream* Stream) {
  TUpdateGuard<TWideStrings> Guard(*this);
  const std::string Bytes = ReadRest(*Stream);
  std::wstring Text(Bytes.size() / sizeof(wchar_t), L'\0');
  std::memcpy(Text.data(), Bytes.data(), Text.size() * sizeof(wchar_t));
  SetTextStr(Text);
}

void TWideStrings::Move(int CurIndex, int NewIndex) {
  MoveByInsert(*this, CurIndex, NewIndex);
}

void TWideStrings::SaveToFile(const std::wstring& FileName) {
  THandleGuard File(OpenFile<EFCreateError>(FileName, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS,
                                            L"Cannot create file \"%s\". %s"));
  THandleStream Stream(File.Handle());
  SaveToStream(&Stream);
}

void TWideStrings::SaveToStream(TStream* Stream) {
  const std::wstring Text = GetTextStr();
  WriteAll(*Stream, Text.data(), Text.size() * sizeof(wchar_t));
}

std::wstring TWideStrings::Names(int Index) const {
  return NameOf(Get(Index));
}

std::wstring TWideStrings::Values(const std::wstring& Name) const {
  return ValueOf(*this, Name);
}

void TWideStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TWideStrings::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

void TWideStrings::IndexError(int Index) const {
  throw EStringListError(Format(L"List index out of bounds (%d)", {Index}));
}
