#pragma once
// Helpers of the player: number test, field count of a playlist line, the reader of dropped playlists.
#include <cstdint>
#include <string>

#include "app/u_WideMP3Func.h"

// True when Text converts to an integer (converting with default 0 and with default 1 agree).
bool IsInteger(const std::string& Text);
// The number of "|" in Text.
int CountPipes(const std::wstring& Text);
// Appends the songs of a playlist dropped on the window to AlleSongs and its folder to the source
// folders. Lines that do not hold exactly eight fields are skipped.
void LoadDroppedPlaylist(const std::wstring& FileName);
// The total play time of Songs: "(" and the non-zero parts among years (360 days), months (30 days),
// days, hours, minutes and seconds, then ")"; empty for no songs. A length that is neither m:ss nor
// h:mm:ss counts as 0 s.
std::string PlayTimeText(const TWideSongArray& Songs);
// A length field in seconds; 0 when it is not of the two patterns.
int64_t LengthSeconds(const std::wstring& Text);
