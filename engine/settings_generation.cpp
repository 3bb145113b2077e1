// The shared settings generation.
#include "engine/settings_generation.h"

static HANDLE mapping;
static volatile LONG *counter;

// Unnamed security: the desktop's processes are one user's. Pagefile-backed,
// a page of it; the counter is its first four bytes, zero when made.
static volatile LONG *mapCounter(HANDLE *made)
{
    *made = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(LONG), settingsGenerationName);
    if (!*made) return NULL;
    void *view = MapViewOfFile(*made, FILE_MAP_WRITE, 0, 0, sizeof(LONG));
    if (!view) {
        CloseHandle(*made);
        *made = NULL;
    }
    return (volatile LONG *)view;
}

int announceSettingsChange()
{
    // A process with the engine attached keeps the memory alive; the tool's
    // own mapping would otherwise be the only one, and go with it.
    if (counter) {
        InterlockedIncrement((LONG *)counter);
        return 1;
    }
    HANDLE made;
    volatile LONG *view = mapCounter(&made);
    if (!view) return 0;
    InterlockedIncrement((LONG *)view);
    UnmapViewOfFile((void *)view);
    CloseHandle(made);
    return 1;
}

volatile LONG *settingsGeneration()
{
    if (!counter) counter = mapCounter(&mapping);
    return counter;
}

void releaseSettingsGeneration()
{
    if (counter) UnmapViewOfFile((void *)counter);
    if (mapping) CloseHandle(mapping);
    counter = NULL;
    mapping = NULL;
}
