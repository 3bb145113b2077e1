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

// The metrics of SharedResources.
CaptionMetrics sharedCaptionMetrics();

// The title area of a caption whose frame and buttons are described by style
// and exStyle, for a window width pixels wide.
CaptionLayout captionLayout(LONG style, LONG exStyle, int width, const CaptionMetrics &m);
