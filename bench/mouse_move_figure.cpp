// Figure 4: the messages one mouse move over a caption sends, to a window the
// engine has skinned, against the same window under pass-through hooks.
#include <stdio.h>

#include "bench/bench_timing.h"
#include "bench/bench_windows.h"
#include "bench/figures.h"

struct MouseMoveFigure : SkinnedTarget {
    LPARAM point;
    int count;
    int only;  // 0: all three messages; otherwise just this one
};

static void moveOnce(MouseMoveFigure *f)
{
    if (!f->only || f->only == WM_NCHITTEST) SendMessageA(f->window, WM_NCHITTEST, 0, f->point);
    if (!f->only || f->only == WM_SETCURSOR)
        SendMessageA(f->window, WM_SETCURSOR, (WPARAM)f->window, MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
    if (!f->only || f->only == WM_NCMOUSEMOVE) SendMessageA(f->window, WM_NCMOUSEMOVE, HTCAPTION, f->point);
}

static double movesWith(MouseMoveFigure *f, WNDPROC procedure, const HookPair &hooks)
{
    SetWindowLongPtrA(f->window, GWLP_WNDPROC, (LONG_PTR)procedure);
    installHooks(hooks);
    double start = nowSeconds();
    for (int i = 0; i < f->count; i++) moveOnce(f);
    GdiFlush();
    double perMove = (nowSeconds() - start) / f->count * 1e6;
    removeHooks();
    return perMove;
}

static PairResult measure(MouseMoveFigure &f, int rounds, int samples)
{
    return runInterleavedSides([&] { return movesWith(&f, f.ownProcedure, f.pass); },
                               [&] { return movesWith(&f, f.engineProcedure, f.engine); }, rounds, samples);
}

int runMouseMoveFigure()
{
    MouseMoveFigure f = {};
    if (!createSkinnedTarget(&f, "Varnel benchmark - mouse move", 660, 60, 600, 400)) return 1;
    const bool subclassed = f.subclassed;
    RECT r;
    GetWindowRect(f.window, &r);
    f.point = MAKELPARAM((r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2);
    const LRESULT hit = SendMessageA(f.window, WM_NCHITTEST, 0, f.point);
    f.count = 4;

    PairResult result = measure(f, benchRounds(15), 9);
    printRow("4. a mouse move over a caption (WM_NCHITTEST, WM_SETCURSOR and WM_NCMOUSEMOVE with HTCAPTION): "
             "varnel.dll's hooks and StaticWindowProc vs pass-through hooks",
             formatted("%.1f us", result.medianA), formatted("%.1f us", result.medianB),
             formatted("%.2fx", result.medianRatio), "<= 1.05x",
             verdict(result.medianRatio <= 1.05 && subclassed && hit == HTCAPTION));
    detailRounds("4. mouse move, us per move", result);
    detail("- 4. subclassed by varnel.dll on WM_CREATE: %s; WM_NCHITTEST at the caption's middle answers %ld "
           "(HTCAPTION is 2)",
           subclassed ? "yes" : "NO", (long)hit);

    const UINT messages[] = {WM_NCHITTEST, WM_SETCURSOR, WM_NCMOUSEMOVE};
    const char *names[] = {"WM_NCHITTEST", "WM_SETCURSOR", "WM_NCMOUSEMOVE"};
    std::string text;
    for (int i = 0; i < 3; i++) {
        f.only = messages[i];
        PairResult one = measure(f, 7, 3);
        text += formatted("%s%s %.1f -> %.1f us", text.empty() ? "" : "; ", names[i], one.medianA, one.medianB);
    }
    detail("- 4. each message alone, pass-through -> varnel: %s", text.c_str());

    destroySkinnedTarget(&f);
    return 0;
}
