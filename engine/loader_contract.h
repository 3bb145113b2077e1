// What the loaders (vlload, vlload64), the engine in every program, the
// setup program and scripts agree on: the names of the loader's objects, the
// variable the loader sets around its load of the engine, the window events
// it asks for, its exit codes and the layout of the block it publishes.
// One list: scripts/package reads the exit codes from here for the setup
// program, the tests include it; nothing restates it.
#pragma once

#include <stddef.h>

#include <windows.h>

#include "engine/shared_block.h"

// --- Exit codes ----------------------------------------------------------------
// What vlload's exit code tells a script, listed by "vlload /?". Keep the
// numbers stable: the setup program and scripts test them. scripts/package
// turns each "exitName = number" line into VLLOAD_exitName for the setup.
enum LoaderExitCode {
    exitOk = 0,               // started and later stopped, stopped, or running
    exitUsage = 1,            // unknown option
    exitDllNotFound = 2,      // no varnel.dll next to vlload.exe or in the Windows directory
    exitEngineRefused = 3,    // varnel.dll would not attach (usually: no vl.ini)
    exitNoHookEntries = 4,    // varnel.dll lacks SpyCallWndProc2 or SpyCallWndProc
    exitHookFailed = 5,       // the system refused to install a hook
    exitAlreadyRunning = 6,   // another vlload is running
    exitNotRunning = 7,       // /stop or /status: no vlload is running
    exitStopTimedOut = 8,     // /stop: the running vlload did not end in time
    exitPartlyRunning = 9,    // /status on 64-bit Windows: only one of vlload and vlload64 runs
    exitNameTaken = 10,       // a name the loader needs is held by another user's object, or one of another kind
    // /windowsbits: the bitness of Windows itself (the setup program asks,
    // and installs the 64-bit half only where it is 64)
    exitWindows32 = 32,
    exitWindows64 = 64,
};

// --- Named objects -------------------------------------------------------------
// Each loader's objects. These are the stems: the objects' names carry the
// session and the user besides (tools/loader/loader_objects.h), so that
// another user's or another session's objects never meet this user's.
// The 32-bit and the 64-bit loader have their own, so that each half claims,
// stops and reports on its own.
#define loaderRunningName "VarnelLoaderRunning"  // mutex, owned while vlload runs
#define loaderStopName "VarnelLoaderStop"        // manual-reset event, set by /stop
#define loaderInfoName "VarnelLoaderInfo"        // file mapping holding a LoaderInfoBlock
#define loader64RunningName "VarnelLoaderRunning64"
#define loader64StopName "VarnelLoaderStop64"
#define loader64InfoName "VarnelLoaderInfo64"

// The loaders' hidden windows: WM_CLOSE stops a loader, "vlload /menu"
// finds the tray's menu there.
#define loaderWindowClassName "VarnelLoader"
#define loader64WindowClassName "VarnelLoader64"

// The environment variable the loader sets around its LoadLibrary of the
// engine: the engine's attach then knows it is in the loader's process.
#define loaderProcessSwitch "VARNEL_LOADER_PROCESS"

// --- Window events ---------------------------------------------------------------
// The events a loader on 64-bit Windows asks for (hooks/thread_entry.h),
// each on its own since under Wine every event a hook asks for costs a
// program of the other bitness a failed load: a new thread meets the engine
// with its first window, a running program when one of its windows takes
// the focus or comes to the front.
enum {
    enteringCreation = EVENT_OBJECT_CREATE,
    enteringFocus = EVENT_OBJECT_FOCUS,
    enteringActivation = EVENT_SYSTEM_FOREGROUND
};

// --- The info block --------------------------------------------------------------
// What a running loader publishes for "vlload /status" and "/stop", and for
// the 32-bit loader that started vlload64: the same layout in both
// bitnesses (32-bit fields and bytes only), so that either loader reads the
// other's. The loader is named by its id and creation time: a killed
// loader's id given to another process, or an id someone wrote there, names
// no loader.
enum : LONG {
    loaderInfoMagic = 0x4C44564C,  // "LVDL"
    loaderInfoLayout = 1,
    loaderEnginePathRoom = 260,
};
struct LoaderInfoBlock {
    LONG magic;
    LONG layout;
    SharedProcess loader;
    LONG hooked;  // 1 once the loader's hooks are installed
    char enginePath[loaderEnginePathRoom];
};
static_assert(offsetof(LoaderInfoBlock, loader) == 8, "the same offsets in both bitnesses");
static_assert(offsetof(LoaderInfoBlock, hooked) == 20, "the same offsets in both bitnesses");
static_assert(offsetof(LoaderInfoBlock, enginePath) == 24, "the same offsets in both bitnesses");
static_assert(sizeof(LoaderInfoBlock) == 24 + loaderEnginePathRoom, "the same size in both bitnesses");
