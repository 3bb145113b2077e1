// The before-message hook's caption stage: the caption painted before the
// window's own handling of six non-client messages, after which the hook
// ends without chaining.
#include "caption/caption_repaint.h"
#include "hooks/before_hook_stages.h"
#include "subclass/static_window_proc.h"

// The non-client messages before whose handling the caption is painted. Any
// other message chains, WM_GETTEXT among them: the painters read the title
// with it, and a repaint there would start another.
static int repaintsBeforeHandling(UINT message)
{
    switch (message) {
    case WM_MDIACTIVATE: case WM_NCLBUTTONDOWN: case WM_NCMOUSEMOVE: case WM_SYSCOMMAND: case WM_NCPAINT:
    case WM_SETTEXT:
        return 1;
    }
    return 0;
}

HookStageResult repaintCaptionBeforeHandling(BeforeHookCall &call)
{
    if (!repaintsBeforeHandling(call.message)) return stageChains;
    if (!hasCaption(call.style)) return stageChains;
    // The engine's procedure paints these itself, once, where they need it;
    // a press or a move it leaves to the window (another hit code) is
    // painted here as before.
    if (paintedAfterOwnHandling(call.message) || call.message == WM_MDIACTIVATE)
        if (hasEngineProcedure(call.window)) return stageReturnsZero;
    // A mouse move: the engine's procedure paints one over a sizing border,
    // where the system would draw its caption boxes again; over any other
    // part the system draws nothing, and the strip is already there. This
    // runs at every mouse move over a skinned window's frame.
    if (call.message == WM_NCMOUSEMOVE && hasEngineProcedure(call.window)) return stageReturnsZero;

    int state = lastActiveState;
    if (call.message == WM_MDIACTIVATE) state = (HWND)call.lParam == call.window ? stateActive : stateInactive;
    if (call.style & alwaysActiveStyleBit) state = stateActive;
    repaintCaption(call.window, call.style, state);
    return stageReturnsZero;
}
