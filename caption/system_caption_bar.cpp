// The system's part of the caption bar, drawn again by the system after an
// activation change.
#include "caption/system_caption_bar.h"

#include "engine/shared_resources.h"

// SPI_GETGRADIENTCAPTIONS: Windows 98 and 2000 and later; older systems
// fail the call and draw solid captions.
enum { gradientCaptionsQuery = 0x1008 };

// A tool window's close box is a fixed size, centred in the small caption.
enum { toolBoxSide = 11 };
// The boxes of a full-size caption sit this far inside the bar's top and
// right end and its buttons' height.
enum { boxInset = 2 };

volatile int systemCaptionBarRedraw = 1;

SystemBarMetrics systemBarMetrics()
{
    const SharedResourcesRecord &r = SharedResources;
    SystemBarMetrics m;
    m.frameWidth = r.frameWidth;
    m.frameHeight = r.frameHeight;
    m.dialogFrameWidth = r.dialogFrameWidth;
    m.dialogFrameHeight = r.dialogFrameHeight;
    m.edgeWidth = r.edgeWidth;
    m.edgeHeight = r.edgeHeight;
    m.borderWidth = r.borderWidth;
    m.borderHeight = r.borderHeight;
    m.buttonWidth = r.captionButtonWidth;
    m.buttonHeight = r.captionButtonHeight;
    m.captionHeight = r.captionHeight;
    m.smallCaptionHeight = r.smallCaptionHeight;
    return m;
}

int systemCaptionBar(LONG style, LONG exStyle, int width, const SystemBarMetrics &m, SystemCaptionBar *out)
{
    if ((style & WS_CHILD) && !(exStyle & WS_EX_MDICHILD)) return 0;
    // In a mirrored window's DC Wine puts a gradient or a copy one pixel off
    // from where it clips the same rectangle: no clip would fit the strip
    // there and on Windows alike.
    if (exStyle & WS_EX_LAYOUTRTL) return 0;
    const int minMax = (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0;
    const int tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
    if ((exStyle & WS_EX_CONTEXTHELP) && !minMax && !tool) return 0;
    // The frame the system takes off first: a sizing border (unless the
    // style makes it a dialog frame), else a dialog frame (a modal frame, or
    // a caption without sizing border), else a thin border.
    const int thick = (style & WS_THICKFRAME) && (style & (WS_DLGFRAME | WS_BORDER)) != WS_DLGFRAME;
    const int dialog = (exStyle & WS_EX_DLGMODALFRAME) || ((style & WS_DLGFRAME) && !(style & WS_THICKFRAME));
    const int inX = thick ? m.frameWidth : dialog ? m.dialogFrameWidth : m.borderWidth;
    const int inY = thick ? m.frameHeight : dialog ? m.dialogFrameHeight : m.borderHeight;
    const int left = inX, top = inY, right = width - inX;
    const int height = tool ? m.smallCaptionHeight : m.captionHeight;
    SetRect(&out->bar, left, top, right, top + height);
    for (RECT &box : out->boxes) SetRectEmpty(&box);
    if (!(style & WS_SYSMENU)) return 1;
    if (tool) {
        const int boxTop = top + (height - 1 - toolBoxSide) / 2;
        const int boxLeft = right - (height + 1 + toolBoxSide) / 2;
        SetRect(&out->boxes[0], boxLeft, boxTop, boxLeft + toolBoxSide, boxTop + toolBoxSide);
        return 1;
    }
    const int boxTop = top + boxInset, boxBottom = top + m.buttonHeight - boxInset;
    SetRect(&out->boxes[0], right - m.buttonWidth, boxTop, right - boxInset, boxBottom);
    if (minMax) {
        // Maximise right beside the close box, minimise touching maximise.
        const int maxRight = right - m.buttonWidth;
        SetRect(&out->boxes[1], maxRight - m.buttonWidth, boxTop, maxRight - boxInset, boxBottom);
        const int minRight = maxRight - (m.buttonWidth - boxInset);
        SetRect(&out->boxes[2], minRight - m.buttonWidth, boxTop, minRight - boxInset, boxBottom);
    }
    return 1;
}

int systemGradientCaptions()
{
    BOOL gradient = FALSE;
    if (!SystemParametersInfoA(gradientCaptionsQuery, 0, &gradient, 0)) return 0;
    return gradient != 0;
}

void drawCaptionAround(HWND window, HDC dc, const SystemCaptionBar &b, int active, int showsIcon)
{
    // The bar less its bottom line and the boxes, within the clip the DC
    // already has: all in the window DC's own coordinates.
    IntersectClipRect(dc, b.bar.left, b.bar.top, b.bar.right, b.bar.bottom - 1);
    for (const RECT &box : b.boxes)
        if (!IsRectEmpty(&box)) ExcludeClipRect(dc, box.left, box.top, box.right, box.bottom);
    const int gradient = systemGradientCaptions();
    // The whole bar's height, so that the icon is centred where the frame
    // painting centres it; its bottom line is clipped off.
    const UINT flags = (active ? DC_ACTIVE : 0) | (showsIcon ? DC_ICON : 0) | (gradient ? DC_GRADIENT : 0);
    // Its answer is no guide: Wine's says 0 for a caption it drew.
    DrawCaption(window, dc, &b.bar, flags);
}

int redrawSystemCaptionBar(HWND window, LONG style, LONG exStyle, int active, int showsIcon, const RECT &strip)
{
    RECT w;
    SystemCaptionBar b;
    if (!systemCaptionBarRedraw) return 0;
    if (!GetWindowRect(window, &w) || !systemCaptionBar(style, exStyle, w.right - w.left, systemBarMetrics(), &b))
        return 0;
    HDC dc = GetWindowDC(window);
    if (!dc) return 0;
    const int saved = SaveDC(dc);
    // The strip stays as painted, mirrored with the DC as it was.
    ExcludeClipRect(dc, strip.left, strip.top, strip.right, strip.bottom);
    drawCaptionAround(window, dc, b, active, showsIcon);
    if (saved) RestoreDC(dc, saved);
    ReleaseDC(window, dc);
    return 1;
}
