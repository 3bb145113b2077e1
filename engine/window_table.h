// The table of windows the engine has subclassed: five parallel arrays
// indexed by one slot number. A slot is in use exactly when its handle is
// not 0; a window occupies at most one slot.
#pragma once

#include <windows.h>

enum { windowTableSlots = 5000 };

extern int windowTableCapacity;   // the bound of every scan, 5000
extern HWND windowHandles[windowTableSlots];
extern WNDPROC previousProcs[windowTableSlots];
extern int regionApplied[windowTableSlots];
extern int rolledUp[windowTableSlots];
extern int unrolledHeight[windowTableSlots];

// The height a window is rolled up to, and the SetWindowPos flags of every
// roll-up and unroll: keep position, z-order and activation.
enum { rolledUpHeight = 25 };
enum { shadeResizeFlags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER };

// The first slot holding the window, or -1.
int findWindowSlot(HWND window);
// The lowest free slot, or -1 when the table is full.
int findFreeSlot();
void clearWindowTable();
// The first slot in use, or -1 when the table is empty.
int findWindowSlotInUse();

// Insertion: claims the lowest free slot for the window (safe against another
// thread claiming at the same moment), records its procedure and installs
// newProc. Returns the slot, or -1 when the window is already recorded or the
// table is full.
int subclassIntoTable(HWND window, WNDPROC newProc);

// Removal after WM_DESTROY: gives the window its own procedure back and frees
// its slot. A window that is not in the table is left alone.
void releaseWindowSlot(HWND window);

// Unload: every recorded window that still has newProc gets its own procedure
// back (one somebody else subclassed after the engine keeps theirs, with a
// beep), and rolled-up windows get their height back; pauseBeforeUnroll is
// the pause in milliseconds before each unroll.
void restoreAllWindows(WNDPROC newProc, DWORD pauseBeforeUnroll);
