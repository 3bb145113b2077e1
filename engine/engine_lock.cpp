// The engine's one lock, a critical section.
#include "engine/engine_lock.h"

enum { lockClosed = 0, lockOpen = 1, lockBypassed = 2 };

static CRITICAL_SECTION engineLock;
static volatile LONG lockState = lockClosed;
volatile DWORD engineLockOwner;
// Turns the owner has taken and not yet dropped.
static LONG ownerDepth;

void openEngineLock()
{
    if (lockState == lockOpen) return;
    InitializeCriticalSection(&engineLock);
    engineLockOwner = 0;
    ownerDepth = 0;
    lockState = lockOpen;
}

void closeEngineLock()
{
    const LONG was = lockState;
    lockState = lockClosed;
    // A lock bypassed in an ending process may still be owned by a thread
    // that is gone: the process's end takes it with everything else.
    if (was == lockOpen) DeleteCriticalSection(&engineLock);
    engineLockOwner = 0;
    ownerDepth = 0;
}

void bypassEngineLock()
{
    if (lockState == lockOpen) lockState = lockBypassed;
}

void takeEngineLock()
{
    if (lockState == lockBypassed) return;
    if (lockState == lockClosed) openEngineLock();
    EnterCriticalSection(&engineLock);
    engineLockOwner = GetCurrentThreadId();
    ownerDepth++;
}

void dropEngineLock()
{
    if (lockState != lockOpen) return;
    if (--ownerDepth == 0) engineLockOwner = 0;
    LeaveCriticalSection(&engineLock);
}
