// The one running loader, as other vlload invocations see it: a named mutex
// is owned while it runs, a named event asks it to stop, and a small named
// block holds its process id and creation time and the engine it loaded.
// Named objects belong to the session, not to a desktop, so /stop also
// reaches a loader that runs on a Wine virtual desktop.
#pragma once

#include <windows.h>

#include "engine/loader_contract.h"

// The named objects of one loader, by their stems (engine/loader_contract.h;
// loader_objects.h makes the full names). The 32-bit loader (vlload) and
// the 64-bit one (vlload64) have their own, so each half claims, stops and
// reports on its own, and "vlload /stop" and "/status" reach both.
struct LoaderNames {
    const char *program;   // as the user knows it: "vlload", "vlload64"
    const char *running;   // mutex, owned while that loader runs
    const char *stop;      // manual-reset event, set by /stop
    const char *info;      // file mapping with a LoaderInfoBlock
};
extern const LoaderNames loader32Names;
extern const LoaderNames loader64Names;
// The names of this build's own loader.
const LoaderNames &ownLoaderNames();

struct LoaderInstance {
    const LoaderNames *names;
    HANDLE running;   // mutex, owned while this loader runs
    HANDLE stop;      // manual-reset event, set by "vlload /stop"
    HANDLE info;      // file mapping with the LoaderInfoBlock
    volatile LoaderInfoBlock *block;  // mapped while this loader runs
};

// Claims the single instance of this build's loader and publishes this
// process in the info block. Returns exitOk; exitAlreadyRunning when
// another loader runs; exitNameTaken when a name is held by an object this
// loader cannot use (another user's, another kind, another program's data)
// or by a program that holds the running mutex but is no loader. Says which
// before it returns.
LoaderExitCode claimInstance(LoaderInstance *instance);

// Publishes the engine path for "vlload /status".
void publishEngine(LoaderInstance *instance, const char *enginePath);
// Publishes that the hooks are in: the 32-bit loader waits for this from the
// 64-bit one it starts.
void publishHooked(LoaderInstance *instance);

// Gives up the instance (after the hooks are removed).
void releaseInstance(LoaderInstance *instance);

// The process of the loader that runs under names, opened with access
// (SYNCHRONIZE at least), its block copied to *info: NULL when none runs,
// that is, when its objects are missing or not this user's loader's, or the
// block names no process, or one that ended, or another process given the
// same id (the creation time recorded beside the id differs).
HANDLE openRunningLoader(const LoaderNames &names, LoaderInfoBlock *info, DWORD access = SYNCHRONIZE);
// Whether it runs.
int loaderRuns(const LoaderNames &names);
// The block as published (a loader's, owner and layout checked), whatever
// the state of the process it names: 0 when there is none.
int readLoaderInfo(const LoaderNames &names, LoaderInfoBlock *info);

// "vlload /status" for one loader: says whether it runs and with which
// engine; exitOk when it runs, exitNotRunning otherwise.
LoaderExitCode reportStatus(const LoaderNames &names);

// "vlload /stop" for one loader: asks it to unhook and waits until its
// process has ended. quietWhenNotRunning: say nothing when it does not run
// (the other half of a system where only one runs).
LoaderExitCode stopRunningLoader(const LoaderNames &names, int quietWhenNotRunning = 0);
