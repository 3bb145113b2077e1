// Reading and drawing window text in the character set the system keeps it in.
#include "engine/window_text.h"

#include "engine/newer_functions.h"

// -1 until decided.
static volatile LONG unicodeText = -1;

int windowTextIsUnicode()
{
    if (unicodeText == -1) InterlockedExchange(&unicodeText, systemIsNtFamily());
    return unicodeText;
}

static void endText(WindowText *text, LRESULT length)
{
    if (length < 0) length = 0;
    if (length >= windowTextSize) length = windowTextSize - 1;
    text->length = (int)length;
    if (text->unicode)
        text->wide[length] = 0;
    else
        text->ansi[length] = 0;
}

void readHeldText(HWND window, WindowText *text)
{
    text->unicode = windowTextIsUnicode();
    text->wide[0] = 0;
    // DefWindowProc answers from the text the window holds, whatever the
    // window's own procedure would make of the message.
    const LRESULT length = text->unicode ? DefWindowProcW(window, WM_GETTEXT, windowTextSize, (LPARAM)text->wide)
                                         : DefWindowProcA(window, WM_GETTEXT, windowTextSize, (LPARAM)text->ansi);
    endText(text, length);
}

void readSentText(HWND window, WindowText *text)
{
    text->unicode = windowTextIsUnicode();
    text->wide[0] = 0;
    const int length = text->unicode ? GetWindowTextW(window, text->wide, windowTextSize)
                                     : GetWindowTextA(window, text->ansi, windowTextSize);
    endText(text, length);
}

void padWithSpaces(WindowText *text)
{
    const int n = text->length;
    if (n <= 0) return;
    if (text->unicode) {
        for (int i = n; i > 0; i--) text->wide[i] = text->wide[i - 1];
        text->wide[0] = text->wide[n + 1] = L' ';
        text->wide[n + 2] = 0;
    } else {
        for (int i = n; i > 0; i--) text->ansi[i] = text->ansi[i - 1];
        text->ansi[0] = text->ansi[n + 1] = ' ';
        text->ansi[n + 2] = 0;
    }
    text->length = n + 2;
}

int drawWindowText(HDC dc, const WindowText &text, int from, int count, RECT *rect, UINT format)
{
    return text.unicode ? DrawTextW(dc, text.wide + from, count, rect, format)
                        : DrawTextA(dc, text.ansi + from, count, rect, format);
}

SIZE windowTextExtent(HDC dc, const WindowText &text, int count)
{
    SIZE size = {0, 0};
    if (text.unicode)
        GetTextExtentPoint32W(dc, text.wide, count, &size);
    else
        GetTextExtentPoint32A(dc, text.ansi, count, &size);
    return size;
}
