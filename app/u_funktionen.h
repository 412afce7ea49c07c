#pragma once
// Helpers of the player: number test, field count of a playlist line, the reader of dropped playlists.
#include <string>

// True when Text converts to an integer (converting with default 0 and with default 1 agree).
bool IsInteger(const std::string& Text);
// The number of "|" in Text.
int CountPipes(const std::wstring& Text);
// Appends the songs of a playlist dropped on the window to AlleSongs and its folder to the source
// folders. Lines that do not hold exactly eight fields are skipped.
void LoadDroppedPlaylist(const std::wstring& FileName);
