// Caption geometry: band positions and colours, edge corrections, the button
// outline and the striped layout, as functions of plain values.
#include "caption/caption_geometry.h"

int captionIsDrawn(DWORD style, DWORD exStyle)
{
    return (style & WS_BORDER) || (exStyle & WS_EX_DLGMODALFRAME);
}

int captionIsActive(int state, int windowIsForeground)
{
    if (state == 0) return windowIsForeground != 0;
    return state == 1;
}

DWORD gradientEdgeCorrection(DWORD style, DWORD exStyle, int edgeWidth, int showsIcon, CaptionArea *area)
{
    if (!(exStyle & WS_EX_WINDOWEDGE)) {
        if (exStyle & WS_EX_STATICEDGE) {
            exStyle = (exStyle & ~WS_EX_STATICEDGE) | WS_EX_WINDOWEDGE;
            area->left += 1;
            area->top -= 1;
            area->right += 1;
            area->bottom -= 1;
            area->buttonsRight += 1;
        } else {
            area->bottom -= area->top;
            area->top = 1;
            area->left = 1;
            area->right += 2;
            area->buttonsRight += 2;
        }
    }
    if ((style & DS_MODALFRAME) && !showsIcon) area->left = edgeWidth + 1;
    return exStyle;
}

GradientStrip gradientStrip(const CaptionArea &area)
{
    GradientStrip s;
    s.lineX = area.right + 1;
    s.bottom1 = area.bottom + 1;
    s.height = s.bottom1 - area.top;
    s.width = area.right + 1 - area.left;
    return s;
}

// The volatile stores round to 32-bit floats: the x87 unit would otherwise
// keep the band width and the running position in extended precision, and
// where a band starts would depend on the optimiser's choice of registers.
float gradientBandWidth(int width, int bands)
{
    if (bands <= 0) return 0.0f;
    volatile float bandWidth = (float)width / (float)bands;
    return bandWidth;
}

float nextBandPosition(float position, float bandWidth)
{
    volatile float next = position + bandWidth;
    return next;
}

BandSpan bandSpanAt(float position, float bandWidth)
{
    volatile float end = nextBandPosition(position, bandWidth) + (float)bandOverlap;
    BandSpan span;
    span.start = (int)position;
    span.end = (int)end;
    return span;
}

BandSpan gradientBandSpan(int width, int bands, int k)
{
    float bandWidth = gradientBandWidth(width, bands);
    float position = 0.0f;
    for (int i = 0; i < k; i++) position = nextBandPosition(position, bandWidth);
    return bandSpanAt(position, bandWidth);
}

static float stepComponent(float component, float step, int band, int bands, int mirrored)
{
    volatile float next;
    if (mirrored != 1)
        next = component - step;
    else if (band < bands / 2)
        next = component - 2.0f * step;
    else
        next = component + 2.0f * step;
    return next;
}

BandColour colourAfterBand(BandColour colour, BandColour step, int band, int bands, int mirrored)
{
    colour.r = stepComponent(colour.r, step.r, band, bands, mirrored);
    colour.g = stepComponent(colour.g, step.g, band, bands, mirrored);
    colour.b = stepComponent(colour.b, step.b, band, bands, mirrored);
    return colour;
}

BandColour colourAfterSteps(BandColour start, BandColour step, int k, int bands, int mirrored)
{
    for (int i = 0; i < k; i++) start = colourAfterBand(start, step, i, bands, mirrored);
    return start;
}

int colourByte(float component)
{
    return (int)component & 0xFF;
}

COLORREF bandColourRef(BandColour colour)
{
    return RGB(colourByte(colour.r), colourByte(colour.g), colourByte(colour.b));
}

template <typename Character> static int firstDash(const Character *title, int length)
{
    for (int i = 0; i < length; i++)
        if (title[i] == '-') return i;
    return length;
}

int titleSplitIndex(const char *title, int length) { return firstDash(title, length); }
int titleSplitIndex(const WCHAR *title, int length) { return firstDash(title, length); }

void gradientOutlineLines(const CaptionArea &area, int captionButtonWidth, OutlineLine lines[outlineLineCount])
{
    const GradientStrip s = gradientStrip(area);
    const int top = area.top, bottom = area.bottom, right = area.buttonsRight;
    const int firstButton = right - captionButtonWidth;
    const OutlineLine all[outlineLineCount] = {
        {s.lineX, top, s.lineX, bottom},
        {s.lineX, top, right, top},
        {s.lineX, top + 1, right, top + 1},
        {s.lineX, s.bottom1 - 2, right, s.bottom1 - 2},
        {s.lineX, s.bottom1 - 3, right, s.bottom1 - 3},
        {right - 1, top, right - 1, bottom},
        {right - 2, top, right - 2, bottom},
        {firstButton - 1, top, firstButton - 1, bottom},
        {firstButton - 2, top, firstButton - 2, bottom},
    };
    for (int i = 0; i < outlineLineCount; i++) lines[i] = all[i];
}

int needsForcedClientEdge(DWORD style, DWORD exStyle, int folderWindow)
{
    if (folderWindow) return 0;
    if (!(style & DS_MODALFRAME) && (style & WS_MAXIMIZEBOX)) return 0;
    return !(exStyle & WS_EX_CLIENTEDGE);
}

DWORD stripedEdgeCorrection(DWORD exStyle, CaptionArea *area)
{
    if (exStyle & WS_EX_WINDOWEDGE) return exStyle;
    if (exStyle & WS_EX_STATICEDGE) {
        exStyle = (exStyle & ~WS_EX_STATICEDGE) | WS_EX_WINDOWEDGE;
        area->top -= 1;
        area->bottom -= 1;
        area->right += 1;
        area->buttonsRight += 1;
    } else {
        // A modal frame is added, not set: the window keeps its other
        // extended bits (layered, topmost, tool window, MDI child).
        exStyle |= WS_EX_DLGMODALFRAME;
        area->right += 2;
        area->buttonsRight += 2;
        area->bottom -= area->top;
        area->top = 1;
    }
    return exStyle;
}

int stripedCaptionDecorated(int active, int solidInactiveCaption, DWORD exStyle)
{
    return active || solidInactiveCaption == 0 || (exStyle & WS_EX_TOOLWINDOW) != 0;
}

StripedLayout stripedLayout(const CaptionArea &area, int decorated, DWORD style)
{
    StripedLayout l;
    l.buttonsRight = area.buttonsRight;
    if (l.buttonsRight - area.right < 4) l.buttonsRight += 1;
    l.inner = l.buttonsRight - 2;
    l.height = area.bottom + 1 - area.top;
    l.boxes = decorated && (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) != 0;
    l.titleRight = l.boxes ? l.inner - boxAreaWidth : l.inner;
    l.zoomBoxX = l.inner - boxAreaWidth;
    l.minimiseBoxX = l.inner - boxStep;
    return l;
}

RECT stripeShadowRect(int titleRight, int i)
{
    RECT r = {21, 5 + 2 * i, titleRight - 4, 6 + 2 * i};
    return r;
}

RECT stripeHighlightRect(int titleRight, int i)
{
    RECT r = {20, 4 + 2 * i, titleRight - 5, 5 + 2 * i};
    return r;
}
