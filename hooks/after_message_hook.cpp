// The after-message hook: runs on the window's thread once its procedure has
// returned from a sent message. It frees the slot of a destroyed window,
// records the last activation change, restyles common controls, tiles
// backgrounds, animates windows being shown and repaints captions over the
// ones the system has just drawn.
#include <string.h>

#include <windows.h>
#include <commctrl.h>

#include "caption/caption_repaint.h"
#include "caption/strip_cache.h"
#include "engine/converted_buttons.h"
#include "engine/engine_state.h"
#include "engine/live_settings.h"
#include "engine/plugin.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_classes.h"
#include "engine/window_table.h"
#include "engine/window_text.h"
#include "hooks/after_hook_stages.h"
#include "hooks/hooks.h"
#include "subclass/static_window_proc.h"

// Hit codes over which a WM_SETCURSOR can change what the caption shows.
static int isCaptionCursorHit(int hit)
{
    return hit == HTSYSMENU || hit == HTMENU || hit == HTMINBUTTON || hit == HTMAXBUTTON || hit == HTBORDER ||
           hit == HTCLOSE;
}

// The nineteen messages that go on past the early stages.
static int passesMessageFilter(UINT message)
{
    switch (message) {
    case WM_ACTIVATE: case WM_SETTEXT: case WM_GETTEXT: case WM_PAINT: case WM_ERASEBKGND:
    case WM_SHOWWINDOW: case WM_SETCURSOR: case WM_CHILDACTIVATE: case WM_DRAWITEM:
    case WM_WINDOWPOSCHANGED: case WM_STYLECHANGED: case WM_SETICON: case WM_NCCREATE:
    case WM_NCCALCSIZE: case WM_NCHITTEST: case WM_NCPAINT: case WM_NCACTIVATE: case WM_COMMAND:
    case WM_SYSCOMMAND:
        return 1;
    }
    return 0;
}

// The engine reads button texts into buffers of windowTextSize characters; a
// WM_GETTEXT of that size is taken as its own.
enum { engineTitleBufferSize = windowTextSize };

// One call of the after-message hook, the message as the window's procedure
// handled it. A stage that chains early keeps what the chain gave.
struct AfterHookCall : HookCall {
    LRESULT chained;
};

enum AfterStageResult {
    afterContinues,          // go on with the next stage
    afterChains,             // chain and return the chain's result
    afterReturnsZero,        // return 0 without chaining
    afterChainsReturnsZero,  // chain, then return 0
    afterChainsReturns999,   // chain, then return 999
    afterReturnsChained,     // the stage has chained already: return what it got
};

typedef AfterStageResult (*AfterStage)(AfterHookCall &call);


static AfterStageResult addListViewStylesEarly(AfterHookCall &call)
{
    if (Settings.listViewHotTrack != 1) return afterContinues;
    const UINT m = call.message;
    if (m != WM_ACTIVATE && m != WM_NCCALCSIZE && m != WM_ERASEBKGND) return afterContinues;
    if (!classIsOneOf(call.className, listViewClasses)) return afterContinues;
    addListViewExtendedStyles(call.window);
    return afterChains;
}

// A destroyed window leaves the table even when subclassing has been
// switched off since it was entered; its handle may be reused at once. One
// that somebody subclassed after the engine keeps its chain until
// WM_NCDESTROY has passed through it.
static AfterStageResult releaseDestroyedWindow(AfterHookCall &call)
{
    if (call.message == WM_DESTROY) {
        releaseWindowSlot(call.window);
        forgetConvertedButton(call.window, call.className);
        forgetStrips(call.window);
    }
    if (call.message == WM_NCDESTROY) forgetWindowSlot(call.window);
    return afterContinues;
}

static AfterStageResult paintProgressBarAfterHandling(AfterHookCall &call)
{
    if (Settings.progressBitmap == 1 && (call.message == PBM_SETPOS || call.message == WM_PAINT) &&
        classIsOneOf(call.className, progressBarClasses))
        paintProgressBar(call.window);
    return afterContinues;
}

static AfterStageResult chainOtherMessages(AfterHookCall &call)
{
    return passesMessageFilter(call.message) ? afterContinues : afterChains;
}

// A cursor change over anything but the caption's boxes and border ends the
// hook without chaining.
static AfterStageResult endCursorOutsideCaption(AfterHookCall &call)
{
    if (call.message == WM_SETCURSOR && !isCaptionCursorHit((short)LOWORD(call.lParam))) return afterReturnsZero;
    return afterContinues;
}

static AfterStageResult makeListTextTransparent(AfterHookCall &call)
{
    if (Settings.transparentListText == 1 && call.message == WM_NCPAINT &&
        strcmp(call.className, listViewClass) == 0)
        makeListViewTextTransparent(call.window);
    return afterContinues;
}

static AfterStageResult finishBackground(BackgroundOutcome outcome)
{
    switch (outcome) {
    case backgroundPassOn: return afterChains;
    case backgroundReturnZero: return afterChainsReturnsZero;
    case backgroundReturn999: return afterChainsReturns999;
    default: return afterContinues;
    }
}

static AfterStageResult paintFolderBackgroundStage(AfterHookCall &call)
{
    if (Settings.folderBackground != 1) return afterContinues;
    return finishBackground(paintFolderBackground(call.window, call.message, call.wParam, call.className));
}

static AfterStageResult tileBackgroundStage(AfterHookCall &call)
{
    if (Settings.tileBackgrounds != 1 || call.message != WM_ERASEBKGND || !isBackgroundClass(call.className))
        return afterContinues;
    const AfterStageResult result = finishBackground(tileControlBackground(call.window, call.wParam, call.className));
    // Every WM_ERASEBKGND of the background set ends here, tiled or not.
    return result == afterContinues ? afterChains : result;
}

