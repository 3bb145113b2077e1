// Window shade: which right clicks fold a window up to its caption.
#pragma once

#include <windows.h>

// Whether a right click with this hit code on a window of this style rolls
// the window up or down: a captioned window's side borders and plain border,
// or the caption of a maximised one. Corners never do.
int clickTogglesShade(DWORD style, int hit);
