// The settings generation: a counter in memory shared by every process on
// the desktop that reads the same engine folder, 32-bit and 64-bit alike. A
// tool that changes what the engine reads at attach (vl.ini, a marker file,
// a skin bitmap, the exclusion list) bumps it once the change is written;
// each process with the engine compares it with the one it set itself up for
// on its hook path, one read of memory, and sets itself up again when they
// differ.
#pragma once

#include <windows.h>

// The broadcast that follows a bump: it wakes the threads of programs that
// get no other message, so that their hooks look at the counter.
#define settingsChangeMessageName "VarnelSettingsChanged"

// Bumps the counter of the engine folder under windowsDirectory (the
// system's Windows directory when NULL), making it when no process holds it
// yet, and, with wake, broadcasts the change when some process follows the
// folder. Without wake, programs see it with their next message. Returns 0
// when the system could not share the memory: running programs then keep
// their settings until they start again.
int announceSettingsChange(const char *windowsDirectory = NULL, int wake = 1);

// The counter of the engine folder under windowsDirectory, mapped until
// releaseSettingsGeneration; NULL when it could not be. Attach maps it, and
// counts its process among those that have the engine until the release.
volatile LONG *settingsGeneration(const char *windowsDirectory);
void releaseSettingsGeneration();

// How many processes have the engine of that folder now (the loader's own
// among them); 0 when none has. A process that was killed, and so never
// took itself off, is not counted.
LONG processesWithEngine(const char *windowsDirectory = NULL);

// Whether the loader of this bitness enters programs by window events
// (hooks/thread_entry.h): that loader's process id while it runs, 0 after
// (in the block of the folder under windowsDirectory, the system's when
// NULL; the loader's own engine holds the block meanwhile). The engine in
// every program reads it when it enters a thread and at each change, and
// leaves when it is 0 or names a process that has ended.
void publishEntryByEvents(const char *windowsDirectory, DWORD loader);
int entryByEventsOn();

// The counter for a tool or a test that watches it without counting as a
// process with the engine: mapped (made when missing) until closed.
struct GenerationView {
    HANDLE mapping;
    volatile LONG *generation;
};
int openGenerationView(const char *windowsDirectory, GenerationView *view);
void closeGenerationView(GenerationView *view);
