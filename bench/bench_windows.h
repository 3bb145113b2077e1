// Windows and hook pairs the in-process figures share.
#pragma once

#include <windows.h>

// A class whose procedure is DefWindowProcA's; every window the figures
// measure is of this class.
HWND createTargetWindow(const char *title, int x, int y, int width, int height, bool visible);
LRESULT CALLBACK targetProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void pumpMessages();

// The bitmap the gradient painter composes its title strip in: a 32-bit
// top-down DIB section.
HBITMAP createStripBitmap(HDC dc, int width, int height);

// A WH_CALLWNDPROC and a WH_CALLWNDPROCRET procedure and the module that
// holds them (NULL for procedures of bench.exe itself).
struct HookPair {
    HOOKPROC before;
    HOOKPROC after;
    HMODULE module;
};

// The engine's pair exported by varnel.dll, the pass-through pair of
// benchpass.dll, and the pair of the engine linked into bench.exe. The
// libraries stay loaded until the process ends; a pair whose library did not
// load has NULL procedures.
HookPair engineLibraryHooks();
HookPair passThroughHooks();
HookPair linkedEngineHooks();
HMODULE engineLibrary();

// Installs a pair for this thread only, as the loader would for all threads.
void installHooks(const HookPair &pair);
void removeHooks();

// A target window made under varnel.dll's hooks, so that the library
// subclasses it on WM_CREATE as in any skinned program, and what a figure
// that compares it skinned and unskinned needs: both procedures (the
// engine's, which the window has, and its own) and both hook pairs.
struct SkinnedTarget {
    HWND window;
    WNDPROC ownProcedure, engineProcedure;
    HookPair pass, engine;
    bool subclassed;  // the engine's procedure is varnel.dll's StaticWindowProc
};
// False, and no window, when either hook pair cannot be had.
bool createSkinnedTarget(SkinnedTarget *t, const char *title, int x, int y, int width, int height);
// Gives the window the engine's procedure back and destroys it under the
// engine's hooks, as in a skinned program.
void destroySkinnedTarget(SkinnedTarget *t);
