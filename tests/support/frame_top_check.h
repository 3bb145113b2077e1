// (f) The top of a skinned window's frame as the engine draws it at a
// WM_NCPAINT (the rows from the window's top to the caption bar's bottom
// line, from a kept picture) against the same paint left to the system's
// frame painting around the strip, read back from the screen.
#pragma once

#include <string>

#include <windows.h>

// The window repainted whole twice, its frame's top drawn by the engine and
// then by the system: the pixels of the whole window that differ, and in
// where the first of them. drawn (when given): how many of the two paints
// the engine drew the frame's top for; 0 says the comparison proved nothing.
int frameTopDiffersFromFramePainting(HWND engineWindow, std::string *where, int *drawn = NULL);
