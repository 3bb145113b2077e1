// The engine's exported hook procedures.
#pragma once

#include <windows.h>

// Before a window procedure sees a sent message (WH_CALLWNDPROC).
extern "C" LRESULT CALLBACK SpyCallWndProc2(int code, WPARAM wParam, LPARAM lParam);
// After a window procedure has returned from a sent message (WH_CALLWNDPROCRET).
extern "C" LRESULT CALLBACK SpyCallWndProc(int code, WPARAM wParam, LPARAM lParam);
// Turns WM_ERASEBKGND in a message record into WM_NULL.
extern "C" LRESULT CALLBACK SpyTestProc(int code, WPARAM wParam, LPARAM lParam);

// Chains to the next hook with a NULL hook handle and the hook's own arguments.
inline LRESULT passOn(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(NULL, code, wParam, lParam);
}
