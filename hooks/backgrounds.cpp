// Folder and dialog backgrounds: skin bitmaps tiled behind windows once they
// have erased their own background.
#include <string.h>

#include <windows.h>
#include <commctrl.h>

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

// Tiles narrower or lower than this are first repeated into a block at
// least this large, so that a tiny tile costs a few copies, not one a pixel.
// (A pattern brush would do it in one fill, but Windows 95 takes only the
// top-left 8 x 8 pixels of a brush's bitmap.)
enum { tileBlockMinimum = 128 };

// The smallest multiple of tile that is at least tileBlockMinimum.
static int blockExtent(int tile) { return tile >= tileBlockMinimum ? tile : (tileBlockMinimum + tile - 1) / tile * tile; }

// Repeats the tile, selected into source, over block (selected into
// target): one copy, then each copy doubles what is filled, along x and
// then along y.
static void repeatTile(HDC target, HDC source, int bw, int bh, int blockWidth, int blockHeight)
{
    BitBlt(target, 0, 0, bw, bh, source, 0, 0, SRCCOPY);
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
// them show. No message is sent while the bitmap's flag is held, so the hook
// cannot be re-entered with it.
static void tileBitmap(HDC dc, HWND window, const SkinBitmap &bitmap, volatile LONG *busy)
{
    int bw = bitmap.info.bmWidth, bh = bitmap.info.bmHeight;
    if (!bitmap.handle || bw <= 0 || bh <= 0) return;
    RECT r;
    GetWindowRect(window, &r);
    const int areaWidth = tileCount(r.right - r.left, bw) * bw, areaHeight = tileCount(r.bottom - r.top, bh) * bh;
    const int blockWidth = blockExtent(bw), blockHeight = blockExtent(bh);
    claimBitmap(busy);
    // Without a DC for the bitmap (no GDI handle left) nothing is tiled.
    HDC memory = CreateCompatibleDC(dc);
    if (memory) {
        HGDIOBJ previous = SelectObject(memory, bitmap.handle);
        if (blockWidth == bw && blockHeight == bh) {
            copyBlocksOverClipBox(dc, memory, bw, bh, areaWidth, areaHeight);
        } else {
            // A memory DC's compatible bitmap takes the format of the bitmap
            // selected into it: the block holds the tile's pixels exactly.
            HDC blockDC = CreateCompatibleDC(dc);
            HBITMAP block = CreateCompatibleBitmap(memory, blockWidth, blockHeight);
            if (blockDC && block) {
                HGDIOBJ previousBlock = SelectObject(blockDC, block);
                repeatTile(blockDC, memory, bw, bh, blockWidth, blockHeight);
                copyBlocksOverClipBox(dc, blockDC, blockWidth, blockHeight, areaWidth, areaHeight);
                SelectObject(blockDC, previousBlock);
            }
            if (blockDC) DeleteDC(blockDC);
            if (block) DeleteObject(block);
        }
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
    const PaintView view = holdPaintView();
    tileBitmap((HDC)wParam, window, view.resources->folderBitmap, &folderBackgroundBusy);
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
        tileBitmap((HDC)wParam, window, view.resources->backgroundBitmap, &backgroundBitmapBusy);
    else if (view.settings->mdiBackground == 0)
        outcome = backgroundReturnZero;
    else
        tileBitmap((HDC)wParam, window, view.resources->mdiBitmap, &mdiBitmapBusy);
    releasePaintView(view);
    return outcome;
}
