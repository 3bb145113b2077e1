// Where the gradient painter puts its strip in a window as it is now, and
// the colour its last band takes with the attached engine's settings: for
// tests that read a caption back through the engine's own geometry.
#pragma once

#include <windows.h>

// The strip's rectangle in window coordinates (the rows copied to the
// window).
RECT gradientStripRect(HWND window);

// The last band's colour, active or inactive, without the palette flag.
COLORREF lastBandColour(bool active);

// A pixel of the strip: its first band on the top row (above the title
// text) or its last band in the middle row.
COLORREF stripPixel(HWND window, bool firstBand);
