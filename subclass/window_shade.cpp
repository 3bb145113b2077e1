// Window shade: a right click on the frame border of a captioned window, or
// on the caption of a maximised one, rolls the window up to a strip of
// rolledUpHeight pixels; the next such click gives it its height back.
#include "subclass/window_shade.h"

#include "caption/caption_repaint.h"
#include "engine/settings.h"
#include "engine/window_table.h"
#include "subclass/window_steps.h"

int clickTogglesShade(DWORD style, int hit)
{
    if (!hasCaption(style)) return 0;
    // The corners stay with the system: a right click there is the start of
    // nothing the user would expect to fold the window.
    switch (hit) {
    case HTLEFT: case HTRIGHT: case HTTOP: case HTBOTTOM: case HTBORDER:
        return 1;
    case HTCAPTION:
        // A maximised window has no border left to click.
        return (style & WS_MAXIMIZE) != 0;
    }
    return 0;
}

// Only the height changes: the window keeps its place, its z-order and its
// activation (HWND_BOTTOM is ignored under SWP_NOZORDER).
static void resizeShadeHeight(HWND window, int width, int height)
{
    SetWindowPos(window, HWND_BOTTOM, 0, 0, width, height, shadeResizeFlags);
}

// The resize sends the window messages of its own; a window destroyed
// meanwhile has lost its slot, perhaps to another window, and must not have
// that window's columns written.
static int stillInSlot(const WindowMessage &m)
{
    return windowHandles[m.slot] == m.window;
}

int toggleWindowShade(const WindowMessage &m, LRESULT *result)
{
    if (m.message != WM_NCRBUTTONDOWN) return 0;
    // Switched off while a window was rolled up, the click still unrolls it.
    if (Settings.rightClickRollUp != 1 && rolledUp[m.slot] != 1) return 0;
    DWORD style = (DWORD)GetWindowLongA(m.window, GWL_STYLE);
    if (!clickTogglesShade(style, (int)m.wParam)) {
        *result = passOnMessage(m);
        return 1;
    }
    RECT w;
    GetWindowRect(m.window, &w);
    int width = w.right - w.left;
    // The flag reads 0 while either resize is under way: cleared before the
    // unroll, set only after the roll-up.
    if (rolledUp[m.slot] == 1) {
        rolledUp[m.slot] = 0;
        resizeShadeHeight(m.window, width, unrolledHeight[m.slot]);
        if (stillInSlot(m)) unrolledHeight[m.slot] = 0;
    } else {
        resizeShadeHeight(m.window, width, rolledUpHeight);
        if (stillInSlot(m)) {
            rolledUp[m.slot] = 1;
            unrolledHeight[m.slot] = w.bottom - w.top;
        }
    }
    *result = 0;
    return 1;
}

// Unload runs under the system's loader lock: a message sent to a window of
// another thread would wait for that thread, which may itself be waiting for
// the lock. Such a window's new height is posted to its thread instead.
static void unrollAtUnload(HWND window, int height)
{
    RECT r;
    GetWindowRect(window, &r);
    UINT flags = shadeResizeFlags;
    if (GetWindowThreadProcessId(window, NULL) != GetCurrentThreadId()) flags |= SWP_ASYNCWINDOWPOS;
    SetWindowPos(window, HWND_BOTTOM, 0, 0, r.right - r.left, height, flags);
}

void unrollAllWindows(DWORD pauseBeforeUnroll)
{
    for (int slot = 0; slot < windowTableCapacity; slot++) {
        HWND window = windowHandles[slot];
        if (!window || rolledUp[slot] != 1) continue;
        if (pauseBeforeUnroll) Sleep(pauseBeforeUnroll);
        rolledUp[slot] = 0;
        unrollAtUnload(window, unrolledHeight[slot]);
        unrolledHeight[slot] = 0;
    }
}
