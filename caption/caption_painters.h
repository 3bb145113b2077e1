// The engine's two caption looks. Both take the common caption-paint
// arguments: the window whose foreground state decides state 0, a window DC
// (taken and released by the caller), the title area in window coordinates
// (right is where the caption buttons begin), buttonsRight (where the caption
// with its buttons ends) and the state (0 = active when `window` is the
// foreground window, 1 = active, other = inactive). Styles and the title are
// read from the window that owns the DC.
#pragma once

#include <windows.h>

#include "caption/caption_layout.h"
#include "caption/paint_record.h"
#include "engine/window_text.h"

// The two looks as the caption road calls them: everything about the window
// and the settings comes from the record, the title area from the layout.
// 1 when the strip or bar reached the window; copied (when given) then
// receives the rectangle it covers, in window coordinates.
int paintGradientTitle(const PaintRecord &p, HDC dc, const CaptionLayout &l, RECT *copied);
int paintStripedTitle(const PaintRecord &p, HDC dc, const CaptionLayout &l, RECT *copied);

// One of the two, for a caller with a window DC in hand and no record: the
// record is made for the window the DC belongs to, the state settled
// against window.
typedef int (*TitlePainter)(const PaintRecord &p, HDC dc, const CaptionLayout &l, RECT *copied);
int paintTitleOfDC(TitlePainter painter, HWND window, HDC dc, const CaptionLayout &l, int state, RECT *copied);

// The same for a caller with a window DC in hand and no record: the record
// is made for the window the DC belongs to.
// Returns 1 when the title strip reached the window; copied (when given)
// then receives the rectangle it covers, in window coordinates.
int GradientCaptionPainter(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight,
                           int state, RECT *copied = NULL);

// As the gradient painter: 1 when the bar was copied to the window, and
// then *copied (when given) receives the rectangle it covers.
int StripedCaptionPainter(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight,
                          int state, RECT *copied = NULL);

// Strips copied onto the screen by either painter since the engine started:
// what a message costs in caption painting, and how often a caption was
// painted again with nothing changed.
extern volatile LONG stripCopies;

// Whether dc, a window DC of a window with extended style exStyle, lays
// coordinates out from the right (WS_EX_LAYOUTRTL): a bitmap copied into it
// comes out mirror-imaged unless the copy keeps its orientation. Only a
// mirrored window's DC asks GDI, so ordinary captions pay nothing on their
// way; Windows 95 and NT 4.0 have no GetLayout and no mirrored DCs.
int mirroredWindowDC(HDC dc, DWORD exStyle);

// Reads the title a caption shows.
void readCaptionTitle(HWND window, WindowText *title);
