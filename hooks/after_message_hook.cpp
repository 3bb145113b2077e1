// The after-message hook: runs on the window's thread once its procedure has
// returned from a sent message. It frees the slot of a destroyed window,
// records the last activation change, restyles common controls, tiles
// backgrounds, animates windows being shown and repaints captions over the
// ones the system has just drawn.
#include <string.h>

#include <windows.h>
#include <commctrl.h>

#include "engine/plugin.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_table.h"
#include "engine/window_text.h"
#include "hooks/after_hook_stages.h"
#include "hooks/caption_repaint.h"
#include "hooks/hooks.h"
#include "subclass/converted_buttons.h"

volatile int lastActiveState;

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

static int isListViewClass(const char *c)
{
    return strcmp(c, "ListViewWndClass") == 0 || strcmp(c, "SysListView32") == 0;
}

static int isProgressBarClass(const char *c)
{
    return strcmp(c, "ProgressBarWndClass") == 0 || strcmp(c, "msctls_progress32") == 0;
}

static int isToolbarClass(const char *c)
{
    return strcmp(c, "ToolbarWindow32") == 0 || strcmp(c, "ToolbarWndClass") == 0;
}

static int isCommandButtonClass(const char *c)
{
    return strcmp(c, "ThunderRT5CommandButton") == 0 || strcmp(c, "ThunderCommandButton") == 0 ||
           strcmp(c, "Button") == 0;
}

// The engine reads button texts into buffers of windowTextSize characters; a
// WM_GETTEXT of that size is taken as its own.
enum { engineTitleBufferSize = windowTextSize };

static void recordActivationState(UINT message, WPARAM wParam)
{
    if (message == WM_ACTIVATE)
        lastActiveState = (LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE) ? 1 : 2;
    else if (message == WM_NCACTIVATE)
        lastActiveState = wParam == 1 ? 1 : 2;
    else
        lastActiveState = 0;
}

static void repaintCaptionAfterHandling(HWND window, UINT message, WPARAM wParam)
{
    if (Settings.paintCaptions == 0) return;
    LONG style = GetWindowLongA(window, GWL_STYLE);
    if ((style & WS_CAPTION) != WS_CAPTION) return;
    if (message == WM_SHOWWINDOW || message == WM_NCCALCSIZE || message == WM_DRAWITEM || message == WM_GETTEXT)
        return;
    if (message == WM_ERASEBKGND && Settings.solidInactiveCaption == 1) return;
    int state = lastActiveState;
    if (message == WM_NCACTIVATE) state = wParam ? stateActive : stateInactive;
    if (message == WM_CHILDACTIVATE) state = stateActive;
    if (style & 0x20) state = stateActive;
    repaintCaption(window, style, state);
}

static LRESULT finishBackgroundStage(BackgroundOutcome outcome, int code, WPARAM wParam, LPARAM lParam)
{
    LRESULT chained = passOn(code, wParam, lParam);
    if (outcome == backgroundReturnZero) return 0;
    if (outcome == backgroundReturn999) return 999;
    return chained;
}

extern "C" LRESULT CALLBACK SpyCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *m = (const CWPRETSTRUCT *)lParam;
    if (Settings.engineDisabled == 1 || !m) return passOn(code, wParam, lParam);  // 1
    loadCaptionPluginOnFirstCall();
    HWND window = m->hwnd;
    UINT message = m->message;
    char className[classNameSize];
    if (!GetClassNameA(window, className, classNameSize)) className[0] = 0;  // 3, read once per call

    if (Settings.listViewHotTrack == 1 &&  // 2
        (message == WM_ACTIVATE || message == WM_NCCALCSIZE || message == WM_ERASEBKGND) &&
        isListViewClass(className)) {
        addListViewExtendedStyles(window);
        return passOn(code, wParam, lParam);
    }
    // 4: a destroyed window leaves the table even when subclassing has been
    // switched off since it was entered; its handle may be reused at once.
    // One that somebody subclassed after the engine keeps its chain until
    // WM_NCDESTROY has passed through it.
    if (message == WM_DESTROY) {
        releaseWindowSlot(window);
        forgetConvertedButton(window, className);
    }
    if (message == WM_NCDESTROY) forgetWindowSlot(window);
    if (Settings.progressBitmap == 1 && (message == PBM_SETPOS || message == WM_PAINT) &&  // 5
        isProgressBarClass(className))
        paintProgressBar(window);
    if (!passesMessageFilter(message)) return passOn(code, wParam, lParam);  // 6
    if (message == WM_SETCURSOR && !isCaptionCursorHit((short)LOWORD(m->lParam))) return 0;  // 7

    if (Settings.transparentListText == 1 && message == WM_NCPAINT &&  // 9
        strcmp(className, "SysListView32") == 0)
        makeListViewTextTransparent(window);
    if (Settings.folderBackground == 1) {  // 10
        BackgroundOutcome outcome = paintFolderBackground(window, message, m->wParam, className);
        if (outcome != backgroundNotHandled) return finishBackgroundStage(outcome, code, wParam, lParam);
    }
    if (Settings.tileBackgrounds == 1 && message == WM_ERASEBKGND && isBackgroundClass(className))  // 11
        return finishBackgroundStage(tileControlBackground(window, m->wParam, className), code, wParam, lParam);
    if (strcmp(className, "ComboBox") == 0 || strcmp(className, "Edit") == 0)  // 12
        return passOn(code, wParam, lParam);
    if (Settings.animateWindows == 1 && message == WM_SHOWWINDOW) {  // 13
        LRESULT chained = passOn(code, wParam, lParam);
        playShowAnimation(window, m->wParam, className);
        return chained;
    }
    recordActivationState(message, m->wParam);  // 14
    if (message == WM_GETTEXT && m->wParam == engineTitleBufferSize) return passOn(code, wParam, lParam);  // 15
    if (Settings.flatTabs == 1 && strcmp(className, "SysTabControl32") == 0) {  // 16
        restyleTaskbarTabs(window, message);
        return passOn(code, wParam, lParam);
    }
    if (Settings.flatToolbars == 1 && isToolbarClass(className)) {  // 17
        restyleToolbar(window, message);
        return passOn(code, wParam, lParam);
    }
    if (message == WM_DRAWITEM) return passOn(code, wParam, lParam);  // 18
    if (isListViewClass(className)) return passOn(code, wParam, lParam);  // 19
    if (Settings.buttonClassPass == 1 && isCommandButtonClass(className)) return passOn(code, wParam, lParam);  // 20
    repaintCaptionAfterHandling(window, message, m->wParam);  // 21
    return passOn(code, wParam, lParam);
}
