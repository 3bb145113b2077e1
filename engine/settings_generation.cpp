// The shared settings generation.
#include "engine/settings_generation.h"

#include <string.h>

#include "engine/newer_functions.h"

static const DWORD blockSize = sizeof(SharedSettingsBlock);
static HANDLE mapping;
static volatile SharedSettingsBlock *block;
static volatile LONG *ownProcessSlot;  // NULL when counted in the overflow

static volatile SharedProcess *ownEntry(volatile SharedSettingsBlock *b)
{
    return sizeof(void *) == 8 ? &b->entry64 : &b->entry32;
}

static int processRuns(DWORD id)
{
    HANDLE process = id ? OpenProcess(SYNCHRONIZE, FALSE, id) : NULL;
    if (!process) return 0;
    const int runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return runs;
}

// NT only: Windows 95 and 98 have no creation time, and there a process in
// the block is named by its id alone.
typedef BOOL(WINAPI *GetProcessTimesFunction)(HANDLE process, FILETIME *created, FILETIME *exited,
                                              FILETIME *kernel, FILETIME *user);

static int creationTime(HANDLE process, LONG *low, LONG *high)
{
    GetProcessTimesFunction getProcessTimes =
        (GetProcessTimesFunction)findNewerFunction("kernel32.dll", "GetProcessTimes");
    FILETIME created, exited, kernel, user;
    if (!getProcessTimes || !getProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    *low = (LONG)created.dwLowDateTime;
    *high = (LONG)created.dwHighDateTime;
    return 1;
}

// A process named in the block runs when a process of its id runs and was
// made at the time recorded beside the id: a killed process's id given to
// another, or an id some program wrote there, names nobody.
static int namedProcessRuns(LONG id, LONG createdLow, LONG createdHigh)
{
    if (!id) return 0;
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, (DWORD)id);
    // Another user's process, or an elevated one, may refuse the query
    // right: for it the id alone counts, as before there were times.
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED && processRuns((DWORD)id);
    int runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    LONG low, high;
    if (runs && creationTime(process, &low, &high)) runs = low == createdLow && high == createdHigh;
    CloseHandle(process);
    return runs;
}

static int namedProcessRuns(const volatile SharedProcess *p)
{
    return namedProcessRuns(p->id, p->createdLow, p->createdHigh);
}

// The times go in before the id, so that a reader never finds the id with
// another process's time; 0 where the system keeps none.
static void nameProcess(volatile SharedProcess *p, DWORD id)
{
    LONG low = 0, high = 0;
    HANDLE process = id == GetCurrentProcessId() ? GetCurrentProcess()
                                                 : OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
    if (process) creationTime(process, &low, &high);
    if (process && process != GetCurrentProcess()) CloseHandle(process);
    InterlockedExchange((LONG *)&p->createdLow, low);
    InterlockedExchange((LONG *)&p->createdHigh, high);
    InterlockedExchange((LONG *)&p->id, (LONG)id);
}

const char *sharedBlockProblem(SharedBlockState state)
{
    switch (state) {
    case sharedBlockUsable: return "usable";
    case sharedBlockNotASection: return "its name is held by an object that is not shared memory";
    case sharedBlockNotMade: return "the system would not make it";
    case sharedBlockNotMapped: return "it could not be mapped for writing";
    case sharedBlockTooSmall: return "it is smaller than the block";
    case sharedBlockNotWritable: return "its pages are not committed and writable";
    case sharedBlockNotUnderstood: return "it holds another program's data or another layout";
    }
    return "unknown";
}

// One counter per engine folder, so that programs reading another folder
// (the tests' own) never see this one's changes. A name may not hold a
// backslash, and the same folder must give the same name whatever the case
// it was spelled in.
void sharedBlockName(const char *windowsDirectory, char *name, int size)
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

// Every byte of the block must be committed and writable before anything
// reads or writes it: another program may have made a smaller section of
// the name, or one with pages reserved only, or read-only, and a fault here
// would come inside DllMain of every program.
static SharedBlockState viewCoversBlock(const void *view)
{
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(view, &region, sizeof region) != sizeof region) return sharedBlockNotMapped;
    if (region.State != MEM_COMMIT) return sharedBlockNotWritable;
    const DWORD writable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (!(region.Protect & writable) || (region.Protect & (PAGE_GUARD | PAGE_NOACCESS))) return sharedBlockNotWritable;
    // The region runs on from the view's start while the pages stay alike.
    const SIZE_T covered = region.RegionSize - ((const char *)view - (const char *)region.BaseAddress);
    if (covered < blockSize) return sharedBlockTooSmall;
    return sharedBlockUsable;
}

// A zeroed block is a new one: the first to see it writes the layout, then
// the magic; racing openers of the same layout agree whatever their order.
static SharedBlockState blockUnderstood(volatile SharedSettingsBlock *b)
{
    InterlockedCompareExchange((LONG *)&b->layout, sharedBlockLayout, 0);
    InterlockedCompareExchange((LONG *)&b->magic, sharedBlockMagic, 0);
    if (b->magic != sharedBlockMagic || b->layout != sharedBlockLayout) return sharedBlockNotUnderstood;
    return sharedBlockUsable;
}

