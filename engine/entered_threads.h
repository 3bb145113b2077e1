// The threads of this process that the engine entered by a window event and
// gave its two message hooks as thread hooks (hooks/thread_entry.h), and
// their leaving when the loader that entered them stops.
#pragma once

#include <windows.h>

// 1 when the calling thread has the hooks.
int thisThreadEntered();

// Notes the calling thread's two hooks. Returns 0, keeping nothing, when the
// loader no longer enters programs, the thread has its hooks already or the
// table is full: the caller removes them.
int recordEnteredThread(HHOOK before, HHOOK after);

// Threads that have the hooks now.
int enteredThreadCount();

// A thread that ends takes its hooks with it; its id may come back as a
// new thread's, which must be entered afresh.
void forgetEnteredThread(DWORD thread);

// Every entered thread's hooks removed, from whichever thread of the
// process notices first that the loader stopped. The windows keep what they
// have, as when a global hook is removed under Wine; where the system frees
// the library once no hook needs it, its detach gives them back.
void leaveEnteredThreads();

// At unload: the thread slot given back.
void closeEnteredThreads();
