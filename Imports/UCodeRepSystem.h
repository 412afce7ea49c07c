#pragma once
// The conversions the text-file routines use, under one name space.
#include "Imports/UCodeSystem.h"

namespace UCodeRepSystem {
using ::SwapWideByteOrder;
using ::UTF7ToWideString;
using ::UTF8ToWideString;
using ::WideStringToCodePage;
using ::WideStringToUTF7;
using ::WideStringToUTF8;
}  // namespace UCodeRepSystem
