// What one caption paint reads, read once where the paint starts (a hook's
// caption stage or the window procedure's caption step) and handed down to
// the painter: the window, its two styles, the activation state, whether the
// system draws an icon there, and the settings and shared objects of one
// snapshot. Nothing on the way reads the window's styles again or recovers
// the window from its DC. The settings window's preview makes its own
// record with the settings being edited.
#pragma once

#include <windows.h>

#include "engine/settings_snapshot.h"

struct PaintRecord {
    HWND window;    // whose caption, and the window the DC belongs to
    LONG style;     // GWL_STYLE as the paint began
    LONG exStyle;   // GWL_EXSTYLE as the paint began
    int state;      // stateByForeground, stateActive or stateInactive
    int showsIcon;  // the system draws an icon at the caption's start
    int outlineOnly; // only the outline around the caption boxes, no strip
    PaintView view; // what the paint reads of the settings and shared objects
};

// The record of a paint of window's caption, whose style the caller has read:
// the extended style is read here, and the snapshot held until
// releasePaintRecord, which every way out calls.
PaintRecord holdPaintRecord(HWND window, LONG style, int state);
void releasePaintRecord(const PaintRecord &record);

// A state that depends on who has the foreground, settled against window:
// for callers whose DC's window may not be the window they asked about.
int settledState(HWND window, int state);
