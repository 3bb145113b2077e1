// The caption and frame messages of captioned windows: the caption painted
// before and after the window's own handling, the MDI refreshes, and the
// striped caption's boxes.
#include "caption/caption_icon.h"
#include "caption/caption_repaint.h"
#include "caption/frame_top.h"
#include "caption/paint_record.h"
#include "caption/system_caption_bar.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_kinship.h"
#include "engine/window_table.h"
#include "subclass/window_steps.h"

// The striped caption's boxes, in pixels from the window's edges: the close
// box at the left end, minimise at the right end and maximise just inside it.
enum {
    closeBoxZone = 20,          // x < left + 20
    minimizeBoxZone = 20,       // x > right - 20
    maximizeBoxZoneOuter = 35,  // right - 35 < x < right - 20
    hitTestLeftZone = 22,       // the override's left end: x < left + 22
    hitTestRightZone = 44,      // and its right end: x > right - 44
};

static int isCaptioned(HWND window)
{
    return hasCaption(GetWindowLongA(window, GWL_STYLE));
}

// Cursor positions in lParam are signed: a monitor left of or above the
// primary one gives negative coordinates.
static int cursorX(LPARAM lParam) { return (short)LOWORD(lParam); }
static int cursorY(LPARAM lParam) { return (short)HIWORD(lParam); }

static int inCaptionBand(const RECT &w, int y) { return y < w.top + SharedResources.captionHeight; }

static LRESULT callOwnProcedureWithCommand(const WindowMessage &m, WPARAM command)
{
    return callOwnProcedure(m, WM_SYSCOMMAND, command, m.lParam);
}

