// The title a caption shows.
#include "caption/caption_painters.h"

// The text the window holds, read as the system's own caption painting reads
// it: straight from the window, not with a WM_GETTEXT sent through both hooks
// and the window's procedure. A repaint runs on every mouse move over a
// caption, and the sent message was a fifth of its cost; it also kept the
// window's procedure from being re-entered in the middle of a paint.
void readCaptionTitle(HWND window, WindowText *title) { readHeldText(window, title); }
