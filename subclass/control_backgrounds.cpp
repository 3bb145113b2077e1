// Transparent control backgrounds: the answers a parent gives to its
// controls' colour messages, and the erase under a static that changes.
#include "subclass/window_steps.h"

int eraseBehindStatic(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}

int answerScrollBarColour(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}

int answerButtonColour(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}

int answerStaticColour(const WindowMessage &m, LRESULT *result)
{
    (void)m;
    (void)result;
    return 0;
}
