// Stages 2 and 3 of the before-message hook: progress bars painted before
// their own handling, push buttons made owner-drawn or given a static edge.
// Both work on the message's window whether or not it is subclassed, so they
// also reach the button classes StaticWindowProc never converts ("TButton"
// and the Visual Basic command buttons).
#include <string.h>

#include <windows.h>
#include <commctrl.h>

#include "engine/converted_buttons.h"
#include "engine/engine_state.h"
#include "engine/settings.h"
#include "engine/window_classes.h"
#include "hooks/after_hook_stages.h"
#include "hooks/before_hook_stages.h"

// The control has not handled the message yet: a PBM_SETPOS is drawn with
// the position the bar had before it.
void paintProgressBarBeforeHandling(BeforeHookCall &call)
{
    if (Settings.progressBitmap != 1) return;
    if (call.message != PBM_SETPOS && call.message != WM_PAINT) return;
    if (classIsOneOf(call.className, progressBarClasses)) paintProgressBar(call.window);
}

// Either the owner-drawn look with the engine's mark, or, where owner-drawn
// buttons are off, a static edge. Returns the style the window has now.
// SetWindowLongA sends WM_STYLECHANGED back through this hook before it
// returns; a style that already holds everything is not written again, or a
// class converted without a type test ("ThunderCommandButton") would be
// converted again inside its own WM_STYLECHANGED for ever.
static LONG giveButtonTheEngineLook(HWND window, LONG style, LONG exStyle)
{
    if (ownerDrawnButtonsOn()) {
        LONG converted = convertedButtonStyle(style);
        if (converted == style) return style;
        if (!parentDrawsConvertedButton(window)) return style;
        convertButtonRememberingStyle(window, style);
        return converted;
    }
    SetWindowLongA(window, GWL_EXSTYLE, exStyle | WS_EX_STATICEDGE);
    return style;
}

// The Visual Basic command buttons: converted whatever their type, and the
// hook ends here for them.
static HookStageResult convertCommandButton(BeforeHookCall &call)
{
    LONG exStyle = GetWindowLongA(call.window, GWL_EXSTYLE);
    if (exStyle & WS_EX_STATICEDGE) return stageChains;
    call.style = giveButtonTheEngineLook(call.window, call.style, exStyle);
    return stageChains;
}

static HookStageResult convertButton(BeforeHookCall &call)
{
    if (!isConvertiblePushButton(call.style)) return stageContinues;
    LONG exStyle = GetWindowLongA(call.window, GWL_EXSTYLE);
    if (exStyle & WS_EX_STATICEDGE) return stageContinues;
    call.style = giveButtonTheEngineLook(call.window, call.style, exStyle);
    return stageContinues;
}

HookStageResult restylePushButton(BeforeHookCall &call)
{
    if (!skinButtonsOn()) return stageContinues;
    if (!isButtonRestyleMessage(call.message)) return stageContinues;
    // The earlier stages may have sent messages that changed the style.
    call.style = GetWindowLongA(call.window, GWL_STYLE);
    const char *name = call.className;
    if (strcmp(name, "ThunderRT5CommandButton") == 0 || strcmp(name, "ThunderRTCommandButton") == 0) {
        if ((call.style & BS_OWNERDRAW) == BS_OWNERDRAW) return stageChains;
        return convertCommandButton(call);
    }
    if (strcmp(name, "ThunderCommandButton") == 0) return convertCommandButton(call);
    if (strcmp(name, buttonClass) == 0 || strcmp(name, "TButton") == 0) return convertButton(call);
    return stageContinues;
}
