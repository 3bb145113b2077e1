// The benchmark's figures, one entry per mode of bench.exe.
#pragma once

// Writes the engine folder of the prefix: vl.ini with the defaults and a
// 32-band gradient, no marker files.
int prepareEngineFolder();

// Attaches the engine linked into bench.exe to the prefix's engine folder.
bool attachLinkedEngine();

int runHookFigure();        // 1: an ignored message through the two hooks
int runSubclassFigure();    // 2: a message through StaticWindowProc, 5000 slots
int runPaintFigure();       // 3: one gradient caption repaint
int runMouseMoveFigure();   // 4: a mouse move over a skinned caption
int runNonClientFigures();  // 6, 7: WM_NCPAINT and WM_SETTEXT of a skinned window
int runStripCacheFigure();  // 8: repaints served by kept strips, and their bytes
int runLoadFigure();        // 5: LoadLibrary of varnel.dll
int runProcessFigure();     // 5: a skinned program, start to exit
int runHookHost();         // installs the system-wide hooks for figure 5
int runServerTrace();       // marked stretches for a tracing wineserver
