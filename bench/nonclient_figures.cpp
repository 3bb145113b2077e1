// Figures 6, 6c and 7: a WM_NCPAINT, an activation change (WM_NCACTIVATE,
// active and inactive in turn) and a title change sent to a window the
// engine has skinned, against the same window unskinned. The window is made
// under varnel.dll's hooks, so the library subclasses it on WM_CREATE as in
// any skinned program; each side then puts its procedure and hooks in place.
#include "bench/bench_timing.h"
#include "bench/bench_windows.h"
#include "bench/figures.h"

struct NonClientFigure : SkinnedTarget {
    bool hooked;  // both sides under hooks (pass-through against the engine's)
    UINT message;
    int count;
};

static double sendWith(NonClientFigure *f, WNDPROC procedure, const HookPair &hooks)
{
    SetWindowLongPtrA(f->window, GWLP_WNDPROC, (LONG_PTR)procedure);
    if (f->hooked) installHooks(hooks);
    double start = nowSeconds();
    for (int i = 0; i < f->count; i++) {
        if (f->message == WM_SETTEXT)
            SendMessageA(f->window, WM_SETTEXT, 0, (LPARAM)(i & 1 ? "Varnel benchmark - one" : "Varnel benchmark - two"));
        else if (f->message == WM_NCACTIVATE)
            SendMessageA(f->window, WM_NCACTIVATE, i & 1, 0);
        else
            SendMessageA(f->window, WM_NCPAINT, 1, 0);
    }
    GdiFlush();
    double perMessage = (nowSeconds() - start) / f->count * 1e6;
    if (f->hooked) removeHooks();
    return perMessage;
}

// The default WM_NCACTIVATE alone, on the window with or without
// WS_VISIBLE, least of a few batches, us per call.
static double defaultActivation(HWND window, bool visible)
{
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    if (!visible) SetWindowLongA(window, GWL_STYLE, style & ~WS_VISIBLE);
    double least = 0;
    for (int round = 0; round < 5; round++) {
        const int count = 20;
        const double start = nowSeconds();
        for (int i = 0; i < count; i++) DefWindowProcA(window, WM_NCACTIVATE, i & 1, 0);
        GdiFlush();
        const double perCall = (nowSeconds() - start) / count * 1e6;
        if (round == 0 || perCall < least) least = perCall;
    }
    if (!visible) SetWindowLongA(window, GWL_STYLE, style);
    return least;
}

// The least of a few batches of one piece of work, us per call.
template <typename Work> static double leastPerCall(Work work)
{
    double least = 0;
    for (int round = 0; round < 5; round++) {
        const int count = 20;
        const double start = nowSeconds();
        for (int i = 0; i < count; i++) work(i);
        GdiFlush();
        const double perCall = (nowSeconds() - start) / count * 1e6;
        if (round == 0 || perCall < least) least = perCall;
    }
    return least;
}

// The default WM_NCPAINT of a region of the window, given in window
// coordinates, us per call.
static double defaultFramePaint(HWND window, const RECT *parts, int count)
{
    RECT w;
    GetWindowRect(window, &w);
    return leastPerCall([&](int) {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        for (int i = 0; i < count; i++) {
            HRGN part = CreateRectRgn(w.left + parts[i].left, w.top + parts[i].top, w.left + parts[i].right,
                                      w.top + parts[i].bottom);
            CombineRgn(region, region, part, RGN_OR);
            DeleteObject(part);
        }
        DefWindowProcA(window, WM_NCPAINT, (WPARAM)region, 0);
        DeleteObject(region);
    });
}

// Where a skinned activation's time goes on this platform: the pieces the
// engine's handling is made of, each alone on the unskinned window. The
// icon and box places are the caption bar's ends (the boxes' width of three
// captions), near enough for a cost.
static void activationBreakdown(NonClientFigure &f)
{
    SetWindowLongPtrA(f.window, GWLP_WNDPROC, (LONG_PTR)f.ownProcedure);
    RECT w;
    GetWindowRect(f.window, &w);
    const int width = w.right - w.left, frame = GetSystemMetrics(SM_CYFRAME), caption = GetSystemMetrics(SM_CYCAPTION);
    const RECT icon = {frame, frame, frame + caption, frame + caption},
               boxes = {width - frame - 3 * caption, frame, width - frame, frame + caption},
               corner = {0, 0, 2, 2};
    const RECT both[] = {icon, boxes};
    const LONG style = GetWindowLongA(f.window, GWL_STYLE);
    const double toggles = leastPerCall([&](int) {
        SetWindowLongA(f.window, GWL_STYLE, style & ~WS_VISIBLE);
        SetWindowLongA(f.window, GWL_STYLE, style);
    });
    // What the engine has the system draw instead after an activation
    // change: its caption drawing of the bar, clipped to the icon place.
    const RECT bar = {frame, frame, width - frame, frame + caption};
    const double captionDrawing = leastPerCall([&](int i) {
        HDC dc = GetWindowDC(f.window);
        IntersectClipRect(dc, icon.left, icon.top, icon.right, icon.bottom);
        DrawCaption(f.window, dc, &bar, DC_ICON | ((i & 1) ? DC_ACTIVE : 0));
        ReleaseDC(f.window, dc);
    });
    detail("- 6c. its pieces alone, us per call: the default WM_NCPAINT of the whole frame %.1f, of the icon and box "
           "places %.1f, of the icon place %.1f, of a 2x2 frame corner %.1f; WS_VISIBLE off and on again %.1f; "
           "DrawCaption of the bar clipped to the icon place %.1f. A frame painting that touches the caption bar "
           "costs most of a whole caption however little it covers; the caption drawing alone does not",
           leastPerCall([&](int) { DefWindowProcA(f.window, WM_NCPAINT, 1, 0); }), defaultFramePaint(f.window, both, 2),
           defaultFramePaint(f.window, &icon, 1), defaultFramePaint(f.window, &corner, 1), toggles, captionDrawing);
}

