// The window procedure the engine installs on every window it subclasses.
#pragma once

#include <windows.h>

extern "C" LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Calls the window's own procedure, the one recorded in its slot. This can
// re-enter the engine.
LRESULT callOwnProcedure(int slot, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