// watched: 1 when the block was there already, that is, when some process
// with the engine follows this folder.
static volatile SharedSettingsBlock *mapBlock(const char *windowsDirectory, HANDLE *made, SharedBlockState *state,
                                              int *watched = NULL)
{
    char name[MAX_PATH + 32];
    sharedBlockName(windowsDirectory, name, sizeof name);
    SharedBlockState ignored;
    if (!state) state = &ignored;
    *made = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, blockSize, name);
    if (watched) *watched = *made && GetLastError() == ERROR_ALREADY_EXISTS;
    if (!*made) {
        *state = GetLastError() == ERROR_INVALID_HANDLE ? sharedBlockNotASection : sharedBlockNotMade;
        return NULL;
    }
    void *view = MapViewOfFile(*made, FILE_MAP_WRITE, 0, 0, blockSize);
    *state = view ? viewCoversBlock(view) : sharedBlockNotMapped;
    if (*state == sharedBlockUsable) *state = blockUnderstood((volatile SharedSettingsBlock *)view);
    if (*state != sharedBlockUsable) {
        if (view) UnmapViewOfFile(view);
        CloseHandle(*made);
        *made = NULL;
        return NULL;
    }
    return (volatile SharedSettingsBlock *)view;
}

static void unmapBlock(volatile SharedSettingsBlock *b, HANDLE made)
{
    UnmapViewOfFile((void *)b);
    CloseHandle(made);
}

int announceSettingsChange(const char *windowsDirectory, int wake, SharedBlockState *state)
{
    HANDLE made;
    int watched;
    volatile SharedSettingsBlock *b = mapBlock(windowsDirectory, &made, state, &watched);
    if (!b) return 0;
    InterlockedIncrement((LONG *)&b->generation);
    unmapBlock(b, made);
    // Not waited for: a hung program must not hold up the tool. Nobody to
    // wake when no program follows the folder.
    if (watched && wake) SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA(settingsChangeMessageName), 0, 0);
    return 1;
}

// A free place in the table, else the place of a process that has ended.
// The id is taken first, its time written just after: a process that looks
// for an ended one meanwhile sees the time change and leaves the place.
static volatile LONG *takeProcessSlot(volatile SharedSettingsBlock *b, DWORD id)
{
    for (int pass = 0; pass < 2; pass++) {
        for (int i = 0; i < sharedProcessRoom; i++) {
            volatile SharedProcess *p = &b->processes[i];
            const LONG held = p->id, low = p->createdLow, high = p->createdHigh;
            if (held != 0 && (pass == 0 || namedProcessRuns(held, low, high))) continue;
            if (held != 0 && (p->createdLow != low || p->createdHigh != high)) continue;
            if (InterlockedCompareExchange((LONG *)&p->id, (LONG)id, held) != held) continue;
            LONG ownLow = 0, ownHigh = 0;
            creationTime(GetCurrentProcess(), &ownLow, &ownHigh);
            InterlockedExchange((LONG *)&p->createdLow, ownLow);
            InterlockedExchange((LONG *)&p->createdHigh, ownHigh);
            return &p->id;
        }
    }
    return NULL;
}

volatile LONG *settingsGeneration(const char *windowsDirectory, SharedBlockState *state)
{
    releaseSettingsGeneration();
    block = mapBlock(windowsDirectory, &mapping, state);
    if (!block) return NULL;
    ownProcessSlot = takeProcessSlot(block, GetCurrentProcessId());
    if (!ownProcessSlot) InterlockedIncrement((LONG *)&block->overflow);
    return &block->generation;
}

void releaseSettingsGeneration()
{
    if (block && ownProcessSlot)
        InterlockedCompareExchange((LONG *)ownProcessSlot, 0, (LONG)GetCurrentProcessId());
    else if (block)
        InterlockedDecrement((LONG *)&block->overflow);
    if (block) UnmapViewOfFile((void *)block);
    if (mapping) CloseHandle(mapping);
    block = NULL;
    ownProcessSlot = NULL;
    mapping = NULL;
}

LONG processesWithEngine(const char *windowsDirectory)
{
    char name[MAX_PATH + 32];
    sharedBlockName(windowsDirectory, name, sizeof name);
    // Only looked at: a folder whose block nobody made has no program.
    HANDLE existing = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (!existing) return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : -1;
    CloseHandle(existing);
    HANDLE made;
    volatile SharedSettingsBlock *b = mapBlock(windowsDirectory, &made, NULL);
    if (!b) return -1;
    LONG count = b->overflow;
    for (int i = 0; i < sharedProcessRoom; i++)
        if (namedProcessRuns(&b->processes[i])) count++;
    unmapBlock(b, made);
    return count;
}

int openGenerationView(const char *windowsDirectory, GenerationView *view, SharedBlockState *state)
{
    view->block = mapBlock(windowsDirectory, &view->mapping, state);
    view->generation = view->block ? &view->block->generation : NULL;
    return view->block != NULL;
}

void closeGenerationView(GenerationView *view)
{
    if (view->block) UnmapViewOfFile((void *)view->block);
    if (view->mapping) CloseHandle(view->mapping);
    view->block = NULL;
    view->generation = NULL;
    view->mapping = NULL;
}

int publishEntryByEvents(const char *windowsDirectory, DWORD loader)
{
    HANDLE made;
    volatile SharedSettingsBlock *b = mapBlock(windowsDirectory, &made, NULL);
    if (!b) return 0;
    if (loader)
        nameProcess(ownEntry(b), loader);
    else
        InterlockedExchange((LONG *)&ownEntry(b)->id, 0);
    unmapBlock(b, made);
    return 1;
}

// A loader that was killed never cleared its slot.
int entryByEventsOn() { return block && namedProcessRuns(ownEntry(block)); }
