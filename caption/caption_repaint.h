// The one road every caption repaint takes: the title area worked out from
// the styles and metrics, a window DC, the gates, and one of the plug-in, the
// gradient painter or the striped painter.
#pragma once

#include <windows.h>

// Activation states handed to the painters.
enum { stateByForeground = 0, stateActive = 1, stateInactive = 2 };

// Both WS_CAPTION bits: a title bar, which is what the engine paints.
inline int hasCaption(LONG style) { return (style & WS_CAPTION) == WS_CAPTION; }

// A style bit without a meaning of its own on a captioned window: the engine
// paints the caption of a window that carries it as active, whatever the
// message says.
enum { alwaysActiveStyleBit = 0x20 };

// Returns 1 when the title area now shows the engine's gradient strip, whose
// rectangle (window coordinates) goes to covered when given; 0 when the
// system's caption stays, or the plug-in or the striped look painted it.
int repaintCaption(HWND window, LONG style, int state, RECT *covered = NULL);

// For StaticWindowProc's caption messages: 0 when the window has no caption
// (both WS_CAPTION bits), 1 otherwise, whether or not anything was painted.
// covered as for repaintCaption, left empty when no strip was copied.
// outlineOnly: the gradient look's outline around the caption boxes alone,
// in the state the message gives, for after the system has painted the
// frame around the strip (and over the outline).
int paintCaptionForMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND window, RECT *covered = NULL,
                           int outlineOnly = 0);

// Activation state recorded by the after-message hook for the last message
// that reached its activation stage (stage 14); one for all windows of the
// process.
extern volatile int lastActiveState;
