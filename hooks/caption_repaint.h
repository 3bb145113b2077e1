// The one road every caption repaint takes: the title area worked out from
// the styles and metrics, a window DC, the gates, and one of the plug-in, the
// gradient painter or the striped painter.
#pragma once

#include <windows.h>

// Activation states handed to the painters.
enum { stateByForeground = 0, stateActive = 1, stateInactive = 2 };

void repaintCaption(HWND window, LONG style, int state);

// For StaticWindowProc's caption messages: 0 when the window has no caption
// (both WS_CAPTION bits), 1 otherwise, whether or not anything was painted.
int paintCaptionForMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND window);

// Activation state recorded by the after-message hook for the last message
// that reached its activation stage.
extern volatile int lastActiveState;
