// The thirteen rows of the caption layout written out once for the tests:
// the sums of each row, from a set of metrics and a window width. The caption
// layout test feeds it made-up metrics, the repaint test the system's.
#pragma once

#include "caption/caption_layout.h"

struct CaptionArea {
    int left, top, right, bottom, buttonsRight;
};

inline CaptionArea expectedCaptionArea(int row, int w, const CaptionMetrics &m)
{
    const int fw = m.frameWidth, fh = m.frameHeight, ew = m.edgeWidth, eh = m.edgeHeight;
    const int b = m.captionButtonWidth, ch = m.captionHeight, sch = m.smallCaptionHeight, ic = m.smallIconWidth;
    switch (row) {
    case 1: return {fw + ic + 1, fh, w - fw - 3 * b, ch + 3, w - fw};
    case 2: return {fw + ic + 1, fh, w - fw - 2 * b - 2, ch + 3, w - fw};
    case 3: return {fw + 1, fh, w - fw - b + 2, sch + 3, w - fw};
    case 4: return {fw + ic + 1, fh, w - fw - b - 2, ch + 3, w - fw};
    case 5: return {fw + 1, fh, w - 4, ch + 3, w - fw};
    case 6: return {ew + ic + 1, eh + 1, w - ew - 3 * b - 1, ch + 2, w - ew - 1};
    case 7: return {ew + 1, eh + 1, w - 2 * b - 5, ch + 2, w - 3};
    case 8: return {ew + 1, eh + 1, w - 5, ch + 2, w - 3};
    case 9: return {ew + 1, eh + 1, w - fw - b + 2, sch + 2, w - 3};
    case 10: return {ew + 1, eh + 1, w + fw - 9, sch + 2, w - 13};
    case 11: return {ew + ic + 1, eh + 1, w - ew - 3 * b - 1, ch + 2, w - ew - 1};
    case 12: return {ew + 1, eh + 1, w - ew - b - 3, ch + 2, w - eh - 1};
    case 13: return {ew + 1, eh + 1, w - ew - 3, ch + 2, w - eh - 3};
    }
    return {0, 0, 0, 0, 0};
}
