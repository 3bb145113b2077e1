// The window table and its insertion, removal and restore protocols.
//
// Every message of every subclassed window looks its window up, so beside the
// arrays the table keeps a hash index (buckets of slots chained through
// nextInBucket) that finds a window's slot in a step or two whatever the
// table holds, and a hint below which every slot is in use, so a free slot is
// found without scanning the used ones. Lookups take no lock; insertion and
// removal, which happen once per window, change the index under the engine
// lock (engine/engine_lock.h). A lookup that misses the index (a slot written
// directly, or a chain changing under the reader) falls back to the scan, so
// the index can only make a lookup faster, never wrong.
#include "engine/window_table.h"

#include "engine/engine_lock.h"
#include "engine/newer_functions.h"
#include "engine/trace.h"

int windowTableCapacity = windowTableSlots;
HWND windowHandles[windowTableSlots];
WNDPROC previousProcs[windowTableSlots];
int regionApplied[windowTableSlots];
int rolledUp[windowTableSlots];
int unrolledHeight[windowTableSlots];
int unicodeWindows[windowTableSlots];
WNDPROC installedProcs[windowTableSlots];
int styleChangeHidden[windowTableSlots];
int frameActivation[windowTableSlots];

enum { indexBits = 14, indexSize = 1 << indexBits };

// Slot + 1 of the first window of each bucket, and of the next one in the
// same bucket; 0 ends a chain.
static volatile LONG bucketHead[indexSize];
static volatile LONG nextInBucket[windowTableSlots];
// Every slot below it is in use.
static volatile LONG lowestFreeHint;

// A handle is pointer-sized; on 64-bit Windows its upper half is folded in
// (shifted twice, so that a 32-bit build folds in nothing and hashes as it
// always did).
static unsigned bucketOf(HWND window)
{
    const ULONG_PTR handle = (ULONG_PTR)window;
    unsigned v = (unsigned)(handle ^ (handle >> 16 >> 16));
    return ((v ^ (v >> 16)) * 2654435761u) >> (32 - indexBits);
}

static int scanForWindow(HWND window)
{
    for (int i = 0; i < windowTableCapacity; i++)
        if (windowHandles[i] == window) return i;
    return -1;
}

int findWindowSlot(HWND window)
{
    if (window) {
        int steps = 0;
        for (LONG s = bucketHead[bucketOf(window)]; s != 0 && steps < windowTableSlots; s = nextInBucket[s - 1], steps++)
            if (windowHandles[s - 1] == window && s - 1 < windowTableCapacity) return s - 1;
    }
    return scanForWindow(window);
}

static int findFreeSlotFrom(int start)
{
    for (int i = start; i < windowTableCapacity; i++)
        if (!windowHandles[i]) return i;
    return -1;
}

int findFreeSlot()
{
    return findFreeSlotFrom(lowestFreeHint);
}

int findWindowSlotInUse()
{
    for (int i = 0; i < windowTableCapacity; i++)
        if (windowHandles[i]) return i;
    return -1;
}

// Every column of a slot but its handle.
static void clearSlotColumns(int slot)
{
    previousProcs[slot] = NULL;
    installedProcs[slot] = NULL;
    rolledUp[slot] = 0;
    unrolledHeight[slot] = 0;
    regionApplied[slot] = 0;
    unicodeWindows[slot] = 0;
    styleChangeHidden[slot] = 0;
    frameActivation[slot] = frameStateUnknown;
}

void clearWindowTable()
{
    takeEngineLock();
    for (int i = 0; i < windowTableCapacity; i++) {
        windowHandles[i] = NULL;
        clearSlotColumns(i);
    }
    for (int i = 0; i < windowTableSlots; i++) nextInBucket[i] = 0;
    for (int i = 0; i < indexSize; i++) bucketHead[i] = 0;
    lowestFreeHint = 0;
    dropEngineLock();
}

static void addToIndex(int slot, HWND window)
{
    takeEngineLock();
    unsigned b = bucketOf(window);
    nextInBucket[slot] = bucketHead[b];
    // The slot is complete before it becomes reachable.
    InterlockedExchange(&bucketHead[b], slot + 1);
    dropEngineLock();
}

static void removeFromIndex(int slot, HWND window)
{
    takeEngineLock();
    volatile LONG *link = &bucketHead[bucketOf(window)];
    while (*link != 0 && *link != slot + 1) link = &nextInBucket[*link - 1];
    // A reader standing on the slot still finds its way on through the
    // slot's own link, which is left as it is.
    if (*link == slot + 1) InterlockedExchange(link, nextInBucket[slot]);
    dropEngineLock();
}

