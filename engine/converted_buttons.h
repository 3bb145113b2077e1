// Push buttons the engine turns owner-drawn: the mark it leaves in their
// style, which buttons qualify, and the style kept to give back. Shared by
// the before-message hook (which converts buttons of every class it knows),
// StaticWindowProc (which converts "Button" windows and paints every marked
// button at its parent) and unload (which gives the style back).
#pragma once

#include <windows.h>

// WS_GROUP | WS_TABSTOP | BS_MULTILINE. Together with BS_OWNERDRAW these bits
// say "converted by the engine"; WM_DRAWITEM paints exactly the buttons whose
// style holds all three.
enum : LONG { convertedButtonMark = 0x00032000 };

// The messages on which the before-message hook (re)converts a push button:
// every button meets one of them early in its life, and BM_SETSTYLE from the
// dialog manager sets a push-button type back, so the test runs on every one
// of them, not once. StaticWindowProc's step 1 converts on WM_NCPAINT too.
constexpr int isButtonRestyleMessage(UINT message)
{
    switch (message) {
    case WM_ENABLE: case WM_CTLCOLORSTATIC: case WM_ACTIVATE: case WM_PAINT: case BM_SETSTATE:
    case BM_CLICK: case BM_SETSTYLE: case BM_SETCHECK: case BM_SETIMAGE: case WM_CTLCOLORBTN:
    case WM_CREATE: case WM_WINDOWPOSCHANGING: case WM_SHOWWINDOW: case WM_NCCALCSIZE:
    case WM_WINDOWPOSCHANGED: case WM_SETICON: case WM_GETTEXT: case WM_STYLECHANGED: case WM_SETTEXT:
        return 1;
    }
    return 0;
}
constexpr int isButtonConversionMessage(UINT message)
{
    return message == WM_NCPAINT || isButtonRestyleMessage(message);
}

// Only tab-stop push buttons qualify: BS_PUSHBUTTON, BS_DEFPUSHBUTTON and
// BS_USERBUTTON. Check boxes, radio buttons, group boxes, BS_PUSHBOX and an
// already owner-drawn button all have one of the rejected bit patterns.
inline int isConvertiblePushButton(LONG style)
{
    if ((style & 5) == 5 || (style & 2) == 2 || (style & 4) == 4) return 0;
    if (!(style & WS_TABSTOP)) return 0;
    if ((style & 3) == 3 || (style & 9) == 9) return 0;
    return 1;
}

// The style a converted button gets: every bit kept, the mark added and the
// type made BS_OWNERDRAW.
inline LONG convertedButtonStyle(LONG style) { return style | convertedButtonMark | BS_OWNERDRAW; }

inline int carriesConvertedButtonMark(LONG style) { return (style & convertedButtonMark) == convertedButtonMark; }

// Converts a button and remembers the style it had, so that unload can give
// it back. convertedButtonKept is a style bit no button uses (WS_POPUP), set
// in the kept value so that a style of 0 is still told from no value.
enum : LONG { convertedButtonKept = (LONG)WS_POPUP };
void convertButtonRememberingStyle(HWND button, LONG style);
// At unload (detach step 6), after the windows have their procedures back:
// every recorded button still carrying the mark gets its own style back.
void restoreConvertedButtons();
// WM_DESTROY of a window of a class whose buttons the engine converts: the
// property that kept its style goes with it, as whoever sets a property
// must see to.
void forgetConvertedButton(HWND window, const char *className);

// A converted button is painted at its parent's WM_DRAWITEM by the engine's
// procedure: only a button whose parent has that procedure is converted, or
// nobody would draw it.
int parentDrawsConvertedButton(HWND button);
