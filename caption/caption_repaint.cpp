// The caption repaint: layout row, gates, and the hand-over to the plug-in or
// a painter.
//
// This runs on every mouse move over a caption, so it allocates nothing and
// takes one window DC per repaint.
#include "caption/caption_repaint.h"

#include "caption/caption_icon.h"
#include "caption/caption_layout.h"
#include "caption/caption_painters.h"
#include "engine/engine_state.h"
#include "engine/plugin.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_kinship.h"

volatile int lastActiveState;

// The gates between taking the DC and painting, in their order.
static int paintTitleArea(HWND window, LONG exStyle, HDC dc, CaptionLayout &l, int state, RECT *covered)
{
    const BOOL minimised = IsIconic(window);
    if (Settings.macButtons == 0 && minimised) return 0;
    // Only the striped look paints minimised captions; their title area sits
    // one pixel higher.
    if (minimised) l.top -= 1;
    if (Settings.paintCaptions != 1) return 0;
    if (Settings.skipToolWindowCaptions == 1 && (exStyle & WS_EX_TOOLWINDOW)) return 0;

    if (pluginInUse()) {
        // A plug-in composes as it likes; in a mirrored window's DC whatever
        // bitmap it copies keeps its orientation, so no title it composed
        // reads backwards (text it draws straight into the DC reads as the
        // system's does). The DC's layout is put back afterwards.
        const int mirrored = mirroredWindowDC(dc, exStyle) && SharedResources.setLayout;
        const DWORD layout = mirrored ? SharedResources.getLayout(dc) : 0;
        if (mirrored) SharedResources.setLayout(dc, layout | LAYOUT_BITMAPORIENTATIONPRESERVED);
        callPluginTitle(window, dc, l.left, l.top, l.right, l.bottom, l.buttonsRight, state);
        if (mirrored) SharedResources.setLayout(dc, layout);
        return 0;
    }
    if (Settings.macButtons == 0)
        return GradientCaptionPainter(window, dc, l.left, l.top, l.right, l.bottom, l.buttonsRight, state, covered);
    return StripedCaptionPainter(window, dc, l.left, l.top, l.right, l.bottom, l.buttonsRight, state, covered);
}

int repaintCaption(HWND window, LONG style, int state, RECT *covered)
{
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    if ((exStyle & WS_EX_MDICHILD) && Settings.skinMdiChildren != 1) return 0;
    // No rectangle means no window: GetWindowDC of a null handle would be the
    // whole screen's DC, and the caption would be painted over the desktop.
    RECT r;
    if (!GetWindowRect(window, &r)) return 0;

    HDC dc = GetWindowDC(window);
    const int showsIcon = windowCaptionShowsIcon(window, style, exStyle);
    CaptionLayout l = captionLayout(style, exStyle, r.right - r.left, sharedCaptionMetrics(), showsIcon);
    const int shown = paintTitleArea(window, exStyle, dc, l, state, covered);
    ReleaseDC(window, dc);
    return shown;
}

int paintCaptionForMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND window, RECT *covered)
{
    if (covered) SetRectEmpty(covered);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    if (!hasCaption(style)) return 0;

    int state = stateByForeground;
    HWND paintWindow = window;
    if (message == WM_NCACTIVATE) {
        state = wParam ? stateActive : stateInactive;
    } else if (message == WM_MDIACTIVATE) {
        if (lParam == 0) {
            // The layout still follows this window's style; the rectangle,
            // extended style and DC are those of the window in wParam. Any
            // program can send this message, so wParam is taken only when it
            // is this window or an MDI child beside it on its thread: the
            // painters restyle what they paint.
            if ((HWND)wParam != window && !isMdiSibling((HWND)wParam, window)) return 1;
            paintWindow = (HWND)wParam;
            state = stateActive;
        } else {
            state = (HWND)lParam == window ? stateActive : stateInactive;
        }
    }
    if (style & alwaysActiveStyleBit) state = stateActive;
    // The strip of another window's repaint covers nothing of this one.
    repaintCaption(paintWindow, style, state, paintWindow == window ? covered : NULL);
    return 1;
}
