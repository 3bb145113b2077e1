// Loading of and calls into the caption plug-in.
#include "engine/plugin.h"

#include "engine/engine_files.h"
#include "engine/engine_state.h"
#include "engine/trace.h"

HMODULE pluginModule;
PluginMainProc pluginMain;
PluginTitleProc pluginTitle;


volatile LONG pluginLoadState;
static char pluginPath[300];

void wantCaptionPlugin(const char *windowsDirectory)
{
    pluginModule = NULL;
    pluginMain = NULL;
    pluginTitle = NULL;
    engineFilePath(pluginPath, sizeof pluginPath, windowsDirectory, pluginLibrarySuffix);
    InterlockedExchange(&pluginLoadState, pluginWanted);
}

void loadWantedCaptionPlugin()
{
    if (InterlockedCompareExchange(&pluginLoadState, pluginLoading, pluginWanted) != pluginWanted) return;
    // The libraries the plug-in needs come from its own folder, then the
    // system's; a program's current folder comes after those.
    HMODULE module = LoadLibraryExA(pluginPath, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    PluginMainProc main = module ? (PluginMainProc)(void *)GetProcAddress(module, "VarnelPlugMain") : NULL;
    PluginTitleProc title = module ? (PluginTitleProc)(void *)GetProcAddress(module, "VarnelPlugTitle") : NULL;
    if (!main || !title) {
        if (module) FreeLibrary(module);
        traceEngine("plug-in %s %s: the painters draw instead", pluginPath,
                    module ? "lacks VarnelPlugMain or VarnelPlugTitle" : "did not load");
        EngineState.pluginUnavailable = 1;
        InterlockedExchange(&pluginLoadState, pluginLoaded);
        return;
    }
    pluginModule = module;
    pluginMain = main;
    main(1);
    // Painters find the title entry only once the plug-in has heard 1.
    pluginTitle = title;
    InterlockedExchange(&pluginLoadState, pluginLoaded);
}

int tellPluginDetach()
{
    InterlockedExchange(&pluginLoadState, pluginNotWanted);
    if (!pluginMain) return 0;
    pluginMain(0);
    return 1;
}

void callPluginTitle(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight,
                     int state)
{
    if (pluginTitle) pluginTitle(window, dc, left, top, right, bottom, buttonsRight, state);
}
