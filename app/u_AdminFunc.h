#pragma once
// Whether the program runs with administrator rights, and its restart with them. Each platform function
// is looked up once in its library, which is loaded by name on first use and kept for the run, so that
// the program also starts where a function is missing.
#include <windows.h>

// SHELL32 and ADVAPI32; nullptr when they cannot be loaded.
HMODULE GetShell32Handle();
HMODULE GetAdvApi32Handle();

// The shell's own test where it has one; else membership of the administrators' alias (544).
bool IsUserAnAdminCompat();
// Whether the caller (Token nullptr) or Token is a member of the built-in alias Rid.
bool SHTestTokenMembershipCompat(HANDLE Token, ULONG Rid);
// The platform's CheckTokenMembership where it has one, else CheckMembershipByAccess; false when the test
// could not be made.
bool CheckTokenMembershipCompat(HANDLE Token, PSID Sid, bool& IsMember);
// Membership by an access check against a descriptor that grants one right to Sid alone, with Token, or
// the thread's token, or an impersonation copy of the process token.
bool CheckMembershipByAccess(HANDLE Token, PSID Sid, bool& IsMember);

// Starts the program file again through the shell's "runas" verb and, only when the new copy started,
// closes the application's main form, which ends this copy. True when it started.
bool RestartAsAdmin();