// A press on the striped caption (macButtons): the boxes the painter drew
// are no system buttons, so the click is turned into their command here and
// handed straight to the window's own procedure.
static LRESULT clickCaptionBox(const WindowMessage &m)
{
    RECT w;
    GetWindowRect(m.window, &w);
    int x = cursorX(m.lParam), y = cursorY(m.lParam);
    if (x < w.left + closeBoxZone && inCaptionBand(w, y)) {
        callOwnProcedureWithCommand(m, SC_CLOSE);
        return 0;
    }
    DWORD style = (DWORD)GetWindowLongA(m.window, GWL_STYLE);
    if ((style & WS_MINIMIZEBOX) && x > w.right - minimizeBoxZone && inCaptionBand(w, y)) {
        callOwnProcedureWithCommand(m, (style & WS_MINIMIZE) ? SC_RESTORE : SC_MINIMIZE);
        return 0;
    }
    if ((style & WS_MAXIMIZEBOX) && x > w.right - maximizeBoxZoneOuter && x < w.right - minimizeBoxZone &&
        inCaptionBand(w, y)) {
        callOwnProcedureWithCommand(m, (style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE);
        return 0;
    }
    passOnMessage(m);
    return 0;
}

// Step 4: with the striped caption the system must never track its own
// caption buttons, so every press at the caption's ends or on a button
// arrives as a caption press for clickCaptionBox.
int overrideCaptionHitTest(const WindowMessage &m, LRESULT *result)
{
    if (Settings.skinScrollBars != 1 || m.message != WM_NCHITTEST || Settings.macButtons != 1) return 0;
    LRESULT hit = passOnMessage(m);
    RECT w;
    GetWindowRect(m.window, &w);
    int x = cursorX(m.lParam), y = cursorY(m.lParam);
    if (inCaptionBand(w, y) && isCaptioned(m.window) &&
        (x < w.left + hitTestLeftZone || x > w.right - hitTestRightZone)) {
        *result = HTCAPTION;
        return 1;
    }
    *result = (hit == HTMINBUTTON || hit == HTMAXBUTTON || hit == HTCLOSE) ? HTCAPTION : hit;
    return 1;
}

static int paintCaption(const WindowMessage &m)
{
    return paintCaptionForMessage(m.message, m.wParam, m.lParam, m.window);
}

// The outline around the caption boxes again, after the system's frame
// painting around the strip has covered it: drawn with the strip by every
// paint, it would otherwise come and go with the message that painted last.
static void paintOutline(const WindowMessage &m)
{
    paintCaptionForMessage(m.message, m.wParam, m.lParam, m.window, NULL, 1);
}

// WM_SYSCOMMAND: a captioned window answers 0 whatever its own procedure
// said. The caption is painted once, after the command (a move, a size, a
// menu) has run its course.
static LRESULT handleSystemCommand(const WindowMessage &m)
{
    LRESULT own = passOnMessage(m);
    return paintCaption(m) ? 0 : own;
}

static LRESULT handleNonClientButton(const WindowMessage &m)
{
    if (m.wParam != HTCAPTION && m.wParam != HTSYSMENU && m.wParam != HTMENU) return passOnMessage(m);
    if (!paintCaption(m)) return passOnMessage(m);
    if (m.message == WM_NCLBUTTONDOWN && m.wParam == HTCAPTION && Settings.macButtons == 1)
        return clickCaptionBox(m);
    passOnMessage(m);
    return 0;
}

// Over a sizing border the system would redraw its own caption buttons; a
// captioned window keeps the engine's caption and never sees the move.
static LRESULT handleNonClientMouseMove(const WindowMessage &m)
{
    if (m.wParam >= HTLEFT && m.wParam <= HTBORDER && paintCaption(m)) return 0;
    return passOnMessage(m);
}

// WM_NCPAINT's whole-window value: any other is a region handle.
static const WPARAM wholeFrame = 1;
// WM_NCACTIVATE's lParam asking for the state alone, no drawing.
static const LPARAM recordOnly = -1;

// A maximised MDI child's title shows in the frame's caption, so the frame
// is repainted after the child has stored its new text. The frame is sent
// nothing when it is another program's, and is given a bounded wait when it
// is another thread's: a busy one would hold this window. The child stores
// its text unseen, as any window does, so the system's caption with the new
// title never shows in the child; a maximised child's frame, whose caption
// the system rewrites with the child's title meanwhile, is kept from
// drawing too where the engine's procedure is its own.
static LRESULT setMdiChildText(const WindowMessage &m)
{
    const int maximised = IsZoomed(m.window);
    const HWND frame = maximised ? GetParent(GetParent(m.window)) : NULL;
    LRESULT own = callOwnProcedureUnseenWith(m, frame);
    // Only a maximised child's title is in the frame's caption; the frame
    // is asked for its whole frame, which it paints around its own strip.
    if (maximised) sendWithinProcess(frame, WM_NCPAINT, wholeFrame, 0);
    return paintCaption(m) ? 1 : own;
}

// The update region for the system's frame painting: the one the message
// carried (wholeFrame: the whole window) without the strip, in screen
// coordinates. NULL when there is no such region to make: a value that is no
// region, or GDI without a handle to spare.
static HRGN regionWithoutStrip(HWND window, WPARAM update, const RECT &strip)
{
    RECT w;
    if (update == 0 || !GetWindowRect(window, &w)) return NULL;
    // A mirrored window's strip was copied through a DC laid out from the
    // right, which maps x to the width less one less x, a rectangle's edges
    // too: on the screen the strip lies that far from the right edge.
    int left = w.left + strip.left, right = w.left + strip.right;
    if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) {
        left = w.right - 1 - strip.right;
        right = w.right - 1 - strip.left;
    }
    HRGN narrowed = update == wholeFrame ? CreateRectRgnIndirect(&w) : CreateRectRgn(0, 0, 0, 0);
    HRGN cut = CreateRectRgn(left, w.top + strip.top, right, w.top + strip.bottom);
    const HRGN from = update == wholeFrame ? narrowed : (HRGN)update;
    const int combined = narrowed && cut ? CombineRgn(narrowed, from, cut, RGN_DIFF) : ERROR;
    if (cut) DeleteObject(cut);
    if (combined == ERROR) {
        if (narrowed) DeleteObject(narrowed);
        return NULL;
    }
    return narrowed;
}

// The frame, icon and caption boxes in the state the default handling has
// just recorded (activation, icon), drawn by the system as its own handling
// would have drawn them, around the strip the engine painted. Where the
// engine painted no strip (the striped caption, a plug-in, a caption the
// settings leave alone), the system draws its whole caption and the
// engine's painter goes over it once more.
// Whether an activation change alters the frame outside the caption bar:
// only a sizing border, and only where the active and inactive borders
// differ in colour.
static int bordersChangeWithActivation(LONG style)
{
    return (style & WS_THICKFRAME) && GetSysColor(COLOR_ACTIVEBORDER) != GetSysColor(COLOR_INACTIVEBORDER);
}

