// Transparent control backgrounds: the answers a parent gives to its
// controls' colour messages, and the erase under a static that changes.
// Whatever the parent painted behind its controls (its own background or the
// engine's tiled bitmap) shows through buttons, labels and read-only edits.
#include "engine/settings.h"
#include "engine/settings_snapshot.h"
#include "engine/shared_resources.h"
#include "engine/window_classes.h"
#include "engine/window_kinship.h"
#include "subclass/window_steps.h"

// Parents whose buttons are drawn transparent, in the order they are tested.
static const char *const transparentButtonParents[] = {
    "#32770", "SysTabControl32", "ToolbarWindow32", "AfxControlBar40", "Shell_TrayWnd", "ToolbarWindow",
    "AfxControlBar", "AfxControlBar42", "Afx:400000:b:14c6:10:0", "MDIClient", NULL,
};

// Parents whose labels, buttons and read-only edits are drawn transparent on
// WM_CTLCOLORSTATIC: the same classes after the disk checker's dialog.
static const char *const transparentStaticParents[] = {
    "ScanDskWDlgClass", "#32770", "SysTabControl32", "ToolbarWindow32", "AfxControlBar40", "Shell_TrayWnd",
    "ToolbarWindow", "AfxControlBar", "AfxControlBar42", "Afx:400000:b:14c6:10:0", "MDIClient", NULL,
};

static const char *const staticColourControls[] = {"Static", buttonClass, "Edit", NULL};
enum { staticControl, buttonControl, editControl };

// BS_GROUPBOX: a group box draws its frame through its own background.
static int isGroupBox(LONG style) { return (style & 7) == 7; }

// Sends WM_ERASEBKGND to the parent, which can re-enter the engine there.
// Only a parent of this thread is sent it: in another process the device
// context would mean nothing, and another thread, busy, would hold this
// control, while a bounded send given up would still be handled later, with
// a device context already released.
static void sendParentEraseBackground(HWND window)
{
    HWND parent = GetParent(window);
    if (!parent || GetWindowThreadProcessId(parent, NULL) != GetCurrentThreadId()) return;
    HDC dc = GetWindowDC(window);
    SendMessageA(parent, WM_ERASEBKGND, (WPARAM)dc, 0);
    ReleaseDC(window, dc);
}

// Step 3. A transparent label draws its new text over the old one; the parent
// first paints its background into the label's whole window area.
int eraseBehindStatic(const WindowMessage &m, LRESULT *result)
{
    if (m.message != WM_SETTEXT && m.message != WM_ENABLE) return 0;
    if (!windowClassIs(m.window, "Static")) return 0;
    sendParentEraseBackground(m.window);
    *result = passOnMessage(m);
    return 1;
}

// Step 5. Without the skin's brush (vlscr.bmp missing) a scroll bar would be
// handed no brush at all and leave its shaft unpainted; it gets the parent's
// answer instead.
int answerScrollBarColour(const WindowMessage &m, LRESULT *result)
{
    if (Settings.skinScrollBars != 1 || m.message != WM_CTLCOLORSCROLLBAR) return 0;
    // The current snapshot's brush. The scroll bar fills with it after this
    // returns, which no hold can cover: only a set-up on another thread that
    // ends in that moment, with no paint holding the old snapshot, takes it
    // away first, and the shaft is then filled with nothing once.
    const PaintView view = holdPaintView();
    const HBRUSH brush = view.resources->scrollBarBrush;
    releasePaintView(view);
    if (!brush) return 0;
    SetBkColor((HDC)m.wParam, RGB(0, 0, 0));
    *result = (LRESULT)brush;
    return 1;
}

static LRESULT transparentBackground(HDC dc)
{
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, SharedResources.nullBrush);
    return (LRESULT)SharedResources.nullBrush;
}

// Step 12. The parent's own procedure never sees the message when the button
// is made transparent.
int answerButtonColour(const WindowMessage &m, LRESULT *result)
{
    if (m.message != WM_CTLCOLORBTN) return 0;
    HWND button = (HWND)m.lParam;
    if (isGroupBox(GetWindowLongA(button, GWL_STYLE)) || windowClassIndex(m.window, transparentButtonParents) < 0) {
        *result = passOnMessage(m);
        return 1;
    }
    *result = transparentBackground((HDC)m.wParam);
    return 1;
}

// Controls whose background must stay opaque: group boxes, edits with a
// client edge, anything with bit 0x100 (SS_NOTIFY, BS_LEFT, ES_NOHIDESEL),
// and pictures, frames and simple labels among the statics.
static int keepsOwnBackground(int control, LONG style, LONG exStyle)
{
    if (control == buttonControl && isGroupBox(style)) return 1;
    if (control == editControl && (exStyle & WS_EX_CLIENTEDGE)) return 1;
    if (style & 0x100) return 1;
    if (control == staticControl && ((style & 3) == 3 || (style & 0xE) == 0xE)) return 1;
    return 0;
}

// Step 13. The parent's own procedure runs first, so a text colour it sets
// stays in the DC; only its brush is replaced.
int answerStaticColour(const WindowMessage &m, LRESULT *result)
{
    if (m.message != WM_CTLCOLORSTATIC) return 0;
    HWND control = (HWND)m.lParam;
    int kind = windowClassIndex(control, staticColourControls);
    if (kind < 0 ||
        keepsOwnBackground(kind, GetWindowLongA(control, GWL_STYLE), GetWindowLongA(control, GWL_EXSTYLE)) ||
        windowClassIndex(m.window, transparentStaticParents) < 0) {
        *result = passOnMessage(m);
        return 1;
    }
    callOwnProcedure(m, m.message, m.wParam, m.lParam);
    *result = transparentBackground((HDC)m.wParam);
    return 1;
}
