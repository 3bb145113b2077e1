// Scrolling aids: how many line steps replace one page.
#pragma once

#include <windows.h>

// Line steps that stand for one page of a scroll bar whose page size is
// nPage: one fewer than the page, so a line of the old page stays in view.
// A bar without a page (0 or 1), or with a page so long that the steps would
// take too long (more than 200), gets 12.
int pageStepCount(UINT nPage);

enum {
    defaultPageSteps = 12,
    maximumPageSteps = 200,
};
