// Process attach and detach: the engine lock, the markers, the set-up from
// the files; at detach everything given back in its order.
#include "engine/engine_lifecycle.h"

#include <string.h>

#include "engine/converted_buttons.h"
#include "engine/engine_lock.h"
#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/kept_drawings.h"
#include "engine/loader_contract.h"
#include "engine/live_settings.h"
#include "engine/newer_functions.h"
#include "engine/plugin.h"
#include "engine/program_exclusion.h"
#include "engine/settings.h"
#include "engine/settings_snapshot.h"
#include "engine/shared_objects.h"
#include "engine/shared_resources.h"
#include "engine/trace.h"
#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "subclass/window_shade.h"

DWORD detachPause = 1000;
DWORD unrollPause = 50;

BOOL engineProcessAttach(const char *windowsDirectory)
{
    // First: under the loader lock, before any hook can run in the process.
    // Open already when the process attached before (the suites attach and
    // detach many times; the library's entry point closes it at unload).
    openEngineLock();
    engineAttached = 0;
    engineDetached = 0;
    readNewerFunctionsSwitch();
    lstrcpynA(engineWindowsDirectory, windowsDirectory, sizeof engineWindowsDirectory);
    resetSettings(&Settings);
    memset(&SharedResources, 0, sizeof SharedResources);
    memset(&EngineState, 0, sizeof EngineState);
    EngineState.inLoader = GetEnvironmentVariableA(loaderProcessSwitch, NULL, 0) != 0;
    InterlockedExchange(&pluginLoadState, pluginNotWanted);
    watchSettingsGeneration();
    if (readDisableMarker(engineWindowsDirectory)) {
        traceEngine("the disable marker holds 1: every hook only chains");
        EngineState.disabled = 1;
        return TRUE;
    }
    // A program its owner listed is left exactly as with the disable marker.
    if (isProcessExcluded(engineWindowsDirectory)) {
        traceEngine("this program is on the exclusion list: every hook only chains");
        EngineState.disabled = 1;
        return TRUE;
    }
    return setUpEngine();
}

static void detachEngine(bool processTerminating)
{
    stopWatchingSettingsGeneration();
    if (!engineAttached || EngineState.disabled == 1) return;
    engineAttached = 0;
    engineDetached = 1;
    // The snapshots own every object the globals name, and those of
    // earlier set-ups still held.
    if (dropSettingsSnapshots())
        forgetSharedObjects();
    else
        freeSharedObjects();
    dropKeptDrawings();
    if (tellPluginDetach() && !processTerminating) Sleep(detachPause);
    // Windows subclassed before an excluded class switched subclassing off
    // are still in the table and must get their procedures back as well:
    // left alone they would call into a library that is no longer there.
    if (Settings.subclassWindows == 1 || findWindowSlotInUse() >= 0) {
        EngineState.shuttingDown = 1;
        if (!processTerminating) Sleep(detachPause);
        restoreAllWindows();
        unrollAllWindows(processTerminating ? 0 : unrollPause);
        if (!processTerminating) {
            // With their own procedures back, buttons restyled now are not
            // converted again on their way.
            EngineState.buttonsGivenBack = 1;
            restoreConvertedButtons();
        }
    }
}

void engineProcessDetach(bool processTerminating)
{
    // An ending process has no other thread left, and one killed while it
    // held the lock would hold it for ever.
    if (processTerminating) bypassEngineLock();
    detachEngine(processTerminating);
}
