// "/print-windows": every window of the gallery with its class and window
// procedure, and where the engine's StaticWindowProc lies in this process,
// so that a test in another process can tell which windows the engine
// subclassed.
#pragma once

#include <windows.h>

// Writes the report to standard output, ending with the line "ready".
void printWindows();
