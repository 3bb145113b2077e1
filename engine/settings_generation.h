// The settings generation: a counter in memory shared by every process on
// the desktop, 32-bit and 64-bit alike. A tool that changes what the engine
// reads at attach (vl.ini, a marker file, a skin bitmap, the exclusion list)
// bumps it once the change is written; each process with the engine compares
// it with the one it set itself up for on its hook path, one read of memory,
// and sets itself up again when they differ.
#pragma once

#include <windows.h>

// The name of the shared memory holding the counter.
#define settingsGenerationName "VarnelSettingsGeneration"

// Bumps the counter, making it when no process holds it yet. Returns 0 when
// the system could not share the memory: running programs then keep their
// settings until they start again.
int announceSettingsChange();

// The counter, mapped for the life of the process; NULL when it could not
// be. The first call maps it, and is not to race with another: the engine
// makes it at attach.
volatile LONG *settingsGeneration();
// Unmaps it (detach).
void releaseSettingsGeneration();
