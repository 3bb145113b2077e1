// The style arithmetic of the list-view, tab and toolbar restyling, apart
// from the windows it is applied to.
#pragma once

#include <windows.h>
#include <commctrl.h>

// The extended list-view styles every list view is given: hot tracking and
// header drag-and-drop, and grid lines when asked for.
DWORD wantedListViewStyles(int gridLines);

// The taskbar's tab style: flat hot-tracking buttons on one line.
LONG flatTaskbarTabStyle(LONG style);

// Toolbars are made flat, with tooltips.
enum { flatToolbarStyles = TBSTYLE_FLAT | TBSTYLE_TOOLTIPS };

// The gripper drawn on toolbars in "AfxControlBar40" control bars.
enum : COLORREF {
    gripperLightColour = RGB(225, 225, 225),
    gripperDarkColour = RGB(128, 128, 128),
};
