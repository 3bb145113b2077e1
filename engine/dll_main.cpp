// The library entry point of varnel.dll (not part of the static library the
// tests link, which call the attach and detach routines themselves).
#include <windows.h>

#include "engine/engine_lifecycle.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    switch (reason) {
    case DLL_PROCESS_ATTACH: {
        char windowsDirectory[250];
        GetWindowsDirectoryA(windowsDirectory, sizeof windowsDirectory);
        return engineProcessAttach(windowsDirectory);
    }
    case DLL_PROCESS_DETACH:
        engineProcessDetach(reserved != NULL);
        return TRUE;
    default:
        return TRUE;
    }
}
