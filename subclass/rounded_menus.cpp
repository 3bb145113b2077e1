// Rounded popup menus: a rounded-rectangle window region for "#32768",
// rebuilt after every size change.
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_classes.h"
#include "engine/window_table.h"
#include "subclass/window_steps.h"

// The corner ellipse of a menu's region.
enum { menuCornerEllipse = 25 };

int forgetRegionOnResize(const WindowMessage &m, LRESULT *result)
{
    (void)result;
    if (m.message == WM_SIZE) regionApplied[m.slot] = 0;
    return 0;
}

// The region reaches past the window's edges on every side (from -1 to
// size + 3), so only its rounded corners clip the menu.
static void giveRoundedRegion(HWND window)
{
    RECT w;
    GetWindowRect(window, &w);
    HRGN region = CreateRoundRectRgn(-1, -1, (w.right - w.left) + 3, (w.bottom - w.top) + 3, menuCornerEllipse,
                                     menuCornerEllipse);
    // Once set, the region belongs to the system; one that was refused is
    // still ours to delete.
    if (region && !SetWindowRgn(window, region, TRUE)) DeleteObject(region);
}

int roundPopupMenu(const WindowMessage &m, LRESULT *result)
{
    (void)result;
    if (Settings.roundedWindows != 1 || regionApplied[m.slot] != 0) return 0;
    // Marked first, for every class: SetWindowRgn sends the window messages
    // that come back through here, and other windows pay one class test per
    // size change only.
    regionApplied[m.slot] = 1;
    if (windowClassIs(m.window, popupMenuClass)) giveRoundedRegion(m.window);
    return 0;
}
