// What benchshow.exe tells: its exit code says whether the engine was in the
// process, and the phases file (its one argument) where its time went.
#pragma once

enum ShowExitCode {
    showUnskinned = 0,  // ran; varnel.dll was not in the process
    showFailed = 1,     // no window
    showSkinned = 2,    // ran; varnel.dll was loaded and subclassed the window
    showHalfSkinned = 3 // ran; varnel.dll was loaded but the window kept its own procedure
};

// The phases, in milliseconds, one line each in this order in the file.
enum ShowPhase {
    phaseStartUp,   // from the process's creation to WinMain
    phaseCreate,    // CreateWindowExA: a skinned process loads and attaches the engine here
    phaseShow,      // ShowWindow
    phaseUpdate,    // UpdateWindow
    phasePump,      // the messages left after that
    phaseDestroy,   // DestroyWindow and its messages
    showPhaseCount
};
