// Stage 1 of the before-message hook: which windows the engine subclasses.
#include <string.h>

#include "engine/engine_state.h"
#include "engine/settings.h"
#include "engine/trace.h"
#include "engine/window_table.h"
#include "hooks/before_hook_stages.h"
#include "subclass/static_window_proc.h"

// Programs whose windows misbehave when subclassed: meeting one of these
// classes switches subclassing (and owner-drawn buttons) off for the rest of
// the process.
static const char *const excludedClasses[] = {"wndclass_desked_gsk", "CharGridWClass", "MyDlgClass"};

static int isSubclassTrigger(UINT message)
{
    return message == WM_CREATE || message == WM_INITDIALOG ||
           (Settings.subclassOnActivate == 1 && message == WM_ACTIVATE);
}

void subclassNewWindow(BeforeHookCall &call)
{
    if (!subclassingOn()) return;
    if (!isSubclassTrigger(call.message)) return;
    if (EngineState.shuttingDown != 0) return;
    if (findWindowSlot(call.window) >= 0) return;
    for (const char *excluded : excludedClasses) {
        if (strcmp(call.className, excluded) == 0) {
            traceEngine("window class %s met: no further window is subclassed", excluded);
            EngineState.subclassingStopped = 1;
            return;
        }
    }
    const int slot = subclassIntoTable(call.window, StaticWindowProc, unicodeStaticWindowProc);
    // A window being made has not had its frame activated yet; one met at
    // its activation has just had it set as the message says (WM_NCACTIVATE
    // comes first).
    if (slot >= 0)
        frameActivation[slot] = call.message == WM_ACTIVATE && LOWORD(call.wParam) != WA_INACTIVE ? frameStateActive
                                                                                                : frameStateInactive;
}
