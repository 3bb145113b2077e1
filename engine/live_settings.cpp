// Settings followed while programs run: the shared generation compared on
// the hook path, the files read again, the shared objects made again, the
// captions repainted.
#include "engine/live_settings.h"

#include <string.h>

#include "engine/engine_setup.h"
#include "engine/engine_state.h"
#include "engine/entered_threads.h"
#include "engine/file_stamps.h"
#include "engine/kept_drawings.h"
#include "engine/loader_entry.h"
#include "engine/plugin.h"
#include "engine/process_table.h"
#include "engine/program_exclusion.h"
#include "engine/settings.h"
#include "engine/settings_generation.h"
#include "engine/settings_snapshot.h"
#include "engine/shared_block.h"
#include "engine/shared_objects.h"
#include "engine/shared_resources.h"
#include "engine/system_look.h"
#include "engine/trace.h"
#include "engine/window_table.h"

volatile LONG *liveGeneration;
LONG appliedGeneration;

// One thread of the process sets things up again; the others go on with
// what is there: a paint holds its snapshot (engine/settings_snapshot.h)
// whatever the set-ups do meanwhile.
static volatile LONG settingUp;
// A change of the system's caption colours or font met where the thread was
// not calm, made up for at the next calm hook call.
volatile LONG systemChangePending;
static void followSystemChangeNow();

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

// How many sent messages this thread is inside of, counted by the two hooks
// (the before hook opens one, the after hook closes it), in a thread slot;
// every slot value starts at 0.
static DWORD depthSlot = TLS_OUT_OF_INDEXES;

// TlsGetValue clears the thread's last error, which the program may be about
// to read after the message that brought the hook.
static LONG_PTR messageDepth()
{
    if (depthSlot == TLS_OUT_OF_INDEXES) return 0;
    const DWORD error = GetLastError();
    const LONG_PTR depth = (LONG_PTR)TlsGetValue(depthSlot);
    SetLastError(error);
    return depth;
}

static void changeMessageDepth(int by)
{
    if (depthSlot == TLS_OUT_OF_INDEXES) return;
    const DWORD error = GetLastError();
    LONG_PTR depth = (LONG_PTR)TlsGetValue(depthSlot) + by;
    // Hooks put in while a message was under way close one they never opened.
    if (depth < 0) depth = 0;
    TlsSetValue(depthSlot, (LPVOID)depth);
    SetLastError(error);
}

void forgetMessageDepth()
{
    if (depthSlot == TLS_OUT_OF_INDEXES) return;
    const DWORD error = GetLastError();
    TlsSetValue(depthSlot, NULL);
    SetLastError(error);
}

void enterHookedMessage()
{
    followSettingsGeneration();
    changeMessageDepth(1);
}

void leaveHookedMessage()
{
    changeMessageDepth(-1);
    followSettingsGeneration();
}

// A set-up reads files, makes fonts and bitmaps, may load the plug-in and
// invalidates every window of the process: not in the middle of another
// message's handling on this thread (a paint, a window being made, a
// library's entry point making a window), only where the thread is inside
// no hooked message, or where the message came from another thread or
// process, which the thread takes only when it looks at its queue (the
// tools' broadcast among them, also inside a modal loop).
static int calmHere() { return messageDepth() == 0 || InSendMessage(); }

void watchSettingsGeneration()
{
    if (depthSlot == TLS_OUT_OF_INDEXES) depthSlot = TlsAlloc();
    followedBefore = 0;
    stampsTaken = 0;
    systemChangePending = 0;
    SharedBlockState state = sharedBlockUsable;
    liveGeneration = settingsGeneration(engineWindowsDirectory, &state);
    // Another program may hold the block's name: the program goes on with
    // the settings it read now, as when the memory cannot be shared at all.
    if (!liveGeneration) traceEngine("live settings are off: the shared block %s", sharedBlockProblem(state));
#ifdef VARNEL_TRACE
    // Windows 95 to ME and NT 4.0 make it so; elsewhere only a process
    // without the descriptor functions does.
    if (liveGeneration && !sharedBlockSecurity())
        traceEngine("this process makes the shared block with the default security: it could make no descriptor");
#endif
    if (processInOverflow())
        traceEngine("no place among the %d processes of the shared block: counted in its overflow",
                    (int)sharedProcessRoom);
    appliedGeneration = liveGeneration ? *liveGeneration : 0;
}

