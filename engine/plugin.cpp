// Loading of and calls into the caption plug-in.
#include "engine/plugin.h"

#include "engine/settings.h"

HMODULE pluginModule;
PluginMainProc pluginMain;
PluginTitleProc pluginTitle;

const char pluginLibrarySuffix[] = "\\varnels\\vlplug.dll";

void loadCaptionPlugin(const char *windowsDirectory)
{
    pluginModule = NULL;
    pluginMain = NULL;
    pluginTitle = NULL;
    char path[300];
    pluginModule = LoadLibraryA(engineFilePath(path, sizeof path, windowsDirectory, pluginLibrarySuffix));
    if (!pluginModule) {
        Settings.usePlugin = 0;
        return;
    }
    pluginMain = (PluginMainProc)(void *)GetProcAddress(pluginModule, "VarnelPlugMain");
    pluginTitle = (PluginTitleProc)(void *)GetProcAddress(pluginModule, "VarnelPlugTitle");
    if (!pluginMain || !pluginTitle) {
        FreeLibrary(pluginModule);
        pluginModule = NULL;
        pluginMain = NULL;
        pluginTitle = NULL;
        Settings.usePlugin = 0;
        return;
    }
    pluginMain(1);
}

void tellPluginDetach()
{
    if (pluginMain) pluginMain(0);
}

void callPluginTitle(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight,
                     int state)
{
    if (pluginTitle) pluginTitle(window, dc, left, top, right, bottom, buttonsRight, state);
}
