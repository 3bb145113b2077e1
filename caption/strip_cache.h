// Composed title strips kept for the next repaint. A caption is repainted up
// to four times for one WM_NCPAINT and on every mouse move over it, nearly
// always with what it showed before: a repaint whose inputs have not changed
// since its window's last paint is one BitBlt from the kept strip. Bounded,
// since the engine lives in every process: a handful of strips, the least
// recently used given up first, each freed with its window and at unload.
#pragma once

#include <windows.h>

#include "engine/window_text.h"

// Entries in use, and room for more: the benchmark measures what other
// bounds would give (stripCacheLimit, at most stripCacheSlots).
enum { stripCacheEntries = 4, stripCacheSlots = 8 };
extern int stripCacheLimit;

// Everything a gradient strip's pixels depend on besides its title. Compared
// byte for byte: fill one from a zeroed record, so that padding compares too.
struct StripLook {
    int width, height;
    int bands, mirrored, centred, split;
    int fromRight;   // composed for a mirrored DC: first band and title at the right
    int rtlReading;  // the title drawn in right-to-left reading order
    float startR, startG, startB, stepR, stepG, stepB;
    COLORREF textColour;
    HFONT font, mediumFont;
};

struct StripEntry {
    HWND window;  // NULL: free
    StripLook look;
    WindowText title;
    HDC memory;
    HBITMAP bitmap;
    HGDIOBJ previousBitmap;
    COLORREF outline;     // the colour the gradient ended with
    unsigned lastUse;
};

// The cache is used by one thread at a time: a strip is never drawn while
// another thread composes it. Everything below is called between these.
void lockStripCache();
void unlockStripCache();

// The entry holding exactly this strip, or NULL.
StripEntry *findStrip(HWND window, const StripLook &look, const WindowText &title);
// An entry for a strip about to be composed, with a memory DC holding a
// bitmap of the look's size; NULL when GDI has nothing to spare for it.
StripEntry *claimStrip(HWND window, const StripLook &look, const WindowText &title);
// Gives up an entry whose composition failed.
void dropStrip(StripEntry *entry);

// The window's strips go with it; unload frees them all. Both take the lock.
void forgetStrips(HWND window);
void freeStripCache();

// For tests and the benchmark: bytes of bitmap the cache holds now, and the
// repaints served from a kept strip and composed since the process began.
int stripCacheBytes();
extern unsigned stripCacheHits, stripCacheMisses;
