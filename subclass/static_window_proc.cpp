// StaticWindowProc: finds the window's slot and runs the steps in their
// order; the first step that finishes the message gives the result, and a
// message no step claims goes to the window's own procedure unchanged.
#include "subclass/static_window_proc.h"

#include "engine/converted_buttons.h"
#include "engine/engine_lifecycle.h"
#include "engine/settings.h"
#include "engine/window_table.h"
#include "subclass/window_steps.h"

typedef int (*WindowStep)(const WindowMessage &m, LRESULT *result);

static const WindowStep windowSteps[] = {
    keepEngineStyleChange,    // 0  the engine's own style writes unseen
    convertPushButton,        // 1  push buttons become owner-drawn
    paintOwnerDrawnButton,    // 2  WM_DRAWITEM of a converted button
    eraseBehindStatic,        // 3  parent erases under a changing static
    overrideCaptionHitTest,   // 4  striped caption boxes hit as caption
    answerScrollBarColour,    // 5  the skin's scroll-bar brush
    forgetRegionOnResize,     // 6  WM_SIZE: region to be rebuilt
    roundPopupMenu,           // 7  rounded popup menus
    boxVerticalScrollArrows,  // 8  black boxes over the scroll arrows
    toggleWindowShade,        // 9  right click rolls up and down
    replayPageAsLines,        // 10 page keys and page scrolls as lines
    handleCaptionMessage,     // 11 the fifteen caption messages
    answerButtonColour,       // 12 transparent buttons
    answerStaticColour,       // 13 transparent statics, buttons and edits
};

// Every message some step looks at. Most messages a window receives are none
// of these and go straight to the window's own procedure: this procedure runs
// for every message of every subclassed window.
enum { lowMessageCount = WM_USER };

struct StepMessages {
    unsigned char taken[lowMessageCount];
    constexpr StepMessages() : taken()
    {
        const UINT messages[] = {
            // owner-drawn push buttons, beside their conversion messages
            WM_DRAWITEM,
            // control colours and the scroll-bar brush
            WM_CTLCOLORBTN, WM_CTLCOLORSTATIC, WM_CTLCOLORSCROLLBAR,
            // hit test, region, shade, scrolling
            WM_NCHITTEST, WM_SIZE, WM_NCRBUTTONDOWN, WM_KEYDOWN, WM_VSCROLL, WM_HSCROLL, WM_NCMOUSEMOVE,
            // caption messages
            WM_SYSCOMMAND, WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_NCRBUTTONUP, WM_NCACTIVATE, WM_INITMENUPOPUP,
            WM_MENUSELECT, WM_MDIACTIVATE, WM_MDIMAXIMIZE,
            // the engine's own style writes, kept from the window
            WM_STYLECHANGING, WM_STYLECHANGED,
        };
        for (UINT m : messages) taken[m] = 1;
        for (UINT m = 0; m < lowMessageCount; m++)
            if (isButtonConversionMessage(m)) taken[m] = 1;
    }
};
static constexpr StepMessages stepMessages;

static inline int someStepTakes(UINT message)
{
    // The rounded-menu step looks at every message while it is on.
    return Settings.roundedWindows == 1 || (message < lowMessageCount && stepMessages.taken[message]);
}

static inline LRESULT callProcedure(int unicode, WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam)
{
    return unicode ? CallWindowProcW(procedure, window, message, wParam, lParam)
                   : CallWindowProcA(procedure, window, message, wParam, lParam);
}

LRESULT callOwnProcedure(const WindowMessage &m, UINT message, WPARAM wParam, LPARAM lParam)
{
    return callProcedure(m.unicode, previousProcs[m.slot], m.window, message, wParam, lParam);
}

// A window without a slot (its slot was released while a message was on its
// way) never touches a table column: the class's own procedure handles it.
static LRESULT passToClassProcedure(int unicode, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC classProc = (WNDPROC)(unicode ? GetClassLongPtrW(window, GCLP_WNDPROC)
                                          : GetClassLongPtrA(window, GCLP_WNDPROC));
    if (!classProc || classProc == StaticWindowProc || classProc == unicodeStaticWindowProc)
        return unicode ? DefWindowProcW(window, message, wParam, lParam)
                       : DefWindowProcA(window, message, wParam, lParam);
    return callProcedure(unicode, classProc, window, message, wParam, lParam);
}

// Both procedures in one: `unicode` says which character set the message
// came in, and the window's own procedure is called in the same.
static inline __attribute__((always_inline)) LRESULT dispatchWindowMessage(int unicode, HWND window, UINT message,
                                                                           WPARAM wParam, LPARAM lParam)
{
    int slot = findWindowSlot(window);
    if (slot < 0) return passToClassProcedure(unicode, window, message, wParam, lParam);
    if (!someStepTakes(message) || engineDetached)
        return callProcedure(unicode, previousProcs[slot], window, message, wParam, lParam);
    const WindowMessage m = {window, message, wParam, lParam, slot, unicode};
    LRESULT result = 0;
    for (WindowStep step : windowSteps)
        if (step(m, &result)) return result;
    return passOnMessage(m);  // 14 any other message
}

extern "C" LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return dispatchWindowMessage(0, window, message, wParam, lParam);
}

LRESULT CALLBACK unicodeStaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return dispatchWindowMessage(1, window, message, wParam, lParam);
}

int hasEngineProcedure(HWND window)
{
    // The ANSI reading of a Unicode window's procedure is a handle standing
    // for it, never the procedure itself, so each is read in its own set.
    if (IsWindowUnicode(window))
        return GetWindowLongPtrW(window, GWLP_WNDPROC) == (LONG_PTR)unicodeStaticWindowProc;
    return GetWindowLongPtrA(window, GWLP_WNDPROC) == (LONG_PTR)StaticWindowProc;
}
