// The shared settings generation.
#include "engine/settings_generation.h"

#include <string.h>

// The shared block: the generation, the processes that have the engine,
// then for each bitness whether its loader enters programs by window events.
enum { generationAt = 0, processesAt = 1, entryAt32 = 2, entryAt64 = 3, blockLongs = 4 };
static const int ownEntryAt = sizeof(void *) == 8 ? entryAt64 : entryAt32;
static HANDLE mapping;
static volatile LONG *counter;

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

volatile LONG *settingsGeneration(const char *windowsDirectory)
{
    releaseSettingsGeneration();
    counter = mapCounter(windowsDirectory, &mapping);
    if (counter) InterlockedIncrement((LONG *)&counter[processesAt]);
    return counter;
}

void releaseSettingsGeneration()
{
    if (counter) InterlockedDecrement((LONG *)&counter[processesAt]);
    if (counter) UnmapViewOfFile((void *)counter);
    if (mapping) CloseHandle(mapping);
    counter = NULL;
    mapping = NULL;
}

LONG processesWithEngine(const char *windowsDirectory)
{
    char name[MAX_PATH + 32];
    counterName(windowsDirectory, name, sizeof name);
    HANDLE existing = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    if (!existing) return 0;
    const volatile LONG *view = (const volatile LONG *)MapViewOfFile(existing, FILE_MAP_READ, 0, 0, 0);
    const LONG count = view ? view[processesAt] : 0;
    if (view) UnmapViewOfFile((const void *)view);
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
int entryByEventsOn()
{
    const DWORD loader = counter ? (DWORD)counter[ownEntryAt] : 0;
    if (!loader) return 0;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, loader);
    if (!process) return 0;
    const int runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}
