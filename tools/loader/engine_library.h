// Finding and loading varnel.dll in the loader's own process, with a reason
// a person can act on when it fails.
#pragma once

#include <windows.h>

#include "engine/loader_contract.h"

// "varnel.dll", or "varnel64.dll" in vlload64.
extern const char engineLibraryName[];

struct EngineLibrary {
    HMODULE module;
    HOOKPROC beforeMessage;   // SpyCallWndProc2, the WH_CALLWNDPROC hook
    HOOKPROC afterMessage;    // SpyCallWndProc, the WH_CALLWNDPROCRET hook
    WINEVENTPROC windowEvent; // VarnelWindowEvent (NULL in an engine without it)
    char path[MAX_PATH];
};

// Loads the engine library from the loader's folder, else from the Windows directory,
// and looks up the two hook procedures. Returns exitOk, or the exit code of
// the failure after saying what went wrong.
LoaderExitCode loadEngineLibrary(EngineLibrary *library);

// Notes (not failures) about a loaded engine that would surprise a user:
// disabled by its marker, or settings only in the loader's current folder.
void noteEngineSurprises();
