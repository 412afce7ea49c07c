#pragma once
// Wide menus: hot keys of wide captions and shortcut texts from the keyboard layout.
#include <string>

#include "classlib/Menus.h"

// The 1-based position of the character after the last single "&" ("&&" is a literal ampersand); 0
// when there is none.
int WideGetHotKeyPos(const std::wstring& S);
// That character, or the empty text.
std::wstring WideGetHotKey(const std::wstring& S);
// S without its single "&" ("&&" becomes "&"); on a Far-East system a hot key written as "(&X)" goes
// whole.
std::wstring WideStripHotkey(const std::wstring& S);
// Equal after WideStripHotkey: without regard to case, and case-sensitive.
bool WideSameCaption(const std::wstring& A, const std::wstring& B);
bool WideSameCaptionStr(const std::wstring& A, const std::wstring& B);
// The text of a shortcut: the library's modifier words (Shift, Ctrl, Alt) and the key as the keyboard
// layout names it; the library's own names for the editing, moving and function keys.
std::wstring WideShortCutToText(TShortCut ShortCut);
