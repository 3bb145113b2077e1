// The caption plug-in "\varnels\vlplug.dll": two stdcall entry points looked
// up by name. While it is in use every caption paint goes to it.
#pragma once

#include <windows.h>

typedef void(WINAPI *PluginMainProc)(int attached);
typedef void(WINAPI *PluginTitleProc)(HWND window, HDC dc, int left, int top, int right, int bottom,
                                      int buttonsRight, int state);

extern HMODULE pluginModule;
extern PluginMainProc pluginMain;
extern PluginTitleProc pluginTitle;

extern const char pluginLibrarySuffix[];   // "\\varnels\\vlplug.dll"

// Loads the plug-in and tells it 1. A library that is missing, fails to load
// or lacks either entry point leaves usePlugin 0 (calling an entry point that
// is not there would crash every process).
void loadCaptionPlugin(const char *windowsDirectory);

// Tells the plug-in 0 at detach. The library is not freed: the system frees
// it with the process, and a live unload keeps it for windows still painting.
void tellPluginDetach();

// The caption paint handed to the plug-in.
void callPluginTitle(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight,
                     int state);
