#include "classlib/TypInfo.h"

#include <map>
#include <unordered_map>

namespace {

struct TRegistry {
  std::map<std::string, const TClassInfo*> ByName;  // upper-case names
  std::unordered_map<std::type_index, const TClassInfo*> ByType;
};

TRegistry& Registry() {
  static TRegistry R;
  return R;
}

bool SameText(const std::string& A, const std::string& B) {
  return UpperCase(A) == UpperCase(B);
}

}  // namespace

bool TClassInfo::InheritsFrom(const TClassInfo* Other) const {
  for (const TClassInfo* C = this; C; C = C->Parent)
    if (C == Other) return true;
  return false;
}

void RegisterClass(const TClassInfo* Info) {
  Registry().ByName.emplace(UpperCase(Info->Name), Info);
  Registry().ByType.emplace(Info->Type, Info);
}

void RegisterReplacementClass(const TClassInfo* Info) {
  Registry().ByType.emplace(Info->Type, Info);
}

const TClassInfo* FindFormComponentClass(const TClassInfo* Form, const std::string& Name) {
  for (const TClassInfo* C = Form; C; C = C->Parent)
    for (const TClassInfo* K : C->Classes)
      if (SameText(K->Name, Name)) return K;
  return GetClass(Name);
}

const TClassInfo* GetClass(const std::string& Name) {
  const auto It = Registry().ByName.find(UpperCase(Name));
  return It == Registry().ByName.end() ? nullptr : It->second;
}

const TClassInfo* FindClass(const std::string& Name) {
  const TClassInfo* Info = GetClass(Name);
  if (!Info) throw EClassNotFound(Format("Class %s not found", {Name}));
  return Info;
}

const TClassInfo* GetClassInfo(const TObject* Instance) {
  if (!Instance) return nullptr;
  const auto It = Registry().ByType.find(std::type_index(typeid(*Instance)));
  if (It != Registry().ByType.end()) return It->second;
  return nullptr;
}

const TPropInfo* GetPropInfo(const TClassInfo* Info, const std::string& Name) {
  for (const TClassInfo* C = Info; C; C = C->Parent)
    for (const TPropInfo& P : C->Props)
      if (SameText(P.Name, Name)) return &P;
  return nullptr;
}

const TMethodEntry* FindMethod(const TClassInfo* Info, const std::string& Name) {
  for (const TClassInfo* C = Info; C; C = C->Parent)
    for (const TMethodEntry& M : C->Methods)
      if (SameText(M.Name, Name)) return &M;
  return nullptr;
}

bool IsStoredProp(TObject* Instance, const TPropInfo* Prop) {
  return !Prop->Stored || Prop->Stored(Instance);
}

std::vector<const TPropInfo*> GetPropList(const TClassInfo* Info) {
  std::vector<const TClassInfo*> Chain;
  for (const TClassInfo* C = Info; C; C = C->Parent) Chain.insert(Chain.begin(), C);
  std::vector<const TPropInfo*> Result;
  for (const TClassInfo* C : Chain)
    for (const TPropInfo& P : C->Props) Result.push_back(&P);
  return Result;
}
