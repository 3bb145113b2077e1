// StaticWindowProc: finds the window's slot and runs the steps in their
// order; the first step that finishes the message gives the result, and a
// message no step claims goes to the window's own procedure unchanged.
#include "subclass/static_window_proc.h"

#include "engine/window_table.h"
#include "subclass/window_steps.h"

typedef int (*WindowStep)(const WindowMessage &m, LRESULT *result);

static const WindowStep windowSteps[] = {
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
    handleCaptionMessage,     // 11 the fourteen caption messages
    answerButtonColour,       // 12 transparent buttons
    answerStaticColour,       // 13 transparent statics, buttons and edits
};

LRESULT callOwnProcedure(const WindowMessage &m, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(previousProcs[m.slot], m.window, message, wParam, lParam);
}

// A window without a slot (its slot was released while a message was on its
// way) never touches a table column: the class's own procedure handles it.
static LRESULT passToClassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC classProc = (WNDPROC)GetClassLongA(window, GCL_WNDPROC);
    if (!classProc || classProc == StaticWindowProc) return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(classProc, window, message, wParam, lParam);
}

extern "C" LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int slot = findWindowSlot(window);
    if (slot < 0) return passToClassProcedure(window, message, wParam, lParam);
    const WindowMessage m = {window, message, wParam, lParam, slot};
    LRESULT result = 0;
    for (WindowStep step : windowSteps)
        if (step(m, &result)) return result;
    return passOnMessage(m);  // 14 any other message
}
