// The striped caption: a button-face bar with the close box at the left, the
// zoom and minimise boxes at the right, engraved stripes between them and the
// title on its own button-face patch. The whole caption is composed
// off-screen and copied in one BitBlt.
#include "caption/caption_geometry.h"
#include "caption/caption_painters.h"
#include "engine/settings.h"
#include "engine/settings_snapshot.h"
#include "engine/shared_resources.h"
#include "engine/skin_pixels.h"
#include "engine/window_classes.h"

volatile LONG stripCopies;

static const UINT titleFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_PATH_ELLIPSIS;

static const char *const folderWindowClasses[] = {"CabinetWClass", "ExploreWClass", NULL};

// A box bitmap drawn into the bar's memory DC from its bits: the paints of
// other threads draw the same one at the same time.
static void copyBox(HDC memory, int x, int y, const SkinBitmap &box)
{
    drawSkinPixels(memory, x, y, box.info.bmWidth, box.info.bmHeight, box, 0, 0);
}

// Rectangles in one colour, outline and fill alike. Returns 0 when GDI
// could not make the pen or the brush.
static int fillRects(HDC memory, const RECT *rects, int count, int sysColour)
{
    const COLORREF colour = GetSysColor(sysColour);
    HPEN pen = CreatePen(PS_SOLID, 0, colour);
    HBRUSH brush = CreateSolidBrush(colour);
    if (!pen || !brush) {
        if (pen) DeleteObject(pen);
        if (brush) DeleteObject(brush);
        return 0;
    }
    SelectObject(memory, pen);
    SelectObject(memory, brush);
    for (int i = 0; i < count; i++) Rectangle(memory, rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    SelectObject(memory, GetStockObject(NULL_PEN));
    SelectObject(memory, GetStockObject(GRAY_BRUSH));
    DeleteObject(pen);
    DeleteObject(brush);
    return 1;
}

static int drawStripes(HDC memory, int titleRight)
{
    RECT shadows[stripePairCount], highlights[stripePairCount];
    for (int i = 0; i < stripePairCount; i++) {
        shadows[i] = stripeShadowRect(titleRight, i);
        highlights[i] = stripeHighlightRect(titleRight, i);
    }
    return fillRects(memory, shadows, stripePairCount, COLOR_BTNSHADOW) &&
           fillRects(memory, highlights, stripePairCount, COLOR_BTNHIGHLIGHT);
}

// The title, padded with a space on each side, on an opaque button-face
// patch that cuts the stripes around it.
static void drawTitle(const SharedResourcesRecord &r, HDC memory, const WindowText &padded, const StripedLayout &l,
                      COLORREF textColour)
{
    SelectObject(memory, r.captionFont);
    SetTextAlign(memory, TA_LEFT | TA_TOP);
    SetBkMode(memory, OPAQUE);
    SetBkColor(memory, GetSysColor(COLOR_BTNFACE));
    SetTextColor(memory, textColour);
    RECT text = {stripedTitleLeft, 0, l.titleRight, l.height - 1};
    if (padded.length > 0) drawWindowText(memory, padded, 0, padded.length, &text, titleFormat);
}

// Returns 0 when GDI could not make what a part needs: the bar is then not
// shown at all.
static int composeBar(const SharedResourcesRecord &r, HDC memory, const WindowText &padded, const StripedLayout &l,
                      DWORD style, int decorated, COLORREF textColour)
{
    if (l.boxes) {
        const RECT boxArea = {l.zoomBoxX, 0, l.inner, l.height};
        if (!fillRects(memory, &boxArea, 1, COLOR_BTNFACE)) return 0;
        copyBox(memory, l.zoomBoxX, boxTop, (style & WS_MAXIMIZEBOX) ? r.macMaxBitmap : r.macMaxDownBitmap);
        copyBox(memory, l.minimiseBoxX, boxTop, (style & WS_MINIMIZEBOX) ? r.macMinBitmap : r.macMinDownBitmap);
    }
    const RECT bar = {0, 0, l.titleRight, l.height};
    if (!fillRects(memory, &bar, 1, COLOR_BTNFACE)) return 0;
    if (decorated) {
        copyBox(memory, closeBoxLeft, boxTop, r.macCloseBitmap);
        if (!drawStripes(memory, l.titleRight)) return 0;
    }
    drawTitle(r, memory, padded, l, textColour);
    return 1;
}

int paintStripedTitle(const PaintRecord &p, HDC dc, const CaptionLayout &l, RECT *copied)
{
    // The layout's left plays no part: the bar always starts at x = 3.
    const PaintView &v = p.view;
    HWND owner = p.window;
    const DWORD style = p.style;
    DWORD exStyle = p.exStyle;
    if (!captionIsDrawn(style, exStyle)) return 0;

    if (v.settings->forceClientEdge == 1 &&
        needsForcedClientEdge(style, exStyle, windowClassIndex(owner, folderWindowClasses) >= 0)) {
        exStyle |= WS_EX_CLIENTEDGE;
        SetWindowLongA(owner, GWL_EXSTYLE, exStyle);
    }
    CaptionArea area = {l.left, l.top, l.right, l.bottom, l.buttonsRight};
    const DWORD corrected = stripedEdgeCorrection(exStyle, &area);
    if (corrected != exStyle) SetWindowLongA(owner, GWL_EXSTYLE, corrected);
    exStyle = corrected;

    const int active = captionIsActive(p.state, GetForegroundWindow() == owner);
    const int decorated = stripedCaptionDecorated(active, v.settings->solidInactiveCaption, exStyle);
    const StripedLayout layout = stripedLayout(area, decorated, style);
    const COLORREF textColour = GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
    // " title " for a window with a title, nothing for one without.
    WindowText padded;
    readCaptionTitle(owner, &padded);
    padWithSpaces(&padded);

    int shown = 0;

    // A caption ending left of the bar has nothing to show, and a negative
    // width would turn the copy into a mirrored one.
    // Where GDI has no handle left, the caption stays as the system drew it
    // rather than taking a black or half-drawn bar.
    if (layout.inner > 0 && layout.height > 1) {
        // In a mirrored window's DC the bar is composed left to right and
        // copied as composed, so that its title reads; it lands on the
        // mirrored side as a whole.
        const int mirrored = mirroredWindowDC(dc, exStyle);
        HDC memory = CreateCompatibleDC(dc);
        if (memory && mirrored && v.resources->setLayout) v.resources->setLayout(memory, 0);
        HBITMAP bitmap = memory ? CreateCompatibleBitmap(dc, layout.inner + 1, layout.height) : NULL;
        if (bitmap) SelectObject(memory, bitmap);
        const DWORD copy = mirrored ? SRCCOPY | NOMIRRORBITMAP : SRCCOPY;
        if (bitmap && composeBar(*v.resources, memory, padded, layout, style, decorated, textColour)) {
            shown = BitBlt(dc, stripedBarLeft, area.top, layout.inner, layout.height - 1, memory, 0, 0, copy);
            InterlockedIncrement(&stripCopies);
        }
        if (memory) DeleteDC(memory);
        if (bitmap) DeleteObject(bitmap);
    }

    if (shown && copied)
        SetRect(copied, stripedBarLeft, area.top, stripedBarLeft + layout.inner, area.top + layout.height - 1);
    return shown ? 1 : 0;
}

int StripedCaptionPainter(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight, int state,
                          RECT *copied)
{
    const CaptionLayout l = {left, top, right, bottom, buttonsRight, 0};
    return paintTitleOfDC(paintStripedTitle, window, dc, l, state, copied);
}
