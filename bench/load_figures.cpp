// Figure 5, loading: LoadLibrary of varnel.dll against LoadLibrary of a
// library that only reads the same settings file with C stdio. Only the load
// is timed: FreeLibrary of varnel.dll runs the engine's detach, which pauses
// a second so that other threads can leave its code.
#include <stdio.h>

#include <windows.h>

#include "bench/bench_paths.h"
#include "bench/bench_timing.h"
#include "bench/figures.h"

struct LoadFigure {
    std::string engine, minimal;
    int failures;
};

static double timeLoad(LoadFigure *f, const std::string &path)
{
    double start = nowSeconds();
    HMODULE module = LoadLibraryA(path.c_str());
    double elapsed = (nowSeconds() - start) * 1e6;
    if (!module) {
        f->failures++;
        return elapsed;
    }
    FreeLibrary(module);
    return elapsed;
}

int runLoadFigure()
{
    LoadFigure f;
    f.engine = engineLibraryPath();
    f.minimal = benchFile("benchstdio.dll");
    f.failures = 0;
    PairResult r = runInterleavedSides([&] { return timeLoad(&f, f.minimal); }, [&] { return timeLoad(&f, f.engine); },
                                       benchRounds(11), 1);
    printRow("5b. LoadLibrary of varnel.dll vs a DLL reading vl.ini with C stdio at attach",
             formatted("%.0f us", r.medianA), formatted("%.0f us", r.medianB), formatted("%.2fx", r.medianRatio),
             "<= 3x", verdict(r.medianRatio <= 3 && f.failures == 0));
    detailRounds("5b. LoadLibrary, us per load", r);
    detail("- 5b. one load per side per round, in one process whose engine folder holds vl.ini; only LoadLibraryA "
           "is timed, FreeLibrary after each load is not (the engine's detach pauses 1 s there); failed loads: %d",
           f.failures);
    return f.failures ? 1 : 0;
}
