#include "bench/bench_windows.h"

#include <stdio.h>

#include "bench/bench_paths.h"
#include "hooks/hooks.h"

static const char targetClass[] = "VarnelBenchTarget";

LRESULT CALLBACK targetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createTargetWindow(const char *title, int x, int y, int width, int height, bool visible)
{
    static bool registered;
    if (!registered) {
        const WNDCLASSA wc = {0, targetProcedure, 0, 0, GetModuleHandleA(NULL), NULL,
                              LoadCursorA(NULL, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1), NULL, targetClass};
        RegisterClassA(&wc);
        registered = true;
    }
    HWND window = CreateWindowExA(0, targetClass, title, WS_OVERLAPPEDWINDOW, x, y, width, height, NULL, NULL,
                                  GetModuleHandleA(NULL), NULL);
    if (window && visible) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    pumpMessages();
    return window;
}

HBITMAP createStripBitmap(HDC dc, int width, int height)
{
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void *bits = NULL;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
}

void pumpMessages()
{
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

static HMODULE loadOnce(HMODULE *module, const std::string &path)
{
    if (!*module) {
        *module = LoadLibraryA(path.c_str());
        if (!*module) fprintf(stderr, "bench: cannot load %s (error %lu)\n", path.c_str(), GetLastError());
    }
    return *module;
}

HMODULE engineLibrary()
{
    static HMODULE module;
    return loadOnce(&module, engineLibraryPath());
}

static HookPair pairOf(HMODULE module, const char *before, const char *after)
{
    HookPair pair = {NULL, NULL, module};
    if (module) {
        pair.before = (HOOKPROC)GetProcAddress(module, before);
        pair.after = (HOOKPROC)GetProcAddress(module, after);
    }
    return pair;
}

HookPair engineLibraryHooks() { return pairOf(engineLibrary(), "SpyCallWndProc2", "SpyCallWndProc"); }

HookPair passThroughHooks()
{
    static HMODULE module;
    return pairOf(loadOnce(&module, benchFile("benchpass.dll")), "PassBeforeHook", "PassAfterHook");
}

HookPair linkedEngineHooks()
{
    HookPair pair = {SpyCallWndProc2, SpyCallWndProc, NULL};
    return pair;
}

static HHOOK beforeHook, afterHook;

void installHooks(const HookPair &pair)
{
    beforeHook = SetWindowsHookExA(WH_CALLWNDPROC, pair.before, pair.module, GetCurrentThreadId());
    afterHook = SetWindowsHookExA(WH_CALLWNDPROCRET, pair.after, pair.module, GetCurrentThreadId());
    if (!beforeHook || !afterHook) fprintf(stderr, "bench: a hook did not install (error %lu)\n", GetLastError());
}

void removeHooks()
{
    if (beforeHook) UnhookWindowsHookEx(beforeHook);
    if (afterHook) UnhookWindowsHookEx(afterHook);
    beforeHook = afterHook = NULL;
}

bool createSkinnedTarget(SkinnedTarget *t, const char *title, int x, int y, int width, int height)
{
    t->pass = passThroughHooks();
    t->engine = engineLibraryHooks();
    if (!t->pass.before || !t->engine.before) return false;
    installHooks(t->engine);
    t->window = createTargetWindow(title, x, y, width, height, true);
    removeHooks();
    t->engineProcedure = (WNDPROC)GetWindowLongPtrA(t->window, GWLP_WNDPROC);
    t->ownProcedure = targetProcedure;
    t->subclassed = t->engineProcedure == (WNDPROC)GetProcAddress(engineLibrary(), "StaticWindowProc");
    return true;
}

void destroySkinnedTarget(SkinnedTarget *t)
{
    SetWindowLongPtrA(t->window, GWLP_WNDPROC, (LONG_PTR)t->engineProcedure);
    installHooks(t->engine);
    DestroyWindow(t->window);
    removeHooks();
}
