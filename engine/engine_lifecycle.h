// Per-process start-up and shutdown of the engine.
#pragma once

#include <windows.h>

#include "engine/settings.h"
#include "engine/shared_resources.h"

// Process attach, with the Windows directory the engine folder lies under.
// Returns FALSE when no settings file opens (the engine stays out of the
// process); TRUE otherwise, also when the disable marker holds 1.
BOOL engineProcessAttach(const char *windowsDirectory);

// Everything attach sets up after the markers let the engine in: the table
// cleared, settings read, the shared objects made, the plug-in wanted.
BOOL setUpEngine();

// The metrics, caption fonts, colours and gradient steps and skin bitmaps,
// made from Settings and the system as they are now.
void makeSharedObjects();
// Its parts, for the settings window's preview, which paints with the
// engine's painters in a process of its own: the system metrics and
// non-client metrics; the caption fonts; the caption colours and the
// gradient steps towards Settings' ends; SetDCBrushColor, SetDCPenColor,
// GetLayout and SetLayout where the system has them.
void readMetrics();
void createCaptionFonts();
// Deletes the caption fonts createCaptionFonts made (tool windows' too).
void freeCaptionFonts();
// 1 when the system's caption font or non-client sizes are no longer those
// readMetrics took (Display properties changed them since).
int nonClientMetricsChanged();
void readCaptionColours();
// The same for a record of settings and the objects that paint with them
// (the settings window's preview keeps its own).
void readCaptionColoursFor(const SettingsRecord &s, SharedResourcesRecord *into);
void findNewerDCFunctions();
// The GDI objects makeSharedObjects made (up to room of them into objects);
// returns how many. The snapshot published with them owns them
// (engine/settings_snapshot.h).
int collectSharedObjects(HGDIOBJ *objects, int room);

// Process detach. processTerminating is true when the whole process is ending
// (the entry point's reserved argument is not NULL): the pauses that let
// other threads leave the engine's code are then skipped, since no thread is
// left to wait for and every skinned program's exit would wait for them.
void engineProcessDetach(bool processTerminating);

// 1 between a successful attach and detach; a detach after a failed attach
// does nothing.
extern int engineAttached;
// 1 once detach has run: from then on the engine's procedure only hands
// messages on (a window subclassed again by somebody else may still call it).
extern volatile int engineDetached;

// The two pauses of detach, in milliseconds (1000 each), and the pause before
// each rolled-up window is unrolled (50).
extern DWORD detachPause;
extern DWORD unrollPause;

// The Windows directory as attach saw it.
extern char engineWindowsDirectory[250];
