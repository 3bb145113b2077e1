// Per-process start-up and shutdown of the engine.
#pragma once

#include <windows.h>

// What attach and detach set: engineAttached, engineDetached and the
// Windows directory.
#include "engine/engine_state.h"

// Process attach, with the Windows directory the engine folder lies under.
// Returns FALSE when no settings file opens (the engine stays out of the
// process); TRUE otherwise, also when the disable marker holds 1.
BOOL engineProcessAttach(const char *windowsDirectory);

// Process detach. processTerminating is true when the whole process is ending
// (the entry point's reserved argument is not NULL): the pauses that let
// other threads leave the engine's code are then skipped, since no thread is
// left to wait for and every skinned program's exit would wait for them.
// The engine lock stays open (engine/engine_lock.h): the library's entry
// point closes it when the library goes, after everything else.
void engineProcessDetach(bool processTerminating);

// The two pauses of detach, in milliseconds (1000 each), and the pause before
// each rolled-up window is unrolled (50).
extern DWORD detachPause;
extern DWORD unrollPause;
