// A window's text as the painters read and draw it. On the NT family windows
// keep their text as Unicode, and a title read or drawn through the ANSI
// functions loses every character outside the ANSI code page: there the
// text is read and drawn as Unicode, for ANSI windows too. Windows 95, 98 and
// ME keep ANSI text and have the W functions mostly as stubs: there it stays
// ANSI. Decided once per process, at run time.
#pragma once

#include <windows.h>

// Titles and button texts are read into buffers of this many characters, the
// terminating zero included (the engine's WM_GETTEXT of 253 is known to the
// after-message hook by this size).
enum { windowTextSize = 253 };

struct WindowText {
    int unicode;   // 1: the text is in wide, 0: in ansi
    int length;    // characters, without the terminating zero
    // Room for a space on each side of a full buffer (the striped title).
    union {
        char ansi[windowTextSize + 2];
        WCHAR wide[windowTextSize + 2];
    };
};

// 1 when this process reads and draws text as Unicode (the NT family).
int windowTextIsUnicode();

// The text the window holds, straight from the window as the system's own
// caption painting reads it: no message is sent.
void readHeldText(HWND window, WindowText *text);

// The text through a WM_GETTEXT of windowTextSize characters, as the
// control's own procedure answers it (the owner-drawn button painter).
void readSentText(HWND window, WindowText *text);

// " text " for a non-empty text; an empty one stays empty.
void padWithSpaces(WindowText *text);

// DrawText of count characters from `from`; returns the height drawn.
int drawWindowText(HDC dc, const WindowText &text, int from, int count, RECT *rect, UINT format);

// The extent of the first count characters in the DC's font.
SIZE windowTextExtent(HDC dc, const WindowText &text, int count);
