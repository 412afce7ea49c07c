#pragma once
// Run-time type information of published properties: per class its name, its parent class, a factory
// and a table of properties with their kind and accessors. The form reader sets properties through it.
#include <any>
#include <cstdint>
#include <functional>
#include <string>
#include <typeindex>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

VELMARO_EXCEPTION(EClassNotFound, Exception);
VELMARO_EXCEPTION(EPropertyError, Exception);

enum TTypeKind {
  tkInteger,  // also colours, cursors and shortcuts
  tkBoolean,
  tkEnumeration,  // Names lists the values
  tkSet,          // Names lists the bits, 1 << index
  tkString,       // 8-bit text
  tkWString,      // UTF-16 text
  tkWChar,        // one UTF-16 character
  tkClass,        // a persistent object the instance owns (font, string list, collection, picture)
  tkComponent,    // a reference to a component elsewhere
  tkMethod,       // an event: its value is a handler of the form
};

struct TPropInfo {
  TPropInfo(std::string AName, TTypeKind AKind, std::vector<std::string> ANames = {})
      : Name(std::move(AName)), Kind(AKind), Names(std::move(ANames)) {}
  std::string Name;
  TTypeKind Kind;
  std::vector<std::string> Names;
  // For integer properties: an identifier standing for a value (clBtnFace, crHandPoint).
  std::function<bool(const std::string& Ident, int64_t& Value)> IdentToInt;
  std::function<int64_t(TObject*)> GetOrd;
  std::function<void(TObject*, int64_t)> SetOrd;
  std::function<std::string(TObject*)> GetStr;
  std::function<void(TObject*, const std::string&)> SetStr;
  std::function<std::wstring(TObject*)> GetWideStr;
  std::function<void(TObject*, const std::wstring&)> SetWideStr;
  std::function<TPersistent*(TObject*)> GetSubObject;
  std::function<TComponent*(TObject*)> GetComponent;
  std::function<void(TObject*, TComponent*)> SetComponent;
  // Takes a handler made by MethodOf; raises EPropertyError when its type is not the event's.
  std::function<void(TObject*, const std::any& Handler)> SetMethod;
  // Whether the instance's value belongs into a form; empty: always.
  std::function<bool(TObject*)> Stored;
};

// A handler method of a form class bound to one instance: yields the event's std::function in a std::any.
using TMethodBinder = std::function<std::any(TObject* Instance)>;
struct TMethodEntry {
  std::string Name;
  TMethodBinder Bind;
};
// A field of a form class that is set to the component of the same name after the form is read.
struct TFieldEntry {
  std::string Name;
  std::function<bool(TObject* Instance, TComponent* Component)> Set;  // false: wrong class
};

struct TClassInfo {
  std::string Name;
  const TClassInfo* Parent = nullptr;
  std::type_index Type;
  // Creates an instance owned by AOwner; empty for classes the reader never creates.
  std::function<TComponent*(TComponent* AOwner)> Create;
  std::vector<TPropInfo> Props;
  std::vector<TMethodEntry> Methods;
  std::vector<TFieldEntry> Fields;
  // Puts a new child of this class into its parent component (a control into a windowed control, a
  // menu item into a menu); empty: inherited from the parent class.
  std::function<void(TComponent* Child, TComponent* ParentComponent)> SetParentComponent;
  // For a form class: the classes its form description names, found by name before the registered ones
  // (classes that stand in for library classes of the same name). A form class inherits its parent's.
  std::vector<const TClassInfo*> Classes;

  bool InheritsFrom(const TClassInfo* Other) const;
};

// Registers a class for FindClass and GetClassInfo; registering a name twice keeps the first.
void RegisterClass(const TClassInfo* Info);
// Registers a class for GetClassInfo only: a class that stands in for a library class of the same name,
// which forms reach through their class table.
void RegisterReplacementClass(const TClassInfo* Info);
// The class a form of class Form means by Name: its class table's, else the registered one; nullptr when
// neither knows it.
const TClassInfo* FindFormComponentClass(const TClassInfo* Form, const std::string& Name);
// Raises EClassNotFound "Class %s not found".
const TClassInfo* FindClass(const std::string& Name);
const TClassInfo* GetClass(const std::string& Name);  // nullptr when unknown
// The information of the object's own class; nullptr when that class is not registered.
const TClassInfo* GetClassInfo(const TObject* Instance);
// Walks the parent classes; names compare without case.
const TPropInfo* GetPropInfo(const TClassInfo* Info, const std::string& Name);
const TMethodEntry* FindMethod(const TClassInfo* Info, const std::string& Name);
bool IsStoredProp(TObject* Instance, const TPropInfo* Prop);
// Every published property of the class and its parents, the parents' first.
std::vector<const TPropInfo*> GetPropList(const TClassInfo* Info);

