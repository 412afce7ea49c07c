#include "tests/support/Fonts.h"

#include <windows.h>

namespace {

int CALLBACK TakeTrueTypeFace(const LOGFONTA* Font, const TEXTMETRICA*, DWORD Type, LPARAM Face) {
  if (!(Type & TRUETYPE_FONTTYPE) || Font->lfFaceName[0] == '@') return 1;
  *reinterpret_cast<std::string*>(Face) = Font->lfFaceName;
  return 0;
}

}  // namespace

std::string InstalledFace() {
  std::string Face;
  LOGFONTA Wanted{};
  Wanted.lfCharSet = DEFAULT_CHARSET;
  const HDC DC = GetDC(nullptr);
  EnumFontFamiliesExA(DC, &Wanted, TakeTrueTypeFace, reinterpret_cast<LPARAM>(&Face), 0);
  ReleaseDC(nullptr, DC);
  return Face;
}
