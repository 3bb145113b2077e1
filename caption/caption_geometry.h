// The numbers the two caption painters draw by: band positions and colours,
// the corrections of the title area for a window's edges, the outline of the
// caption-button area and the striped bar's layout. Plain values in, plain
// values out, no window and no DC, so that each can be checked on its own.
#pragma once

#include <windows.h>

// The title area a painter is handed, in window coordinates: right is where
// the caption buttons begin, buttonsRight where the caption ends.
struct CaptionArea {
    int left, top, right, bottom, buttonsRight;
};

// Painters draw nothing for a window with neither a border nor a modal frame.
int captionIsDrawn(DWORD style, DWORD exStyle);

// The activation state a painter is handed (0 = decided by the foreground
// window, 1 = active, anything else = inactive), resolved.
int captionIsActive(int state, int windowIsForeground);

// ---- Gradient caption ----

// Windows without a window edge: a static edge becomes a window edge and the
// area moves by one pixel; otherwise the title area starts one pixel into the
// window. A modal-frame dialog's title starts right after its edge, unless
// the system draws an icon there (showsIcon: captionShowsIcon), whose place
// the area already leaves. Returns the extended style the window should carry
// (exStyle itself when unchanged) and moves the area.
DWORD gradientEdgeCorrection(DWORD style, DWORD exStyle, int edgeWidth, int showsIcon, CaptionArea *area);

// Sizes of the composed title strip. The strip is one row taller than what
// is copied to the window.
struct GradientStrip {
    int width;    // right + 1 - left
    int height;   // bottom + 1 - top
    int lineX;    // right + 1: the first column of the button area
    int bottom1;  // bottom + 1
};
GradientStrip gradientStrip(const CaptionArea &area);

// Bands step across the strip by a float width; each band's rectangle
// reaches 3 pixels past the next band's start, so that truncation never
// leaves a gap between them.
enum { bandOverlap = 3 };

// The width of one band; 0 when there are no bands.
float gradientBandWidth(int width, int bands);
// The position of the next band, held to 32-bit float precision so that
// every build steps the same way.
float nextBandPosition(float position, float bandWidth);

// The x range of one band's rectangle: start = trunc(position),
// end = trunc(next + 3).
struct BandSpan {
    int start, end;
};
BandSpan bandSpanAt(float position, float bandWidth);
// Band k (from 0) of `bands` bands across width: the span the painter gives
// it after stepping k times.
BandSpan gradientBandSpan(int width, int bands, int k);

// The current colour of the gradient, one float per component.
struct BandColour {
    float r, g, b;
};
// The colour after band `band` (from 0) of `bands` has been painted: one step
// less per band, or, mirrored, two steps less per band up to the middle and
// two steps more per band after it.
BandColour colourAfterBand(BandColour colour, BandColour step, int band, int bands, int mirrored);
// The colour of band k: the start colour after k bands.
BandColour colourAfterSteps(BandColour start, BandColour step, int k, int bands, int mirrored);
// A component as it is drawn: truncated toward zero, low 8 bits kept.
int colourByte(float component);
COLORREF bandColourRef(BandColour colour);

// Title text: the left margin, and where the second font takes over, the
// index of the first "-" (the length when there is none).
enum { titleTextLeft = 3 };
int titleSplitIndex(const char *title, int length);
int titleSplitIndex(const WCHAR *title, int length);

// The outline of the caption-button area: line segments drawn with
// MoveToEx/LineTo, end points excluded.
struct OutlineLine {
    int x1, y1, x2, y2;
};
enum { outlineLineCount = 9 };
void gradientOutlineLines(const CaptionArea &area, int captionButtonWidth, OutlineLine lines[outlineLineCount]);

// ---- Striped caption ----

// The striped look with forceClientEdge: windows that are dialog-like (modal
// frame, or no maximise box) and have no client edge get one, except
// Explorer's folder windows.
int needsForcedClientEdge(DWORD style, DWORD exStyle, int folderWindow);

// Windows without a window edge: a static edge becomes a window edge, and any
// other window gets a modal frame added to its extended style; the area moves
// to match. Returns the extended style the window should carry.
DWORD stripedEdgeCorrection(DWORD exStyle, CaptionArea *area);

// Whether the bar gets its boxes and stripes.
int stripedCaptionDecorated(int active, int solidInactiveCaption, DWORD exStyle);

// Where the striped bar puts things, in the coordinates of its strip; the
// strip is copied to the window at x = stripedBarLeft.
enum {
    stripedBarLeft = 3,
    boxAreaWidth = 34,     // the zoom and minimise boxes, from inner - 34
    boxStep = 17,          // the minimise box, from inner - 17
    boxTop = 1,
    closeBoxLeft = 2,
    stripedTitleLeft = 18,
    stripePairCount = 5,
};
struct StripedLayout {
    int buttonsRight;  // after the one-pixel widening of narrow button areas
    int inner;         // buttonsRight - 2: width copied to the window
    int height;        // bottom + 1 - top; one row more than is copied
    int titleRight;    // where stripes and title end
    int boxes;         // 1 when the zoom and minimise boxes are drawn
    int zoomBoxX, minimiseBoxX;
};
StripedLayout stripedLayout(const CaptionArea &area, int decorated, DWORD style);

// Stripe pair i (0..4): the shadow line at y = 5 + 2i from x = 21, the
// highlight line at y = 4 + 2i from x = 20, as the rectangles drawn with a
// pen and brush of one colour.
RECT stripeShadowRect(int titleRight, int i);
RECT stripeHighlightRect(int titleRight, int i);
