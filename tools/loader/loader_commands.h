// What vlload's commands do, whether given on its command line or chosen in
// the tray menu (loader_command_table.h lists them).
#pragma once

#include <windows.h>

#include "engine/loader_contract.h"

// vlload /pause: the disable marker written, so that programs that start
// keep the engine out, and the change announced, so that running ones turn
// every feature off with their next message. /resume takes the marker away.
LoaderExitCode pauseEngine();
LoaderExitCode resumeEngine();
// 1 while the disable marker holds 1.
int enginePaused();

// vlload /about: version, state, the engine's path and how many programs
// have the engine, as one text (the About box shows the same).
void aboutText(char *text, int size);
LoaderExitCode printAbout();

// Starts a program of vlload's own folder with arguments and, when wait is
// set, waits for it; returns its exit code, or -1 when it did not start.
long runToolBeside(const char *program, const char *arguments, int wait);

// The settings program: vlsettings.exe beside vlload, else vlconf.exe.
LoaderExitCode openSettings();

// The program file name (without folder) of the process that owns window;
// 0 when it cannot be found (Windows NT 4.0 without psapi.dll).
int programOfWindow(HWND window, char *name, int size);

// vlload /stop: the running loaders unhook and end (on 64-bit Windows both
// halves). vlload /status: whether they run, with which engines.
LoaderExitCode stopLoaders();
LoaderExitCode reportLoaders();

// vlload /version, and /windowsbits (the answer is the exit code).
LoaderExitCode printVersion();
LoaderExitCode reportWindowsBits();