static void frameAroundPaintedStrip(const WindowMessage &m, const RECT &strip)
{
    // What an activation or icon change alters beside the strip lies in the
    // caption bar's rows: the icon, the boxes and the caption colour around
    // them. The rest of the frame changes only where the active and inactive
    // borders differ in colour; left out otherwise, the system's frame
    // painting clips most of its work away.
    HRGN rows = NULL;
    RECT w;
    const LONG style = GetWindowLongA(m.window, GWL_STYLE);
    const int bordersChange = bordersChangeWithActivation(style);
    if (!IsRectEmpty(&strip) && !bordersChange && GetWindowRect(m.window, &w))
        rows = CreateRectRgn(w.left, w.top + strip.top, w.right, w.top + strip.bottom + 1);
    HRGN narrowed = IsRectEmpty(&strip) ? NULL : regionWithoutStrip(m.window, rows ? (WPARAM)rows : wholeFrame, strip);
    if (rows) DeleteObject(rows);
    const WPARAM update = narrowed ? (WPARAM)narrowed : wholeFrame;
    if (m.unicode)
        DefWindowProcW(m.window, WM_NCPAINT, update, 0);
    else
        DefWindowProcA(m.window, WM_NCPAINT, update, 0);
    if (narrowed) {
        DeleteObject(narrowed);
        paintOutline(m);
    } else {
        paintCaption(m);
    }
}

// After an activation change, beside the engine's strip (the gradient's or
// the striped bar's) only the caption colour behind the icon and around the
// boxes differs, where the borders do not change: the system's caption
// drawing puts that back (the icon with it) instead of its frame painting,
// which under Wine costs about as much for those few pixels as for the whole
// frame. Returns 0 where the frame painting must do it: no strip (a plug-in,
// a caption the settings leave alone), a minimised window, borders that
// change, or a bar the system's caption drawing does not describe.
static int captionBarAroundPaintedStrip(const WindowMessage &m, const RECT &strip)
{
    if (IsRectEmpty(&strip) || IsIconic(m.window)) return 0;
    const LONG style = GetWindowLongA(m.window, GWL_STYLE), exStyle = GetWindowLongA(m.window, GWL_EXSTYLE);
    if (bordersChangeWithActivation(style)) return 0;
    const int showsIcon = windowCaptionShowsIcon(m.window, style, exStyle);
    if (!redrawSystemCaptionBar(m.window, style, exStyle, m.wParam != 0, showsIcon, strip)) return 0;
    paintOutline(m);
    return 1;
}

// WM_NCACTIVATE: the window's own procedure runs once, unchanged, while the
// window draws nothing on the screen (its default handling would paint the
// system's caption over the engine's: a flash at every activation change);
// then the engine paints the strip in the new state and the system the rest
// of the frame around it. The active MDI child and the MDI client are
// refreshed, since the system repaints their frames around this window's
// change. Only an MDI child asks its client for the active child, and the
// answer is used only when it is a sibling: the parent of a top-level window
// is its owner, which may be another program's, and so may any handle an
// answer names. A parent of another process is sent nothing, one of
// another thread of this process a bounded send; a busy one would stall the
// activation, and two threads waiting on each other would never wake.
static LRESULT handleNonClientActivate(const WindowMessage &m)
{
    frameActivation[m.slot] = m.wParam ? frameStateActive : frameStateInactive;
    if (!isCaptioned(m.window)) return passOnMessage(m);
    // An lParam of -1 asks the default handling to record the state and
    // draw nothing (Windows XP and later, and Wine, keep to it; programs
    // that draw their own frame rely on it): the engine draws nothing
    // either.
    if (m.lParam == recordOnly) {
        passOnMessage(m);
        return 1;
    }
    callOwnProcedureUnseen(m);
    const HWND parent = GetParent(m.window);
    if (isMdiChildOfOwnThread(m.window)) {
        HWND activeChild = (HWND)SendMessageA(parent, WM_MDIGETACTIVE, 0, 0);
        if (activeChild != m.window && isMdiSibling(activeChild, m.window)) {
            SendMessageA(activeChild, WM_NCACTIVATE, 1, 0);
            SendMessageA(activeChild, WM_NCPAINT, wholeFrame, 0);
        }
    }
    sendWithinProcess(parent, WM_NCPAINT, wholeFrame, 0);
    RECT strip;
    paintCaptionForMessage(m.message, m.wParam, m.lParam, m.window, &strip);
    if (!captionBarAroundPaintedStrip(m, strip)) frameAroundPaintedStrip(m, strip);
    return 1;
}

