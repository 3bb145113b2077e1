// The loader's echo of settings changes (settings_echo.h).
#include "settings_echo.h"

#include "engine/live_settings.h"
#include "engine/settings_generation.h"

static const UINT_PTR echoTimer = 0x564C;  // "VL"
static const UINT echoTick = 100;
// Longer than the programs' pause, so that a program that looked at its
// files just before the last change is ready to look again when the echo
// comes.
static const DWORD echoDelay = defaultSettingsFollowInterval + 50;

static GenerationView view;
static LONG seen;
static int pending;
static DWORD changedAt;

int startSettingsEcho(HWND window)
{
    if (!openGenerationView(NULL, &view)) return 0;
    seen = *view.generation;
    pending = 0;
    return SetTimer(window, echoTimer, echoTick, NULL) != 0;
}

// The echo comes once the generation has stood still for the delay after
// its last change: a program that left any of the changes for later has
// looked at its files at least the pause before it, and takes them all.
// A generation that never stands still (another program spinning it) gets
// no echo; programs look at most once per pause anyway.
int handleSettingsEchoTimer(WPARAM timer)
{
    if (timer != echoTimer) return 0;
    if (!view.generation) return 1;
    const DWORD now = GetTickCount();
    const LONG current = *view.generation;
    if (current != seen) {
        seen = current;
        changedAt = now;
        pending = 1;
    } else if (pending && now - changedAt >= echoDelay) {
        pending = 0;
        // Not waited for: a hung program must not hold up the loader.
        SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA(settingsChangeMessageName), 0, 0);
    }
    return 1;
}

void stopSettingsEcho(HWND window)
{
    KillTimer(window, echoTimer);
    closeGenerationView(&view);
}
