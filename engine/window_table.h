// The table of windows the engine has subclassed: parallel arrays indexed by
// one slot number. A slot is in use exactly when its handle is not 0; a
// window occupies at most one slot.
#pragma once

#include <windows.h>

enum { windowTableSlots = 5000 };

extern int windowTableCapacity;   // the bound of every scan, 5000
extern HWND windowHandles[windowTableSlots];
extern WNDPROC previousProcs[windowTableSlots];
extern int regionApplied[windowTableSlots];
extern int rolledUp[windowTableSlots];
extern int unrolledHeight[windowTableSlots];
// 1 for a window that was Unicode when it was subclassed: it got the engine's
// Unicode procedure, its own procedure is called with CallWindowProcW, and
// it stays Unicode. Subclassing it through the ANSI functions would make it
// ANSI for good and lose every character outside the ANSI code page.
extern int unicodeWindows[windowTableSlots];
// The procedure the engine installed, in the window's character set: the
// window is the engine's to give back only while this is its procedure.
extern WNDPROC installedProcs[windowTableSlots];
// 1 while the engine itself takes WS_VISIBLE off the window or puts it back
// around the window's own handling of a message (so that the system does not
// paint its caption): the style-change messages this sends are the engine's,
// and the window's own procedure never sees them.
extern int styleChangeHidden[windowTableSlots];
// The activation state the window's frame was last given (WM_NCACTIVATE's
// wParam, as the system records it): unknown until the engine has seen one,
// as for a window subclassed while it stood on the screen.
enum { frameStateUnknown = 0, frameStateInactive = 1, frameStateActive = 2 };
extern int frameActivation[windowTableSlots];

// The first slot holding the window, or -1.
int findWindowSlot(HWND window);
// The lowest free slot, or -1 when the table is full.
int findFreeSlot();
void clearWindowTable();
// The first slot in use, or -1 when the table is empty.
int findWindowSlotInUse();

// Insertion: claims the lowest free slot for the window (safe against another
// thread claiming at the same moment), records its procedure and installs
// ansiProc, or unicodeProc on a Unicode window when one is given (without
// one, the window is subclassed as an ANSI window). Returns the slot, or -1
// when the window is already recorded or the table is full.
int subclassIntoTable(HWND window, WNDPROC ansiProc, WNDPROC unicodeProc = NULL);

// Removal after WM_DESTROY: while the engine's procedure is the window's,
// gives the window its own procedure back and frees its slot (returns 1).
// When somebody subclassed the window after the engine, the chain is left as
// it is, so that every procedure in it still sees WM_NCDESTROY, and the slot
// stays (returns 0) until forgetWindowSlot. A window that is not in the table
// is left alone.
int releaseWindowSlot(HWND window);
// After WM_NCDESTROY: frees the window's slot, whatever its procedure.
void forgetWindowSlot(HWND window);

// Unload: every recorded window that still has the engine's procedure gets
// its own procedure back (one somebody else subclassed after the engine
// keeps theirs, with a beep).
void restoreAllWindows();
