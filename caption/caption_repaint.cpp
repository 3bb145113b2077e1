// The caption repaint: layout row, gates, and the hand-over to the plug-in or
// a painter.
//
// This runs on every mouse move over a caption, so it allocates nothing and
// takes one window DC per repaint.
#include "caption/caption_repaint.h"

#include "caption/caption_layout.h"
#include "caption/caption_painters.h"
#include "caption/paint_record.h"
#include "engine/engine_state.h"
#include "engine/plugin.h"
#include "engine/shared_resources.h"
#include "engine/window_kinship.h"

volatile int lastActiveState;

// The gates between taking the DC and painting, in their order.
static int paintTitleArea(const PaintRecord &p, HDC dc, CaptionLayout &l, RECT *covered)
{
    const SettingsRecord &s = *p.view.settings;
    const BOOL minimised = IsIconic(p.window);
    if (s.macButtons == 0 && minimised) return 0;
    // Only the striped look paints minimised captions; their title area sits
    // one pixel higher.
    if (minimised) l.top -= 1;
    if (s.paintCaptions != 1) return 0;
    if (s.skipToolWindowCaptions == 1 && (p.exStyle & WS_EX_TOOLWINDOW)) return 0;

    if (pluginInUse()) {
        // A plug-in composes as it likes; in a mirrored window's DC whatever
        // bitmap it copies keeps its orientation, so no title it composed
        // reads backwards (text it draws straight into the DC reads as the
        // system's does). The DC's layout is put back afterwards.
        const SharedResourcesRecord &r = *p.view.resources;
        const int mirrored = mirroredWindowDC(dc, p.exStyle) && r.setLayout;
        const DWORD layout = mirrored ? r.getLayout(dc) : 0;
        if (mirrored) r.setLayout(dc, layout | LAYOUT_BITMAPORIENTATIONPRESERVED);
        callPluginTitle(p.window, dc, l.left, l.top, l.right, l.bottom, l.buttonsRight, p.state);
        if (mirrored) r.setLayout(dc, layout);
        return 0;
    }
    if (s.macButtons == 0) return paintGradientTitle(p, dc, l, covered);
    if (p.outlineOnly) return 0;
    return paintStripedTitle(p, dc, l, covered);
}

// layoutStyle places the title area; the window's own style, which the
// painters read, is the same but for an MDI activation painted for a
// sibling.
static int repaintWithStyles(HWND window, LONG layoutStyle, LONG ownStyle, int state, RECT *covered,
                             int outlineOnly = 0)
{
    PaintRecord p = holdPaintRecord(window, ownStyle, state);
    p.outlineOnly = outlineOnly;
    int shown = 0;
    // No rectangle means no window: GetWindowDC of a null handle would be the
    // whole screen's DC, and the caption would be painted over the desktop.
    RECT r;
    if (!((p.exStyle & WS_EX_MDICHILD) && p.view.settings->skinMdiChildren != 1) && GetWindowRect(window, &r)) {
        HDC dc = GetWindowDC(window);
        CaptionLayout l = captionLayout(layoutStyle, p.exStyle, r.right - r.left, sharedCaptionMetrics(), p.showsIcon);
        shown = paintTitleArea(p, dc, l, covered);
        ReleaseDC(window, dc);
    }
    releasePaintRecord(p);
    return shown;
}

int repaintCaption(HWND window, LONG style, int state, RECT *covered)
{
    return repaintWithStyles(window, style, style, state, covered);
}

int paintCaptionForMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND window, RECT *covered, int outlineOnly)
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
    if (paintWindow == window)
        repaintWithStyles(window, style, style, state, covered, outlineOnly);
    else
        repaintWithStyles(paintWindow, style, GetWindowLongA(paintWindow, GWL_STYLE), state, NULL, outlineOnly);
    return 1;
}