static PairResult measure(NonClientFigure &f, UINT message, bool hooked, int rounds)
{
    f.message = message;
    f.hooked = hooked;
    return runInterleavedSides([&] { return sendWith(&f, f.ownProcedure, f.pass); },
                               [&] { return sendWith(&f, f.engineProcedure, f.engine); }, rounds);
}

int runNonClientFigures()
{
    NonClientFigure f = {};
    if (!createSkinnedTarget(&f, "Varnel benchmark - non-client", 60, 100, 600, 400)) return 1;
    const bool subclassed = f.subclassed;
    f.count = 4;

    PairResult paint = measure(f, WM_NCPAINT, false, benchRounds(15));
    printRow("6. WM_NCPAINT to a 600x400 window, no hooks: varnel.dll's StaticWindowProc (the strip copied once, "
             "the window's own with the rest of the frame) vs the window's own procedure",
             formatted("%.1f us", paint.medianA), formatted("%.1f us", paint.medianB),
             formatted("%.2fx", paint.medianRatio), "<= 1.00x", verdict(paint.medianRatio <= 1.00 && subclassed));
    detailRounds("6. WM_NCPAINT through StaticWindowProc, us per message", paint);
    PairResult hookedPaint = measure(f, WM_NCPAINT, true, benchRounds(9));
    printRow("6b. the same WM_NCPAINT under hooks: varnel.dll's hooks and StaticWindowProc vs pass-through hooks",
             formatted("%.1f us", hookedPaint.medianA), formatted("%.1f us", hookedPaint.medianB),
             formatted("%.2fx", hookedPaint.medianRatio), "report", "-");
    detailRounds("6b. WM_NCPAINT under hooks, us per message", hookedPaint);
    PairResult activation = measure(f, WM_NCACTIVATE, false, benchRounds(15));
    printRow("6c. WM_NCACTIVATE to the same window, no hooks: varnel.dll's StaticWindowProc (the own procedure "
             "unseen, the strip copied once, the system's caption drawing around it) vs the window's own procedure",
             formatted("%.1f us", activation.medianA), formatted("%.1f us", activation.medianB),
             formatted("%.2fx", activation.medianRatio), "<= 1.10x",
             verdict(activation.medianRatio <= 1.10 && subclassed));
    detailRounds("6c. WM_NCACTIVATE through StaticWindowProc, us per message", activation);
    // Where 6c's time goes: Windows draws nothing for a window without
    // WS_VISIBLE, so there the unseen call costs only the state it records;
    // Wine draws the whole caption into a DC that shows nothing.
    SetWindowLongPtrA(f.window, GWLP_WNDPROC, (LONG_PTR)f.ownProcedure);
    const double shown = defaultActivation(f.window, true), unseen = defaultActivation(f.window, false);
    detail("- 6c. the default WM_NCACTIVATE alone: %.1f us on the visible window, %.1f us with WS_VISIBLE off "
           "(%.0f%%): what this platform spends drawing into a window that shows nothing",
           shown, unseen, shown > 0 ? unseen / shown * 100 : 0);
    activationBreakdown(f);
    PairResult title = measure(f, WM_SETTEXT, true, benchRounds(9));
    printRow("7. a title change (WM_SETTEXT, two titles in turn) of a skinned window vs an unskinned one, under "
             "hooks",
             formatted("%.1f us", title.medianA), formatted("%.1f us", title.medianB),
             formatted("%.2fx", title.medianRatio), "report", "-");
    detailRounds("7. WM_SETTEXT, us per message", title);
    detail("- 6, 7. subclassed by varnel.dll on WM_CREATE: %s", subclassed ? "yes" : "NO");

    destroySkinnedTarget(&f);
    return 0;
}
