// The stages of the before-message hook, in the order the hook runs them.
#pragma once

#include <windows.h>

#include "hooks/hooks.h"
#include "engine/window_classes.h"

// One call of the before-message hook, with the window's style read once.
struct BeforeHookCall : HookCall {
    LONG style;
};

enum HookStageResult {
    stageContinues,      // go on with the next stage
    stageChains,         // end the hook by chaining and returning its result
    stageReturnsZero,    // end the hook by returning 0 without chaining
};

// Stage 1: WM_CREATE, WM_INITDIALOG (and WM_ACTIVATE when configured) enter
// the window into the table and install StaticWindowProc.
void subclassNewWindow(BeforeHookCall &call);
// Stage 2: progress bars painted before their own handling.
void paintProgressBarBeforeHandling(BeforeHookCall &call);
// Stage 3: push buttons made owner-drawn or given a static edge.
HookStageResult restylePushButton(BeforeHookCall &call);
// Stage 4: captions repainted for six non-client messages.
HookStageResult repaintCaptionBeforeHandling(BeforeHookCall &call);
