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


// Attach only notes that the plug-in is wanted: loading a library from
// inside another library's entry point, under the system's loader lock, is
// the classic way to deadlock a process. The first hook call of the process
// loads it, before it paints anything.
void wantCaptionPlugin(const char *windowsDirectory);

// Loads the plug-in wanted at attach and tells it 1, once per process; a
// thread that comes while another loads it goes on without it (a caption
// painted meanwhile is left as the system drew it). A library that is
// missing, fails to load or lacks either entry point makes the plug-in
// unavailable
// (calling an entry point that is not there would crash every process).
extern volatile LONG pluginLoadState;
enum { pluginNotWanted, pluginWanted, pluginLoading, pluginLoaded };
void loadWantedCaptionPlugin();
inline void loadCaptionPluginOnFirstCall()
{
    if (pluginLoadState == pluginWanted) loadWantedCaptionPlugin();
}

// Tells a loaded plug-in 0 at detach; returns 0 when none was loaded. The
// library is not freed: the system frees it with the process, and a live
// unload keeps it for windows still painting.
int tellPluginDetach();

// The caption paint handed to the plug-in.
void callPluginTitle(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight,
                     int state);
