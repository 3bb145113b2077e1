// Owner-drawn push buttons: converted when they receive a frequent message,
// painted flat when their parent receives WM_DRAWITEM.
#include "subclass/owner_drawn_buttons.h"

#include "engine/converted_buttons.h"
#include "engine/engine_state.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_classes.h"
#include "engine/window_text.h"
#include "subclass/window_steps.h"

static int clampChannel(int value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

COLORREF shiftColourChannels(COLORREF colour, int delta)
{
    return RGB(clampChannel(GetRValue(colour) + delta), clampChannel(GetGValue(colour) + delta),
               clampChannel(GetBValue(colour) + delta));
}

// Step 1. SetWindowLongA sends WM_STYLECHANGED to the button before it
// returns; that nested check finds the button owner-drawn and leaves it.
int convertPushButton(const WindowMessage &m, LRESULT *result)
{
    (void)result;
    if (!isButtonConversionMessage(m.message)) return 0;
    if (!windowClassIs(m.window, buttonClass)) return 0;
    LONG style = GetWindowLongA(m.window, GWL_STYLE);
    if (!isConvertiblePushButton(style) || !ownerDrawnButtonsOn()) return 0;
    if (!parentDrawsConvertedButton(m.window)) return 0;
    convertButtonRememberingStyle(m.window, style);
    return 0;
}

static void fillFace(HDC dc, const RECT &r, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    // Out of GDI handles a part whose brush or pen cannot be made is left out.
    if (!brush) return;
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, brush);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, GetStockObject(GRAY_BRUSH));
    DeleteObject(brush);
}

static void drawLine(HDC dc, int x0, int y0, int x1, int y1)
{
    MoveToEx(dc, x0, y0, NULL);
    LineTo(dc, x1, y1);
}

// Lines leave out their end points, so the top line ends at right - 1 and the
// left line at bottom - 1.
static void drawTopLeftEdge(HDC dc, const RECT &r, COLORREF colour)
{
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    if (!pen) return;
    SelectObject(dc, pen);
    drawLine(dc, r.left, r.top, r.right, r.top);
    drawLine(dc, r.left, r.top, r.left, r.bottom);
    SelectObject(dc, GetStockObject(NULL_PEN));
    DeleteObject(pen);
}

// Both lines start in the bottom-right corner pixel and stop one short of the
// top-left edge's pixels, which they leave alone.
static void drawBottomRightEdge(HDC dc, const RECT &r, COLORREF colour)
{
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    if (!pen) return;
    SelectObject(dc, pen);
    drawLine(dc, r.right - 1, r.bottom - 1, r.right - 1, r.top);
    drawLine(dc, r.right - 1, r.bottom - 1, r.left, r.bottom - 1);
    SelectObject(dc, GetStockObject(NULL_PEN));
    DeleteObject(pen);
}

// The face and the one-pixel edge. A pressed button is lit from below; the
// item rectangle it leaves is two pixels wider and taller, which moves the
// centred text one pixel right and down.
static void drawButtonFrame(HDC dc, RECT &r, UINT itemState)
{
    const int right = r.right, bottom = r.bottom;
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    if (itemState & ODS_SELECTED) {
        fillFace(dc, r, shiftColourChannels(face, -pressedFaceShift));
        drawTopLeftEdge(dc, r, shadow);
        drawBottomRightEdge(dc, r, light);
        r.right = right + 2;
        r.bottom = bottom + 2;
        return;
    }
    int shift = (itemState & ODS_FOCUS) ? focusShift : 0;
    fillFace(dc, r, shiftColourChannels(face, -shift));
    drawTopLeftEdge(dc, r, shiftColourChannels(light, -shift));
    drawBottomRightEdge(dc, r, shiftColourChannels(shadow, shift));
}

// The text's top when it is centred in the item rectangle: only the bottom
// counts, a button's item rectangle starts at 0.
static int centredTextTop(const RECT &r, int textHeight) { return (r.bottom - textHeight) / 2; }

// Embossed: the light copy one pixel right of and below the dark one.
static void drawDisabledText(HDC dc, RECT &r, const WindowText &text)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    const RECT q = r;
    int h = drawWindowText(dc, text, 0, text.length, &r, DT_CALCRECT | DT_CENTER);
    int t = centredTextTop(q, h);
    SetRect(&r, q.left, t, q.right + 2, t + h + 2);
    drawWindowText(dc, text, 0, text.length, &r, DT_CENTER | DT_VCENTER);
    SetRect(&r, q.left, t - 1, q.right, t + h + 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    drawWindowText(dc, text, 0, text.length, &r, DT_CENTER | DT_VCENTER);
}

// In the text colour the DC came with (the parent's control-colour answer).
static void drawEnabledText(HDC dc, RECT &r, const WindowText &text)
{
    SetBkMode(dc, TRANSPARENT);
    const RECT q = r;
    int h = drawWindowText(dc, text, 0, text.length, &r, DT_CALCRECT | DT_CENTER);
    int t = centredTextTop(q, h);
    SetRect(&r, q.left, t, q.right, t + h);
    drawWindowText(dc, text, 0, text.length, &r, DT_CENTER | DT_VCENTER);
}

static void paintConvertedButton(DRAWITEMSTRUCT *item)
{
    HDC dc = item->hDC;
    RECT &r = item->rcItem;
    int saved = SaveDC(dc);
    drawButtonFrame(dc, r, item->itemState);
    // Asked of the button itself (at most 252 characters are drawn).
    WindowText text;
    readSentText(item->hwndItem, &text);
    if (item->itemState & (ODS_DISABLED | ODS_GRAYED)) {
        drawDisabledText(dc, r, text);
    } else {
        // Back to the DC as the button handed it over, pens and brushes of
        // the frame gone.
        RestoreDC(dc, saved);
        saved = SaveDC(dc);
        drawEnabledText(dc, r, text);
    }
    RestoreDC(dc, saved);
}

// Step 2, at the parent. Items that are not marked buttons (list boxes, menu
// items, an application's own owner-drawn buttons) go to the parent's own
// procedure unchanged.
int paintOwnerDrawnButton(const WindowMessage &m, LRESULT *result)
{
    if (m.message != WM_DRAWITEM) return 0;
    DRAWITEMSTRUCT *item = (DRAWITEMSTRUCT *)m.lParam;
    if (!item || item->CtlType != ODT_BUTTON || !carriesConvertedButtonMark(GetWindowLongA(item->hwndItem, GWL_STYLE))) {
        *result = passOnMessage(m);
        return 1;
    }
    paintConvertedButton(item);
    *result = 0;
    return 1;
}