void stopWatchingSettingsGeneration()
{
    liveGeneration = NULL;
    releaseSettingsGeneration();
    if (depthSlot != TLS_OUT_OF_INDEXES) TlsFree(depthSlot);
    depthSlot = TLS_OUT_OF_INDEXES;
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

// The globals take the new settings and objects (the old objects stay the
// current snapshot's), then a snapshot of them is published: a paint that
// began before keeps the old one to its end.
static void applySettings(const SettingsRecord &fresh)
{
    const int pluginWas = Settings.usePlugin;
    takeGlobalsTurn();
    Settings = fresh;
    makeSharedObjects();
    publishSettingsSnapshot();
    dropGlobalsTurn();
    dropKeptDrawings();
    if (Settings.usePlugin == 1 && pluginWas != 1) wantCaptionPlugin(engineWindowsDirectory);
    repaintWindows();
}

// Returns 0 when the change must be taken again later.
static int setUpAgain()
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
        if (paused || !setUpEngine()) return 1;
        traceEngine("the engine was paused when this program started: set up now");
        EngineState.disabled = 0;
        repaintWindows();
        return 1;
    }
    SettingsRecord fresh;
    resetSettings(&fresh);
    // A file that does not read now keeps what the program has; the next
    // change reads it again.
    if (!loadSettings(engineWindowsDirectory, &fresh)) return 1;
    if (paused) switchEveryFeatureOff(&fresh);
    const int unchanged =
        stampsTaken && sameFileStamps(stamps, appliedStamps) && memcmp(&fresh, &Settings, sizeof fresh) == 0;
    appliedStamps = stamps;
    stampsTaken = 1;
    if (unchanged) {
        traceEngine("a settings change that changed nothing: nothing made again");
        return 1;
    }
    // Every place of a snapshot held by a paint that does not end: nothing
    // is made that could not be published.
    if (!settingsSnapshotRoomLeft()) {
        traceEngine("a settings change waits: paints still hold the earlier set-ups");
        stampsTaken = 0;
        return 0;
    }
    InterlockedIncrement(&settingsSetUps);
    applySettings(fresh);
    return 1;
}

void followSettingsChange()
{
    if (InterlockedCompareExchange(&settingUp, 1, 0) != 0) return;
    if (systemChangePending && calmHere()) followSystemChangeNow();
    const LONG generation = liveGeneration ? *liveGeneration : appliedGeneration;
    const DWORD now = GetTickCount();
    if (generation == appliedGeneration || (followedBefore && now - lastFollowTick < settingsFollowInterval) ||
        !calmHere()) {
        InterlockedExchange(&settingUp, 0);
        return;
    }
    followedBefore = 1;
    lastFollowTick = now;
    const LONG before = appliedGeneration;
    appliedGeneration = generation;
    // A loader that entered by window events announces its stop like a
    // change of settings.
    if (enteredThreadCount() && !entryByEventsOn()) leaveEnteredThreads();
    if (engineAttached || EngineState.disabled == 1)
        if (!engineDetached && !EngineState.shuttingDown && !setUpAgain()) appliedGeneration = before;
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

// Called with the set-up's turn taken.
static void followSystemChangeNow()
{
    InterlockedExchange(&systemChangePending, 0);
    if (!engineAttached || engineDetached || EngineState.shuttingDown) return;
    if (!systemLookChanged()) return;
    if (!settingsSnapshotRoomLeft()) {
        InterlockedExchange(&systemChangePending, 1);
        return;
    }
    const SettingsRecord same = Settings;
    applySettings(same);
}

void followSystemChange(UINT message)
{
    if (message != WM_SYSCOLORCHANGE && message != WM_SETTINGCHANGE) return;
    if (!engineAttached || engineDetached || EngineState.shuttingDown) return;
    if (!calmHere()) {
        InterlockedExchange(&systemChangePending, 1);
        return;
    }
    if (InterlockedCompareExchange(&settingUp, 1, 0) != 0) return;
    followSystemChangeNow();
    InterlockedExchange(&settingUp, 0);
}
