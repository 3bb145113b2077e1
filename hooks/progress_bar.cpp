// Progress bars in the engine's look: a grey trough, a blue fill with lit and
// shaded edges, and the progress bitmap stretched over the fill. Both hooks
// draw it, around the control's own painting, which is not suppressed.
#include <windows.h>
#include <commctrl.h>

#include "engine/settings_snapshot.h"
#include "engine/shared_resources.h"
#include "engine/skin_pixels.h"
#include "hooks/after_hook_stages.h"

static const COLORREF progressFill = 0x00FF8080;
static const COLORREF progressLitEdge = 0x00FF9696;
static const COLORREF progressShadedEdge = 0x00FF2D2D;

// The fill's right end for a bar width W: W * pos / iHigh, truncated. The
// product is taken in 64 bits: a 32-bit range (PBM_SETRANGE32) overflows a
// 32-bit product long before it overflows the quotient.
static int progressFillEnd(int width, int pos, int high)
{
    return (int)((long long)width * pos / high);
}

// Outlines come from the pen the DC holds; every rectangle after the trough
// is drawn with NULL_PEN, which leaves out its right column and bottom row.
static void fillRectangles(HDC dc, HBRUSH brush, const RECT *rects, int count)
{
    SelectObject(dc, brush);
    for (int i = 0; i < count; i++) Rectangle(dc, rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    SelectObject(dc, GetStockObject(LTGRAY_BRUSH));
}

// The bitmap is the snapshot's, kept until it is drawn; progress bars of
// other threads stretch the same pixels at the same time, read from their
// bits.
static void stretchProgressBitmap(HDC dc, int x, int h)
{
    const PaintView view = holdPaintView();
    stretchSkinPixels(dc, 1, 2, x - 2, h - 2, view.resources->progressBitmap);
    releasePaintView(view);
}

void paintProgressBar(HWND window)
{
    int pos = (int)SendMessageA(window, PBM_GETPOS, 0, 0);
    PBRANGE range = {0, 0};
    SendMessageA(window, PBM_GETRANGE, FALSE, (LPARAM)&range);
    // No upper limit, no proportion: the control keeps its own look.
    if (range.iHigh == 0) return;
    // Every brush is made before anything is drawn: out of GDI handles the
    // bar is left as the control drew it, not half painted.
    const HBRUSH brushes[] = {CreateSolidBrush(progressFill), CreateSolidBrush(progressLitEdge),
                              CreateSolidBrush(progressShadedEdge)};
    const HBRUSH fillBrush = brushes[0], litBrush = brushes[1], shadedBrush = brushes[2];
    if (!fillBrush || !litBrush || !shadedBrush) {
        for (HBRUSH b : brushes)
            if (b) DeleteObject(b);
        return;
    }

    HDC dc = GetWindowDC(window);
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left;
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(LTGRAY_BRUSH));
    HGDIOBJ previousPen = GetCurrentObject(dc, OBJ_PEN);
    // The trough's far corner is in screen coordinates: its right and bottom
    // outlines fall outside the window unless it sits at the screen's edge.
    Rectangle(dc, 0, 0, r.right, r.bottom);
    r.bottom -= 1;
    const int h = r.bottom - r.top;
    SelectObject(dc, GetStockObject(NULL_PEN));

    const int x = progressFillEnd(w, pos, range.iHigh);
    const RECT fill[] = {{0, 2, x, h}};
    const RECT litEdges[] = {{0, 2, x, 4}, {0, 2, 2, h}};
    const RECT shadedEdges[] = {{0, h - 2, x, h}, {x - 2, 0, x, h}};
    fillRectangles(dc, fillBrush, fill, 1);
    fillRectangles(dc, litBrush, litEdges, 2);
    fillRectangles(dc, shadedBrush, shadedEdges, 2);
    stretchProgressBitmap(dc, x, h);

    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
    ReleaseDC(window, dc);
    for (HBRUSH b : brushes) DeleteObject(b);
}
