// The engine's set-up from its files.
#include "engine/engine_setup.h"

#include "engine/engine_state.h"
#include "engine/plugin.h"
#include "engine/settings.h"
#include "engine/settings_snapshot.h"
#include "engine/shared_objects.h"
#include "engine/shared_resources.h"
#include "engine/system_look.h"
#include "engine/trace.h"
#include "engine/window_table.h"

BOOL setUpEngine()
{
    clearWindowTable();
    takeGlobalsTurn();
    readMetrics();
    if (!loadSettings(engineWindowsDirectory, &Settings)) {
        dropGlobalsTurn();
        traceEngine("no settings file opens (vl.ini here or in %s\\varnels): the engine stays out",
                    engineWindowsDirectory);
        return FALSE;
    }
    SharedResources.nullBrush = (HBRUSH)GetStockObject(NULL_BRUSH);
    findNewerDCFunctions();
    makeSharedObjects();
    // The first snapshot, which the painters hold from now on; there is
    // always room for it, as none is held yet.
    publishSettingsSnapshot();
    dropGlobalsTurn();
    if (Settings.usePlugin == 1) wantCaptionPlugin(engineWindowsDirectory);
    engineAttached = 1;
    return TRUE;
}
