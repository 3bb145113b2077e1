// Owner-drawn push buttons: converted when they receive a frequent message,
// painted flat when their parent receives WM_DRAWITEM.
#include "subclass/window_steps.h"

int convertPushButton(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}

int paintOwnerDrawnButton(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}
