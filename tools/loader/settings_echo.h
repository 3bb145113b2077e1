// The loader's echo of settings changes. A program with the engine looks at
// its files at most once per pause (engine/live_settings.h), and a change
// that comes within the pause waits for the program's next hooked message;
// an idle program gets none. The loader therefore watches the settings
// generation and, once it has stood still a little longer than the pause,
// broadcasts the last change once more: every program that left a change
// for later takes it then.
#pragma once

#include <windows.h>

// Starts watching (a timer on window, the loader's hidden window); 0 when
// the generation could not be shared, as programs then follow nothing.
int startSettingsEcho(HWND window);
// WM_TIMER of the loader's window: 1 when it was the echo's.
int handleSettingsEchoTimer(WPARAM timer);
void stopSettingsEcho(HWND window);
