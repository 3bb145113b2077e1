// The window procedure the engine installs on every window it subclasses:
// StaticWindowProc on ANSI windows, and its twin on windows that were
// Unicode, which receives their messages as Unicode and hands them on as
// Unicode, so that such a window stays Unicode and keeps its text.
#pragma once

#include <windows.h>

extern "C" LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK unicodeStaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// 1 when the window's procedure is the engine's (of either character set):
// its caption messages are painted there, and the hooks need not paint them
// again. A window somebody subclassed after the engine answers 0.
int hasEngineProcedure(HWND window);

// The messages after which the after-message hook leaves a window with the
// engine's procedure alone: the caption messages StaticWindowProc paints
// after the window's own handling, and the two of every mouse move over the
// window, whose default handling draws nothing (the strip on the screen is
// the one the last of those messages copied).
inline int paintedAfterOwnHandling(UINT message)
{
    return message == WM_NCACTIVATE || message == WM_NCPAINT || message == WM_SETTEXT || message == WM_SYSCOMMAND ||
           message == WM_SETICON || message == WM_NCHITTEST || message == WM_SETCURSOR;
}
