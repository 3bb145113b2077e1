// What attach sets up once the markers let the engine in; the live path
// (engine/live_settings.h) runs it too, for a program that started while
// the engine was paused.
#pragma once

#include <windows.h>

// The table cleared, settings read from the engine folder under
// engineWindowsDirectory, the shared objects made and published as the
// first snapshot, the plug-in wanted. Returns FALSE when no settings file
// opens (the engine stays out of the process).
BOOL setUpEngine();
