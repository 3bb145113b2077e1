// Figure 4: the messages one mouse move over a caption sends, to a window the
// engine has skinned, against the same window under pass-through hooks.
#include <stdio.h>

#include "bench/bench_timing.h"
#include "bench/bench_windows.h"
#include "bench/figures.h"

struct MouseMoveFigure {
    HWND window;
    WNDPROC ownProcedure, engineProcedure;
    HookPair pass, engine;
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

static double unskinnedBatch(void *context)
{
    MouseMoveFigure *f = (MouseMoveFigure *)context;
    return movesWith(f, f->ownProcedure, f->pass);
}

static double skinnedBatch(void *context)
{
    MouseMoveFigure *f = (MouseMoveFigure *)context;
    return movesWith(f, f->engineProcedure, f->engine);
}

int runMouseMoveFigure()
{
    MouseMoveFigure f = {};
    f.pass = passThroughHooks();
    f.engine = engineLibraryHooks();
    if (!f.pass.before || !f.engine.before) return 1;
    // Created under the engine's hooks: varnel.dll subclasses it on WM_CREATE
    // as it would in any skinned program.
    installHooks(f.engine);
    f.window = createTargetWindow("Varnel benchmark - mouse move", 660, 60, 600, 400, true);
    removeHooks();
    f.engineProcedure = (WNDPROC)GetWindowLongPtrA(f.window, GWLP_WNDPROC);
    f.ownProcedure = targetProcedure;
    const bool subclassed = f.engineProcedure == (WNDPROC)GetProcAddress(engineLibrary(), "StaticWindowProc");
    RECT r;
    GetWindowRect(f.window, &r);
    f.point = MAKELPARAM((r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2);
    const LRESULT hit = SendMessageA(f.window, WM_NCHITTEST, 0, f.point);
    f.count = 4;

    PairResult result = runInterleaved(unskinnedBatch, skinnedBatch, &f, benchRounds(15));
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
        PairResult one = runInterleaved(unskinnedBatch, skinnedBatch, &f, 7, 3);
        text += formatted("%s%s %.1f -> %.1f us", text.empty() ? "" : "; ", names[i], one.medianA, one.medianB);
    }
    detail("- 4. each message alone, pass-through -> varnel: %s", text.c_str());

    SetWindowLongPtrA(f.window, GWLP_WNDPROC, (LONG_PTR)f.engineProcedure);
    installHooks(f.engine);
    DestroyWindow(f.window);
    removeHooks();
    return 0;
}
