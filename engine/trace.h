// The engine's trace channel: what it refused or could not do (a skin bitmap
// that did not load, a plug-in without its entry points, a full window
// table, an excluded program or window class), reported through
// OutputDebugStringA where a debugger or DebugView reads it. Only builds made
// with VARNEL_TRACE defined (cmake -DVARNEL_TRACE=ON) carry it; in release
// builds every trace line compiles to nothing, strings included.
#pragma once

#include <windows.h>

#ifdef VARNEL_TRACE
// printf-like, through wvsprintfA (%s, %d, %u, %lx, %p; no floating point).
void engineTrace(const char *format, ...);
// Where the lines go: OutputDebugStringA unless a test puts its own here.
extern void(WINAPI *engineTraceSink)(const char *line);
#define traceEngine(...) engineTrace(__VA_ARGS__)
#else
#define traceEngine(...) ((void)0)
#endif
