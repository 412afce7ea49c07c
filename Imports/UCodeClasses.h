#pragma once
// The UTF-16 file stream and string lists with byte-order-mark detection, and an 8-bit view of them.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/StringLists.h"
#include "classlib/Streams.h"
#include "classlib/WideStrings.h"

// A file stream opened by a UTF-16 name; owns its handle.
// Failures raise EFOpenError "Cannot open file \"%s\". %s" / EFCreateError "Cannot create file \"%s\". %s".
class TUCodeFileStream : public THandleStream {
 public:
  TUCodeFileStream(const std::wstring& FileName, uint16_t Mode);
  ~TUCodeFileStream() override;
};

enum TStreamEncoding : uint8_t { seAnsi = 0, seUtf16LE = 1, seUtf16BE = 2, seUtf8 = 3 };

// Reads a byte-order mark at the stream's position and stays after it; without one the position is kept.
TStreamEncoding DetectStreamEncoding(TStream* Stream);

// An 8-bit string list that reads and writes in a given code page.
class TAnsiStrings : public TStrings {
 public:
  virtual void LoadFromStreamEx(TStream* Stream, UINT CodePage) = 0;
  virtual void SaveToStreamEx(TStream* Stream, UINT CodePage) = 0;
};

// Shows a wide list as an 8-bit one, converting in AdapterCodePage (0: the system code page).
class TAnsiStringsForWideStringsAdapter : public TAnsiStrings {
 public:
  explicit TAnsiStringsForWideStringsAdapter(TWideStrings* AWideStrings, UINT AAdapterCodePage = 0);
  std::string Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::string& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const std::string& S) override;
  void LoadFromStreamEx(TStream* Stream, UINT CodePage) override;
  void SaveToStreamEx(TStream* Stream, UINT CodePage) override;

 private:
  UINT CodePage() const;
  TWideStrings* FWideStrings;
  UINT FAdapterCodePage;
};

class TUCodeStrings : public TWideStrings {
 public:
  TUCodeStrings();
  ~TUCodeStrings() override;

  TStreamEncoding LoadedEncoding() const { return FLoadedEncoding; }
  TAnsiStrings* AnsiStrings() const { return FAnsiStrings.get(); }
  void SetAnsiStrings(TStrings* Value);

  void LoadFromFile(const std::wstring& FileName) override;
  void LoadFromStream(TStream* Stream) override;
  void SaveToFile(const std::wstring& FileName) override;
  void SaveToStream(TStream* Stream) override;
  virtual void ReadFromStream(TStream* Stream, bool DetectEncoding);
  virtual void WriteToStream(TStream* Stream, bool WriteSignature);

 protected:
  TStreamEncoding FLoadedEncoding = seUtf16LE;

 private:
  std::unique_ptr<TAnsiStringsForWideStringsAdapter> FAnsiStrings;
};

class TUCodeStringList;
using TUCodeStringListSortCompare = std::function<int(TUCodeStringList* List, int Index1, int Index2)>;

class TUCodeStringList : public TUCodeStrings {
 public:
  ~TUCodeStringList() override;

  std::wstring Get(int Index) const override;
  int GetCapacity() const override;
  int GetCount() const override { return static_cast<int>(FList.size()); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::wstring& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetCapacity(int NewCapacity) override;
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const std::wstring& S1, const std::wstring& S2) const override;

  int Add(const std::wstring& S) override;
  int AddObject(const std::wstring& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const std::wstring& S) const override;
  int IndexOfName(const std::wstring& Name) const override;
  void Insert(int Index, const std::wstring& S) override;
  void InsertObject(int Index, const std::wstring& S, TObject* AObject) override;

  virtual void Changed();
  virtual void Changing();
  virtual bool Find(const std::wstring& S, int& Index) const;
  virtual void Sort();
  virtual void CustomSort(const TUCodeStringListSortCompare& Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void InsertItem(int Index, const std::wstring& S, TObject* AObject);

 private:
  struct TUCodeStringItem {
    std::wstring String;
    TObject* Object;
  };
  void Grow();

  std::vector<TUCodeStringItem> FList;  // its capacity() is the list's Capacity
  bool FUpdating = false;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
};
