// The zoom played on the screen when a menu or a top-level window is shown.
#include "hooks/after_hook_stages.h"

void playShowAnimation(HWND window, WPARAM shown, const char *className)
{
    (void)window; (void)shown; (void)className;
}
