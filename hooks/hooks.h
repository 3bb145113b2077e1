// The engine's exported hook procedures.
#pragma once

#include <windows.h>

#include "engine/engine_state.h"
#include "engine/window_classes.h"

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

// 1 for a window of another process. The system runs a hook on the thread
// the message was sent to, except that 64-bit Windows runs a hook of the
// other bitness on the thread that installed it (the loader), handing it the
// call by a message: the window is then another process's, beyond the
// engine's table, subclassing and painting. Both hooks only chain such
// calls. Only the loader's process can get them, so only there is the
// window's process asked. A window already gone (no thread) counts as this
// process's, so that its WM_NCDESTROY still frees its slot.
inline int windowOfAnotherProcess(HWND window)
{
    if (EngineState.inLoader != 1) return 0;
    // A hook of the engine's own bitness is called on the thread of the
    // window the message is for: a window of another thread means a call
    // handed over from another process.
    const DWORD thread = GetWindowThreadProcessId(window, NULL);
    return thread != 0 && thread != GetCurrentThreadId();
}

// What each call of either hook carries: the hook's own arguments, the
// message, and the window's class name, read once per call into the call's
// own buffer (two threads never share one).
struct HookCall {
    int code;
    WPARAM hookWParam;
    LPARAM hookLParam;
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    char className[classNameSize];
};

inline void readHookCall(HookCall *call, int code, WPARAM hookWParam, LPARAM hookLParam, HWND window, UINT message,
                         WPARAM wParam, LPARAM lParam)
{
    call->code = code;
    call->hookWParam = hookWParam;
    call->hookLParam = hookLParam;
    call->window = window;
    call->message = message;
    call->wParam = wParam;
    call->lParam = lParam;
    if (!GetClassNameA(window, call->className, classNameSize)) call->className[0] = 0;
}

inline LRESULT chain(const HookCall &call) { return passOn(call.code, call.hookWParam, call.hookLParam); }
