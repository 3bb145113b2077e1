// The top of a window's frame drawn by the engine around its strip: the rows
// from the window's top to the caption bar's bottom line, which hold the
// frame above and beside the bar, the icon with the caption colour behind
// it, the caption boxes and the bar's bottom line. Under Wine the
// system's frame painting draws its whole caption (the font made, the text
// measured, every box drawn) whenever its update region's bounds reach the
// bar, however little of the bar the region holds, which makes a skinned
// window's WM_NCPAINT cost more than an unskinned one's although the engine
// shows its own title there. With the frame's top drawn here, from a picture
// kept for the next paint, the window's own handling is given only the rows
// below it, whose painting never reaches the bar.
#pragma once

#include <windows.h>

// Where the frame's top stands in a window of these styles, width pixels
// wide: the rows from the window's top to the bar's bottom line included
// (window coordinates). Returns 0 for a window whose rows the engine does
// not draw: one whose bar systemCaptionBar does not know, a static edge
// (whose frame Wine redraws as a window edge after a style change), a
// minimised window, or a system whose frame painting these rows have not
// been measured against, pixel for pixel (the engine draws them only under
// Wine; elsewhere the system's frame painting stays, and costs what the
// system's own caption costs).
int frameTopOf(HWND window, LONG style, LONG exStyle, RECT *rows);

// The frame's top (frameTopOf) drawn as the system's frame painting draws
// it, in its recorded activation state (active: 1 or 0), the strip (window
// coordinates, as painted in the window's DC) left as it is, where update
// (screen coordinates; NULL: the whole window) reaches it. Returns the rest
// of update below the top (the whole window's, for NULL), for the window's
// own handling, which the caller deletes; NULL, having drawn nothing, where
// the engine does not draw the top or update does not reach it.
HRGN paintFrameTop(HWND window, LONG style, LONG exStyle, int active, const RECT &strip, HRGN update);

// 1 (the default): WM_NCPAINT has the engine draw the frame's top this way;
// 0: the system's frame painting draws it around the strip (the suites
// compare the two).
extern volatile int frameTopByEngine;
// For tests and the benchmark: how many times the frame's top has been drawn
// this way since the process began.
extern volatile unsigned frameTopsPainted;
