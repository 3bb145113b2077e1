// The kept title strips.
#include "caption/strip_cache.h"

#include <string.h>

#include "engine/engine_lock.h"
#include "engine/kept_drawings.h"

// The kept entries first (stripCacheSlots), then the passing ones. Every
// field of an entry not held is read and written under the engine lock; a
// held entry's strip and GDI objects are its paint's alone until it gives
// the entry back.
static StripEntry entries[stripCacheSlots + passingStripSlots];
static unsigned useCounter;
int stripCacheLimit = stripCacheEntries;
unsigned stripCacheHits, stripCacheMisses;
// Whether the engine knows to drop the strips when the fonts they were drawn
// with may go (engine/kept_drawings.h); asked before the first strip is kept.
static volatile LONG dropperRegistered;

// The entries in use; an out-of-range limit counts as the usual bound.
static int inUse()
{
    return stripCacheLimit >= 1 && stripCacheLimit <= stripCacheSlots ? stripCacheLimit : stripCacheEntries;
}

// An entry's GDI objects, taken from it under the lock and deleted after the
// lock is dropped.
struct StripObjects {
    HDC memory;
    HBITMAP bitmap;
    HGDIOBJ previousBitmap;
};

static StripObjects emptyEntry(StripEntry &e)
{
    const StripObjects objects = {e.memory, e.bitmap, e.previousBitmap};
    memset(&e, 0, sizeof e);
    return objects;
}

static void deleteObjects(const StripObjects &objects)
{
    if (objects.memory) {
        SelectObject(objects.memory, objects.previousBitmap);
        DeleteDC(objects.memory);
    }
    if (objects.bitmap) DeleteObject(objects.bitmap);
}

static int sameTitle(const WindowText &a, const WindowText &b)
{
    if (a.unicode != b.unicode || a.length != b.length) return 0;
    return a.unicode ? memcmp(a.wide, b.wide, a.length * sizeof(WCHAR)) == 0
                     : memcmp(a.ansi, b.ansi, a.length) == 0;
}

StripEntry *findStrip(HWND window, const StripLook &look, const WindowText &title)
{
    const int n = inUse();
    takeEngineLock();
    for (int i = 0; i < n; i++) {
        StripEntry &e = entries[i];
        if (e.held || e.window != window || memcmp(&e.look, &look, sizeof look) != 0 || !sameTitle(e.title, title))
            continue;
        e.held = 1;
        e.lastUse = ++useCounter;
        stripCacheHits++;
        dropEngineLock();
        return &e;
    }
    stripCacheMisses++;
    dropEngineLock();
    return NULL;
}

// A 32-bit DIB section: cheaper to make than a bitmap compatible with the
// display, and the same pixels once copied.
static HBITMAP createStripBitmap(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = NULL;
    return CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0);
}

// The entry a new strip goes into: the window's strip of the same look (its
// title changed), else a free one, else the least recently used, of those
// no other paint holds. A window keeps its active and its inactive strip
// side by side. With every kept entry held, a passing one; NULL when those
// are all held too. Under the lock.
static StripEntry *entryFor(HWND window, const StripLook &look)
{
    const int n = inUse();
    for (int i = 0; i < n; i++)
        if (!entries[i].held && entries[i].window == window && memcmp(&entries[i].look, &look, sizeof look) == 0)
            return &entries[i];
    for (int i = 0; i < n; i++)
        if (!entries[i].held && !entries[i].window) return &entries[i];
    StripEntry *oldest = NULL;
    for (int i = 0; i < n; i++)
        if (!entries[i].held && (!oldest || entries[i].lastUse < oldest->lastUse)) oldest = &entries[i];
    if (oldest) return oldest;
    for (int i = stripCacheSlots; i < stripCacheSlots + passingStripSlots; i++)
        if (!entries[i].held && !entries[i].window) {
            entries[i].passing = 1;
            return &entries[i];
        }
    return NULL;
}

StripEntry *claimStrip(HWND window, const StripLook &look, const WindowText &title)
{
    if (!dropperRegistered && keepDrawingsDroppedBy(freeStripCache)) InterlockedExchange(&dropperRegistered, 1);
    takeEngineLock();
    StripEntry *e = entryFor(window, look);
    if (!e) {
        dropEngineLock();
        return NULL;
    }
    const int sameSize = e->memory && e->look.width == look.width && e->look.height == look.height;
    StripObjects old = {};
    if (!sameSize) {
        const int passing = e->passing;
        old = emptyEntry(*e);
        e->passing = passing;
    }
    e->window = window;
    e->look = look;
    e->title = title;
    e->lastUse = ++useCounter;
    e->held = 1;
    e->forgotten = 0;
    dropEngineLock();
    if (sameSize) return e;
    deleteObjects(old);
    HDC memory = CreateCompatibleDC(NULL);
    HBITMAP bitmap = memory ? createStripBitmap(look.width, look.height) : NULL;
    if (!bitmap) {
        if (memory) DeleteDC(memory);
        takeEngineLock();
        emptyEntry(*e);
        dropEngineLock();
        return NULL;
    }
    e->memory = memory;
    e->bitmap = bitmap;
    e->previousBitmap = SelectObject(memory, bitmap);
    return e;
}

void giveBackStrip(StripEntry *entry)
{
    StripObjects gone = {}, older = {};
    const int n = inUse();
    takeEngineLock();
    if (entry->forgotten || entry->passing) {
        gone = emptyEntry(*entry);
    } else {
        entry->held = 0;
        // A strip of the same window and look composed while this one was
        // held by another paint is the older one now.
        for (int i = 0; i < n; i++) {
            StripEntry &e = entries[i];
            if (&e != entry && !e.held && e.window == entry->window &&
                memcmp(&e.look, &entry->look, sizeof e.look) == 0) {
                older = emptyEntry(e);
                break;
            }
        }
    }
    dropEngineLock();
    deleteObjects(gone);
    deleteObjects(older);
}

void dropStrip(StripEntry *entry)
{
    takeEngineLock();
    const StripObjects gone = emptyEntry(*entry);
    dropEngineLock();
    deleteObjects(gone);
}

// Every entry of the window (NULL: every entry) emptied, or marked to be
// emptied by the paint that holds it.
static void emptyEntries(HWND window)
{
    enum { total = stripCacheSlots + passingStripSlots };
    StripObjects gone[total];
    int count = 0;
    takeEngineLock();
    for (StripEntry &e : entries) {
        if (!e.window || (window && e.window != window)) continue;
        if (e.held)
            e.forgotten = 1;
        else
            gone[count++] = emptyEntry(e);
    }
    dropEngineLock();
    for (int i = 0; i < count; i++) deleteObjects(gone[i]);
}

void forgetStrips(HWND window)
{
    if (window) emptyEntries(window);
}

void freeStripCache() { emptyEntries(NULL); }

int stripCacheBytes()
{
    int bytes = 0;
    takeEngineLock();
    for (const StripEntry &e : entries)
        if (e.bitmap) bytes += e.look.width * e.look.height * 4;
    dropEngineLock();
    return bytes;
}
