// bench trace: the figures' work in marked stretches, for a wineserver that
// traces every request. scripts/bench counts the requests of this thread
// between each stretch's markers: the server round trips one message, one
// caption repaint or one mouse move costs.
#include <windows.h>

#include "bench/bench_timing.h"
#include "bench/bench_windows.h"
#include "bench/figures.h"
#include "caption/caption_repaint.h"

// A request whose trace names itself: an event created under the marker's
// name, and closed at once.
static void traceMarker(const std::string &name)
{
    CloseHandle(CreateEventA(NULL, FALSE, FALSE, name.c_str()));
}

template <typename Work> static void traceStretch(const char *name, const HookPair *hooks, int count, Work work)
{
    if (hooks) installHooks(*hooks);
    traceMarker(formatted("varnel-bench-begin-%s-%d", name, count));
    for (int i = 0; i < count; i++) work();
    traceMarker(formatted("varnel-bench-end-%s", name));
    if (hooks) removeHooks();
}

static void traceIgnoredMessage(const HookPair &pass, const HookPair &engine)
{
    const int count = 100;
    HWND plain = createTargetWindow("Varnel benchmark - trace", 0, 0, 200, 100, false);
    auto send = [&] { SendMessageA(plain, WM_USER + 1, 0, 0); };
    traceStretch("message-no-hooks", NULL, count, send);
    traceStretch("message-pass-through-hooks", &pass, count, send);
    traceStretch("message-varnel-hooks", &engine, count, send);
    installHooks(engine);
    HWND skinned = createTargetWindow("Varnel benchmark - trace skinned", 0, 0, 200, 100, false);
    removeHooks();
    auto sendSkinned = [&] { SendMessageA(skinned, WM_USER + 1, 0, 0); };
    traceStretch("message-varnel-subclass-no-hooks", NULL, count, sendSkinned);
    traceStretch("message-varnel-hooks-and-subclass", &engine, count, sendSkinned);
    DestroyWindow(plain);
}

// The requests of the repaint's parts, one stretch each, with the calls and
// sizes of the gradient painter.
static void tracePaintParts(HWND window, const HookPair &linked, int count)
{
    HDC dc = GetWindowDC(window);
    const int width = 521, height = 18;
    traceStretch("part-getwindowdc", NULL, count, [&] { ReleaseDC(window, GetWindowDC(window)); });
    traceStretch("part-getwindowtext", &linked, count, [&] {
        char title[253];
        GetWindowTextA(window, title, sizeof title);
    });
    traceStretch("part-getforegroundwindow", NULL, count, [&] { GetForegroundWindow(); });
    traceStretch("part-createcompatibledc", NULL, count, [&] { DeleteDC(CreateCompatibleDC(dc)); });
    traceStretch("part-createdibsection", NULL, count, [&] { DeleteObject(createStripBitmap(dc, width, height)); });
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = createStripBitmap(dc, width, height);
    traceStretch("part-selectbitmap", NULL, count, [&] {
        HGDIOBJ old = SelectObject(memory, bitmap);
        SelectObject(memory, old);
    });
    HGDIOBJ old = SelectObject(memory, bitmap);
    traceStretch("part-drawtext", NULL, count, [&] {
        RECT text = {4, 0, width, height - 1};
        DrawTextA(memory, "Varnel benchmark", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    });
    traceStretch("part-bitblt", NULL, count, [&] { BitBlt(dc, 30, 5, width, height - 1, memory, 0, 0, SRCCOPY); });
    traceStretch("part-windowfromdc-getwindowrect", NULL, count, [&] {
        RECT r;
        GetWindowRect(WindowFromDC(dc), &r);
        IsIconic(window);
    });
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, dc);
}

static void traceCaptionRepaint()
{
    const HookPair linked = linkedEngineHooks();
    installHooks(linked);
    HWND window = createTargetWindow("Varnel benchmark - caption repaint", 40, 40, 600, 400, true);
    SetForegroundWindow(window);
    pumpMessages();
    removeHooks();
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const int count = 20;
    traceStretch("paint-defwindowproc-ncpaint", &linked, count, [&] { DefWindowProcA(window, WM_NCPAINT, 1, 0); });
    traceStretch("paint-repaintcaption", &linked, count, [&] { repaintCaption(window, style, stateByForeground); });
    tracePaintParts(window, linked, count);
    installHooks(linked);
    DestroyWindow(window);
    removeHooks();
}

static void traceMouseMove(const HookPair &pass, const HookPair &engine)
{
    installHooks(engine);
    HWND window = createTargetWindow("Varnel benchmark - mouse move", 660, 60, 600, 400, true);
    removeHooks();
    const LONG_PTR engineProcedure = GetWindowLongPtrA(window, GWLP_WNDPROC);
    RECT r;
    GetWindowRect(window, &r);
    const LPARAM point =
        MAKELPARAM((r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2);
    auto move = [&] {
        SendMessageA(window, WM_NCHITTEST, 0, point);
        SendMessageA(window, WM_SETCURSOR, (WPARAM)window, MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
        SendMessageA(window, WM_NCMOUSEMOVE, HTCAPTION, point);
    };
    const int count = 20;
    SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)targetProcedure);
    traceStretch("move-pass-through-hooks", &pass, count, move);
    SetWindowLongPtrA(window, GWLP_WNDPROC, engineProcedure);
    traceStretch("move-varnel-hooks-and-subclass", &engine, count, move);
    installHooks(engine);
    DestroyWindow(window);
    removeHooks();
}

int runServerTrace()
{
    const HookPair pass = passThroughHooks(), engine = engineLibraryHooks();
    if (!pass.before || !engine.before || !attachLinkedEngine()) return 1;
    traceIgnoredMessage(pass, engine);
    traceCaptionRepaint();
    traceMouseMove(pass, engine);
    return 0;
}
