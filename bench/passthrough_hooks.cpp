// benchpass.dll: a WH_CALLWNDPROC and a WH_CALLWNDPROCRET hook that only
// chain, the way the engine chains (a NULL hook handle). What any hook pair
// costs a message; the engine's hooks are measured against it.
#include <windows.h>

extern "C" LRESULT CALLBACK PassBeforeHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(NULL, code, wParam, lParam);
}

extern "C" LRESULT CALLBACK PassAfterHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(NULL, code, wParam, lParam);
}
