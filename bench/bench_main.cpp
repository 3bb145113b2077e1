// bench.exe: the engine's cost as ratios against the platform's own work.
// scripts/bench runs each mode in turn on one pinned core and collects the
// rows it prints into out/bench.md.
//
//   bench prepare     write the prefix's engine folder (vl.ini)
//   bench messages    figures 1-4 and 6-8, in this process
//   bench strips      figure 8 alone
//   bench mouse       figure 4 alone
//   bench nonclient   figures 6, 6b, 6c and 7 alone
//   bench load        figure 5: LoadLibrary of varnel.dll
//   bench processes   figure 5: a skinned program as a whole process
//   bench trace       marked stretches of the figures' work, for a tracing wineserver
//   bench hookhost    (internal) holds the system-wide hooks for "processes"
#include <stdio.h>
#include <string.h>

#include <windows.h>

#include "bench/bench_paths.h"
#include "bench/bench_timing.h"
#include "bench/bench_windows.h"
#include "bench/figures.h"
#include "engine/engine_lifecycle.h"
#include "engine/engine_state.h"
#include "engine/settings.h"

enum { benchGradientSteps = 32 };

int prepareEngineFolder()
{
    const std::string folder = windowsFolder() + "\\varnels";
    CreateDirectoryA(folder.c_str(), NULL);
    // Markers that would switch the engine off or change what it loads.
    for (const char *marker : {"\\vldis.ini", "\\vlplug.ini", "\\vlprog.ini", "\\vlexcl.ini"})
        DeleteFileA((folder + marker).c_str());
    FILE *f = fopen((folder + "\\vl.ini").c_str(), "w");
    if (!f) {
        fprintf(stderr, "bench: cannot write %s\\vl.ini\n", folder.c_str());
        return 1;
    }
    for (const SettingPosition &p : settingPositions) {
        int value = p.field ? settingFileValue(p, p.defaultValue) : 0;
        if (p.field == &SettingsRecord::gradientSteps) value = benchGradientSteps;
        fprintf(f, "%d\n", value);
    }
    fclose(f);
    printf("bench: wrote %s\\vl.ini (the defaults, gradientSteps %d)\n", folder.c_str(), benchGradientSteps);
    return 0;
}

bool attachLinkedEngine()
{
    if (!engineProcessAttach(windowsFolder().c_str()) || EngineState.disabled == 1) {
        fprintf(stderr, "bench: the engine did not attach to %s\\varnels (run bench prepare)\n",
                windowsFolder().c_str());
        return false;
    }
    return true;
}

static int runMessageFigures()
{
    if (!attachLinkedEngine()) return 1;
    int failed = 0;
    failed |= runHookFigure();
    failed |= runSubclassFigure();
    failed |= runPaintFigure();
    failed |= runMouseMoveFigure();
    failed |= runNonClientFigures();
    failed |= runStripCacheFigure();
    return failed;
}

int main(int argc, char **argv)
{
    const char *mode = argc > 1 ? argv[1] : "";
    if (!strcmp(mode, "prepare")) return prepareEngineFolder();
    if (!strcmp(mode, "messages")) return runMessageFigures();
    if (!strcmp(mode, "strips")) return attachLinkedEngine() ? runStripCacheFigure() : 1;
    if (!strcmp(mode, "mouse")) return attachLinkedEngine() ? runMouseMoveFigure() : 1;
    if (!strcmp(mode, "nonclient")) return attachLinkedEngine() ? runNonClientFigures() : 1;
    if (!strcmp(mode, "load")) return runLoadFigure();
    if (!strcmp(mode, "processes")) return runProcessFigure();
    if (!strcmp(mode, "trace")) return runServerTrace();
    if (!strcmp(mode, "hookhost")) return runHookHost();
    fprintf(stderr, "usage: bench prepare|messages|mouse|nonclient|load|processes|trace\n");
    return 2;
}
