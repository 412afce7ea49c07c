#pragma once
// The UTF-16 file stream and string lists with byte-order-mark detection, and an 8-bit view of them.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Contnrs.h"
#include "classlib/StringLists.h"
#include "classlib/Streams.h"
#include "classlib/TypInfo.h"
#include "classlib/WideStrings.h"

class TFiler;
class TReader;

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

  // After "Strings": "WideStrings" (a text or a list of texts) and the older "WideStringsW" (UTF-8) and
  // "WideStrings_UTF7" forms.
  void DefineProperties(TFiler* Filer) override;
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

// ---------------------------------------------------------------------------------------------
// Wide texts in form descriptions and beside the library's 8-bit ones

// The stream properties of the wide text properties of Instance besides the published ones: for every
// wide text property P the older forms "PW" (UTF-8) and "P_UTF7", which forms of this program never
// mean and which are read and dropped; for every wide character property P "PW" (a text of at most one
// character) and "P_UTF7" (its first character). Called by DefineProperties after the inherited one.
void DefineWideProperties(TFiler* Filer, TPersistent* Instance);

// Defines the older forms of one wide text property while DefineWideProperties runs.
class TUCodeWideStringPropertyFiler : public TObject {
 public:
  void DefineProperties(TFiler* Filer, TPersistent* Instance, const TPropInfo* PropInfo);

 private:
  TPersistent* FInstance = nullptr;
  const TPropInfo* FPropInfo = nullptr;
};

// The same for one wide character property.
class TUCodeWideCharPropertyFiler : public TObject {
 public:
  void DefineProperties(TFiler* Filer, TPersistent* Instance, const TPropInfo* PropInfo);

 private:
  void ReadDataW(TReader* Reader);
  void ReadDataUTF7(TReader* Reader);
  TPersistent* FInstance = nullptr;
  const TPropInfo* FPropInfo = nullptr;
};

// The wide value kept beside an 8-bit value of the library: while the 8-bit form of WideValue is
// AnsiValue, WideValue; once code that knows only 8-bit text changed AnsiValue, AnsiValue widened (and
// WideValue takes it).
std::wstring GetSyncedWideString(std::wstring& WideValue, const std::string& AnsiValue);
// Stores Value as WideValue and its 8-bit form through AnsiSetter. When Value does not survive the way
// through 8-bit text and its 8-bit form equals AnsiValue, AnsiSetter first gets the empty text, so that the
// 8-bit side sees a change.
void SetSyncedWideString(const std::wstring& Value, std::wstring& WideValue, const std::string& AnsiValue,
                         const std::function<void(const std::string&)>& AnsiSetter);

// The base of the stores that keep wide data of one component each. A store sits in a component list
// ordered by its component's address; it frees itself, and so leaves the list, when its component goes.
class TWideComponentHelper : public TComponent {
 public:
  TWideComponentHelper(TComponent* AComponent, TComponentList* StoreList);
  TComponent* Component() const { return FComponent; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TComponent* FComponent;
};

// Binary search of a list ordered by Compare(Item, Target) (< 0: Item comes before Target); Index is
// where Target is or belongs.
bool FindSortedIndex(TList* List, const std::function<int(void* Item, void* Target)>& Compare, void* Target,
                     int& Index);
// The store of Component in List, or nullptr.
TWideComponentHelper* FindWideComponentHelperIndex(TComponentList* List, TComponent* Component);
