// The one running loader, as other vlload invocations see it: a named mutex
// says it runs, a named event asks it to stop, and a small named block holds
// its process id and the engine it loaded. Named objects belong to the
// session, not to a desktop, so /stop also reaches a loader that runs on a
// Wine virtual desktop.
#pragma once

#include <windows.h>

#include "exit_codes.h"

struct LoaderInstance {
    HANDLE running;   // mutex, owned while this loader runs
    HANDLE stop;      // manual-reset event, set by "vlload /stop"
    HANDLE info;      // file mapping with RunningLoaderInfo
};

struct RunningLoaderInfo {
    DWORD processId;
    char enginePath[MAX_PATH];
};

// Claims the single instance. Returns exitOk, or exitAlreadyRunning after
// saying so.
LoaderExitCode claimInstance(LoaderInstance *instance);

// Publishes the engine path for "vlload /status".
void publishEngine(LoaderInstance *instance, const char *enginePath);

// Gives up the instance (after the hooks are removed).
void releaseInstance(LoaderInstance *instance);

// 1 when a loader runs, with the engine it loaded in path ("" before it
// published it).
int runningEnginePath(char *path, int size);

// "vlload /status": exitOk when a loader runs, exitNotRunning otherwise.
LoaderExitCode reportStatus();

// "vlload /stop": asks the running loader to unhook and waits until its
// process has ended.
LoaderExitCode stopRunningLoader();
