#pragma once
// Keys and string values of the system registry. Key and value names and the values are UTF-16, as the
// shell integration writes program paths there.
//
// A key path that begins with "\" is taken from the root key; any other from the key open now (or the
// root key when none is). Opening a key closes the one open before.
#include <windows.h>

#include <string>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

// A write that the platform refuses: "Failed to set data for '%s'" (the value's name).
VELMARO_EXCEPTION(ERegistryException, Exception);

class TRegistry : public TObject {
 public:
  // Below HKEY_CURRENT_USER with all access.
  TRegistry() = default;
  explicit TRegistry(REGSAM AAccess) : FAccess(AAccess) {}
  ~TRegistry() override;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return FRootKey; }
  // Closes the open key.
  void SetRootKey(HKEY Value);
  // The rights every open asks for; a registry view flag (KEY_WOW64_64KEY) goes with every key made,
  // opened, tested or deleted.
  REGSAM Access() const { return FAccess; }
  void SetAccess(REGSAM Value) { FAccess = Value; }
  // The key open now, or nullptr.
  HKEY CurrentKey() const { return FCurrentKey; }
  // The path of the open key below the root, without a leading "\".
  const std::wstring& CurrentPath() const { return FCurrentPath; }

  // Opens Key with Access, or makes it first when CanCreate; false when the platform refuses.
  bool OpenKey(const std::wstring& Key, bool CanCreate);
  // Opens an existing Key for reading only.
  bool OpenKeyReadOnly(const std::wstring& Key);
  void CloseKey();
  // Whether Key can be opened for reading; the open key stays.
  bool KeyExists(const std::wstring& Key);
  // Deletes Key with all its sub-keys; false when it does not exist or cannot be deleted.
  bool DeleteKey(const std::wstring& Key);

  // Whether the open key holds neither sub-keys nor values; false when none is open.
  bool IsEmpty();

  // The open key's value of that name ("" for the default value).
  bool ValueExists(const std::wstring& Name);
  // False when no key is open or the value is missing.
  bool DeleteValue(const std::wstring& Name);
  // "" when the value is missing or no text.
  std::wstring ReadString(const std::wstring& Name);
  // Writes a REG_SZ value; raises ERegistryException when no key is open or the platform refuses.
  void WriteString(const std::wstring& Name, const std::wstring& Value);

 private:
  // The key that Key starts from, and Key without its leading "\".
  HKEY BaseKey(const std::wstring& Key) const;
  static std::wstring Relative(const std::wstring& Key);
  std::wstring FullPath(const std::wstring& Key) const;
  void ChangeKey(HKEY Key, const std::wstring& Path);
  REGSAM View() const { return FAccess & (KEY_WOW64_32KEY | KEY_WOW64_64KEY); }

  HKEY FRootKey = HKEY_CURRENT_USER;
  REGSAM FAccess = KEY_ALL_ACCESS;
  HKEY FCurrentKey = nullptr;
  std::wstring FCurrentPath;
};
