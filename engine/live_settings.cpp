// Settings followed while programs run: the shared generation compared on
// the hook path, the files read again, the shared objects made again, the
// captions repainted.
#include "engine/live_settings.h"

#include <string.h>

#include "caption/strip_cache.h"
#include "engine/engine_lifecycle.h"
#include "engine/engine_state.h"
#include "engine/entered_threads.h"
#include "engine/file_stamps.h"
#include "engine/plugin.h"
#include "engine/program_exclusion.h"
#include "engine/settings.h"
#include "engine/settings_generation.h"
#include "engine/shared_resources.h"
#include "engine/trace.h"
#include "engine/window_table.h"

volatile LONG *liveGeneration;
LONG appliedGeneration;

// One thread of the process sets things up again; the others go on with
// what is there, which stays valid until the next change.
static volatile LONG settingUp;

// A change is a hint, taken calmly: any program may bump the shared
// generation, as often as it likes. A process looks at the files at most
// this often; a change that comes sooner is taken by the first hook call
// after the pause (the generation stays unequal until then).
DWORD settingsFollowInterval = defaultSettingsFollowInterval;
static DWORD lastFollowTick;
static int followedBefore;
// The files the last set-up read, and whether there was one: a set-up that
// finds the same files and the same settings makes nothing and repaints
// nothing.
static EngineFileStamps appliedStamps;
static int stampsTaken;
volatile LONG settingsLooks, settingsSetUps;

// Objects of the last set-up but one: a thread may have selected one into a
// DC just before the swap, so they are deleted at the next change or at
// detach, never under that thread.
enum { retiredRoom = 16 };
static HGDIOBJ retired[retiredRoom];
static int retiredCount;

void watchSettingsGeneration()
{
    followedBefore = 0;
    stampsTaken = 0;
    SharedBlockState state = sharedBlockUsable;
    liveGeneration = settingsGeneration(engineWindowsDirectory, &state);
    // Another program may hold the block's name: the program goes on with
    // the settings it read now, as when the memory cannot be shared at all.
    if (!liveGeneration) traceEngine("live settings are off: the shared block %s", sharedBlockProblem(state));
    appliedGeneration = liveGeneration ? *liveGeneration : 0;
}

void stopWatchingSettingsGeneration()
{
    liveGeneration = NULL;
    releaseSettingsGeneration();
}

void deleteRetiredObjects()
{
    for (int i = 0; i < retiredCount; i++) DeleteObject(retired[i]);
    retiredCount = 0;
}

// A paused engine, or a program just put on the exclusion list: nothing
// new is skinned, no caption painted.
static void switchEveryFeatureOff(SettingsRecord *s)
{
    for (const SettingPosition &p : settingPositions)
        if (p.field && (p.kind == flagOffWhenOne || p.kind == flagOnWhenOne)) s->*p.field = 0;
    s->usePlugin = 0;
    s->animateWindows = 0;
    s->scrollBarBlackBoxes = 0;
    s->progressBitmap = 0;
}

static BOOL CALLBACK repaintIfOurs(HWND window, LPARAM process)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == (DWORD)process)
        RedrawWindow(window, NULL, NULL, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return TRUE;
}

// Invalidated, not painted here: the windows may belong to other threads,
// which repaint them when they next look at their queues.
static void repaintWindows()
{
    EnumWindows(repaintIfOurs, (LPARAM)GetCurrentProcessId());
    for (int slot = 0; slot < windowTableCapacity; slot++) {
        HWND window = windowHandles[slot];
        if (window && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
            RedrawWindow(window, NULL, NULL, RDW_FRAME | RDW_INVALIDATE);
    }
}

// The new objects are made before the old ones are retired, so that a
// painter on another thread finds a font and bitmaps at every moment.
static void applySettings(const SettingsRecord &fresh)
{
    HGDIOBJ previous[retiredRoom];
    const int previousCount = collectSharedObjects(previous, retiredRoom);
    const int pluginWas = Settings.usePlugin;
    Settings = fresh;
    makeSharedObjects();
    deleteRetiredObjects();
    memcpy(retired, previous, previousCount * sizeof previous[0]);
    retiredCount = previousCount;
    freeStripCache();
    if (Settings.usePlugin == 1 && pluginWas != 1) wantCaptionPlugin(engineWindowsDirectory);
    repaintWindows();
}

static void setUpAgain()
{
    // Stamped before any file is read, the markers too, so that a write
    // between the stamps and the reads is seen by the next change.
    InterlockedIncrement(&settingsLooks);
    EngineFileStamps stamps;
    stampEngineFiles(engineWindowsDirectory, &stamps);
    const int paused = readDisableMarker(engineWindowsDirectory) || isProcessExcluded(engineWindowsDirectory);
    if (EngineState.disabled == 1) {
        // Kept out at attach by the marker or the list: nothing of the engine
        // was made in this process, and nothing uses it.
        if (paused || !setUpEngine()) return;
        traceEngine("the engine was paused when this program started: set up now");
        EngineState.disabled = 0;
        repaintWindows();
        return;
    }
    SettingsRecord fresh;
    resetSettings(&fresh);
    // A file that does not read now keeps what the program has; the next
    // change reads it again.
    if (!loadSettings(engineWindowsDirectory, &fresh)) return;
    if (paused) switchEveryFeatureOff(&fresh);
    const int unchanged =
        stampsTaken && sameFileStamps(stamps, appliedStamps) && memcmp(&fresh, &Settings, sizeof fresh) == 0;
    appliedStamps = stamps;
    stampsTaken = 1;
    if (unchanged) {
        traceEngine("a settings change that changed nothing: nothing made again");
        return;
    }
    InterlockedIncrement(&settingsSetUps);
    applySettings(fresh);
}

void followSettingsChange()
{
    if (InterlockedCompareExchange(&settingUp, 1, 0) != 0) return;
    const DWORD now = GetTickCount();
    if (followedBefore && now - lastFollowTick < settingsFollowInterval) {
        InterlockedExchange(&settingUp, 0);
        return;
    }
    followedBefore = 1;
    lastFollowTick = now;
    appliedGeneration = *liveGeneration;
    // A loader that entered by window events announces its stop like a
    // change of settings.
    if (enteredThreadCount() && !entryByEventsOn()) leaveEnteredThreads();
    if (engineAttached || EngineState.disabled == 1)
        if (!engineDetached && !EngineState.shuttingDown) setUpAgain();
    InterlockedExchange(&settingUp, 0);
}

// Every top-level window of the process gets the system's broadcast: only
// the first that finds the caption colours or font changed makes anything.
static int systemLookChanged()
{
    const SharedResourcesRecord &r = SharedResources;
    if (GetSysColor(COLOR_ACTIVECAPTION) != RGB(r.activeCaptionR, r.activeCaptionG, r.activeCaptionB)) return 1;
    if (GetSysColor(COLOR_INACTIVECAPTION) != RGB(r.inactiveCaptionR, r.inactiveCaptionG, r.inactiveCaptionB))
        return 1;
    return nonClientMetricsChanged();
}

void followSystemChange(UINT message)
{
    if (message != WM_SYSCOLORCHANGE && message != WM_SETTINGCHANGE) return;
    if (!engineAttached || engineDetached || EngineState.shuttingDown) return;
    if (InterlockedCompareExchange(&settingUp, 1, 0) != 0) return;
    if (systemLookChanged()) {
        const SettingsRecord same = Settings;
        applySettings(same);
    }
    InterlockedExchange(&settingUp, 0);
}
