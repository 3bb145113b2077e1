// Figure 5, whole processes: a program that shows a window and exits, timed
// from CreateProcess to its end, with and without the engine's system-wide
// hooks. The hooks are installed by a hook host (bench.exe hookhost), a
// process of its own as the loader would be, for the skinned runs only.
#include <stdio.h>

#include <windows.h>

#include "bench/bench_paths.h"
#include "bench/bench_timing.h"
#include "bench/figures.h"
#include "bench/show_window.h"

static const char readyEventName[] = "VarnelBenchHooksReady";
static const char quitEventName[] = "VarnelBenchHooksQuit";

static HANDLE startProcess(const std::string &commandLine)
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, benchFolder().c_str(), &si, &pi)) {
        fprintf(stderr, "bench: cannot start %s (error %lu)\n", commandLine.c_str(), GetLastError());
        return NULL;
    }
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

struct ProcessFigure {
    std::string show, host, phasesFile;
    HANDLE ready, quit;
    int failures;
    // Per phase, one entry per run; the last phase is the rest of the run
    // (process creation before the clock starts, and the exit).
    std::vector<double> phases[2][showPhaseCount + 1];
};

static void collectPhases(ProcessFigure *f, int skinned, double total)
{
    FILE *file = fopen(f->phasesFile.c_str(), "r");
    if (!file) return;
    double values[showPhaseCount], sum = 0;
    int n = 0;
    while (n < showPhaseCount && fscanf(file, "%lf", &values[n]) == 1) sum += values[n++];
    fclose(file);
    DeleteFileA(f->phasesFile.c_str());
    if (n != showPhaseCount) return;
    for (int i = 0; i < showPhaseCount; i++) f->phases[skinned][i].push_back(values[i]);
    f->phases[skinned][showPhaseCount].push_back(total - sum);
}

// Milliseconds from CreateProcess until the program has exited; a run that
// was not skinned as it should have been (or was when it should not have
// been) counts as failed.
static double timeShowProgram(ProcessFigure *f, DWORD expected)
{
    double start = nowSeconds();
    DeleteFileA(f->phasesFile.c_str());
    HANDLE process = startProcess(f->show + " \"" + f->phasesFile + "\"");
    if (!process) {
        f->failures++;
        return 0;
    }
    WaitForSingleObject(process, 60000);
    double elapsed = (nowSeconds() - start) * 1e3;
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    if (code != expected) f->failures++;
    CloseHandle(process);
    collectPhases(f, expected == showSkinned, elapsed);
    return elapsed;
}

static double unskinnedRun(void *context) { return timeShowProgram((ProcessFigure *)context, showUnskinned); }

static double skinnedRun(void *context)
{
    ProcessFigure *f = (ProcessFigure *)context;
    ResetEvent(f->ready);
    ResetEvent(f->quit);
    HANDLE host = startProcess(f->host);
    if (!host || WaitForSingleObject(f->ready, 30000) != WAIT_OBJECT_0) {
        f->failures++;
        if (host) CloseHandle(host);
        return 0;
    }
    double elapsed = timeShowProgram(f, showSkinned);
    SetEvent(f->quit);
    WaitForSingleObject(host, 30000);
    CloseHandle(host);
    return elapsed;
}

int runProcessFigure()
{
    ProcessFigure f;
    f.show = "\"" + benchFile("benchshow.exe") + "\"";
    f.phasesFile = benchFile("benchshow-phases.txt");
    f.host = "\"" + benchFile("bench.exe") + "\" hookhost";
    f.ready = CreateEventA(NULL, TRUE, FALSE, readyEventName);
    f.quit = CreateEventA(NULL, TRUE, FALSE, quitEventName);
    f.failures = 0;
    PairResult r = runInterleaved(unskinnedRun, skinnedRun, &f, benchRounds(15), 1);
    const double difference = r.medianB - r.medianA;
    printRow("5c. a program that shows a window and exits, whole process: with varnel's system-wide hooks vs without",
             formatted("%.0f ms", r.medianA), formatted("%.0f ms", r.medianB),
             formatted("%.2fx, %+.0f ms", r.medianRatio, difference), "no longer, within 50 ms",
             verdict(difference <= 50 && f.failures == 0));
    detailRounds("5c. whole process, ms per run", r);
    detail("- 5c. hooks installed by a process of the benchmark's own (SetWindowsHookExA(type, proc, varnel.dll, 0)) "
           "for the skinned runs only; every skinned run had varnel.dll loaded and its window subclassed, every "
           "unskinned run had neither, except failed runs: %d",
           f.failures);
    const char *names[showPhaseCount + 1] = {"start-up until WinMain", "CreateWindowExA", "ShowWindow",
                                             "UpdateWindow", "pumping", "DestroyWindow", "exit and the rest"};
    std::string text;
    for (int i = 0; i <= showPhaseCount; i++)
        text += formatted("%s%s %.1f -> %.1f", text.empty() ? "" : "; ", names[i], median(f.phases[0][i]),
                          median(f.phases[1][i]));
    detail("- 5c. where a run's time goes, median ms without -> with the hooks: %s", text.c_str());
    CloseHandle(f.ready);
    CloseHandle(f.quit);
    return f.failures ? 1 : 0;
}

int runHookHost()
{
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEventName);
    HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, quitEventName);
    HMODULE engine = LoadLibraryA(engineLibraryPath().c_str());
    if (!ready || !quit || !engine) return 1;
    HOOKPROC before = (HOOKPROC)GetProcAddress(engine, "SpyCallWndProc2");
    HOOKPROC after = (HOOKPROC)GetProcAddress(engine, "SpyCallWndProc");
    HHOOK beforeHook = SetWindowsHookExA(WH_CALLWNDPROC, before, engine, 0);
    HHOOK afterHook = SetWindowsHookExA(WH_CALLWNDPROCRET, after, engine, 0);
    if (!beforeHook || !afterHook) return 1;
    SetEvent(ready);
    WaitForSingleObject(quit, 120000);
    UnhookWindowsHookEx(beforeHook);
    UnhookWindowsHookEx(afterHook);
    return 0;
}
