// Entering programs by window events instead of global message hooks, on
// 64-bit systems. There a global hook of one bitness is no use to the
// programs of the other: Windows hands each of their calls to the installing
// loader's thread and back, and Wine tries (and fails) to load the library
// in the program at every call, which ends the chain there. So each loader
// installs an in-context window-event hook for window creation, showing,
// focus and activation, whose calls are few and independent of each other
// (a failed one ends nothing), and the engine, entered by the first event
// of a thread of its process, gives that thread the two message hooks as
// thread hooks, which no program of the other bitness ever meets
// (engine/entered_threads.h keeps them).
#pragma once

#include <windows.h>

#include "engine/loader_contract.h"

// The window-event procedure the loader installs (SetWinEventHook,
// WINEVENT_INCONTEXT). Gives the calling thread the engine's two message
// hooks once; an event for another process's window (a call handed over
// from a program of the other bitness) does nothing.
extern "C" void CALLBACK VarnelWindowEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                                           DWORD thread, DWORD time);

// The events the loader asks for: enteringCreation, enteringFocus and
// enteringActivation (engine/loader_contract.h).