// WM_SETICON: the default handling stores the icon and draws the system's
// caption at once; unseen, it only stores it, and the strip and then the
// frame with the new icon are drawn as after an activation change.
static LRESULT setIconUnseen(const WindowMessage &m)
{
    if (!isCaptioned(m.window)) return passOnMessage(m);
    const LRESULT own = callOwnProcedureUnseen(m);
    RECT strip;
    paintCaptionForMessage(m.message, m.wParam, m.lParam, m.window, &strip);
    frameAroundPaintedStrip(m, strip);
    return own;
}

// Where the update region reaches the caption rows and the engine draws
// them (frameTopOf), they are drawn around the strip in the state the
// system recorded for the frame, and the region for the window's own
// handling, the rest of the update region below them (screen coordinates),
// is returned; NULL where the system's frame painting is to draw them: the
// state unknown, or not the one the strip was painted in.
static HRGN frameTopAroundStrip(const WindowMessage &m, const RECT &strip)
{
    const int recorded = frameActivation[m.slot];
    if (recorded == frameStateUnknown || m.wParam == 0) return NULL;
    const LONG style = GetWindowLongA(m.window, GWL_STYLE), exStyle = GetWindowLongA(m.window, GWL_EXSTYLE);
    const int active = recorded == frameStateActive;
    const int painted = (style & alwaysActiveStyleBit) ? stateActive : settledState(m.window, stateByForeground);
    if (painted != (active ? stateActive : stateInactive)) return NULL;
    return paintFrameTop(m.window, style, exStyle, active, strip, m.wParam == wholeFrame ? NULL : (HRGN)m.wParam);
}

// WM_NCPAINT: once the strip is in the title area, the window's own
// handling gets an update region without it, so the system paints the frame,
// icon and caption boxes but never its own caption, which on a desktop
// without composition would show as a flash; the strip is painted once.
// Where the engine draws the caption rows around the strip itself, the
// window's own handling gets only the rows below them. Where the engine
// painted no strip the system's caption is painted over after the window's
// own handling, as before.
static LRESULT paintFrameAroundStrip(const WindowMessage &m)
{
    RECT strip;
    if (!paintCaptionForMessage(m.message, m.wParam, m.lParam, m.window, &strip)) return passOnMessage(m);
    HRGN narrowed = IsRectEmpty(&strip) ? NULL : frameTopAroundStrip(m, strip);
    if (!narrowed && !IsRectEmpty(&strip)) narrowed = regionWithoutStrip(m.window, m.wParam, strip);
    if (!narrowed) {
        const LRESULT own = passOnMessage(m);
        paintCaption(m);
        return own;
    }
    const LRESULT own = callOwnProcedure(m, WM_NCPAINT, (WPARAM)narrowed, m.lParam);
    DeleteObject(narrowed);
    paintOutline(m);
    return own;
}

// The caption painted once, after the window's own handling: what the
// system drew meanwhile is painted over, and a title change is handled
// unseen, so that the system never draws its caption with the new title.
static LRESULT paintAfterOwnHandling(const WindowMessage &m)
{
    if (!isCaptioned(m.window)) return passOnMessage(m);
    LRESULT own = m.message == WM_SETTEXT ? callOwnProcedureUnseen(m) : passOnMessage(m);
    paintCaption(m);
    return own;
}

// Step 11: the fifteen caption messages. Each reaches the window's own
// procedure exactly once (a caption-box click as its command), except a
// mouse move over a captioned window's sizing border.
int handleCaptionMessage(const WindowMessage &m, LRESULT *result)
{
    switch (m.message) {
    case WM_SYSCOMMAND:
        *result = handleSystemCommand(m);
        return 1;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
        *result = handleNonClientButton(m);
        return 1;
    case WM_NCMOUSEMOVE:
        *result = handleNonClientMouseMove(m);
        return 1;
    case WM_NCACTIVATE:
        *result = handleNonClientActivate(m);
        return 1;
    case WM_SETTEXT:
        if (GetWindowLongA(m.window, GWL_EXSTYLE) & WS_EX_MDICHILD) {
            *result = setMdiChildText(m);
            return 1;
        }
        *result = paintAfterOwnHandling(m);
        return 1;
    case WM_NCPAINT:
        *result = paintFrameAroundStrip(m);
        return 1;
    case WM_SETICON:
        *result = setIconUnseen(m);
        return 1;
    case WM_SHOWWINDOW:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MDIACTIVATE:
    case WM_MDIMAXIMIZE:
        *result = paintAfterOwnHandling(m);
        return 1;
    }
    return 0;
}
