// The flat look of converted push buttons, painted at their parent's
// WM_DRAWITEM.
#pragma once

#include <windows.h>

// How far the flat look moves a system colour, in every channel: the pressed
// face is darker by 0x14, the focused look by 0x0E.
enum { pressedFaceShift = 0x14, focusShift = 0x0E };

// A colour with delta added to each of its channels, each kept within 0..255
// so that no channel borrows from or carries into its neighbour.
COLORREF shiftColourChannels(COLORREF colour, int delta);
