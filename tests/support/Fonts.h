#pragma once
// Fonts that the machine running the tests has.
#include <string>

// The face name of an installed scalable font; the font dialog lists installed faces only.
std::string InstalledFace();
