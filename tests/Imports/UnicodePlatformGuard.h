#pragma once
#include "Imports/UCodeSysUtils.h"

// Switches the wrappers to one branch (wide or ANSI) for a test's lifetime.
class TUnicodePlatformGuard {
 public:
  explicit TUnicodePlatformGuard(bool Unicode) { IsUnicodePlatform = Unicode; }
  ~TUnicodePlatformGuard() { IsUnicodePlatform = FSaved; }
  TUnicodePlatformGuard(const TUnicodePlatformGuard&) = delete;
  TUnicodePlatformGuard& operator=(const TUnicodePlatformGuard&) = delete;

 private:
  bool FSaved = IsUnicodePlatform;
};