template <class T>
TClassInfo MakeClassInfo(const std::string& Name, const TClassInfo* Parent, std::vector<TPropInfo> Props) {
  TClassInfo Info{Name, Parent, std::type_index(typeid(T)), {}, std::move(Props), {}, {}, {}, {}};
  if constexpr (std::is_constructible_v<T, TComponent*> && !std::is_abstract_v<T>)
    Info.Create = [](TComponent* AOwner) -> TComponent* { return new T(AOwner); };
  return Info;
}

// Property builders over getter and setter lambdas of the class C.
namespace Published {

template <class C, class G, class S>
TPropInfo Int(const std::string& Name, G Get, S Set,
              std::function<bool(const std::string&, int64_t&)> Idents = {}) {
  TPropInfo P{Name, tkInteger};
  P.IdentToInt = std::move(Idents);
  P.GetOrd = [Get](TObject* I) { return static_cast<int64_t>(Get(static_cast<C*>(I))); };
  P.SetOrd = [Set](TObject* I, int64_t V) { Set(static_cast<C*>(I), V); };
  return P;
}

template <class C, class G, class S>
TPropInfo Bool(const std::string& Name, G Get, S Set) {
  TPropInfo P{Name, tkBoolean};
  P.GetOrd = [Get](TObject* I) { return static_cast<int64_t>(Get(static_cast<C*>(I))); };
  P.SetOrd = [Set](TObject* I, int64_t V) { Set(static_cast<C*>(I), V != 0); };
  return P;
}

template <class C, class G, class S>
TPropInfo Enum(const std::string& Name, std::vector<std::string> Names, G Get, S Set,
               TTypeKind Kind = tkEnumeration) {
  TPropInfo P{Name, Kind, std::move(Names)};
  P.GetOrd = [Get](TObject* I) { return static_cast<int64_t>(Get(static_cast<C*>(I))); };
  P.SetOrd = [Set](TObject* I, int64_t V) { Set(static_cast<C*>(I), V); };
  return P;
}

template <class C, class G, class S>
TPropInfo Set(const std::string& Name, std::vector<std::string> Names, G Get, S Setter) {
  return Enum<C>(Name, std::move(Names), Get, Setter, tkSet);
}

template <class C, class G, class S>
TPropInfo Str(const std::string& Name, G Get, S Set) {
  TPropInfo P{Name, tkString};
  P.GetStr = [Get](TObject* I) { return std::string(Get(static_cast<C*>(I))); };
  P.SetStr = [Set](TObject* I, const std::string& V) { Set(static_cast<C*>(I), V); };
  return P;
}

template <class C, class G, class S>
TPropInfo WideStr(const std::string& Name, G Get, S Set, TTypeKind Kind = tkWString) {
  TPropInfo P{Name, Kind};
  P.GetWideStr = [Get](TObject* I) { return std::wstring(Get(static_cast<C*>(I))); };
  P.SetWideStr = [Set](TObject* I, const std::wstring& V) { Set(static_cast<C*>(I), V); };
  return P;
}

template <class C, class G>
TPropInfo Object(const std::string& Name, G Get) {
  TPropInfo P{Name, tkClass};
  P.GetSubObject = [Get](TObject* I) -> TPersistent* { return Get(static_cast<C*>(I)); };
  return P;
}

// A reference to a component of class R.
template <class C, class R, class G, class S>
TPropInfo Component(const std::string& Name, G Get, S Set) {
  TPropInfo P{Name, tkComponent};
  P.GetComponent = [Get](TObject* I) -> TComponent* { return Get(static_cast<C*>(I)); };
  P.SetComponent = [Set, Name](TObject* I, TComponent* V) {
    auto* Typed = dynamic_cast<R*>(V);
    if (V && !Typed) throw EPropertyError("Invalid property value for " + Name + ": " + V->Name());
    Set(static_cast<C*>(I), Typed);
  };
  return P;
}

// An event of type E (a std::function) held in the member M of C.
template <class C, class E>
TPropInfo Event(const std::string& Name, E C::*Member) {
  TPropInfo P{Name, tkMethod};
  P.SetMethod = [Member, Name](TObject* I, const std::any& Handler) {
    const E* Typed = std::any_cast<E>(&Handler);
    if (!Typed) throw EPropertyError("Handler of the wrong type for event " + Name);
    static_cast<C*>(I)->*Member = *Typed;
  };
  return P;
}

}  // namespace Published

// A handler method M of the form class C, as a method-table entry.
template <class C, class... A>
TMethodEntry MethodOf(const std::string& Name, void (C::*M)(A...)) {
  return {Name, [M](TObject* Instance) -> std::any {
            C* Self = static_cast<C*>(Instance);
            return std::function<void(A...)>([Self, M](A... Args) { (Self->*M)(Args...); });
          }};
}

// A field F of the form class C holding a component of class R.
template <class C, class R>
TFieldEntry FieldOf(const std::string& Name, R* C::*F) {
  return {Name, [F](TObject* Instance, TComponent* Component) {
            auto* Typed = dynamic_cast<R*>(Component);
            if (!Typed) return false;
            static_cast<C*>(Instance)->*F = Typed;
            return true;
          }};
}
