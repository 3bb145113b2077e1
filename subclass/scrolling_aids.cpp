// Scrolling aids: page keys and page scrolls replayed as runs of line steps,
// and black boxes over the vertical scroll arrows.
#include "subclass/scrolling_aids.h"

#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_classes.h"
#include "subclass/window_steps.h"

int pageStepCount(UINT nPage)
{
    if (nPage <= 1) return defaultPageSteps;
    UINT steps = nPage - 1;
    return steps > maximumPageSteps ? defaultPageSteps : (int)steps;
}

// Windows that scroll smoothly on their own, or break when their pages
// arrive as lines.
static const char *const pagedScrollingExcluded[] = {"HTML_Internet Explorer", "DALICLASSWND", NULL};

// The record starts zeroed and the query's result is not looked at: a
// window without the bar counts as page 0, and so gets the default.
static int pageStepsOfBar(HWND window, int bar)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(window, bar, &info);
    return pageStepCount(info.nPage);
}

// Each step is a synchronous send that comes back through StaticWindowProc
// (and the hooks) and reaches the window's own procedure as a line request.
static void sendLineSteps(HWND window, UINT message, WPARAM request, LPARAM lParam, int steps)
{
    for (int i = 0; i < steps; i++) SendMessageA(window, message, request, lParam);
}

// Page Up and Page Down. The key's lParam holds its repeat count and scan
// code, which a window would take for the handle of a scroll-bar control:
// the steps carry 0, the value that names the window's own bar.
static int replayPageKey(const WindowMessage &m, LRESULT *result)
{
    if (m.wParam != VK_PRIOR && m.wParam != VK_NEXT) return 0;
    int steps = pageStepsOfBar(m.window, SB_VERT);
    sendLineSteps(m.window, WM_VSCROLL, m.wParam == VK_PRIOR ? SB_LINEUP : SB_LINEDOWN, 0, steps);
    *result = 0;
    return 1;
}

// SB_PAGEUP/SB_PAGELEFT and SB_PAGEDOWN/SB_PAGERIGHT share their values, as
// do the line requests; the steps keep the request's lParam, which names the
// bar that asked.
static int replayPageRequest(const WindowMessage &m, LRESULT *result)
{
    WORD request = LOWORD(m.wParam);
    if (request != SB_PAGEUP && request != SB_PAGEDOWN) return 0;
    int steps = pageStepsOfBar(m.window, m.message == WM_VSCROLL ? SB_VERT : SB_HORZ);
    sendLineSteps(m.window, m.message, request == SB_PAGEUP ? SB_LINEUP : SB_LINEDOWN, m.lParam, steps);
    *result = 0;
    return 1;
}

int replayPageAsLines(const WindowMessage &m, LRESULT *result)
{
    if (Settings.pageKeyScroll != 1) return 0;
    if (m.message != WM_KEYDOWN && m.message != WM_VSCROLL && m.message != WM_HSCROLL) return 0;
    if (windowClassIndex(m.window, pagedScrollingExcluded) < 0) {
        int replayed = m.message == WM_KEYDOWN ? replayPageKey(m, result) : replayPageRequest(m, result);
        if (replayed) return 1;
    }
    *result = passOnMessage(m);
    return 1;
}

// Scroll-bar controls keep their orientation in bit 0 (SBS_VERT); the test
// does not look at the class, so any window with that bit qualifies.
enum { verticalBarControlStyle = SBS_VERT };

static int boxesApply(const WindowMessage &m)
{
    DWORD style = (DWORD)GetWindowLongA(m.window, GWL_STYLE);
    if (!(style & (WS_VSCROLL | verticalBarControlStyle))) return 0;
    switch (m.message) {
    case WM_VSCROLL: return m.wParam == SB_LINEUP || m.wParam == SB_LINEDOWN;
    case WM_NCPAINT: return 1;
    case WM_NCMOUSEMOVE: return m.wParam == HTVSCROLL;
    }
    return 0;
}

// Two 16-pixel squares right of the client area, at the top and the bottom:
// over a 16-pixel bar inside a two-pixel edge they cover the arrow buttons.
static void paintArrowBoxes(HDC dc, const RECT &client)
{
    Rectangle(dc, client.right + 2, 2, client.right + 18, 18);
    Rectangle(dc, client.right + 2, client.bottom - 14, client.right + 18, client.bottom + 2);
}

int boxVerticalScrollArrows(const WindowMessage &m, LRESULT *result)
{
    if (Settings.scrollBarBlackBoxes != 1) return 0;
    if (m.message != WM_VSCROLL && m.message != WM_NCPAINT && m.message != WM_NCMOUSEMOVE) return 0;
    if (!boxesApply(m)) return 0;
    RECT client;
    GetClientRect(m.window, &client);
    HDC dc = GetWindowDC(m.window);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    paintArrowBoxes(dc, client);
    // The window paints its bar in between; the boxes go back on top.
    *result = passOnMessage(m);
    paintArrowBoxes(dc, client);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    ReleaseDC(m.window, dc);
    return 1;
}
