// Which windows the engine may reach from the thread of the window it is
// handling.
#include "engine/window_kinship.h"

int windowOfThisProcess(HWND window)
{
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process)) return 0;
    return process == GetCurrentProcessId();
}

// Long enough for a thread that pumps its messages, short enough that a
// busy one costs the caller nothing it would notice.
static const UINT otherThreadAnswerLimit = 100;  // ms

LRESULT sendWithinProcess(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD process = 0;
    const DWORD thread = window ? GetWindowThreadProcessId(window, &process) : 0;
    if (!thread || process != GetCurrentProcessId()) return 0;
    if (thread == GetCurrentThreadId()) return SendMessageA(window, message, wParam, lParam);
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             otherThreadAnswerLimit, &answer))
        return 0;
    return (LRESULT)answer;
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
