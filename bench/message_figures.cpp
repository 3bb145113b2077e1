// Figures 1 and 2: what the engine adds to a message it has nothing to do
// with, first in its two hooks, then in the window procedure it installs.
#include <stdio.h>

#include "bench/bench_timing.h"
#include "bench/bench_windows.h"
#include "bench/figures.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_classes.h"
#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "subclass/window_steps.h"

// A message no stage of the engine looks at.
enum { ignoredMessage = WM_USER + 1 };

struct HookFigure {
    HWND window;
    HookPair pass, engine;
    int count;
};

// One batch of count calls, each given its index; microseconds per call.
template <typename Call> static double batchOf(int count, Call call)
{
    double start = nowSeconds();
    for (int i = 0; i < count; i++) call(i);
    return (nowSeconds() - start) / count * 1e6;
}

static double sendIgnored(HWND window, int count)
{
    return batchOf(count, [&](int i) { SendMessageA(window, ignoredMessage, i, 0); });
}

static double sendThroughHooks(HookFigure *f, const HookPair &pair)
{
    installHooks(pair);
    double perMessage = sendIgnored(f->window, f->count);
    removeHooks();
    return perMessage;
}

// A window property lookup is a plain wineserver round trip: the unit the
// engine's extra cost is counted in.
static double serverRoundTrip(HWND window)
{
    return timeCalls(2000, [&] { GetPropA(window, "VarnelBenchNoSuchProperty"); });
}

int runHookFigure()
{
    HookFigure f;
    f.pass = passThroughHooks();
    f.engine = engineLibraryHooks();
    if (!f.pass.before || !f.engine.before) return 1;
    // Made before any hook is installed, so the engine never subclasses it:
    // the message meets the hooks alone.
    f.window = createTargetWindow("Varnel benchmark - ignored message", 0, 0, 200, 100, false);
    f.count = 50;
    PairResult r = runInterleavedSides([&] { return sendThroughHooks(&f, f.pass); },
                                       [&] { return sendThroughHooks(&f, f.engine); }, benchRounds(21));
    const double trip = serverRoundTrip(f.window);
    printRow("1. WM_USER+1 to a same-thread window: varnel.dll's hooks vs pass-through hooks",
             formatted("%.2f us", r.medianA), formatted("%.2f us", r.medianB), formatted("%.3fx", r.medianRatio),
             "<= 1.02x", verdict(r.medianRatio <= 1.02));
    detailRounds("1. hooks, us per message", r);
    char className[classNameSize];
    const double windowLong = timeCalls(200000, [&] { GetWindowLongA(f.window, GWL_STYLE); });
    const double classLookup = timeCalls(200000, [&] { GetClassNameA(f.window, className, sizeof className); });
    detail("- 1. one server round trip (GetPropA) %.2f us; the engine's hooks add %.3f us per message = %.2f round "
           "trips. What the hooks read for every message: GetWindowLongA %.3f us (once, before-hook), GetClassNameA "
           "%.3f us (twice, once in each hook)",
           trip, r.medianB - r.medianA, (r.medianB - r.medianA) / trip, windowLong, classLookup);
    DestroyWindow(f.window);
    return 0;
}

struct SubclassFigure {
    HWND bare, engine;
    int count;
};

static WNDPROC bareOwnProcedure;

// The least a subclass can be: the window's own procedure called through.
static LRESULT CALLBACK bareSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(bareOwnProcedure, window, message, wParam, lParam);
}

// Where StaticWindowProc's time goes, without SendMessageA around it: the
// procedure and the bare subclass called directly, the slot lookup, and the
// thirteen steps a message no step claims walks through.
static void profileSubclass(SubclassFigure &f)
{
    const auto bareCall = [&](int i) { bareSubclass(f.bare, ignoredMessage, i, 0); };
    const auto engineCall = [&](int i) { StaticWindowProc(f.engine, ignoredMessage, i, 0); };
    PairResult direct = runInterleavedSides([&] { return batchOf(f.count, bareCall); },
                                            [&] { return batchOf(f.count, engineCall); }, benchRounds(21));
    const double bare = direct.medianA, engine = direct.medianB;
    const int count = 20000;
    const double lookup = timeCalls(count, [&] { findWindowSlot(f.engine); });
    const WindowMessage m = {f.engine, ignoredMessage, 0, 0, findWindowSlot(f.engine), 0};
    LRESULT result = 0;
    const double steps = timeCalls(count, [&] {
        convertPushButton(m, &result);
        paintOwnerDrawnButton(m, &result);
        eraseBehindStatic(m, &result);
        overrideCaptionHitTest(m, &result);
        answerScrollBarColour(m, &result);
        forgetRegionOnResize(m, &result);
        roundPopupMenu(m, &result);
        boxVerticalScrollArrows(m, &result);
        toggleWindowShade(m, &result);
        replayPageAsLines(m, &result);
        handleCaptionMessage(m, &result);
        answerButtonColour(m, &result);
        answerStaticColour(m, &result);
    });
    detail("- 2. called directly, without SendMessageA (interleaved as above): bare subclass %.1f ns, "
           "StaticWindowProc %.1f ns (%+.1f ns); "
           "of that findWindowSlot of slot 4999 %.1f ns, the thirteen steps %.1f ns",
           bare * 1e3, engine * 1e3, (engine - bare) * 1e3, lookup * 1e3, steps * 1e3);
}

// Handles no real window can have: the top bit set.
static HWND fakeWindowHandle(int slot) { return (HWND)(ULONG_PTR)(0x80000000u | (unsigned)(slot + 1) << 4); }

int runSubclassFigure()
{
    SubclassFigure f;
    f.count = 1000;
    f.bare = createTargetWindow("Varnel benchmark - bare subclass", 0, 0, 200, 100, false);
    f.engine = createTargetWindow("Varnel benchmark - engine subclass", 0, 0, 200, 100, false);
    const double direct = sendIgnored(f.bare, f.count);
    bareOwnProcedure = (WNDPROC)SetWindowLongPtrA(f.bare, GWLP_WNDPROC, (LONG_PTR)bareSubclass);

    clearWindowTable();
    for (int slot = 0; slot < windowTableSlots - 1; slot++) windowHandles[slot] = fakeWindowHandle(slot);
    const int slot = subclassIntoTable(f.engine, StaticWindowProc);

    PairResult r = runInterleavedSides([&] { return sendIgnored(f.bare, f.count); },
                                       [&] { return sendIgnored(f.engine, f.count); }, benchRounds(51));
    printRow("2. WM_USER+1 to a window in slot 5000 of 5000: StaticWindowProc vs a bare SetWindowLongA subclass",
             formatted("%.3f us", r.medianA), formatted("%.3f us", r.medianB), formatted("%.3fx", r.medianRatio),
             "<= 1.05x", verdict(r.medianRatio <= 1.05));
    detailRounds("2. subclass, us per message", r);
    detail("- 2. slots 1-4999 hold fake handles written into windowHandles; the window went into slot %d (of "
           "0-4999) by subclassIntoTable; findWindowSlot finds it at %d. No hooks installed. The window's own "
           "procedure called directly (no subclass): %.3f us",
           slot, findWindowSlot(f.engine), direct);
    profileSubclass(f);

    releaseWindowSlot(f.engine);
    clearWindowTable();
    SetWindowLongPtrA(f.bare, GWLP_WNDPROC, (LONG_PTR)bareOwnProcedure);
    DestroyWindow(f.bare);
    DestroyWindow(f.engine);
    return slot == windowTableSlots - 1 ? 0 : 1;
}
