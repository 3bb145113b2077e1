// The after-message hook: runs on the window's thread once its procedure has
// returned from a sent message.
#include "engine/settings.h"
#include "hooks/hooks.h"

extern "C" LRESULT CALLBACK SpyCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    return passOn(code, wParam, lParam);
}
