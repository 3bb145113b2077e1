// The before-message hook: runs on the window's thread (the one the message
// was sent to) before the window's procedure sees a sent message. It meets
// windows first (and subclasses them), restyles push buttons and progress
// bars, and repaints captions for a few non-client messages.
#include "engine/engine_state.h"
#include "engine/live_settings.h"
#include "engine/plugin.h"
#include "engine/settings.h"
#include "hooks/before_hook_stages.h"
#include "hooks/hooks.h"

extern "C" LRESULT CALLBACK SpyCallWndProc2(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *m = (const CWPSTRUCT *)lParam;
    enterHookedMessage();
    if (EngineState.disabled == 1 || !m || windowOfAnotherProcess(m->hwnd)) return passOn(code, wParam, lParam);
    loadCaptionPluginOnFirstCall();

    BeforeHookCall call;
    readHookCall(&call, code, wParam, lParam, m->hwnd, m->message, m->wParam, m->lParam);
    call.style = GetWindowLongA(call.window, GWL_STYLE);

    subclassNewWindow(call);
    paintProgressBarBeforeHandling(call);
    if (restylePushButton(call) == stageChains) return passOn(code, wParam, lParam);
    switch (repaintCaptionBeforeHandling(call)) {
    case stageReturnsZero: return 0;
    default: return passOn(code, wParam, lParam);
    }
}

extern "C" LRESULT CALLBACK SpyTestProc(int code, WPARAM wParam, LPARAM lParam)
{
    (void)code;
    (void)wParam;
    MSG *record = (MSG *)lParam;
    if (record && record->message == WM_ERASEBKGND) record->message = WM_NULL;
    return 0;
}
