// Folder and dialog backgrounds: skin bitmaps tiled behind windows once they
// have erased their own background.
#include <string.h>

#include <windows.h>
#include <commctrl.h>

#include "engine/settings.h"
#include "engine/settings_snapshot.h"
#include "engine/shared_resources.h"
#include "engine/skin_pixels.h"
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

int isBackgroundClass(const char *className) { return classIsOneOf(className, backgroundClasses); }

int tileCount(int extent, int tile)
{
    if (tile <= 0 || extent < 0) return 0;
    return extent / tile + 1;
}

// Copies the pixels of the skin bitmap, a block of whole tiles
// (engine/skin_pixels.h), over the part of the tiled area [0, areaWidth) x
// [0, areaHeight) that the DC's clip box shows: the same pixels as whole
// tiles from the DC's origin, copied only where they can show.
static void copyBlocksOverClipBox(HDC dc, const SkinBitmap &bitmap, int areaWidth, int areaHeight)
{
    const int blockWidth = bitmap.pixels.biWidth, blockHeight = bitmap.pixels.biHeight;
    RECT clip = {0, 0, areaWidth, areaHeight};
    const int kind = GetClipBox(dc, &clip);
    if (kind == NULLREGION) return;
    if (kind == ERROR) SetRect(&clip, 0, 0, areaWidth, areaHeight);
    const int left = clip.left > 0 ? clip.left : 0, top = clip.top > 0 ? clip.top : 0;
    const int right = clip.right < areaWidth ? clip.right : areaWidth;
    const int bottom = clip.bottom < areaHeight ? clip.bottom : areaHeight;
    // Nothing lands outside the tiled area, as no whole tile did.
    for (int y = top / blockHeight * blockHeight; y < bottom; y += blockHeight)
        for (int x = left / blockWidth * blockWidth; x < right; x += blockWidth) {
            // The part of this block the clip box shows.
            const int shownLeft = x > left ? x : left, shownTop = y > top ? y : top;
            const int shownRight = x + blockWidth < right ? x + blockWidth : right;
            const int shownBottom = y + blockHeight < bottom ? y + blockHeight : bottom;
            drawSkinPixels(dc, shownLeft, shownTop, shownRight - shownLeft, shownBottom - shownTop, bitmap,
                           shownLeft - x, shownTop - y);
        }
}

// Tiles the bitmap over the window's size into dc from its origin, whole
// tiles copied without stretching, and only where the DC's clip box lets
// them show. Its pixels are read straight from their bits: other threads
// tile the same bitmap at the same time, and none waits for another.
static void tileBitmap(HDC dc, HWND window, const SkinBitmap &bitmap)
{
    const int bw = bitmap.info.bmWidth, bh = bitmap.info.bmHeight;
    if (!bitmap.bits || bw <= 0 || bh <= 0) return;
    RECT r;
    GetWindowRect(window, &r);
    const int areaWidth = tileCount(r.right - r.left, bw) * bw, areaHeight = tileCount(r.bottom - r.top, bh) * bh;
    copyBlocksOverClipBox(dc, bitmap, areaWidth, areaHeight);
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
    const PaintView view = holdPaintView();
    tileBitmap((HDC)wParam, window, view.resources->folderBitmap);
    releasePaintView(view);
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
    // The bitmap tiled is the snapshot's, kept until the tiles are down.
    const PaintView view = holdPaintView();
    BackgroundOutcome outcome = backgroundReturn999;
    if (strcmp(className, mdiClientClass) != 0)
        tileBitmap((HDC)wParam, window, view.resources->backgroundBitmap);
    else if (view.settings->mdiBackground == 0)
        outcome = backgroundReturnZero;
    else
        tileBitmap((HDC)wParam, window, view.resources->mdiBitmap);
    releasePaintView(view);
    return outcome;
}