static AfterStageResult chainComboBoxesAndEdits(AfterHookCall &call)
{
    if (strcmp(call.className, "ComboBox") == 0 || strcmp(call.className, "Edit") == 0) return afterChains;
    return afterContinues;
}

// The zoom plays once the rest of the chain has seen the message.
static AfterStageResult animateShownWindow(AfterHookCall &call)
{
    if (Settings.animateWindows != 1 || call.message != WM_SHOWWINDOW) return afterContinues;
    call.chained = chain(call);
    playShowAnimation(call.window, call.wParam, call.className);
    return afterReturnsChained;
}

static AfterStageResult recordActivationState(AfterHookCall &call)
{
    if (call.message == WM_ACTIVATE)
        lastActiveState = (LOWORD(call.wParam) == WA_ACTIVE || LOWORD(call.wParam) == WA_CLICKACTIVE) ? 1 : 2;
    else if (call.message == WM_NCACTIVATE)
        lastActiveState = call.wParam == 1 ? 1 : 2;
    else
        lastActiveState = 0;
    return afterContinues;
}

static AfterStageResult chainEngineTextRequest(AfterHookCall &call)
{
    return call.message == WM_GETTEXT && call.wParam == engineTitleBufferSize ? afterChains : afterContinues;
}

static AfterStageResult flattenTabs(AfterHookCall &call)
{
    if (Settings.flatTabs != 1 || strcmp(call.className, tabControlClass) != 0) return afterContinues;
    restyleTaskbarTabs(call.window, call.message);
    return afterChains;
}

static AfterStageResult flattenToolbars(AfterHookCall &call)
{
    if (Settings.flatToolbars != 1 || !classIsOneOf(call.className, toolbarClasses)) return afterContinues;
    restyleToolbar(call.window, call.message);
    return afterChains;
}

static AfterStageResult chainDrawItem(AfterHookCall &call)
{
    return call.message == WM_DRAWITEM ? afterChains : afterContinues;
}

static AfterStageResult chainListViews(AfterHookCall &call)
{
    return classIsOneOf(call.className, listViewClasses) ? afterChains : afterContinues;
}

static AfterStageResult chainCommandButtons(AfterHookCall &call)
{
    return Settings.buttonClassPass == 1 && classIsOneOf(call.className, passedButtonClasses) ? afterChains
                                                                                          : afterContinues;
}

// Over the caption the system has just drawn, in the state the message says
// or the last activation left.
static AfterStageResult repaintCaptionAfterHandling(AfterHookCall &call)
{
    if (Settings.paintCaptions == 0) return afterChains;
    LONG style = GetWindowLongA(call.window, GWL_STYLE);
    if (!hasCaption(style)) return afterChains;
    const UINT m = call.message;
    if (m == WM_SHOWWINDOW || m == WM_NCCALCSIZE || m == WM_DRAWITEM || m == WM_GETTEXT) return afterChains;
    if (m == WM_ERASEBKGND && Settings.solidInactiveCaption == 1) return afterChains;
    // The engine's procedure has painted these once already.
    if (paintedAfterOwnHandling(m) && hasEngineProcedure(call.window)) return afterChains;
    int state = lastActiveState;
    if (m == WM_NCACTIVATE) state = call.wParam ? stateActive : stateInactive;
    if (m == WM_CHILDACTIVATE) state = stateActive;
    if (style & alwaysActiveStyleBit) state = stateActive;
    repaintCaption(call.window, style, state);
    return afterChains;
}

// The stages in the order they run; the numbers are the rows of the
// after-message hook's table in docs/design.md (1, the disable test, and 3,
// the class name read, happen before the table; no stage has number 8).
static const AfterStage afterStages[] = {
    addListViewStylesEarly,         // 2
    releaseDestroyedWindow,         // 4
    paintProgressBarAfterHandling,  // 5
    chainOtherMessages,             // 6
    endCursorOutsideCaption,        // 7
    makeListTextTransparent,        // 9
    paintFolderBackgroundStage,     // 10
    tileBackgroundStage,            // 11
    chainComboBoxesAndEdits,        // 12
    animateShownWindow,             // 13
    recordActivationState,          // 14
    chainEngineTextRequest,         // 15
    flattenTabs,                    // 16
    flattenToolbars,                // 17
    chainDrawItem,                  // 18
    chainListViews,                 // 19
    chainCommandButtons,            // 20
    repaintCaptionAfterHandling,    // 21
};

extern "C" LRESULT CALLBACK SpyCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *m = (const CWPRETSTRUCT *)lParam;
    leaveHookedMessage();
    if (EngineState.disabled == 1 || !m || windowOfAnotherProcess(m->hwnd)) return passOn(code, wParam, lParam);
    loadCaptionPluginOnFirstCall();
    if (m->message == WM_SYSCOLORCHANGE || m->message == WM_SETTINGCHANGE) followSystemChange(m->message);
    // A message that stage 6 chains and no stage before it acts on is
    // chained at once, without reading the window's class.
    if (!passesMessageFilter(m->message) && m->message != WM_DESTROY && m->message != WM_NCDESTROY &&
        m->message != PBM_SETPOS)
        return passOn(code, wParam, lParam);

    AfterHookCall call;
    readHookCall(&call, code, wParam, lParam, m->hwnd, m->message, m->wParam, m->lParam);
    call.chained = 0;

    for (AfterStage stage : afterStages) {
        switch (stage(call)) {
        case afterContinues: continue;
        case afterReturnsZero: return 0;
        case afterChainsReturnsZero: chain(call); return 0;
        case afterChainsReturns999: chain(call); return 999;
        case afterReturnsChained: return call.chained;
        case afterChains: return chain(call);
        }
    }
    return chain(call);
}
