#include "classlib/Registry.h"

#include <vector>

namespace {

// A key handle that is closed however the function ends.
class TKeyHandle {
 public:
  TKeyHandle() = default;
  ~TKeyHandle() {
    if (FKey) RegCloseKey(FKey);
  }
  TKeyHandle(const TKeyHandle&) = delete;
  TKeyHandle& operator=(const TKeyHandle&) = delete;
  HKEY* Address() { return &FKey; }
  HKEY Get() const { return FKey; }
  HKEY Release() {
    const HKEY Key = FKey;
    FKey = nullptr;
    return Key;
  }

 private:
  HKEY FKey = nullptr;
};

// Deletes the sub-key Name of Parent after all of its own sub-keys; View is the registry view flag.
bool DeleteTree(HKEY Parent, const std::wstring& Name, REGSAM View) {
  {
    TKeyHandle Key;
    if (RegOpenKeyExW(Parent, Name.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE | View,
                      Key.Address()) != ERROR_SUCCESS)
      return false;
    // The names are read first: deleting while enumerating would skip entries.
    std::vector<std::wstring> Subs;
    wchar_t Sub[256];
    for (DWORD I = 0;; ++I) {
      DWORD Length = 256;
      if (RegEnumKeyExW(Key.Get(), I, Sub, &Length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        break;
      Subs.emplace_back(Sub, Length);
    }
    for (const std::wstring& S : Subs) DeleteTree(Key.Get(), S, View);
  }
  return RegDeleteKeyExW(Parent, Name.c_str(), View, 0) == ERROR_SUCCESS;
}

}  // namespace

TRegistry::~TRegistry() {
  CloseKey();
}

void TRegistry::SetRootKey(HKEY Value) {
  CloseKey();
  FRootKey = Value;
}

HKEY TRegistry::BaseKey(const std::wstring& Key) const {
  return (Key.empty() || Key[0] != L'\\') && FCurrentKey ? FCurrentKey : FRootKey;
}

std::wstring TRegistry::Relative(const std::wstring& Key) {
  return !Key.empty() && Key[0] == L'\\' ? Key.substr(1) : Key;
}

std::wstring TRegistry::FullPath(const std::wstring& Key) const {
  if (!Key.empty() && Key[0] == L'\\') return Key.substr(1);
  if (!FCurrentKey || FCurrentPath.empty()) return Key;
  return Key.empty() ? FCurrentPath : FCurrentPath + L"\\" + Key;
}

void TRegistry::ChangeKey(HKEY Key, const std::wstring& Path) {
  CloseKey();
  FCurrentKey = Key;
  FCurrentPath = Path;
}

bool TRegistry::OpenKey(const std::wstring& Key, bool CanCreate) {
  TKeyHandle Opened;
  const std::wstring Sub = Relative(Key);
  const LONG Result = CanCreate
                          ? RegCreateKeyExW(BaseKey(Key), Sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            FAccess, nullptr, Opened.Address(), nullptr)
                          : RegOpenKeyExW(BaseKey(Key), Sub.c_str(), 0, FAccess, Opened.Address());
  if (Result != ERROR_SUCCESS) return false;
  const std::wstring Path = FullPath(Key);
  ChangeKey(Opened.Release(), Path);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::wstring& Key) {
  TKeyHandle Opened;
  if (RegOpenKeyExW(BaseKey(Key), Relative(Key).c_str(), 0, KEY_READ | View(), Opened.Address()) !=
      ERROR_SUCCESS)
    return false;
  const std::wstring Path = FullPath(Key);
  ChangeKey(Opened.Release(), Path);
  return true;
}

void TRegistry::CloseKey() {
  if (FCurrentKey) RegCloseKey(FCurrentKey);
  FCurrentKey = nullptr;
  FCurrentPath.clear();
}

bool TRegistry::KeyExists(const std::wstring& Key) {
  TKeyHandle Opened;
  return RegOpenKeyExW(BaseKey(Key), Relative(Key).c_str(), 0, KEY_READ | View(), Opened.Address()) ==
         ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::wstring& Key) {
  const std::wstring Sub = Relative(Key);
  // An empty name would delete the base key itself.
  if (Sub.empty()) return false;
  return DeleteTree(BaseKey(Key), Sub, View());
}

bool TRegistry::IsEmpty() {
  DWORD SubKeys = 0, Values = 0;
  return FCurrentKey &&
         RegQueryInfoKeyW(FCurrentKey, nullptr, nullptr, nullptr, &SubKeys, nullptr, nullptr, &Values,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         SubKeys == 0 && Values == 0;
}

bool TRegistry::DeleteValue(const std::wstring& Name) {
  return FCurrentKey && RegDeleteValueW(FCurrentKey, Name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const std::wstring& Name) {
  return FCurrentKey &&
         RegQueryValueExW(FCurrentKey, Name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring TRegistry::ReadString(const std::wstring& Name) {
  if (!FCurrentKey) return L"";
  DWORD Type = 0, Size = 0;
  if (RegQueryValueExW(FCurrentKey, Name.c_str(), nullptr, &Type, nullptr, &Size) != ERROR_SUCCESS ||
      (Type != REG_SZ && Type != REG_EXPAND_SZ))
    return L"";
  std::wstring Value(Size / sizeof(wchar_t) + 1, L'\0');
  Size = static_cast<DWORD>(Value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(FCurrentKey, Name.c_str(), nullptr, &Type, reinterpret_cast<BYTE*>(Value.data()),
                       &Size) != ERROR_SUCCESS)
    return L"";
  // The stored text may or may not end with its zero.
  Value.resize(Size / sizeof(wchar_t));
  while (!Value.empty() && Value.back() == L'\0') Value.pop_back();
  return Value;
}

void TRegistry::WriteString(const std::wstring& Name, const std::wstring& Value) {
  const DWORD Size = static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t));
  if (!FCurrentKey || RegSetValueExW(FCurrentKey, Name.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(Value.c_str()), Size) != ERROR_SUCCESS)
    throw ERegistryException(L"Failed to set data for '" + Name + L"'");
}
