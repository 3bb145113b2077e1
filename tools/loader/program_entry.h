// How the loader brings the engine into programs. On 32-bit Windows: the two
// global message hooks. On 64-bit Windows: an in-context window-event hook,
// through which the engine gives each thread of its own bitness the message
// hooks as thread hooks (hooks/thread_entry.h says why); the global hooks
// when the system lacks window events or the engine the event procedure.
#pragma once

#include <windows.h>

#include "engine_library.h"
#include "engine/loader_contract.h"

enum { enteringEvents = 3 };  // creation, focus, activation

struct ProgramEntry {
    HHOOK before, after;                         // the global message hooks
    HWINEVENTHOOK windowEvents[enteringEvents];  // or the window-event hooks
};

// Installs the hooks, saying how programs are entered; with messageHooks
// the global message hooks on 64-bit Windows too ("vlload /messagehooks").
// Returns exitOk, or exitHookFailed after saying what the system refused.
LoaderExitCode enterPrograms(const EngineLibrary &engine, int messageHooks, ProgramEntry *entry);

// Removes them; with window events, tells every program's engine to take
// its threads' hooks out too (the settings generation, announced).
void leavePrograms(ProgramEntry *entry);

// 1 when the loader entered by window events.
inline int entersByEvents(const ProgramEntry &entry) { return entry.windowEvents[0] != NULL; }
