// Folder and dialog backgrounds: skin bitmaps tiled behind windows once they
// have erased their own background.
#include <string.h>

#include <windows.h>
#include <commctrl.h>

#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_classes.h"
#include "hooks/after_hook_stages.h"
#include "hooks/backgrounds.h"

// The classes whose erased background gets the tiles, in test order.
static const char *const backgroundClasses[] = {
    "ScanDskWDlgClass", dialogClass, tabControlClass, "ToolbarWindow32", "AfxControlBar40", "Shell_TrayWnd",
    "ToolbarWindow", "AfxControlBar", "AfxControlBar42", "Afx:400000:b:14c6:10:0", mdiClientClass, NULL,
};

// Toolbars inside these get no tiles: the bar around them paints for them.
static const char *const barContainerClasses[] = {"ReBarWindow32", "SysPager", NULL};

// A bitmap can be selected into only one DC at a time, so each skin bitmap
// is tiled by one thread at a time; the others wait in 1 ms steps. The flag
// is claimed in one atomic step, so two threads never both go on.
static volatile LONG folderBackgroundBusy;
static volatile LONG backgroundBitmapBusy;
static volatile LONG mdiBitmapBusy;

static void claimBitmap(volatile LONG *busy)
{
    while (InterlockedCompareExchange(busy, 1, 0) != 0) Sleep(1);
}

static void releaseBitmap(volatile LONG *busy) { InterlockedExchange(busy, 0); }

int isBackgroundClass(const char *className) { return classIsOneOf(className, backgroundClasses); }

int tileCount(int extent, int tile)
{
    if (tile <= 0 || extent < 0) return 0;
    return extent / tile + 1;
}

// Tiles the bitmap over the window's size into dc from its origin, whole
// tiles copied without stretching. No message is sent while the bitmap's
// flag is held, so the hook cannot be re-entered with it.
static void tileBitmap(HDC dc, HWND window, const SkinBitmap &bitmap, volatile LONG *busy)
{
    int bw = bitmap.info.bmWidth, bh = bitmap.info.bmHeight;
    if (!bitmap.handle || bw <= 0 || bh <= 0) return;
    RECT r;
    GetWindowRect(window, &r);
    int columns = tileCount(r.right - r.left, bw), rows = tileCount(r.bottom - r.top, bh);
    claimBitmap(busy);
    // Without a DC for the bitmap (no GDI handle left) nothing is tiled.
    HDC memory = CreateCompatibleDC(dc);
    if (memory) {
        HGDIOBJ previous = SelectObject(memory, bitmap.handle);
        for (int i = 0; i < columns; i++)
            for (int j = 0; j < rows; j++) BitBlt(dc, i * bw, j * bh, bw, bh, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    releaseBitmap(busy);
}

// A folder window's list view is made transparent so that the folder view's
// tiles show through it; the desktop's list view keeps its colour.
static BackgroundOutcome clearFolderListViewBackground(HWND window, UINT message)
{
    HWND view = GetParent(window);
    if (!windowClassIs(view, "SHELLDLL_DefView") || windowClassIs(GetParent(view), "Progman"))
        return backgroundNotHandled;
    if ((COLORREF)SendMessageA(window, LVM_GETBKCOLOR, 0, 0) != CLR_NONE) {
        SendMessageA(window, LVM_SETBKCOLOR, 0, CLR_NONE);
        if (message == WM_NCPAINT) RedrawWindow(window, NULL, NULL, RDW_FRAME);
    }
    return backgroundReturnZero;
}

static BackgroundOutcome tileFolderView(HWND window, WPARAM wParam)
{
    if (windowClassIs(GetParent(window), "Progman")) return backgroundPassOn;
    tileBitmap((HDC)wParam, window, SharedResources.folderBitmap, &folderBackgroundBusy);
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_FRAME);
    return backgroundReturn999;
}

BackgroundOutcome paintFolderBackground(HWND window, UINT message, WPARAM wParam, const char *className)
{
    if ((message == WM_WINDOWPOSCHANGED || message == WM_NCCALCSIZE || message == WM_NCPAINT) &&
        strcmp(className, listViewClass) == 0)
        return clearFolderListViewBackground(window, message);
    if (message == WM_ERASEBKGND && strcmp(className, "SHELLDLL_DefView") == 0) return tileFolderView(window, wParam);
    return backgroundNotHandled;
}

BackgroundOutcome tileControlBackground(HWND window, WPARAM wParam, const char *className)
{
    // Dialogs that paint a background of their own, and old flat-looking
    // ones, keep it.
    if (strcmp(className, dialogClass) == 0 &&
        (GetClassLongPtrA(window, GCLP_HBRBACKGROUND) != 0 || !(GetWindowLongA(window, GWL_STYLE) & DS_3DLOOK)))
        return backgroundReturn999;
    if (windowClassIndex(GetParent(window), barContainerClasses) >= 0) return backgroundReturn999;
    if (strcmp(className, mdiClientClass) == 0) {
        if (Settings.mdiBackground == 0) return backgroundReturnZero;
        tileBitmap((HDC)wParam, window, SharedResources.mdiBitmap, &mdiBitmapBusy);
    } else {
        tileBitmap((HDC)wParam, window, SharedResources.backgroundBitmap, &backgroundBitmapBusy);
    }
    return backgroundReturn999;
}
