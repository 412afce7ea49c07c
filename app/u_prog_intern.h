// What the player window's source files share beside the window class itself.
#pragma once

#include <string>

#include "app/u_WideMP3Func.h"

// A path that names its place only from some folder: no drive ("C:"), no server and no root ("\").
bool IstRelativ(const std::wstring& Path);
// A title "Band - Song.mp3" without an artist gives the artist Band and the title Song.
void InterpretAusTitel(std::wstring& Artist, std::wstring& Title);
// Fields 0 to 6 of a song as the playlist stores them, from the file's tags; false when the file does
// not exist.
bool TagsLesen(Song& S, const std::wstring& Path);
