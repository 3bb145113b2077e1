// The top of the frame drawn by the engine, as the system's frame painting
// draws it: the same edges, fills, caption drawing and caption boxes, from
// the same metrics, colours and state.
#include "caption/frame_top.h"

#include <string.h>

#include "caption/caption_icon.h"
#include "caption/strip_cache.h"
#include "caption/system_caption_bar.h"
#include "engine/newer_functions.h"

// What GetMenuState answers for an item the menu does not hold.
static const UINT noSuchItem = 0xFFFFFFFF;

volatile int frameTopByEngine = 1;
volatile unsigned frameTopsPainted;

// Wine marks itself with an export of its ntdll; what is drawn here was
// compared with its frame painting, pixel for pixel.
static int frameMeasuredAgainstSystem()
{
    static volatile int known = -1;
    if (known < 0) known = findNewerFunction("ntdll.dll", "wine_get_version") != NULL;
    return known;
}

// The window's bar and its whole rectangle (window coordinates), where the
// engine draws its frame's top.
static int windowFrameTop(HWND window, LONG style, LONG exStyle, const SystemBarMetrics &m, SystemCaptionBar *b,
                          RECT *whole)
{
    RECT w;
    if (!frameTopByEngine || !frameMeasuredAgainstSystem()) return 0;
    if ((exStyle & WS_EX_STATICEDGE) || (style & WS_MINIMIZE)) return 0;
    if (!GetWindowRect(window, &w) || !systemCaptionBar(style, exStyle, w.right - w.left, m, b)) return 0;
    // A window too short for its caption bar and the frame below it is
    // drawn by the system whole.
    if (w.bottom - w.top <= b->bar.bottom) return 0;
    SetRect(whole, 0, 0, w.right - w.left, w.bottom - w.top);
    return 1;
}

int frameTopOf(HWND window, LONG style, LONG exStyle, RECT *rows)
{
    SystemCaptionBar b;
    if (!windowFrameTop(window, style, exStyle, systemBarMetrics(), &b, rows)) return 0;
    rows->bottom = b.bar.bottom;
    return 1;
}

static void fillArea(HDC dc, int colour, int left, int top, int width, int height)
{
    HBRUSH old = (HBRUSH)SelectObject(dc, GetSysColorBrush(colour));
    PatBlt(dc, left, top, width, height, PATCOPY);
    SelectObject(dc, old);
}

// A frame band of the given thickness just inside outer, on its top, left
// and right sides (the rows drawn here hold no bottom side); outer is moved
// inside it.
static void frameBand(HDC dc, RECT *outer, int width, int height, int colour)
{
    if (width <= 0 && height <= 0) return;
    const int across = outer->right - outer->left, down = outer->bottom - outer->top;
    fillArea(dc, colour, outer->left, outer->top, across, height);
    fillArea(dc, colour, outer->left, outer->top, width, down);
    fillArea(dc, colour, outer->right - width, outer->top, width, down);
    InflateRect(outer, -width, -height);
}

// The frame around the whole window: a raised edge, then a sizing border in
// the border colour of the state, then the dialog frame's face-coloured
// line.
static void paintFrame(HDC dc, LONG style, RECT r, const SystemBarMetrics &m, int active)
{
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (style & WS_THICKFRAME)
        frameBand(dc, &r, m.frameWidth - m.dialogFrameWidth, m.frameHeight - m.dialogFrameHeight,
                  active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER);
    frameBand(dc, &r, m.dialogFrameWidth - m.edgeWidth, m.dialogFrameHeight - m.edgeHeight, COLOR_3DFACE);
}

// One caption box as DrawFrameControl draws it, but for the top and left of
// its raised edge, drawn again as the frame painting draws them: the light
// line outside and the highlight inside (DrawFrameControl's soft edge has
// them the other way round), each ending where the bottom and right lines
// begin. The glyph, drawn after the edge, reaches into those lines only.
static void paintBox(HDC dc, RECT box, UINT flags)
{
    DrawFrameControl(dc, &box, DFC_CAPTION, flags);
    const int width = box.right - box.left, height = box.bottom - box.top;
    fillArea(dc, COLOR_3DLIGHT, box.left, box.top, width - 1, 1);
    fillArea(dc, COLOR_3DLIGHT, box.left, box.top, 1, height - 1);
    fillArea(dc, COLOR_3DHILIGHT, box.left + 1, box.top + 1, width - 3, 1);
    fillArea(dc, COLOR_3DHILIGHT, box.left + 1, box.top + 1, 1, height - 3);
}

// The caption boxes: the close box greyed where the system menu's Close is
// greyed, disabled or missing, as the system reads it; maximise and minimise
// where the style lacks them.
static void paintBoxes(HDC dc, LONG style, int closeGreyed, const SystemCaptionBar &b)
{
    if (IsRectEmpty(&b.boxes[0])) return;
    paintBox(dc, b.boxes[0], DFCS_CAPTIONCLOSE | (closeGreyed ? DFCS_INACTIVE : 0));
    if (IsRectEmpty(&b.boxes[1])) return;
    paintBox(dc, b.boxes[1],
             ((style & WS_MAXIMIZE) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) | ((style & WS_MAXIMIZEBOX) ? 0 : DFCS_INACTIVE));
    paintBox(dc, b.boxes[2], DFCS_CAPTIONMIN | ((style & WS_MINIMIZEBOX) ? 0 : DFCS_INACTIVE));
}

