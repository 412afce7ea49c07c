#pragma once
// The player's UTF-16 toolbox: splitting, replacing, sort keys, folder search, shell helpers,
// code points, and the text-file reader and writer in every supported encoding.
#include <windows.h>

#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Graphics.h"

class TWideStrings;

using TWideStrArray = std::vector<std::wstring>;

struct TWideRecord {
  std::wstring Key;
  int Index;
};
using TWideRA = std::vector<TWideRecord>;

// Appends the pieces of Text between Separators to Parts; returns their number.
// An empty Separator gives the whole Text as one piece.
int WideSplitString(TWideStrArray& Parts, const std::wstring& Separator, const std::wstring& Text);
std::wstring WideStringReplaceAll(const std::wstring& S, const std::wstring& OldPattern,
                                  const std::wstring& NewPattern);
std::wstring WideSortKey(const std::wstring& S);
void SortWideRA(TWideRA& A);
void SortWideRADesc(TWideRA& A);
void SortWideStrArray(TWideStrArray& A, uint8_t Order);  // 1 ascending, else descending
bool DeleteWideStrArrayItem(TWideStrArray& A, int Index);
std::wstring WideGetLongPathName(const std::wstring& Path);  // empty on failure
// A shell item list, freed through the shell's allocator.
struct TCoTaskMemDeleter {
  void operator()(ITEMIDLIST* P) const { CoTaskMemFree(P); }
};
using TItemIdList = std::unique_ptr<ITEMIDLIST, TCoTaskMemDeleter>;

void WideBrowseForFolder(int RootFolder, const std::wstring& Title, std::wstring& Folder);
// Adds the full names of the files below Folder whose extension (".mp3", with its dot) is one of Exts.
// Links to folders are followed, except to a folder that the search is inside already.
void WideFindFilesByExt(TWideStrings* List, const std::wstring& Folder, const std::vector<std::wstring>& Exts,
                        bool Recursive);
// One step of a folder search: a folder (its path ending in "\") about to be read, or a file found.
// Returning false ends the whole search at once.
using TFolderSearchStep = std::function<bool(const std::wstring& Path, bool IsFolder)>;
// The search of the list form step by step, in the same order; false when a step ended it.
bool WideFindFilesByExt(const std::wstring& Folder, const std::vector<std::wstring>& Exts, bool Recursive,
                        const TFolderSearchStep& Step);
bool ShowFileProperties(HWND Owner, const std::wstring& FileName, const std::wstring& Parameters);
// FileList: names separated by single U+0000.
void CopyFilesToClipboard(const std::wstring& FileList);

bool IsHighSurrogate(wchar_t Ch);
bool IsLowSurrogate(wchar_t Ch);
uint32_t SurrogatePairToCodePoint(wchar_t High, wchar_t Low);
// Index is 1-based; UnitCount receives 1 or 2 (untouched for an index outside the text).
uint32_t CodePointAt(const std::wstring& S, int Index, int& UnitCount);
std::wstring CodePointToWide(uint32_t CodePoint);

// Text-file encodings (TextFileCodePage).
constexpr int cpAnsi = 0;
constexpr int cpUTF16LE = 1200;
constexpr int cpUTF16BE = 1201;
constexpr int cpUTF7 = 65000;
constexpr int cpUTF7NoSignature = 64999;
constexpr int cpUTF8 = 65001;
constexpr int cpUTF32LE = 65005;
constexpr int cpUTF32BE = 65006;

int WideGetTextFileCodePage(const std::wstring& FileName);
void WideLoadTextFile(const std::wstring& FileName, std::wstring& Text);
// Replaces FileName only when all of Text was written. An unknown CodePage raises EUCodeGeneralError
// and leaves the file alone. A name ending in ".bmp", ".gif", ".jpg" or ".jpeg" (in any case) gets the
// text as a picture instead (WideSaveTextAsPicture).
void WideSaveTextFile(const std::wstring& Text, const std::wstring& FileName, int CodePage);
// Creates FileName as a temporary file beside it, which Write fills and which, flushed to the disk, then
// replaces FileName; on any error the old file stays. The errors (EFCreateError, EWriteError) name FileName
// and the system's reason. Temporary files of FileName that killed saves left are removed first.
void WriteFileReplacing(const std::wstring& FileName, const std::function<void(TStream* Stream)>& Write);
// How the complete temporary file replaces the target (MoveFileExW); replaced by tests that stop a save
// at that moment.
extern BOOL (*ReplacingMove)(LPCWSTR TempName, LPCWSTR FileName, DWORD Flags);

// Texts as pictures. Ext is an upper-cased extension with its dot.
bool IsPictureExt(const std::wstring& Ext);
// The look of texts written as pictures: the text's font (face, size, style, colour) and the background
// colour. The program hands in its output settings, read at the moment of writing; until then the text
// is Courier New of 8 points in the window-text colour on white.
using TPictureStyleSource = std::function<void(TFont* Font, TColor& Background)>;
void SetPictureStyleSource(TPictureStyleSource Source);
// The language of the picture writer's messages: German while German answers true, else English. The
// program hands in its language switch.
void SetPictureLanguageSource(std::function<bool()> German);
// The largest width and height of a picture of that format (GIF 65535, JPEG 65500, BMP without a limit
// of its own); no picture has more than MaxPicturePixels, its width counted up to a multiple of 4.
int64_t MaxPictureSide(const std::wstring& Ext);
constexpr int64_t MaxPicturePixels = int64_t{64} * 1024 * 1024;
// Draws the lines of Text (cut at CR LF) in the picture style, 10 pixels from the edges, one line below
// the other at the height of "Wg", and saves the picture in the format of Ext through the picture
// formats registered by extension (GIF needs the GIF codec linked), as FileName by its UTF-16 name. A
// picture too large for its format or for memory raises EUCodeGeneralError before anything is drawn;
// a failed write keeps the old file and raises its error.
void WideSaveTextAsPicture(const std::wstring& Text, const std::wstring& FileName, const std::wstring& Ext);
