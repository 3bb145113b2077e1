// benchshow.exe: a small program that shows a window, pumps its messages
// until none is left, and exits. Timed as a whole process with and without
// the engine's system-wide hooks; with a file name as its argument it also
// writes how long each phase took.
#include <stdio.h>
#include <string.h>

#include <windows.h>

#include "bench/show_window.h"

static LRESULT CALLBACK showProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

static void pumpUntilEmpty()
{
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

static double nowMs()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart * 1e3 / (double)frequency.QuadPart;
}

// Milliseconds since the process was created, by the system clock.
static double msSinceCreation()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER c = {{created.dwLowDateTime, created.dwHighDateTime}};
    ULARGE_INTEGER n = {{now.dwLowDateTime, now.dwHighDateTime}};
    return (double)(n.QuadPart - c.QuadPart) / 1e4;
}

static void writePhases(const char *arguments, const double *phases)
{
    char path[MAX_PATH];
    lstrcpynA(path, arguments[0] == '"' ? arguments + 1 : arguments, sizeof path);
    char *quote = strchr(path, '"');
    if (quote) *quote = 0;
    if (!path[0]) return;
    FILE *f = fopen(path, "w");
    if (!f) return;
    for (int i = 0; i < showPhaseCount; i++) fprintf(f, "%.3f\n", phases[i]);
    fclose(f);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int)
{
    double phases[showPhaseCount] = {};
    phases[phaseStartUp] = msSinceCreation();
    double mark = nowMs();
    auto endPhase = [&](ShowPhase phase) {
        double now = nowMs();
        phases[phase] = now - mark;
        mark = now;
    };

    WNDCLASSA wc = {};
    wc.lpfnWndProc = showProcedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "VarnelBenchShow";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "Varnel benchmark - shown window", WS_OVERLAPPEDWINDOW,
                                  200, 150, 600, 400, NULL, NULL, instance, NULL);
    if (!window) return showFailed;
    endPhase(phaseCreate);
    ShowWindow(window, SW_SHOWNORMAL);
    endPhase(phaseShow);
    UpdateWindow(window);
    endPhase(phaseUpdate);
    pumpUntilEmpty();
    endPhase(phasePump);
    const bool subclassed = (WNDPROC)GetWindowLongPtrA(window, GWLP_WNDPROC) != showProcedure;
    DestroyWindow(window);
    pumpUntilEmpty();
    endPhase(phaseDestroy);
    writePhases(arguments, phases);
    if (!GetModuleHandleA("varnel.dll")) return showUnskinned;
    return subclassed ? showSkinned : showHalfSkinned;
}
