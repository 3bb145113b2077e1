// The system's own part of a caption bar beside the engine's strip: the icon
// with the caption colour behind it and the caption colour around the
// caption boxes. An activation change alters nothing else beside the strip
// where the active and inactive borders share a colour (the boxes and the
// icon look the same in both states), so after one the system's caption
// drawing (DrawCaption) puts that part back into the window DC, clipped to
// leave the strip, the boxes and the caption's bottom line as they are:
// the same pixels its frame painting draws there, for a fraction of that
// painting's cost.
#pragma once

#include <windows.h>

// The system metrics the bar's geometry is worked out from.
struct SystemBarMetrics {
    int frameWidth, frameHeight;              // SM_CXFRAME, SM_CYFRAME
    int dialogFrameWidth, dialogFrameHeight;  // SM_CXDLGFRAME, SM_CYDLGFRAME
    int edgeWidth, edgeHeight;                // SM_CXEDGE, SM_CYEDGE
    int borderWidth, borderHeight;            // SM_CXBORDER, SM_CYBORDER
    int buttonWidth, buttonHeight;            // SM_CXSIZE, SM_CYSIZE
    int captionHeight, smallCaptionHeight;    // SM_CYCAPTION, SM_CYSMCAPTION
};

// As the engine read them last (engine/shared_resources.h).
SystemBarMetrics systemBarMetrics();

// Where the system draws a caption bar, in window coordinates: the bar
// (from the inside of the frame, its bottom line included) and its boxes
// (empty where there is none: the close box, then maximise and minimise).
enum { systemBoxCount = 3 };
struct SystemCaptionBar {
    RECT bar;
    RECT boxes[systemBoxCount];
};

// The bar of a window with these styles, width pixels wide. Returns 0 for a
// window whose bar the rule does not know: a child window that is no MDI
// child (its client and static edges move the bar), a context-help box the
// system may or may not draw (Windows draws it, Wine does not), and a
// mirrored window: under Wine its DC puts a gradient or a copied strip one
// pixel off from where it puts a clip rectangle of the same coordinates
// (a memory DC's fills and clips agree), so no clip that fits the strip on
// one system would fit it on every other.
int systemCaptionBar(LONG style, LONG exStyle, int width, const SystemBarMetrics &m, SystemCaptionBar *out);

// Whether the system draws its captions as a gradient
// (SPI_GETGRADIENTCAPTIONS; 0 where the system cannot say).
int systemGradientCaptions();

// The system's caption drawing of the bar's caption colour and icon, in the
// given state, clipped (within the DC's own clip) to the bar less its bottom
// line and its boxes.
void drawCaptionAround(HWND window, HDC dc, const SystemCaptionBar &b, int active, int showsIcon);

// After an activation change the system recorded unseen: the system's part
// of the bar drawn again in its new state (active: the system's state, not
// the engine's), around strip (window coordinates, as painted in the
// window's DC). showsIcon: whether the system draws the icon. Returns 0,
// drawing nothing, where the window's bar is not one systemCaptionBar knows.
int redrawSystemCaptionBar(HWND window, LONG style, LONG exStyle, int active, int showsIcon, const RECT &strip);

// 1 (the default): activation changes redraw the system's part of the bar
// this way; 0: they leave it to the system's frame painting, as other
// changes do (the suites compare the two).
extern volatile int systemCaptionBarRedraw;
