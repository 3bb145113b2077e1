// The window's own handling of a message without the system painting the
// caption on the screen meanwhile. The default handling of WM_SETTEXT and
// WM_NCACTIVATE draws the system's caption at once, over the engine's, which
// on a desktop without composition shows as a flash until the engine paints
// again; without WS_VISIBLE the same handling only records the new text or
// activation (and still tells the shell), and draws nothing. The engine's
// own style changes are its business: the window's procedure never sees
// them, so a program sees no style change it did not make.
#include "engine/window_table.h"
#include "subclass/window_steps.h"

// Writes the style with the engine's own change marked, so that the
// messages SetWindowLongA sends are kept from the window's procedure.
static void writeStyleUnseen(const WindowMessage &m, LONG style)
{
    styleChangeHidden[m.slot] = 1;
    SetWindowLongA(m.window, GWL_STYLE, style);
    styleChangeHidden[m.slot] = 0;
}

LRESULT callOwnProcedureUnseen(const WindowMessage &m)
{
    const LONG style = GetWindowLongA(m.window, GWL_STYLE);
    if (!(style & WS_VISIBLE)) return passOnMessage(m);
    writeStyleUnseen(m, style & ~WS_VISIBLE);
    const LRESULT own = passOnMessage(m);
    // The window may have gone, or its slot with it, while its procedure
    // ran; a slot that holds another window now is not this one's.
    if (windowHandles[m.slot] != m.window) return own;
    // Whatever else the procedure did to its style stays.
    const LONG now = GetWindowLongA(m.window, GWL_STYLE);
    writeStyleUnseen(m, now | WS_VISIBLE);
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
