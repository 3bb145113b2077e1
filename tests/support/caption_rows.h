// The thirteen rows of the caption layout written out once for the tests:
// the sums of each row, from a set of metrics, a window width and whether
// the system draws an icon (then the title area begins where the icon's place
// ends: two pixels and the icon's width in from the inside of the frame,
// which is the thick frame's width, or a thin frame's edge and one pixel).
// The caption layout test feeds it made-up metrics, the repaint test the
// system's.
#pragma once

#include "caption/caption_layout.h"

struct CaptionArea {
    int left, top, right, bottom, buttonsRight;
};

inline CaptionArea expectedCaptionArea(int row, int w, const CaptionMetrics &m, bool icon, bool tool = false)
{
    const int fw = m.frameWidth, fh = m.frameHeight, ew = m.edgeWidth, eh = m.edgeHeight;
    const int b = m.captionButtonWidth;
    // The bottom is the caption's bottom line, counted from the inside of
    // the frame; a tool window's caption is the small one in every row.
    // Rows 3, 9 and 10 are tool windows' alone.
    const bool small = tool || row == 3 || row == 9 || row == 10;
    const int rows = small ? m.smallCaptionHeight : m.captionHeight;
    const int thickBottom = fh + rows - 1, thinBottom = eh + rows;
    const int thick = icon ? fw + 2 + m.smallIconWidth : fw + 1;
    const int thin = icon ? ew + 1 + 2 + m.smallIconWidth : ew + 1;
    switch (row) {
    case 1: return {thick, fh, w - fw - 3 * b, thickBottom, w - fw};
    case 2: return {thick, fh, w - fw - 2 * b - 2, thickBottom, w - fw};
    case 3: return {thick, fh, w - fw - b + 2, thickBottom, w - fw};
    case 4: return {thick, fh, w - fw - b - 2, thickBottom, w - fw};
    case 5: return {thick, fh, w - 4, thickBottom, w - fw};
    case 6: return {thin, eh + 1, w - ew - 3 * b - 1, thinBottom, w - ew - 1};
    case 7: return {thin, eh + 1, w - 2 * b - 5, thinBottom, w - 3};
    case 8: return {thin, eh + 1, w - 5, thinBottom, w - 3};
    case 9: return {thin, eh + 1, w - fw - b + 2, thinBottom, w - 3};
    case 10: return {thin, eh + 1, w + fw - 9, thinBottom, w - 13};
    case 11: return {thin, eh + 1, w - ew - 3 * b - 1, thinBottom, w - ew - 1};
    case 12: return {thin, eh + 1, w - ew - b - 3, thinBottom, w - eh - 1};
    case 13: return {thin, eh + 1, w - ew - 3, thinBottom, w - eh - 3};
    }
    return {0, 0, 0, 0, 0};
}
