// Whether the loader of this bitness enters programs by window events
// (hooks/thread_entry.h): its slot in the shared block (engine/shared_block.h)
// holds that loader's process id and creation time while it runs, 0 after.
// The engine in every program reads it when it enters a thread and at each
// change, and leaves when it is 0 or names a process that has ended (the
// creation time published beside the id must match).
#pragma once

#include <windows.h>

// Publishes loader (0: none) in the block of the folder under
// windowsDirectory (the system's when NULL; the loader's own engine holds
// the block meanwhile). Returns 0 when the block could not be used:
// programs would never find the loader there, so it must enter them by
// message hooks instead.
int publishEntryByEvents(const char *windowsDirectory, DWORD loader);

// 1 while the slot of the block this process's engine holds
// (engine/settings_generation.h) names a loader that runs.
int entryByEventsOn();
