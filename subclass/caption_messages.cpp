// The caption and frame messages of captioned windows: the caption painted
// before and after the window's own handling, the MDI refreshes, and the
// striped caption's boxes.
#include "subclass/window_steps.h"

int overrideCaptionHitTest(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}

int handleCaptionMessage(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}
