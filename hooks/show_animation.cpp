// The zoom played on the screen when a menu or a top-level window is shown:
// a raised, button-coloured rectangle grows from the window's centre to its
// full size, and then the screen under it is repainted.
#include "hooks/show_animation.h"

#include <string.h>

#include "caption/caption_repaint.h"
#include "engine/settings.h"
#include "engine/window_classes.h"
#include "hooks/after_hook_stages.h"

static int zoomStepX(const RECT &w) { return (w.right - w.left) / zoomDivisions; }
static int zoomStepY(const RECT &w) { return (w.bottom - w.top) / zoomDivisions; }

RECT zoomFrameRect(const RECT &w, int k)
{
    const int half = zoomFrames - 1;  // 12: the centre, in steps from the left
    int dx = zoomStepX(w), dy = zoomStepY(w);
    RECT r = {w.left + (half - k) * dx, w.top + (half - k) * dy, w.left + (half + k) * dx, w.top + (half + k) * dy};
    return r;
}

RECT menuZoomRedrawRect(const RECT &w)
{
    int dx = zoomStepX(w), dy = zoomStepY(w);
    RECT r = {w.left - dx, w.top - dy, w.left + (zoomDivisions + 1) * dx, w.top + (zoomDivisions + 1) * dy};
    return r;
}

int menuGetsZoom(const char *className, DWORD exStyle)
{
    return Settings.animateMenus != 0 && strcmp(className, popupMenuClass) == 0 && !(exStyle & WS_EX_MDICHILD);
}

int mainWindowGetsZoom(DWORD style, DWORD exStyle)
{
    if (Settings.animateMainWindows == 0) return 0;
    if ((style & WS_CHILD) || (exStyle & WS_EX_MDICHILD)) return 0;
    return hasCaption(style) || (style & WS_SYSMENU);
}

// Everything the zoom drew is repainted over by whatever lies there.
enum {
    zoomRedrawFlags = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME,
};

volatile LONG showZoomsPlayed = 0;

// Blocks the window's thread for zoomFrames x animationDelay milliseconds:
// the delay is the only pacing, and each frame is drawn over the last.
static void playZoom(HDC screen, HWND window, int menuVariant)
{
    RECT w;
    GetWindowRect(window, &w);
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    // Out of GDI handles no zoom is drawn rather than one in the DC's brush.
    if (!face) return;
    InterlockedIncrement(&showZoomsPlayed);
    HGDIOBJ oldBrush = SelectObject(screen, face);
    HGDIOBJ oldPen = SelectObject(screen, GetStockObject(NULL_PEN));
    for (int k = 0; k < zoomFrames; k++) {
        RECT frame = zoomFrameRect(w, k);
        Rectangle(screen, frame.left, frame.top, frame.right, frame.bottom);
        DrawEdge(screen, &frame, EDGE_RAISED, BF_RECT);
        SleepEx((DWORD)(Settings.animationDelay & 0xFF), FALSE);
    }
    SelectObject(screen, oldPen);
    SelectObject(screen, oldBrush);
    DeleteObject(face);
    RECT redraw = menuVariant ? menuZoomRedrawRect(w) : w;
    RedrawWindow(GetDesktopWindow(), &redraw, NULL, zoomRedrawFlags);
}

// Stage 13 of the after-message hook, WM_SHOWWINDOW: the chain has already
// run and its result is what the hook returns. A menu can get both variants
// when it also looks like a top-level window.
void playShowAnimation(HWND window, WPARAM shown, const char *className)
{
    if (shown != 1) return;  // a window being hidden: nothing drawn
    HWND desktop = GetDesktopWindow();
    HDC screen = GetWindowDC(desktop);
    DWORD style = (DWORD)GetWindowLongA(window, GWL_STYLE);
    DWORD exStyle = (DWORD)GetWindowLongA(window, GWL_EXSTYLE);
    if (menuGetsZoom(className, exStyle)) playZoom(screen, window, 1);
    if (mainWindowGetsZoom(style, exStyle)) playZoom(screen, window, 0);
    ReleaseDC(desktop, screen);
}