// The system colours the rows are drawn in: the caption's, the borders', and
// the 3-D ones of the edges and the caption boxes.
static const int topColourIndices[] = {COLOR_ACTIVECAPTION, COLOR_INACTIVECAPTION, COLOR_GRADIENTACTIVECAPTION,
                                       COLOR_GRADIENTINACTIVECAPTION, COLOR_ACTIVEBORDER, COLOR_INACTIVEBORDER,
                                       COLOR_3DFACE, COLOR_3DHILIGHT, COLOR_3DLIGHT, COLOR_3DSHADOW,
                                       COLOR_3DDKSHADOW, COLOR_BTNTEXT, COLOR_GRAYTEXT};
static_assert(sizeof topColourIndices / sizeof topColourIndices[0] == sizeof(StripLook().topColours) / sizeof(COLORREF),
              "one kept colour for each colour the rows are drawn in");

static int closeBoxGreyed(HWND window)
{
    const UINT close = GetMenuState(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND);
    return close == noSuchItem || (close & (MF_DISABLED | MF_GRAYED)) != 0;
}

// Everything the rows' pixels depend on, in a record compared byte for byte.
static StripLook frameTopLook(HWND window, LONG style, LONG exStyle, int active, int showsIcon, const RECT &rows,
                              const SystemBarMetrics &m)
{
    StripLook look;
    memset(&look, 0, sizeof look);
    look.frameTop = 1;
    look.topMetrics = m;
    look.width = rows.right - rows.left;
    look.height = rows.bottom - rows.top;
    look.topStyle = style & (WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_MAXIMIZE);
    look.topExStyle = exStyle & (WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME | WS_EX_CONTEXTHELP);
    look.topActive = active != 0;
    look.closeGreyed = (style & WS_SYSMENU) ? closeBoxGreyed(window) : 0;
    look.gradient = systemGradientCaptions();
    // The icon the system draws: the window's or its class's, NULL for the
    // default one.
    look.icon = showsIcon ? windowIcon(window) : NULL;
    look.showsIcon = showsIcon != 0;
    for (int i = 0; i < (int)(sizeof topColourIndices / sizeof topColourIndices[0]); i++)
        look.topColours[i] = GetSysColor(topColourIndices[i]);
    return look;
}

// The rows composed into a memory DC whose bitmap is the window's width and
// the rows' height.
static void composeFrameTop(HWND window, HDC memory, const StripLook &look, const SystemCaptionBar &b,
                        const SystemBarMetrics &m, int windowHeight)
{
    const RECT whole = {0, 0, look.width, windowHeight};
    paintFrame(memory, look.topStyle, whole, m, look.topActive);
    fillArea(memory, COLOR_3DFACE, b.bar.left, b.bar.bottom - 1, b.bar.right - b.bar.left, 1);
    paintBoxes(memory, look.topStyle, look.closeGreyed, b);
    const int saved = SaveDC(memory);
    drawCaptionAround(window, memory, b, look.topActive, look.showsIcon);
    if (saved) RestoreDC(memory, saved);
}

// The top copied to the window from its kept picture (composed first when
// there is none), the strip left as it is. Returns 0 where nothing could be
// copied.
static int copyFrameTop(HWND window, const StripLook &look, const SystemCaptionBar &b, const SystemBarMetrics &m,
                        int windowHeight, const RECT &strip)
{
    WindowText none;
    memset(&none, 0, sizeof none);
    // Where GDI has nothing to spare for it, the system's frame painting
    // draws the top.
    StripEntry *kept = findStrip(window, look, none);
    if (!kept) {
        kept = claimStrip(window, look, none);
        if (!kept) return 0;
        composeFrameTop(window, kept->memory, look, b, m, windowHeight);
    }
    HDC dc = GetWindowDC(window);
    BOOL shown = FALSE;
    if (dc) {
        const int saved = SaveDC(dc);
        ExcludeClipRect(dc, strip.left, strip.top, strip.right, strip.bottom);
        shown = BitBlt(dc, 0, 0, look.width, look.height, kept->memory, 0, 0, SRCCOPY);
        if (saved) RestoreDC(dc, saved);
        ReleaseDC(window, dc);
    }
    giveBackStrip(kept);
    if (shown) frameTopsPainted++;
    return shown != 0;
}

HRGN paintFrameTop(HWND window, LONG style, LONG exStyle, int active, const RECT &strip, HRGN update)
{
    RECT whole, w;
    SystemCaptionBar b;
    const SystemBarMetrics m = systemBarMetrics();
    if (!windowFrameTop(window, style, exStyle, m, &b, &whole) || !GetWindowRect(window, &w)) return NULL;
    const RECT topOnScreen = {w.left, w.top, w.right, w.top + b.bar.bottom};
    if (update && !RectInRegion(update, &topOnScreen)) return NULL;
    HRGN below = CreateRectRgn(w.left, topOnScreen.bottom, w.right, w.bottom);
    if (!below) return NULL;
    const RECT top = {0, 0, whole.right, b.bar.bottom};
    const StripLook look = frameTopLook(window, style, exStyle, active, windowCaptionShowsIcon(window, style, exStyle), top, m);
    if ((update && CombineRgn(below, below, update, RGN_AND) == ERROR) ||
        !copyFrameTop(window, look, b, m, whole.bottom, strip)) {
        DeleteObject(below);
        return NULL;
    }
    return below;
}
