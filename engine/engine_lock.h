// The engine's one lock. Threads of a process share a little bookkeeping:
// the window table's index, the entered threads, the settings snapshots and
// their holders, the kept title strips, and a skin bitmap while a paint
// copies it out. Each of them changes only while a thread holds this lock,
// for the few steps the bookkeeping takes (some are read without it, as
// their files say).
//
// While holding it, a thread may read and write the engine's own tables, and
// make, select, copy between and delete GDI objects that no window owns
// (memory DCs and the bitmaps in them). It never:
//   - draws into a window's DC, or any DC it was handed: composition happens
//     in a memory DC, the copy to the window after the lock is dropped;
//   - sends a message or calls a window procedure (either can re-enter the
//     engine, or wait for another thread that waits for the lock);
//   - waits on anything else: an event, a thread, a process, another lock;
//   - loads, frees or looks up a library, or starts a thread: the system's
//     loader lock is held while the engine detaches from the process and
//     from each ending thread, and both take this lock under it.
// Nothing taken under it takes it again.
//
// Windows 95 and NT 4.0 have critical sections. The lock is opened at
// attach (under the loader lock, before any hook can run in the process)
// and closed by the library's entry point when the library goes. A process
// that uses the engine's code without attaching (the settings window's
// preview, the suites before their first attach) opens it at its first use,
// from its first thread; once open it stays open until closed.
#pragma once

#include <windows.h>

// Does nothing when it is open already.
void openEngineLock();
// After the library's detach: nothing of the engine takes it any more.
void closeEngineLock();
// Detach of a process that is ending: every other thread is gone, possibly
// while it held the lock, so from now on taking it does nothing.
void bypassEngineLock();

void takeEngineLock();
void dropEngineLock();

// The thread holding the lock, 0 when none: for tests, which hold the engine
// to the rule that every turn ends.
extern volatile DWORD engineLockOwner;
