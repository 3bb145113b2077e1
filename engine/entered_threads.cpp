// The table of entered threads.
#include "engine/entered_threads.h"

#include "engine/engine_lock.h"
#include "engine/loader_entry.h"
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
// Recording, forgetting and leaving change the table under the engine lock
// (engine/engine_lock.h); the look for a thread already entered reads
// without it, and recording looks again. Thread detach forgets a thread
// under the system's loader lock, which is why nothing here loads a library
// or waits while holding it.

// Whether a thread has the hooks is also kept in a slot of the thread's own,
// as the leaving round it was entered in: a thread killed without telling the
// library leaves its id in the table, and a new thread given that id must
// still be entered. Without a slot the table alone tells.
static DWORD entrySlot = TLS_OUT_OF_INDEXES;
static volatile LONG leavingRound = 1;

static LONG tablePlace(DWORD thread)
{
    const LONG count = enteredCount;
    for (LONG i = 0; i < count; i++)
        if (entered[i].thread == thread) return i;
    return -1;
}

int thisThreadEntered()
{
    const DWORD slot = entrySlot;
    if (slot != TLS_OUT_OF_INDEXES) return TlsGetValue(slot) == (LPVOID)(LONG_PTR)leavingRound;
    return tablePlace(GetCurrentThreadId()) >= 0;
}

int recordEnteredThread(HHOOK before, HHOOK after)
{
    const DWORD thread = GetCurrentThreadId();
    int recorded = 0;
    takeEngineLock();
    if (entrySlot == TLS_OUT_OF_INDEXES) entrySlot = TlsAlloc();
    LONG place = tablePlace(thread);
    if (!entryByEventsOn()) {
        // The loader stopped while the hooks went in.
    } else if (thisThreadEntered()) {
        // Missed by a look taken while another thread's entry moved.
    } else if (place < 0 && enteredCount >= enteredRoom) {
        traceEngine("thread %lu not entered: %d threads have the hooks", (unsigned long)thread, (int)enteredRoom);
    } else {
        // A place already under this id was a killed thread's, whose hooks
        // went with it.
        const bool added = place < 0;
        if (added) place = enteredCount;
        entered[place].thread = thread;
        entered[place].before = before;
        entered[place].after = after;
        if (added) InterlockedIncrement(&enteredCount);
        if (entrySlot != TLS_OUT_OF_INDEXES) TlsSetValue(entrySlot, (LPVOID)(LONG_PTR)leavingRound);
        recorded = 1;
    }
    dropEngineLock();
    return recorded;
}

int enteredThreadCount() { return (int)enteredCount; }

void forgetEnteredThread(DWORD thread)
{
    if (!enteredCount) return;
    takeEngineLock();
    for (LONG i = 0; i < enteredCount; i++) {
        if (entered[i].thread != thread) continue;
        entered[i] = entered[enteredCount - 1];
        InterlockedDecrement(&enteredCount);
        break;
    }
    dropEngineLock();
}

void leaveEnteredThreads()
{
    // The hooks are taken out of the table under the lock and removed after
    // it: a removal is a call to the system, which the lock never waits on.
    EnteredThread leaving[enteredRoom];
    takeEngineLock();
    const LONG count = enteredCount;
    for (LONG i = 0; i < count; i++) leaving[i] = entered[i];
    InterlockedExchange(&enteredCount, 0);
    InterlockedIncrement(&leavingRound);
    dropEngineLock();
    // A hook of another thread of the process can be removed from here; a
    // thread that has ended took its hooks with it, and the call just fails.
    for (LONG i = 0; i < count; i++) {
        UnhookWindowsHookEx(leaving[i].before);
        UnhookWindowsHookEx(leaving[i].after);
    }
    if (count) traceEngine("the loader stopped: %ld threads left", (long)count);
}

void closeEnteredThreads()
{
    if (entrySlot != TLS_OUT_OF_INDEXES) TlsFree(entrySlot);
    entrySlot = TLS_OUT_OF_INDEXES;
}
