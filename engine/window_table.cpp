// The window table and its insertion, removal and restore protocols.
#include "engine/window_table.h"

int windowTableCapacity = windowTableSlots;
HWND windowHandles[windowTableSlots];
WNDPROC previousProcs[windowTableSlots];
int regionApplied[windowTableSlots];
int rolledUp[windowTableSlots];
int unrolledHeight[windowTableSlots];

int findWindowSlot(HWND window)
{
    for (int i = 0; i < windowTableCapacity; i++)
        if (windowHandles[i] == window) return i;
    return -1;
}

int findFreeSlot()
{
    return findWindowSlot(NULL);
}

int findWindowSlotInUse()
{
    for (int i = 0; i < windowTableCapacity; i++)
        if (windowHandles[i]) return i;
    return -1;
}

void clearWindowTable()
{
    for (int i = 0; i < windowTableCapacity; i++) {
        windowHandles[i] = NULL;
        previousProcs[i] = NULL;
        regionApplied[i] = 0;
        rolledUp[i] = 0;
        unrolledHeight[i] = 0;
    }
}

int subclassIntoTable(HWND window, WNDPROC newProc)
{
    if (!window || findWindowSlot(window) >= 0) return -1;
    for (;;) {
        int slot = findFreeSlot();
        if (slot < 0) return -1;
        // Two threads creating windows at once may find the same free slot;
        // the compare-exchange lets only one of them have it.
        if (InterlockedCompareExchangePointer((PVOID volatile *)&windowHandles[slot], window, NULL) != NULL)
            continue;
        previousProcs[slot] = (WNDPROC)GetWindowLongA(window, GWL_WNDPROC);
        SetWindowLongA(window, GWL_WNDPROC, (LONG)newProc);
        return slot;
    }
}

void releaseWindowSlot(HWND window)
{
    int slot = findWindowSlot(window);
    if (slot < 0) return;
    SetWindowLongA(window, GWL_WNDPROC, (LONG)previousProcs[slot]);
    previousProcs[slot] = NULL;
    rolledUp[slot] = 0;
    unrolledHeight[slot] = 0;
    regionApplied[slot] = 0;
    // The handle goes last: clearing it is what frees the slot for others.
    InterlockedExchangePointer((PVOID volatile *)&windowHandles[slot], NULL);
}

void restoreAllWindows(WNDPROC newProc, DWORD pauseBeforeUnroll)
{
    for (int slot = 0; slot < windowTableCapacity; slot++) {
        HWND window = windowHandles[slot];
        if (!window) continue;
        if ((WNDPROC)GetWindowLongA(window, GWL_WNDPROC) == newProc)
            SetWindowLongA(window, GWL_WNDPROC, (LONG)previousProcs[slot]);
        else
            Beep(0, 0);
        if (rolledUp[slot] == 1) {
            if (pauseBeforeUnroll) Sleep(pauseBeforeUnroll);
            RECT r;
            GetWindowRect(window, &r);
            rolledUp[slot] = 0;
            SetWindowPos(window, HWND_BOTTOM, 0, 0, r.right - r.left, unrolledHeight[slot], shadeResizeFlags);
            unrolledHeight[slot] = 0;
        }
    }
}
