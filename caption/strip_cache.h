// Composed title strips kept for the next repaint. A caption is repainted up
// to four times for one WM_NCPAINT and on every mouse move over it, nearly
// always with what it showed before: a repaint whose inputs have not changed
// since its window's last paint is one BitBlt from the kept strip. Bounded,
// since the engine lives in every process: a handful of strips, the least
// recently used given up first, each freed with its window and at unload.
#pragma once

#include <windows.h>

#include "caption/system_caption_bar.h"
#include "engine/window_text.h"

// Entries in use, and room for more: the benchmark measures what other
// bounds would give (stripCacheLimit, at most stripCacheSlots). Beyond them,
// room for the strips of paints that find every kept entry held.
enum { stripCacheEntries = 4, stripCacheSlots = 8, passingStripSlots = 8 };
extern int stripCacheLimit;

// Everything a kept picture's pixels depend on besides its title. Compared
// byte for byte: fill one from a zeroed record, so that padding compares too.
struct StripLook {
    int width, height;
    int bands, mirrored, centred, split;
    int fromRight;   // composed for a mirrored DC: first band and title at the right
    int rtlReading;  // the title drawn in right-to-left reading order
    float startR, startG, startB, stepR, stepG, stepB;
    COLORREF textColour;
    HFONT font, mediumFont;
    // The top of a window's frame (caption/frame_top.h) rather than a title
    // strip, kept the same way, and what its pixels depend on.
    int frameTop;
    SystemBarMetrics topMetrics;
    LONG topStyle, topExStyle;   // the styles the rows are drawn from
    int topActive, closeGreyed, gradient, showsIcon;
    HICON icon;                  // the icon drawn; NULL for the default or none
    COLORREF topColours[13];     // the system colours they are drawn in
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
    int held;       // 1 while a paint composes into it or copies from it
    int forgotten;  // its window went, or the cache was freed, while held
    int passing;    // an entry outside the kept ones, for one paint only
};

// A paint takes one entry for itself, composes into its memory DC when the
// strip is new, copies it to the window and gives it back: the lock of the
// cache's bookkeeping (the engine lock) is held only inside these calls,
// never while a paint draws. A memory DC serves one thread at a time, so an
// entry held by one paint is neither found nor claimed by another.

// The entry holding exactly this strip, taken for this paint, or NULL.
StripEntry *findStrip(HWND window, const StripLook &look, const WindowText &title);
// An entry for a strip about to be composed, taken for this paint, with a
// memory DC holding a bitmap of the look's size; NULL when GDI has nothing
// to spare for it. With every kept entry held by other paints, an entry for
// this paint alone, freed when it is given back.
StripEntry *claimStrip(HWND window, const StripLook &look, const WindowText &title);
// Gives back an entry this paint took: kept for the next repaint.
void giveBackStrip(StripEntry *entry);
// Gives up an entry whose composition failed.
void dropStrip(StripEntry *entry);

// The window's strips go with it; unload frees them all. A strip a paint
// holds meanwhile is freed when the paint gives it back.
void forgetStrips(HWND window);
void freeStripCache();

// For tests and the benchmark: bytes of bitmap the cache holds now, and the
// repaints served from a kept strip and composed since the process began.
int stripCacheBytes();
extern unsigned stripCacheHits, stripCacheMisses;
