// The before-message hook: runs on the window's thread (the one the message
// was sent to) before the window's procedure sees a sent message. It meets
// windows first (and subclasses them), restyles push buttons and progress
// bars, and repaints captions for a few non-client messages.
#include <windows.h>
#include <commctrl.h>

#include "engine/converted_buttons.h"
#include "engine/engine_state.h"
#include "engine/live_settings.h"
#include "engine/plugin.h"
#include "engine/settings.h"
#include "hooks/before_hook_stages.h"
#include "hooks/hooks.h"

// Every message one of the stages below acts on: subclassing's triggers,
// the progress bar's, the push buttons' and the six caption messages. For
// any other message each stage passes, so the hook passes it on at once,
// without reading the window's class and style (most messages a program
// sends are of this kind).
static int someStageActsOn(UINT message)
{
    switch (message) {
    case WM_CREATE: case WM_INITDIALOG: case WM_ACTIVATE: case PBM_SETPOS: case WM_PAINT:
    case WM_MDIACTIVATE: case WM_NCLBUTTONDOWN: case WM_NCMOUSEMOVE: case WM_SYSCOMMAND: case WM_NCPAINT:
    case WM_SETTEXT:
        return 1;
    }
    return isButtonRestyleMessage(message);
}

extern "C" LRESULT CALLBACK SpyCallWndProc2(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *m = (const CWPSTRUCT *)lParam;
    enterHookedMessage();
    if (EngineState.disabled == 1 || !m || windowOfAnotherProcess(m->hwnd)) return passOn(code, wParam, lParam);
    loadCaptionPluginOnFirstCall();
    if (!someStageActsOn(m->message)) return passOn(code, wParam, lParam);

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
