#pragma once
// UTF-16 text on a canvas of the library.
#include <windows.h>

#include <string>

#include "classlib/Graphics.h"

// Writes Text at (X, Y) with the canvas's font, brush and text flags; a right-to-left canvas writes it to
// the left of X. The pen ends at the text's end.
void WideTextOut(TCanvas* Canvas, int X, int Y, const std::wstring& Text);
SIZE WideCanvasTextExtent(TCanvas* Canvas, const std::wstring& Text);
int WideTextWidth(TCanvas* Canvas, const std::wstring& Text);
int WideTextHeight(TCanvas* Canvas, const std::wstring& Text);
