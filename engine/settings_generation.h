// The settings generation: a counter in the shared block
// (engine/shared_block.h) of every process on the user's desktop that reads
// the same engine folder, 32-bit and 64-bit alike. A tool that changes what
// the engine reads at attach (vl.ini, a marker file, a skin bitmap, the
// exclusion list) bumps it once the change is written; each process with
// the engine compares it with the one it set itself up for on its hook
// path, one read of memory, and sets itself up again when they differ.
#pragma once

#include <windows.h>

#include "engine/shared_block.h"

// The broadcast that follows a bump: it wakes the threads of programs that
// get no other message, so that their hooks look at the counter.
#define settingsChangeMessageName "VarnelSettingsChanged"

// Bumps the counter of the engine folder under windowsDirectory (the
// system's Windows directory when NULL), making it when no process holds it
// yet, and, with wake, broadcasts the change when some process follows the
// folder. Without wake, programs see it with their next message. Returns 0
// when the block could not be used (state says why, when given): running
// programs then keep their settings until they start again.
int announceSettingsChange(const char *windowsDirectory = NULL, int wake = 1, SharedBlockState *state = NULL);

// The counter of the engine folder under windowsDirectory, mapped until
// releaseSettingsGeneration; NULL when it could not be (state says why).
// Attach maps it, and counts its process among those that have the engine
// (engine/process_table.h) until the release.
volatile LONG *settingsGeneration(const char *windowsDirectory, SharedBlockState *state = NULL);
void releaseSettingsGeneration();
// The block settingsGeneration mapped; NULL when none is.
volatile SharedSettingsBlock *heldSharedBlock();

// The block for a tool or a test that watches it without counting as a
// process with the engine: mapped (made when missing) until closed.
struct GenerationView {
    HANDLE mapping;
    volatile LONG *generation;
    volatile SharedSettingsBlock *block;
};
int openGenerationView(const char *windowsDirectory, GenerationView *view, SharedBlockState *state = NULL);
void closeGenerationView(GenerationView *view);
