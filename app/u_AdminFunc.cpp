#include "app/u_AdminFunc.h"

#include <shellapi.h>

#include <vector>

#include "app/u_prog.h"
#include "classlib/Forms.h"

namespace {

// A library loaded by name on first use and freed when the program ends.
class TLibrary {
 public:
  explicit TLibrary(const wchar_t* Name) : FHandle(LoadLibraryW(Name)) {}
  ~TLibrary() {
    if (FHandle) FreeLibrary(FHandle);
  }
  TLibrary(const TLibrary&) = delete;
  TLibrary& operator=(const TLibrary&) = delete;
  HMODULE Handle() const { return FHandle; }

 private:
  HMODULE FHandle;
};

// The address of an export, or nullptr when the library or the export is missing.
template <class F>
F Export(HMODULE Library, const char* Name) {
  return Library ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Library, Name))) : nullptr;
}

using TIsUserAnAdmin = BOOL(WINAPI*)();
using TSHTestTokenMembership = BOOL(WINAPI*)(HANDLE, ULONG);
using TCheckTokenMembership = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);

class THandle {
 public:
  THandle() = default;
  ~THandle() {
    if (FHandle) CloseHandle(FHandle);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE* Address() { return &FHandle; }
  HANDLE Get() const { return FHandle; }

 private:
  HANDLE FHandle = nullptr;
};

class TSid {
 public:
  ~TSid() {
    if (FSid) FreeSid(FSid);
  }
  PSID* Address() { return &FSid; }
  PSID Get() const { return FSid; }

 private:
  PSID FSid = nullptr;
};

// The thread's token, or a copy of the process token that may impersonate when the thread has none.
bool OpenCallerToken(THandle& Token) {
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, Token.Address())) return true;
  if (GetLastError() != ERROR_NO_TOKEN) return false;
  THandle Process;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, Process.Address())) return false;
  return DuplicateToken(Process.Get(), SecurityImpersonation, Token.Address()) != FALSE;
}

}  // namespace

HMODULE GetShell32Handle() {
  static const TLibrary Library(L"shell32.dll");
  return Library.Handle();
}

HMODULE GetAdvApi32Handle() {
  static const TLibrary Library(L"advapi32.dll");
  return Library.Handle();
}

bool IsUserAnAdminCompat() {
  static const auto Platform = Export<TIsUserAnAdmin>(GetShell32Handle(), "IsUserAnAdmin");
  if (Platform) return Platform() != FALSE;
  return SHTestTokenMembershipCompat(nullptr, DOMAIN_ALIAS_RID_ADMINS);
}

bool SHTestTokenMembershipCompat(HANDLE Token, ULONG Rid) {
  static const auto Platform = Export<TSHTestTokenMembership>(GetShell32Handle(), "SHTestTokenMembership");
  if (Platform) return Platform(Token, Rid) != FALSE;
  SID_IDENTIFIER_AUTHORITY NtAuthority = SECURITY_NT_AUTHORITY;
  TSid Sid;
  if (!AllocateAndInitializeSid(&NtAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, Rid, 0, 0, 0, 0, 0, 0,
                                Sid.Address()))
    return false;
  bool IsMember = false;
  return CheckTokenMembershipCompat(Token, Sid.Get(), IsMember) && IsMember;
}

bool CheckTokenMembershipCompat(HANDLE Token, PSID Sid, bool& IsMember) {
  static const auto Platform = Export<TCheckTokenMembership>(GetAdvApi32Handle(), "CheckTokenMembership");
  if (!Platform) return CheckMembershipByAccess(Token, Sid, IsMember);
  BOOL Member = FALSE;
  const bool Done = Platform(Token, Sid, &Member) != FALSE;
  IsMember = Done && Member;
  return Done;
}

bool CheckMembershipByAccess(HANDLE Token, PSID Sid, bool& IsMember) {
  IsMember = false;
  THandle Own;
  if (!Token) {
    if (!OpenCallerToken(Own)) return false;
    Token = Own.Get();
  }
  // A descriptor owned by Sid whose list grants access 1 to Sid and to nobody else.
  const DWORD SidLength = GetLengthSid(Sid);
  const DWORD AclSize = 3 * SidLength + 20;
  std::vector<BYTE> Block(sizeof(SECURITY_DESCRIPTOR) + AclSize, 0);
  auto* Descriptor = reinterpret_cast<SECURITY_DESCRIPTOR*>(Block.data());
  auto* Acl = reinterpret_cast<ACL*>(Block.data() + sizeof(SECURITY_DESCRIPTOR));
  if (!InitializeSecurityDescriptor(Descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !InitializeAcl(Acl, AclSize, ACL_REVISION) || !AddAccessAllowedAce(Acl, ACL_REVISION, 1, Sid) ||
      !SetSecurityDescriptorDacl(Descriptor, TRUE, Acl, FALSE) ||
      !SetSecurityDescriptorOwner(Descriptor, Sid, FALSE) ||
      !SetSecurityDescriptorGroup(Descriptor, Sid, FALSE))
    return false;
  GENERIC_MAPPING Mapping{READ_CONTROL, READ_CONTROL, READ_CONTROL, STANDARD_RIGHTS_ALL};
  BYTE Privileges[56];
  DWORD PrivilegesSize = sizeof Privileges;
  DWORD Granted = 0;
  BOOL Status = FALSE;
  if (!AccessCheck(Descriptor, Token, 1, &Mapping, reinterpret_cast<PRIVILEGE_SET*>(Privileges),
                   &PrivilegesSize, &Granted, &Status))
    return false;
  IsMember = Status && Granted == 1;
  return true;
}

bool RestartAsAdmin() {
  const std::wstring Program = ProgrammDatei();
  TForm* Main = Application->MainForm();
  SHELLEXECUTEINFOW Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
  Info.hwnd = Main ? Main->Handle() : nullptr;
  Info.lpVerb = L"runas";
  Info.lpFile = Program.c_str();
  Info.lpParameters = L"";
  Info.nShow = SW_SHOWNORMAL;
  // A refused elevation leaves this copy running: the user keeps the window and can try again.
  if (!ShellExecuteExW(&Info)) return false;
  if (Main) Main->Close();
  return true;
}
