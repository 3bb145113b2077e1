// The paint record: the window's state read once per caption paint.
#include "caption/paint_record.h"

#include "caption/caption_icon.h"
#include "caption/caption_painters.h"
#include "caption/caption_repaint.h"

PaintRecord holdPaintRecord(HWND window, LONG style, int state)
{
    PaintRecord p;
    p.window = window;
    p.style = style;
    p.exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    p.state = state;
    p.outlineOnly = 0;
    // Only a modal-frame window asks for its icons; the rest answer from the
    // styles in hand.
    p.showsIcon = windowCaptionShowsIcon(window, style, p.exStyle);
    p.view = holdPaintView();
    return p;
}

void releasePaintRecord(const PaintRecord &record) { releasePaintView(record.view); }

int settledState(HWND window, int state)
{
    if (state != stateByForeground) return state;
    return GetForegroundWindow() == window ? stateActive : stateInactive;
}

// The whole paint reads one snapshot: a change of settings on another thread
// meanwhile deletes none of its fonts and bitmaps.
int paintTitleOfDC(TitlePainter painter, HWND window, HDC dc, const CaptionLayout &l, int state, RECT *copied)
{
    HWND owner = WindowFromDC(dc);
    const PaintRecord p = holdPaintRecord(owner, GetWindowLongA(owner, GWL_STYLE), settledState(window, state));
    const int shown = painter(p, dc, l, copied);
    releasePaintRecord(p);
    return shown;
}
