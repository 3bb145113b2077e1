// The table of processes with the engine (process_table.h).
#include "engine/process_table.h"

#include "engine/newer_functions.h"

// NULL when counted in the overflow, or not in the table at all.
static volatile LONG *ownProcessSlot;
static int joined;

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

int namedProcessRuns(const volatile SharedProcess *p) { return namedProcessRuns(p->id, p->createdLow, p->createdHigh); }

void nameProcess(volatile SharedProcess *p, DWORD id)
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

void joinProcessTable(volatile SharedSettingsBlock *block)
{
    ownProcessSlot = takeProcessSlot(block, GetCurrentProcessId());
    if (!ownProcessSlot) InterlockedIncrement((LONG *)&block->overflow);
    joined = 1;
}

void leaveProcessTable(volatile SharedSettingsBlock *block)
{
    if (!joined) return;
    if (ownProcessSlot)
        InterlockedCompareExchange((LONG *)ownProcessSlot, 0, (LONG)GetCurrentProcessId());
    else
        InterlockedDecrement((LONG *)&block->overflow);
    ownProcessSlot = NULL;
    joined = 0;
}

int processInOverflow() { return joined && !ownProcessSlot; }

LONG processesWithEngine(const char *windowsDirectory)
{
    // Only looked at: a folder whose block nobody made has no program.
    const int exists = sharedBlockExists(windowsDirectory);
    if (exists <= 0) return exists;
    HANDLE mapping;
    volatile SharedSettingsBlock *b = mapSharedBlock(windowsDirectory, &mapping);
    if (!b) return -1;
    LONG count = b->overflow;
    for (int i = 0; i < sharedProcessRoom; i++)
        if (namedProcessRuns(&b->processes[i])) count++;
    unmapSharedBlock(b, mapping);
    return count;
}
