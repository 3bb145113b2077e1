// What changes while the engine runs. Settings hold what the files said
// (read at attach and at each announced change); these flags are set as the
// engine meets the process: the disable marker or the exclusion list at
// attach, an excluded window class, a plug-in that cannot be used, the start
// of unload.
#pragma once

#include "engine/settings.h"

struct EngineStateRecord {
    // Every hook only chains, and detach does nothing: the disable marker
    // held 1 at attach, or the program is on the exclusion list. Cleared
    // when a later change finds neither and the engine is set up then.
    int disabled;
    // Unload has begun: no window is subclassed any more.
    int shuttingDown;
    // An excluded window class was met: no further window is subclassed and
    // no push button made owner-drawn, for the rest of the process.
    int subclassingStopped;
    // The plug-in is missing or lacks an entry point: the painters draw.
    int pluginUnavailable;
    // Unload gave converted buttons their style back: none is converted
    // again, nor given the static edge, on its way out.
    int buttonsGivenBack;
    // This process is the loader, which installed the hooks
    // (loaderProcessSwitch, engine/loader_contract.h, set when it loaded the engine): the one process
    // where a hook can be called for another process's window (64-bit
    // Windows hands it a hook of the other bitness). Every other process
    // skips that test.
    int inLoader;
};

extern EngineStateRecord EngineState;

// 1 between a successful attach and detach; a detach after a failed attach
// does nothing.
extern int engineAttached;
// 1 once detach has run: from then on the engine's procedure only hands
// messages on (a window subclassed again by somebody else may still call it).
extern volatile int engineDetached;

// The Windows directory as attach saw it; the engine folder lies under it.
extern char engineWindowsDirectory[250];

inline int subclassingOn() { return Settings.subclassWindows == 1 && !EngineState.subclassingStopped; }
inline int ownerDrawnButtonsOn()
{
    return Settings.ownerDrawnButtons == 1 && !EngineState.subclassingStopped && !EngineState.buttonsGivenBack;
}
inline int skinButtonsOn() { return Settings.skinButtons == 1 && !EngineState.buttonsGivenBack; }
inline int pluginInUse() { return Settings.usePlugin == 1 && !EngineState.pluginUnavailable; }
