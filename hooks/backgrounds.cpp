// Folder and dialog backgrounds: skin bitmaps tiled behind windows once they
// have erased their own background.
#include <string.h>

#include <windows.h>
#include <commctrl.h>

#include "engine/engine_lock.h"
#include "engine/settings.h"
#include "engine/settings_snapshot.h"
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

int isBackgroundClass(const char *className) { return classIsOneOf(className, backgroundClasses); }

int tileCount(int extent, int tile)
{
    if (tile <= 0 || extent < 0) return 0;
    return extent / tile + 1;
}

// Tiles narrower or lower than this are first repeated into a block at
// least this large, so that a tiny tile costs a few copies, not one a pixel.
// (A pattern brush would do it in one fill, but Windows 95 takes only the
// top-left 8 x 8 pixels of a brush's bitmap.)
enum { tileBlockMinimum = 128 };

// The smallest multiple of tile that is at least tileBlockMinimum.
static int blockExtent(int tile) { return tile >= tileBlockMinimum ? tile : (tileBlockMinimum + tile - 1) / tile * tile; }

// Repeats the tile at the block's top left corner over the block (selected
// into target): each copy doubles what is filled, along x and then along y.
static void repeatTile(HDC target, int bw, int bh, int blockWidth, int blockHeight)
{
    for (int filled = bw; filled < blockWidth; filled *= 2)
        BitBlt(target, filled, 0, filled < blockWidth - filled ? filled : blockWidth - filled, bh, target, 0, 0,
               SRCCOPY);
    for (int filled = bh; filled < blockHeight; filled *= 2)
        BitBlt(target, 0, filled, blockWidth, filled < blockHeight - filled ? filled : blockHeight - filled, target,
               0, 0, SRCCOPY);
}

// Copies the block (selected into block) over the part of the tiled area
// [0, areaWidth) x [0, areaHeight) that the DC's clip box shows: the same
// pixels as whole tiles from the DC's origin, copied only where they can
// show.
static void copyBlocksOverClipBox(HDC dc, HDC block, int blockWidth, int blockHeight, int areaWidth,
                                  int areaHeight)
{
    RECT clip = {0, 0, areaWidth, areaHeight};
    const int kind = GetClipBox(dc, &clip);
    if (kind == NULLREGION) return;
    if (kind == ERROR) SetRect(&clip, 0, 0, areaWidth, areaHeight);
    const int left = clip.left > 0 ? clip.left : 0, top = clip.top > 0 ? clip.top : 0;
    const int right = clip.right < areaWidth ? clip.right : areaWidth;
    const int bottom = clip.bottom < areaHeight ? clip.bottom : areaHeight;
    // Nothing lands outside the tiled area, as no whole tile did.
    for (int y = top / blockHeight * blockHeight; y < bottom; y += blockHeight)
        for (int x = left / blockWidth * blockWidth; x < right; x += blockWidth)
            BitBlt(dc, x, y, x + blockWidth < areaWidth ? blockWidth : areaWidth - x,
                   y + blockHeight < areaHeight ? blockHeight : areaHeight - y, block, 0, 0, SRCCOPY);
}

// Tiles the bitmap over the window's size into dc from its origin, whole
// tiles copied without stretching, and only where the DC's clip box lets
// them show. A bitmap can be selected into only one DC at a time, and other
// threads tile the same one: under the engine lock the tile is copied into a
// block of this paint's own (the tile repeated to at least tileBlockMinimum
// either way by the doubling copies afterwards), and the block, not the
// skin bitmap, is what reaches dc, with the lock dropped.
static void tileBitmap(HDC dc, HWND window, const SkinBitmap &bitmap)
{
    int bw = bitmap.info.bmWidth, bh = bitmap.info.bmHeight;
    if (!bitmap.handle || bw <= 0 || bh <= 0) return;
    RECT r;
    GetWindowRect(window, &r);
    const int areaWidth = tileCount(r.right - r.left, bw) * bw, areaHeight = tileCount(r.bottom - r.top, bh) * bh;
    const int blockWidth = blockExtent(bw), blockHeight = blockExtent(bh);
    // Without a DC or bitmap (no GDI handle left) nothing is tiled.
    HDC memory = CreateCompatibleDC(dc);
    HDC blockDC = memory ? CreateCompatibleDC(dc) : NULL;
    HBITMAP block = NULL;
    HGDIOBJ previousBlock = NULL;
    if (blockDC) {
        takeEngineLock();
        HGDIOBJ previous = SelectObject(memory, bitmap.handle);
        // A memory DC's compatible bitmap takes the format of the bitmap
        // selected into it: the block holds the tile's pixels exactly.
        block = previous ? CreateCompatibleBitmap(memory, blockWidth, blockHeight) : NULL;
        if (block) {
            previousBlock = SelectObject(blockDC, block);
            BitBlt(blockDC, 0, 0, bw, bh, memory, 0, 0, SRCCOPY);
        }
        if (previous) SelectObject(memory, previous);
        dropEngineLock();
    }
    if (block) {
        repeatTile(blockDC, bw, bh, blockWidth, blockHeight);
        copyBlocksOverClipBox(dc, blockDC, blockWidth, blockHeight, areaWidth, areaHeight);
        SelectObject(blockDC, previousBlock);
        DeleteObject(block);
    }
    if (blockDC) DeleteDC(blockDC);
    if (memory) DeleteDC(memory);
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
