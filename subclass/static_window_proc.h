// The window procedure the engine installs on every window it subclasses.
#pragma once

#include <windows.h>

extern "C" LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
