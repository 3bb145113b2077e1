// Whether the system draws an icon in a window's caption: the style rule of
// captionShowsIcon, with the window's icons asked for only where the answer
// depends on them.
#pragma once

#include <windows.h>

// Whether the window or its class holds an icon: its own small or big icon,
// as the system stores them, else its class's small or big icon. Neither the
// hooks nor the window's procedure are called.
int windowHasIcon(HWND window);
// The first of those the window or its class holds, NULL for none.
HICON windowIcon(HWND window);

// captionShowsIcon for the window with these styles: the icons are looked up
// for modal-frame windows only, every other window answers from its styles.
int windowCaptionShowsIcon(HWND window, LONG style, LONG exStyle);
