// The caption's title area for each frame and button combination. Thick
// frames are told apart by their buttons first; thin frames by their extended
// style first, refined by the system menu and the minimise/maximise boxes.
#include "caption/caption_layout.h"

#include "engine/shared_resources.h"

CaptionMetrics sharedCaptionMetrics()
{
    CaptionMetrics m;
    m.frameWidth = SharedResources.frameWidth;
    m.frameHeight = SharedResources.frameHeight;
    m.edgeWidth = SharedResources.edgeWidth;
    m.edgeHeight = SharedResources.edgeHeight;
    m.captionButtonWidth = SharedResources.captionButtonWidth;
    m.captionHeight = SharedResources.captionHeight;
    m.smallCaptionHeight = SharedResources.smallCaptionHeight;
    m.smallIconWidth = SharedResources.smallIconWidth;
    return m;
}

static int layoutRow(LONG style, LONG exStyle)
{
    const int minMax = (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0;
    const int sysMenu = (style & WS_SYSMENU) != 0;
    const int help = (exStyle & WS_EX_CONTEXTHELP) != 0;
    const int tool = (exStyle & WS_EX_TOOLWINDOW) != 0;

    if (style & WS_THICKFRAME) {
        // A thick tool window keeps its one small button whether or not it
        // has a system menu.
        if (minMax) return 1;
        if (help) return 2;
        if (tool) return 3;
        if (sysMenu) return 4;
        return 5;
    }
    if (help) {
        if (sysMenu && minMax) return 6;
        if (sysMenu) return 7;
        return 8;
    }
    if (tool) return sysMenu ? 9 : 10;
    if (sysMenu) return minMax ? 11 : 12;
    return 13;
}

int captionIconDependsOnWindow(LONG style, LONG exStyle)
{
    return (style & WS_SYSMENU) && !(exStyle & WS_EX_TOOLWINDOW) && (exStyle & WS_EX_DLGMODALFRAME);
}

int captionShowsIcon(LONG style, LONG exStyle, int hasIcon)
{
    if (!(style & WS_SYSMENU) || (exStyle & WS_EX_TOOLWINDOW)) return 0;
    // Without an icon of its own or its class's the system falls back to the
    // default icon, but not for a modal frame.
    return hasIcon || !(exStyle & WS_EX_DLGMODALFRAME);
}

static void setArea(CaptionLayout &l, int left, int top, int right, int bottom, int buttonsRight)
{
    l.left = left;
    l.top = top;
    l.right = right;
    l.bottom = bottom;
    l.buttonsRight = buttonsRight;
}

CaptionLayout captionLayout(LONG style, LONG exStyle, int width, const CaptionMetrics &m, int showsIcon)
{
    const int w = width;
    const int fw = m.frameWidth, fh = m.frameHeight;
    const int ew = m.edgeWidth, eh = m.edgeHeight;
    const int button = m.captionButtonWidth;
    const int caption = m.captionHeight, smallCaption = m.smallCaptionHeight;
    // Where the system draws an icon, the title area begins where the icon's
    // place ends, from the inside of the frame (the thick frame's width, the
    // edge and one pixel of a thin one); elsewhere it begins at the frame.
    // The rest of each row does not depend on the icon.
    const int iconEnd = showsIcon ? captionIconMargin + m.smallIconWidth : 0;
    const int thick = showsIcon ? fw + iconEnd : fw + 1;
    const int thin = ew + 1 + iconEnd;
    // The bottom is the caption's bottom line: the bar begins inside the
    // frame (the thick frame's height, or a thin frame's edge and one pixel)
    // and is its caption height less one pixel tall. A tool window's caption
    // is the small one whatever its buttons, so no row's strip reaches past
    // it into the window; and a frame that grows with the DPI moves the
    // bottom with it (at 144 DPI the thick frame is 5 pixels, and a bottom
    // counted from a 4-pixel frame left the bar's last row to the system
    // and drew the button outline over the boxes' lower edge).
    const int rows = (exStyle & WS_EX_TOOLWINDOW) ? smallCaption : caption;
    const int thickBottom = fh + rows - 1;
    const int thinBottom = eh + rows;

    CaptionLayout l;
    l.row = layoutRow(style, exStyle);
    switch (l.row) {
    case 1: setArea(l, thick, fh, w - fw - 3 * button, thickBottom, w - fw); break;
    case 2: setArea(l, thick, fh, w - fw - 2 * button - 2, thickBottom, w - fw); break;
    case 3: setArea(l, thick, fh, w - fw - button + 2, thickBottom, w - fw); break;
    case 4: setArea(l, thick, fh, w - fw - button - 2, thickBottom, w - fw); break;
    case 5: setArea(l, thick, fh, w - 4, thickBottom, w - fw); break;
    case 6: setArea(l, thin, eh + 1, w - ew - 3 * button - 1, thinBottom, w - ew - 1); break;
    case 7: setArea(l, thin, eh + 1, w - 2 * button - 5, thinBottom, w - 3); break;
    case 8: setArea(l, thin, eh + 1, w - 5, thinBottom, w - 3); break;
    case 9: setArea(l, thin, eh + 1, w - fw - button + 2, thinBottom, w - 3); break;
    // Thin tool windows without a system menu: the frame width is added, not
    // subtracted, and the buttons end thirteen pixels short.
    case 10: setArea(l, thin, eh + 1, w + fw - 9, thinBottom, w - 13); break;
    case 11: setArea(l, thin, eh + 1, w - ew - 3 * button - 1, thinBottom, w - ew - 1); break;
    // Rows 12 and 13 take the edge height, not its width, off the right end.
    case 12: setArea(l, thin, eh + 1, w - ew - button - 3, thinBottom, w - eh - 1); break;
    default: setArea(l, thin, eh + 1, w - ew - 3, thinBottom, w - eh - 3); break;
    }
    return l;
}
