// The table of entered threads.
#include "engine/entered_threads.h"

#include "engine/settings_generation.h"
#include "engine/trace.h"

struct EnteredThread {
    DWORD thread;
    HHOOK before, after;
};

// Programs have a few threads with windows; one beyond the room is left
// unskinned (and traced), never given half the hooks.
enum { enteredRoom = 128 };
static EnteredThread entered[enteredRoom];
static volatile LONG enteredCount;
// Recording, forgetting and leaving take turns; the look for a thread
// already entered reads without the lock, and recording looks again.
static volatile LONG tableLock;

static void takeLock()
{
    while (InterlockedCompareExchange(&tableLock, 1, 0) != 0) Sleep(0);
}
static void dropLock() { InterlockedExchange(&tableLock, 0); }

int threadEntered(DWORD thread)
{
    const LONG count = enteredCount;
    for (LONG i = 0; i < count; i++)
        if (entered[i].thread == thread) return 1;
    return 0;
}

int recordEnteredThread(DWORD thread, HHOOK before, HHOOK after)
{
    int recorded = 0;
    takeLock();
    if (!entryByEventsOn()) {
        // The loader stopped while the hooks went in.
    } else if (threadEntered(thread)) {
        // Missed by a look taken while another thread's entry moved.
    } else if (enteredCount >= enteredRoom) {
        traceEngine("thread %lu not entered: %d threads have the hooks", (unsigned long)thread, (int)enteredRoom);
    } else {
        entered[enteredCount].thread = thread;
        entered[enteredCount].before = before;
        entered[enteredCount].after = after;
        InterlockedIncrement(&enteredCount);
        recorded = 1;
    }
    dropLock();
    return recorded;
}

int enteredThreadCount() { return (int)enteredCount; }

void forgetEnteredThread(DWORD thread)
{
    if (!enteredCount) return;
    takeLock();
    for (LONG i = 0; i < enteredCount; i++) {
        if (entered[i].thread != thread) continue;
        entered[i] = entered[enteredCount - 1];
        InterlockedDecrement(&enteredCount);
        break;
    }
    dropLock();
}

void leaveEnteredThreads()
{
    takeLock();
    // A hook of another thread of the process can be removed from here; a
    // thread that has ended took its hooks with it, and the call just fails.
    for (LONG i = 0; i < enteredCount; i++) {
        UnhookWindowsHookEx(entered[i].before);
        UnhookWindowsHookEx(entered[i].after);
    }
    if (enteredCount) traceEngine("the loader stopped: %ld threads left", (long)enteredCount);
    InterlockedExchange(&enteredCount, 0);
    dropLock();
}
