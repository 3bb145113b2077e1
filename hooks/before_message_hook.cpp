// The before-message hook: runs on the sending thread before the window's
// procedure sees the message.
#include "engine/settings.h"
#include "hooks/hooks.h"

extern "C" LRESULT CALLBACK SpyCallWndProc2(int code, WPARAM wParam, LPARAM lParam)
{
    return passOn(code, wParam, lParam);
}

extern "C" LRESULT CALLBACK SpyTestProc(int code, WPARAM wParam, LPARAM lParam)
{
    (void)code;
    (void)wParam;
    MSG *record = (MSG *)lParam;
    if (record && record->message == WM_ERASEBKGND) record->message = WM_NULL;
    return 0;
}
