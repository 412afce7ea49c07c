#pragma once
// The abstract UTF-16 string list.
#include <windows.h>
// wingdi's GetObject macro would rename the lists' GetObject to GetObjectA or GetObjectW, differently in
// each translation unit depending on the order of includes and on UNICODE.
#undef GetObject

#include <string>

#include "classlib/Classes.h"

class TStream;
class TStrings;

// Index errors raise EStringListError "List index out of bounds (%d)".
class TWideStrings : public TPersistent {
 public:
  // Copies into an 8-bit TStrings (system code page) or another TWideStrings.
  void AssignTo(TPersistent* Dest) override;
  // Takes from an 8-bit TStrings (system code page) or another TWideStrings.
  void Assign(TPersistent* Source) override;
  // "Strings": the items as a list of texts.
  void DefineProperties(TFiler* Filer) override;

  virtual std::wstring Get(int Index) const = 0;
  virtual int GetCapacity() const;  // the count here
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const;  // nullptr here
  // Every string followed by CR LF.
  virtual std::wstring GetTextStr() const;
  virtual void Put(int Index, const std::wstring& S);
  virtual void PutObject(int Index, TObject* AObject);  // ignored here
  virtual void SetCapacity(int NewCapacity);            // ignored here
  // Inside BeginUpdate/EndUpdate: clears the list and adds one string per line
  // (CR, LF or CR LF); the text ends at the first U+0000.
  virtual void SetTextStr(const std::wstring& Value);
  virtual void SetUpdateState(bool Updating);
  virtual int CompareStrings(const std::wstring& S1, const std::wstring& S2) const;  // WideCompareText

  virtual int Add(const std::wstring& S);
  virtual int AddObject(const std::wstring& S, TObject* AObject);
  virtual void AddStrings(TStrings* Strings);
  virtual void AddStrings(TWideStrings* Strings);
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  virtual void Exchange(int Index1, int Index2);
  virtual int IndexOf(const std::wstring& S) const;  // linear, by CompareStrings
  // The first "name=value" string with the given name, -1 when none.
  virtual int IndexOfName(const std::wstring& Name) const;
  virtual int IndexOfObject(TObject* AObject) const;
  virtual void Insert(int Index, const std::wstring& S) = 0;
  virtual void InsertObject(int Index, const std::wstring& S, TObject* AObject);
  virtual void LoadFromFile(const std::wstring& FileName);
  virtual void LoadFromStream(TStream* Stream);  // the rest of the stream as UTF-16 LE
  virtual void Move(int CurIndex, int NewIndex);
  virtual void SaveToFile(const std::wstring& FileName);
  virtual void SaveToStream(TStream* Stream);  // the text as UTF-16 LE

  int Count() const { return GetCount(); }
  std::wstring Text() const { return GetTextStr(); }
  void SetText(const std::wstring& Value) { SetTextStr(Value); }
  std::wstring Names(int Index) const;
  std::wstring Values(const std::wstring& Name) const;

  // Nested: SetUpdateState(true) on the first BeginUpdate, (false) on the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

 protected:
  [[noreturn]] void IndexError(int Index) const;

 private:
  int FUpdateCount = 0;
};
