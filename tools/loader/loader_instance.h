// The one running loader, as other vlload invocations see it: a named mutex
// says it runs, a named event asks it to stop, and a small named block holds
// its process id and the engine it loaded. Named objects belong to the
// session, not to a desktop, so /stop also reaches a loader that runs on a
// Wine virtual desktop.
#pragma once

#include <windows.h>

#include "exit_codes.h"

// The named objects of one loader. The 32-bit loader (vlload) and the 64-bit
// one (vlload64) have their own, so each half claims, stops and reports on
// its own, and "vlload /stop" and "/status" reach both.
struct LoaderNames {
    const char *program;   // as the user knows it: "vlload", "vlload64"
    const char *running;   // mutex, owned while that loader runs
    const char *stop;      // manual-reset event, set by /stop
    const char *info;      // file mapping with RunningLoaderInfo
};
extern const LoaderNames loader32Names;
extern const LoaderNames loader64Names;
// The names of this build's own loader.
const LoaderNames &ownLoaderNames();

struct LoaderInstance {
    const LoaderNames *names;
    HANDLE running;   // mutex, owned while this loader runs
    HANDLE stop;      // manual-reset event, set by "vlload /stop"
    HANDLE info;      // file mapping with RunningLoaderInfo
};

// The same layout in both builds (no pointers), so that either loader reads
// the other's.
struct RunningLoaderInfo {
    DWORD processId;
    char enginePath[MAX_PATH];
    DWORD hooked;     // 1 once both hooks are installed
};

// Claims the single instance of this build's loader. Returns exitOk, or
// exitAlreadyRunning after saying so.
LoaderExitCode claimInstance(LoaderInstance *instance);

// Publishes the engine path for "vlload /status".
void publishEngine(LoaderInstance *instance, const char *enginePath);
// Publishes that the hooks are in: the 32-bit loader waits for this from the
// 64-bit one it starts.
void publishHooked(LoaderInstance *instance);

// Gives up the instance (after the hooks are removed).
void releaseInstance(LoaderInstance *instance);

// What another invocation sees of a loader: whether it runs, and what it
// published.
int loaderRuns(const LoaderNames &names);
int readLoaderInfo(const LoaderNames &names, RunningLoaderInfo *info);

// "vlload /status" for one loader: says whether it runs and with which
// engine; exitOk when it runs, exitNotRunning otherwise.
LoaderExitCode reportStatus(const LoaderNames &names);

// "vlload /stop" for one loader: asks it to unhook and waits until its
// process has ended. quietWhenNotRunning: say nothing when it does not run
// (the other half of a system where only one runs).
LoaderExitCode stopRunningLoader(const LoaderNames &names, int quietWhenNotRunning = 0);
