#pragma once
// What the 8-bit and the UTF-16 string lists do alike, written once for either list class.
#include <algorithm>
#include <cstdint>
#include <string>

#include "classlib/Streams.h"

namespace StringsCommon {

// BeginUpdate now, EndUpdate on leaving the scope.
template <class TList>
class TUpdateGuard {
 public:
  explicit TUpdateGuard(TList& AList) : FList(AList) { FList.BeginUpdate(); }
  ~TUpdateGuard() noexcept(false) { FList.EndUpdate(); }  // a change handler may raise
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

 private:
  TList& FList;
};

template <class TList>
auto TextOf(const TList& List) {
  decltype(List.Get(0)) Result;
  for (int I = 0; I < List.GetCount(); ++I) {
    Result += List.Get(I);
    Result += '\r';
    Result += '\n';
  }
  return Result;
}

// One string per line; a line ends at CR, LF or CR LF and the text at the first zero character.
template <class TList, class TString>
void SetTextOf(TList& List, const TString& Value) {
  TUpdateGuard<TList> Guard(List);
  List.Clear();
  const size_t End = std::min(Value.find(typename TString::value_type(0)), Value.size());
  size_t Pos = 0;
  while (Pos < End) {
    const size_t Start = Pos;
    while (Pos < End && Value[Pos] != '\r' && Value[Pos] != '\n') ++Pos;
    List.Add(Value.substr(Start, Pos - Start));
    if (Pos < End && Value[Pos] == '\r') ++Pos;
    if (Pos < End && Value[Pos] == '\n') ++Pos;
  }
}

template <class TList, class TString>
int IndexOfString(const TList& List, const TString& S) {
  for (int I = 0; I < List.GetCount(); ++I)
    if (List.CompareStrings(List.Get(I), S) == 0) return I;
  return -1;
}

template <class TList, class TString>
int IndexOfNameIn(const TList& List, const TString& Name) {
  for (int I = 0; I < List.GetCount(); ++I) {
    const TString S = List.Get(I);
    const size_t Separator = S.find('=');
    if (Separator != TString::npos && List.CompareStrings(S.substr(0, Separator), Name) == 0) return I;
  }
  return -1;
}

template <class TList, class TObject>
int IndexOfObjectIn(const TList& List, TObject* AObject) {
  for (int I = 0; I < List.GetCount(); ++I)
    if (List.GetObject(I) == AObject) return I;
  return -1;
}

template <class TString>
TString NameOf(const TString& S) {
  const size_t Separator = S.find('=');
  return Separator == TString::npos ? TString() : S.substr(0, Separator);
}

template <class TList, class TString>
TString ValueOf(const TList& List, const TString& Name) {
  const int Index = List.IndexOfName(Name);
  if (Index < 0) return TString();
  const TString S = List.Get(Index);
  return S.substr(S.find('=') + 1);
}

// Replaces the string and keeps its object.
template <class TList, class TString>
void PutByInsert(TList& List, int Index, const TString& S) {
  auto* Object = List.GetObject(Index);
  List.Delete(Index);
  List.InsertObject(Index, S, Object);
}

template <class TList>
void ExchangeByPut(TList& List, int Index1, int Index2) {
  TUpdateGuard<TList> Guard(List);
  auto* Object = List.GetObject(Index1);
  const auto S = List.Get(Index1);
  List.Put(Index1, List.Get(Index2));
  List.PutObject(Index1, List.GetObject(Index2));
  List.Put(Index2, S);
  List.PutObject(Index2, Object);
}

template <class TList>
void MoveByInsert(TList& List, int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  TUpdateGuard<TList> Guard(List);
  auto* Object = List.GetObject(CurIndex);
  const auto S = List.Get(CurIndex);
  List.Delete(CurIndex);
  List.InsertObject(NewIndex, S, Object);
}

// Adds Source's strings and objects, each string passed through Convert.
template <class TList, class TSource, class TConvert>
void AddStringsOf(TList& List, const TSource& Source, TConvert Convert) {
  TUpdateGuard<TList> Guard(List);
  for (int I = 0; I < Source.GetCount(); ++I) List.AddObject(Convert(Source.Get(I)), Source.GetObject(I));
}

// Replaces the list by Source's strings and objects.
template <class TList, class TSource, class TConvert>
void AssignStringsOf(TList& List, const TSource& Source, TConvert Convert) {
  TUpdateGuard<TList> Guard(List);
  List.Clear();
  AddStringsOf(List, Source, Convert);
}

// The bytes from the stream's position to its end.
inline std::string ReadRest(TStream& Stream) {
  constexpr int64_t MaxChunk = 0x40000000;
  const int64_t Count = Stream.Size() - Stream.Position();
  std::string Bytes(static_cast<size_t>(std::max<int64_t>(Count, 0)), '\0');
  for (size_t Done = 0; Done < Bytes.size();) {
    const int32_t N =
        static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(Bytes.size() - Done), MaxChunk));
    Stream.ReadBuffer(Bytes.data() + Done, N);
    Done += static_cast<size_t>(N);
  }
  return Bytes;
}

inline void WriteAll(TStream& Stream, const void* Data, size_t Count) {
  constexpr size_t MaxChunk = 0x40000000;
  const auto* Bytes = static_cast<const uint8_t*>(Data);
  for (size_t Done = 0; Done < Count;) {
    const int32_t N = static_cast<int32_t>(std::min(Count - Done, MaxChunk));
    Stream.WriteBuffer(Bytes + Done, N);
    Done += static_cast<size_t>(N);
  }
}

}  // namespace StringsCommon
