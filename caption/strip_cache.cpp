// The kept title strips.
#include "caption/strip_cache.h"

#include <string.h>

static StripEntry entries[stripCacheSlots];
static unsigned useCounter;
int stripCacheLimit = stripCacheEntries;
unsigned stripCacheHits, stripCacheMisses;

// The entries in use; an out-of-range limit counts as the usual bound.
static int inUse()
{
    return stripCacheLimit >= 1 && stripCacheLimit <= stripCacheSlots ? stripCacheLimit : stripCacheEntries;
}
static volatile LONG cacheLock;

void lockStripCache()
{
    while (InterlockedCompareExchange(&cacheLock, 1, 0) != 0) Sleep(0);
}

void unlockStripCache() { InterlockedExchange(&cacheLock, 0); }

static int sameTitle(const WindowText &a, const WindowText &b)
{
    if (a.unicode != b.unicode || a.length != b.length) return 0;
    return a.unicode ? memcmp(a.wide, b.wide, a.length * sizeof(WCHAR)) == 0
                     : memcmp(a.ansi, b.ansi, a.length) == 0;
}

StripEntry *findStrip(HWND window, const StripLook &look, const WindowText &title)
{
    const int n = inUse();
    for (int i = 0; i < n; i++) {
        StripEntry &e = entries[i];
        if (e.window != window || memcmp(&e.look, &look, sizeof look) != 0 || !sameTitle(e.title, title)) continue;
        e.lastUse = ++useCounter;
        stripCacheHits++;
        return &e;
    }
    stripCacheMisses++;
    return NULL;
}

static void release(StripEntry &e)
{
    if (e.memory) {
        SelectObject(e.memory, e.previousBitmap);
        DeleteDC(e.memory);
    }
    if (e.bitmap) DeleteObject(e.bitmap);
    memset(&e, 0, sizeof e);
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
// title changed), else a free one, else the least recently used. A window
// keeps its active and its inactive strip side by side.
static StripEntry &entryFor(HWND window, const StripLook &look)
{
    const int n = inUse();
    for (int i = 0; i < n; i++)
        if (entries[i].window == window && memcmp(&entries[i].look, &look, sizeof look) == 0) return entries[i];
    for (int i = 0; i < n; i++)
        if (!entries[i].window) return entries[i];
    StripEntry *oldest = &entries[0];
    for (int i = 1; i < n; i++)
        if (entries[i].lastUse < oldest->lastUse) oldest = &entries[i];
    return *oldest;
}

StripEntry *claimStrip(HWND window, const StripLook &look, const WindowText &title)
{
    StripEntry &e = entryFor(window, look);
    const int sameSize = e.memory && e.look.width == look.width && e.look.height == look.height;
    if (!sameSize) {
        release(e);
        e.memory = CreateCompatibleDC(NULL);
        e.bitmap = e.memory ? createStripBitmap(look.width, look.height) : NULL;
        if (!e.bitmap) {
            release(e);
            return NULL;
        }
        e.previousBitmap = SelectObject(e.memory, e.bitmap);
    }
    e.window = window;
    e.look = look;
    e.title = title;
    e.lastUse = ++useCounter;
    return &e;
}

void dropStrip(StripEntry *entry) { release(*entry); }

void forgetStrips(HWND window)
{
    lockStripCache();
    for (StripEntry &e : entries)
        if (e.window == window) release(e);
    unlockStripCache();
}

void freeStripCache()
{
    lockStripCache();
    for (StripEntry &e : entries) release(e);
    unlockStripCache();
}

int stripCacheBytes()
{
    int bytes = 0;
    for (const StripEntry &e : entries)
        if (e.bitmap) bytes += e.look.width * e.look.height * 4;
    return bytes;
}
