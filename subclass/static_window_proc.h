// The window procedure the engine installs on every window it subclasses:
// StaticWindowProc on ANSI windows, and its twin on windows that were
// Unicode, which receives their messages as Unicode and hands them on as
// Unicode, so that such a window stays Unicode and keeps its text.
#pragma once

#include <windows.h>

extern "C" LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK unicodeStaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
