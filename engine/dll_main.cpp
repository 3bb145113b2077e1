// The library entry point of varnel.dll (and of varnel64.dll), called by the
// system directly (no runtime start-up code runs before it; msvcrt.dll starts
// itself). Not part of the static library the tests link, which call the
// attach and detach routines themselves.
#include <windows.h>

#include "engine/engine_lifecycle.h"
#include "engine/engine_lock.h"
#include "engine/entered_threads.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        // Before Windows XP the library is pinned at unload by loading it once
        // more from inside its own detach, and the system then calls this
        // entry point again: the engine must not start afresh under the
        // windows it is giving back.
        if (engineDetached) return TRUE;
        char windowsDirectory[250];
        GetWindowsDirectoryA(windowsDirectory, sizeof windowsDirectory);
        if (engineProcessAttach(windowsDirectory)) return TRUE;
        // The library is unloaded, and not every system calls the entry
        // point's detach after a refused attach.
        closeEngineLock();
        return FALSE;
    }
    case DLL_PROCESS_DETACH:
        engineProcessDetach(reserved != NULL);
        closeEnteredThreads();
        // Last: detach's pauses let other threads finish what they took it
        // for, and nothing of the engine takes it any more.
        closeEngineLock();
        return TRUE;
    case DLL_THREAD_DETACH:
        forgetEnteredThread(GetCurrentThreadId());
        return TRUE;
    default:
        return TRUE;
    }
}
