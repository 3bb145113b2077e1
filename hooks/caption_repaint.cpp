// The caption repaint: layout row, gates, and the hand-over to the plug-in or
// a painter; and stage 4 of the before-message hook.
#include "hooks/caption_repaint.h"

#include "hooks/before_hook_stages.h"

void repaintCaption(HWND window, LONG style, int state)
{
    (void)window;
    (void)style;
    (void)state;
}

int paintCaptionForMessage(UINT message, WPARAM wParam, LPARAM lParam, HWND window)
{
    (void)message;
    (void)wParam;
    (void)lParam;
    (void)window;
    return 0;
}

HookStageResult repaintCaptionBeforeHandling(BeforeHookCall &call)
{
    (void)call;
    return stageChains;
}