static void lowerFreeHint(int slot)
{
    LONG hint = lowestFreeHint;
    while (slot < hint) {
        LONG seen = InterlockedCompareExchange(&lowestFreeHint, slot, hint);
        if (seen == hint) break;
        hint = seen;
    }
}

// The window's procedure as seen from the character set the engine calls it
// in, and its replacement in the same set.
static WNDPROC readProcedure(HWND window, int unicode)
{
    return (WNDPROC)(unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC) : GetWindowLongPtrA(window, GWLP_WNDPROC));
}

static void writeProcedure(HWND window, int unicode, WNDPROC procedure)
{
    if (unicode)
        SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)procedure);
    else
        SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)procedure);
}

int subclassIntoTable(HWND window, WNDPROC ansiProc, WNDPROC unicodeProc)
{
    if (!window || findWindowSlot(window) >= 0) return -1;
    for (;;) {
        LONG start = lowestFreeHint;
        int slot = findFreeSlotFrom(start);
        if (slot < 0) {
            traceEngine("window table full (%d slots): window %p is not subclassed", windowTableCapacity, window);
            return -1;
        }
        // Two threads creating windows at once may find the same free slot;
        // the compare-exchange lets only one of them have it.
        if (InterlockedCompareExchangePointer((PVOID volatile *)&windowHandles[slot], window, NULL) != NULL)
            continue;
        // Every slot from start to this one was seen in use. A release in
        // between lowers the hint, and then this exchange does nothing.
        InterlockedCompareExchange(&lowestFreeHint, slot + 1, start);
        // IsWindowUnicode is FALSE for every window on 95, 98 and ME.
        const int unicode = unicodeProc != NULL && IsWindowUnicode(window);
        unicodeWindows[slot] = unicode;
        previousProcs[slot] = readProcedure(window, unicode);
        installedProcs[slot] = unicode ? unicodeProc : ansiProc;
        addToIndex(slot, window);
        writeProcedure(window, unicode, installedProcs[slot]);
        return slot;
    }
}

static int engineProcedureIsCurrent(int slot)
{
    return readProcedure(windowHandles[slot], unicodeWindows[slot]) == installedProcs[slot];
}

static void freeSlot(int slot, HWND window)
{
    clearSlotColumns(slot);
    removeFromIndex(slot, window);
    // The handle goes last: clearing it is what frees the slot for others.
    InterlockedExchangePointer((PVOID volatile *)&windowHandles[slot], NULL);
    lowerFreeHint(slot);
}

int releaseWindowSlot(HWND window)
{
    const int slot = findWindowSlot(window);
    if (slot < 0 || !engineProcedureIsCurrent(slot)) return 0;
    writeProcedure(window, unicodeWindows[slot], previousProcs[slot]);
    freeSlot(slot, window);
    return 1;
}

void forgetWindowSlot(HWND window)
{
    const int slot = findWindowSlot(window);
    if (slot >= 0) freeSlot(slot, window);
}

// A window somebody subclassed after the engine keeps their procedure, and
// theirs still calls the engine's. The library must then stay mapped for the
// life of the process, or that call lands in freed memory: it is pinned, and
// its procedure, finding the slot still recorded, hands such calls on.
typedef BOOL(WINAPI *GetModuleHandleExFunction)(DWORD flags, LPCSTR name, HMODULE *module);

static void keepLibraryMapped(WNDPROC procedure)
{
    GetModuleHandleExFunction getModuleHandleEx =
        (GetModuleHandleExFunction)findNewerFunction("kernel32.dll", "GetModuleHandleExA");
    HMODULE module = NULL;
    if (getModuleHandleEx) {
        getModuleHandleEx(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN, (LPCSTR)procedure,
                          &module);
        return;
    }
    // Before XP: one more load of the library's own file, never freed. The
    // region the procedure lies in starts at the library's base, which is
    // its module handle.
    MEMORY_BASIC_INFORMATION region;
    if (!VirtualQuery((LPCVOID)procedure, &region, sizeof region)) return;
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA((HMODULE)region.AllocationBase, path, sizeof path);
    if (length > 0 && length < sizeof path) LoadLibraryA(path);
}

void restoreAllWindows()
{
    int pinned = 0;
    for (int slot = 0; slot < windowTableCapacity; slot++) {
        HWND window = windowHandles[slot];
        if (!window) continue;
        if (engineProcedureIsCurrent(slot)) {
            writeProcedure(window, unicodeWindows[slot], previousProcs[slot]);
        } else {
            Beep(0, 0);
            if (!pinned && IsWindow(window)) {
                keepLibraryMapped(installedProcs[slot]);
                pinned = 1;
            }
        }
    }
}
