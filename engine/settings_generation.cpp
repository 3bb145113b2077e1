// The shared settings generation.
#include "engine/settings_generation.h"

#include <string.h>

// The shared block: the generation; the processes with the engine that
// found no room in the table at its end; for each bitness the process id of
// the loader that enters programs by window events; and the table, a
// process id per process that has the engine, so that one that was killed,
// and never took itself off, is not counted.
enum {
    generationAt = 0,
    overflowAt = 1,
    entryAt32 = 2,
    entryAt64 = 3,
    processesAt = 4,
    processRoom = 512,
    blockLongs = processesAt + processRoom
};
static const int ownEntryAt = sizeof(void *) == 8 ? entryAt64 : entryAt32;
static HANDLE mapping;
static volatile LONG *counter;
static volatile LONG *ownProcessSlot;  // NULL when counted in the overflow

static int processRuns(DWORD id)
{
    HANDLE process = id ? OpenProcess(SYNCHRONIZE, FALSE, id) : NULL;
    if (!process) return 0;
    const int runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}

// One counter per engine folder, so that programs reading another folder
// (the tests' own) never see this one's changes. A name may not hold a
// backslash, and the same folder must give the same name whatever the case
// it was spelled in.
static void counterName(const char *windowsDirectory, char *name, int size)
{
    char directory[MAX_PATH];
    if (!windowsDirectory) {
        if (!GetWindowsDirectoryA(directory, sizeof directory)) directory[0] = 0;
        windowsDirectory = directory;
    }
    lstrcpynA(name, "VarnelSettingsGeneration ", size);
    int at = lstrlenA(name);
    for (const char *c = windowsDirectory; *c && at < size - 1; c++, at++)
        name[at] = *c == '\\' ? '/' : (*c >= 'A' && *c <= 'Z') ? (char)(*c - 'A' + 'a') : *c;
    name[at] = 0;
}

// watched: 1 when the counter was there already, that is, when some process
// with the engine follows this folder.
static volatile LONG *mapCounter(const char *windowsDirectory, HANDLE *made, int *watched = NULL)
{
    char name[MAX_PATH + 32];
    counterName(windowsDirectory, name, sizeof name);
    *made = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, blockLongs * sizeof(LONG), name);
    if (watched) *watched = *made && GetLastError() == ERROR_ALREADY_EXISTS;
    if (!*made) return NULL;
    void *view = MapViewOfFile(*made, FILE_MAP_WRITE, 0, 0, blockLongs * sizeof(LONG));
    if (!view) {
        CloseHandle(*made);
        *made = NULL;
    }
    return (volatile LONG *)view;
}

int announceSettingsChange(const char *windowsDirectory, int wake)
{
    HANDLE made;
    int watched;
    volatile LONG *view = mapCounter(windowsDirectory, &made, &watched);
    if (!view) return 0;
    InterlockedIncrement((LONG *)view);
    UnmapViewOfFile((void *)view);
    CloseHandle(made);
    // Not waited for: a hung program must not hold up the tool. Nobody to
    // wake when no program follows the folder.
    if (watched && wake) SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA(settingsChangeMessageName), 0, 0);
    return 1;
}

// A free place in the table, else the place of a process that has ended.
static volatile LONG *takeProcessSlot(volatile LONG *block, LONG id)
{
    for (int pass = 0; pass < 2; pass++) {
        for (int i = processesAt; i < blockLongs; i++) {
            const LONG held = block[i];
            if (held != 0 && (pass == 0 || processRuns((DWORD)held))) continue;
            if (InterlockedCompareExchange((LONG *)&block[i], id, held) == held) return &block[i];
        }
    }
    return NULL;
}

volatile LONG *settingsGeneration(const char *windowsDirectory)
{
    releaseSettingsGeneration();
    counter = mapCounter(windowsDirectory, &mapping);
    if (!counter) return NULL;
    ownProcessSlot = takeProcessSlot(counter, (LONG)GetCurrentProcessId());
    if (!ownProcessSlot) InterlockedIncrement((LONG *)&counter[overflowAt]);
    return counter;
}

void releaseSettingsGeneration()
{
    if (counter && ownProcessSlot)
        InterlockedCompareExchange((LONG *)ownProcessSlot, 0, (LONG)GetCurrentProcessId());
    else if (counter)
        InterlockedDecrement((LONG *)&counter[overflowAt]);
    if (counter) UnmapViewOfFile((void *)counter);
    if (mapping) CloseHandle(mapping);
    counter = NULL;
    ownProcessSlot = NULL;
    mapping = NULL;
}

LONG processesWithEngine(const char *windowsDirectory)
{
    char name[MAX_PATH + 32];
    counterName(windowsDirectory, name, sizeof name);
    HANDLE existing = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    if (!existing) return 0;
    const volatile LONG *view = (const volatile LONG *)MapViewOfFile(existing, FILE_MAP_READ, 0, 0, 0);
    LONG count = 0;
    if (view) {
        count = view[overflowAt];
        for (int i = processesAt; i < blockLongs; i++)
            if (view[i] && processRuns((DWORD)view[i])) count++;
        UnmapViewOfFile((const void *)view);
    }
    CloseHandle(existing);
    return count;
}

int openGenerationView(const char *windowsDirectory, GenerationView *view)
{
    view->generation = mapCounter(windowsDirectory, &view->mapping);
    return view->generation != NULL;
}

void closeGenerationView(GenerationView *view)
{
    if (view->generation) UnmapViewOfFile((void *)view->generation);
    if (view->mapping) CloseHandle(view->mapping);
    view->generation = NULL;
    view->mapping = NULL;
}

void publishEntryByEvents(const char *windowsDirectory, DWORD loader)
{
    HANDLE made;
    volatile LONG *view = mapCounter(windowsDirectory, &made);
    if (!view) return;
    InterlockedExchange((LONG *)&view[ownEntryAt], (LONG)loader);
    UnmapViewOfFile((void *)view);
    CloseHandle(made);
}

// The loader's process id: a loader that was killed never cleared it.
int entryByEventsOn() { return counter && processRuns((DWORD)counter[ownEntryAt]); }
