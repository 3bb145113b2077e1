// The window's own handling of a message without the system painting the
// caption on the screen meanwhile. The default handling of WM_SETTEXT and
// WM_NCACTIVATE draws the system's caption at once, over the engine's, which
// on a desktop without composition shows as a flash until the engine paints
// again; without WS_VISIBLE the same handling only records the new text or
// activation (and still tells the shell), and draws nothing. The engine's
// own style changes are its business: the window's procedure never sees
// them, so a program sees no style change it did not make.
#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "subclass/window_steps.h"

// Writes the style with the engine's own change marked, so that the
// messages SetWindowLongA sends are kept from the window's procedure.
static void writeStyleUnseen(HWND window, int slot, LONG style)
{
    styleChangeHidden[slot] = 1;
    SetWindowLongA(window, GWL_STYLE, style);
    styleChangeHidden[slot] = 0;
}

// Takes WS_VISIBLE off a window in the table, marked as the engine's own
// change; 1 when it did, and showWindowAgain must follow.
static int hideWindow(HWND window, int slot)
{
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    if (!(style & WS_VISIBLE)) return 0;
    writeStyleUnseen(window, slot, style & ~WS_VISIBLE);
    return 1;
}

static void showWindowAgain(HWND window, int slot)
{
    // The window may have gone, or its slot with it, while a procedure ran;
    // a slot that holds another window now is not this one's. Whatever else
    // the procedure did to the style stays.
    if (windowHandles[slot] != window) return;
    writeStyleUnseen(window, slot, GetWindowLongA(window, GWL_STYLE) | WS_VISIBLE);
}

LRESULT callOwnProcedureUnseen(const WindowMessage &m)
{
    if (!hideWindow(m.window, m.slot)) return passOnMessage(m);
    const LRESULT own = passOnMessage(m);
    showWindowAgain(m.window, m.slot);
    return own;
}

LRESULT callOwnProcedureUnseenWith(const WindowMessage &m, HWND alsoHidden)
{
    // Only a window of this thread whose procedure is the engine's keeps the
    // style change to itself; any other is left to draw.
    DWORD process = 0;
    const int slot = alsoHidden && GetWindowThreadProcessId(alsoHidden, &process) == GetCurrentThreadId()
                         ? findWindowSlot(alsoHidden)
                         : -1;
    const int hidden = slot >= 0 && hasEngineProcedure(alsoHidden) && hideWindow(alsoHidden, slot);
    const LRESULT own = callOwnProcedureUnseen(m);
    if (hidden) showWindowAgain(alsoHidden, slot);
    return own;
}

// Step 0: the style-change messages of the engine's own writes end here.
// Their default handling does nothing, so 0 is what the window would have
// answered had it never seen them.
int keepEngineStyleChange(const WindowMessage &m, LRESULT *result)
{
    if (m.message != WM_STYLECHANGING && m.message != WM_STYLECHANGED) return 0;
    if (!styleChangeHidden[m.slot]) return 0;
    *result = 0;
    return 1;
}
