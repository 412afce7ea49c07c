#pragma once
// The start of the program: the application object with its title and every window, in the fixed order.

// Initialises the application, sets the title "KRB Media Velmaro" and creates the fifteen windows, each
// stored in its global variable; the first, start, is the main form.
void CreateProgramWindows();
// Creates the windows, runs the message loop and frees every window at the end.
int RunProgram();
