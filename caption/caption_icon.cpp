// The icon part of a caption's layout, read from the window.
#include "caption/caption_icon.h"

#include "caption/caption_layout.h"

// DefWindowProcA called directly answers WM_GETICON from what the system
// stores for the window (what its own caption drawing reads), without a sent
// message through the hooks and the window's procedure: a program that
// answers WM_GETICON itself does not change what the system draws either.
HICON windowIcon(HWND window)
{
    HICON icon = (HICON)DefWindowProcA(window, WM_GETICON, ICON_SMALL, 0);
    if (!icon) icon = (HICON)DefWindowProcA(window, WM_GETICON, ICON_BIG, 0);
    if (!icon) icon = (HICON)GetClassLongPtrA(window, GCLP_HICONSM);
    if (!icon) icon = (HICON)GetClassLongPtrA(window, GCLP_HICON);
    return icon;
}

int windowHasIcon(HWND window) { return windowIcon(window) != NULL; }

int windowCaptionShowsIcon(HWND window, LONG style, LONG exStyle)
{
    const int hasIcon = captionIconDependsOnWindow(style, exStyle) ? windowHasIcon(window) : 1;
    return captionShowsIcon(style, exStyle, hasIcon);
}
