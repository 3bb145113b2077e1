// Figure 8: how many caption repaints the kept strips serve, for bounds of 1
// to 8 entries, and the bytes they hold. Two desktops in use: the windows
// the gallery opens (main window, MDI frame with two documents, tool window,
// two dialogs) and a Notepad with its Find dialog, with their titles and
// sizes. Each round moves the mouse over the active caption, activates the
// next window and changes a title, through the engine linked into bench.exe
// (its hooks on this thread, its StaticWindowProc on every window), the
// way those programs send the messages.
#include <stdio.h>

#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/bench_windows.h"
#include "bench/figures.h"
#include "caption/strip_cache.h"

namespace {

struct Desktop {
    std::vector<HWND> windows;
    HWND retitled;             // the window whose title changes each round
    const char *titles[2];
};

HWND open(const char *title, int x, int y, int w, int h, DWORD exStyle = 0)
{
    HWND window = createTargetWindow(title, x, y, w, h, true);
    if (exStyle) SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | exStyle);
    return window;
}

Desktop galleryDesktop()
{
    Desktop d = {{}, NULL, {"Document 2", "Document 2 (changed)"}};
    d.windows.push_back(open("varnel gallery - main window", 40, 40, 640, 480));
    d.windows.push_back(open("Gallery - MDI frame", 120, 90, 520, 400));
    d.windows.push_back(open("Document 1", 140, 150, 300, 200));
    d.windows.push_back(open("Document 2", 170, 180, 300, 200));
    d.windows.push_back(open("Gallery - tool window", 700, 60, 260, 160, WS_EX_TOOLWINDOW));
    d.windows.push_back(open("Controls", 300, 300, 360, 300));
    d.windows.push_back(open("Help", 420, 200, 300, 200));
    d.retitled = d.windows[3];
    return d;
}

Desktop notepadDesktop()
{
    Desktop d = {{}, NULL, {"Untitled - Notepad", "notes.txt - Notepad"}};
    d.windows.push_back(open("Untitled - Notepad", 40, 40, 640, 480));
    d.windows.push_back(open("Find", 200, 200, 360, 130));
    d.retitled = d.windows[0];
    return d;
}

// One round of use: a few moves over each window's caption after it is
// activated, and one title change.
void useOnce(const Desktop &d, int round)
{
    for (HWND w : d.windows) {
        SetActiveWindow(w);
        RECT r;
        GetWindowRect(w, &r);
        for (int move = 0; move < 8; move++)
            SendMessageA(w, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(r.left + 60 + 10 * move, r.top + 10));
    }
    SetWindowTextA(d.retitled, d.titles[round & 1]);
    pumpMessages();
}

void close(Desktop &d)
{
    for (HWND w : d.windows) DestroyWindow(w);
    d.windows.clear();
}

}  // namespace

int runStripCacheFigure()
{
    const HookPair engine = linkedEngineHooks();
    const int bounds[] = {1, 2, 3, 4, 6, 8};
    for (int which = 0; which < 2; which++) {
        std::string rates;
        int mostBytes = 0;
        for (int bound : bounds) {
            freeStripCache();
            stripCacheLimit = bound;
            installHooks(engine);
            Desktop d = which == 0 ? galleryDesktop() : notepadDesktop();
            pumpMessages();
            const unsigned hits = stripCacheHits, misses = stripCacheMisses;
            for (int round = 0; round < 20; round++) useOnce(d, round);
            const unsigned served = stripCacheHits - hits, composed = stripCacheMisses - misses;
            if (bound == stripCacheEntries) mostBytes = stripCacheBytes();
            close(d);
            removeHooks();
            rates += formatted("%s%d: %.0f%%", rates.empty() ? "" : ", ", bound,
                               100.0 * served / (served + composed ? served + composed : 1));
        }
        stripCacheLimit = stripCacheEntries;
        freeStripCache();
        printRow(formatted("8%c. repaints served by a kept strip, %s, 20 rounds of caption moves, activations "
                           "and a title change; by entries kept",
                           'a' + which, which == 0 ? "the gallery's seven windows" : "Notepad and its Find dialog")
                     .c_str(),
                 "-", rates, formatted("%d bytes held with %d entries", mostBytes, (int)stripCacheEntries), "report",
                 "-");
    }

    // The most the cache can hold: every entry a caption as wide as the
    // screen, painted active and inactive.
    installHooks(engine);
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    std::vector<HWND> wide;
    for (int i = 0; i < stripCacheEntries; i++) {
        wide.push_back(open("Varnel benchmark - a caption as wide as the screen", 0, 20 * i, screen, 200));
        SendMessageA(wide.back(), WM_NCACTIVATE, i & 1, 0);
    }
    const int most = stripCacheBytes();
    for (HWND w : wide) DestroyWindow(w);
    removeHooks();
    printRow(formatted("8c. bytes of strip bitmaps kept at most per process: %d captions %d pixels wide",
                       (int)stripCacheEntries, screen)
                 .c_str(),
             "-", formatted("%d bytes (%d KiB)", most, most / 1024), "-", "report", "-");
    return 0;
}
