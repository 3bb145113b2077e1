// Which windows the engine may reach from the thread of the window it is
// handling.
#include "engine/window_kinship.h"

int windowOfThisProcess(HWND window)
{
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process)) return 0;
    return process == GetCurrentProcessId();
}

static int isMdiChildWindow(HWND window)
{
    return (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_MDICHILD);
}

int isMdiChildOfOwnThread(HWND window)
{
    if (!window || !isMdiChildWindow(window)) return 0;
    const HWND parent = GetParent(window);
    const DWORD thread = GetWindowThreadProcessId(window, NULL);
    return parent && thread != 0 && GetWindowThreadProcessId(parent, NULL) == thread;
}

int isMdiSibling(HWND candidate, HWND window)
{
    if (!candidate || !window || !IsWindow(candidate) || !isMdiChildWindow(candidate)) return 0;
    const HWND parent = GetParent(window);
    const DWORD thread = GetWindowThreadProcessId(window, NULL);
    return parent && GetParent(candidate) == parent && thread != 0 &&
           GetWindowThreadProcessId(candidate, NULL) == thread;
}
