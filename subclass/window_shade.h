// Window shade: which right clicks fold a window up to its caption, how far,
// and the heights given back when the engine leaves.
#pragma once

#include <windows.h>

// Whether a right click with this hit code on a window of this style rolls
// the window up or down: a captioned window's side borders and plain border,
// or the caption of a maximised one. Corners never do.
int clickTogglesShade(DWORD style, int hit);

// The height a window is rolled up to, and the SetWindowPos flags of every
// roll-up and unroll: keep position, z-order and activation.
enum { rolledUpHeight = 25 };
enum { shadeResizeFlags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER };

// Unload: every rolled-up window in the table gets its height back, after a
// pause of pauseBeforeUnroll milliseconds each.
void unrollAllWindows(DWORD pauseBeforeUnroll);
