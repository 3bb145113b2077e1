// The caption repaint: layout row, gates, and the hand-over to the plug-in or
// a painter.
//
// This runs on every mouse move over a caption, so it allocates nothing and
// takes one window DC per repaint.
#include "caption/caption_repaint.h"

#include "caption/caption_layout.h"
#include "caption/caption_painters.h"
#include "engine/engine_state.h"
#include "engine/plugin.h"
#include "engine/settings.h"

volatile int lastActiveState;

// The gates between taking the DC and painting, in their order.
static void paintTitleArea(HWND window, HDC dc, CaptionLayout &l, int state)
{
    const BOOL minimised = IsIconic(window);
    if (Settings.macButtons == 0 && minimised) return;
    // Only the striped look paints minimised captions; their title area sits
    // one pixel higher.
    if (minimised) l.top -= 1;
    if (Settings.paintCaptions != 1) return;
    if (Settings.skipToolWindowCaptions == 1 && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) return;

    if (pluginInUse())
        callPluginTitle(window, dc, l.left, l.top, l.right, l.bottom, l.buttonsRight, state);
    else if (Settings.macButtons == 0)
        GradientCaptionPainter(window, dc, l.left, l.top, l.right, l.bottom, l.buttonsRight, state);
    else
        StripedCaptionPainter(window, dc, l.left, l.top, l.right, l.bottom, l.buttonsRight, state);
}

void repaintCaption(HWND window, LONG style, int state)
{
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    if ((exStyle & WS_EX_MDICHILD) && Settings.skinMdiChildren != 1) return;
    // No rectangle means no window: GetWindowDC of a null handle would be the
    // whole screen's DC, and the caption would be painted over the desktop.
    RECT r;
    if (!GetWindowRect(window, &r)) return;

    HDC dc = GetWindowDC(window);
    CaptionLayout l = captionLayout(style, exStyle, r.right - r.left, sharedCaptionMetrics());
    paintTitleArea(window, dc, l, state);
    ReleaseDC(window, dc);
}

int paintCaptionForMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND window)
{
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    if (!hasCaption(style)) return 0;

    int state = stateByForeground;
    HWND paintWindow = window;
    if (message == WM_NCACTIVATE) {
        state = wParam ? stateActive : stateInactive;
    } else if (message == WM_MDIACTIVATE) {
        if (lParam == 0) {
            // The layout still follows this window's style; the rectangle,
            // extended style and DC are those of the window in wParam.
            paintWindow = (HWND)wParam;
            state = stateActive;
        } else {
            state = (HWND)lParam == window ? stateActive : stateInactive;
        }
    }
    if (style & alwaysActiveStyleBit) state = stateActive;
    repaintCaption(paintWindow, style, state);
    return 1;
}
