// Where a caption's title area lies, in window coordinates, worked out from
// the window's styles, its width and the system metrics alone: no window, no
// DC, so every style combination can be checked without a screen.
#pragma once

#include <windows.h>

// The system metrics the layout uses, as read once at process attach.
struct CaptionMetrics {
    int frameWidth;          // SM_CXFRAME
    int frameHeight;         // SM_CYFRAME
    int edgeWidth;           // SM_CXEDGE
    int edgeHeight;          // SM_CYEDGE
    int captionButtonWidth;  // SM_CXSIZE
    int captionHeight;       // SM_CYCAPTION
    int smallCaptionHeight;  // SM_CYSMCAPTION
    int smallIconWidth;      // SM_CXSMICON
};

// The title area handed to the plug-in or a painter: right is where the
// caption buttons begin, buttonsRight where the caption with its buttons
// ends. row (1..13) names the case that gave them.
struct CaptionLayout {
    int left;
    int top;
    int right;
    int bottom;
    int buttonsRight;
    int row;
};

// The system draws the caption's icon this many pixels in from the inside of
// the frame, and starts its title after it.
enum { captionIconMargin = 2 };

// The metrics of SharedResources.
CaptionMetrics sharedCaptionMetrics();

// Whether the system draws an icon at the start of the caption: a window with
// a system menu that is no tool window shows its own small or big icon, else
// its class's small or big one, else the default icon, except a window with
// a modal frame, which then shows none and starts its title at the frame.
// hasIcon says whether the window or its class has an icon.
int captionShowsIcon(LONG style, LONG exStyle, int hasIcon);

// Whether captionShowsIcon's answer depends on hasIcon at all: only for a
// modal-frame window with a system menu that is no tool window. Every other
// window is decided by its styles, without asking for its icons.
int captionIconDependsOnWindow(LONG style, LONG exStyle);

// The title area of a caption whose frame and buttons are described by style
// and exStyle, for a window width pixels wide; showsIcon (captionShowsIcon)
// says whether the title area begins after the icon's place or at the frame.
CaptionLayout captionLayout(LONG style, LONG exStyle, int width, const CaptionMetrics &m, int showsIcon);
