// Settings that change while programs run. A tool that writes vl.ini, a
// marker file, the exclusion list or a skin bitmap bumps the shared settings
// generation (engine/settings_generation.h) and broadcasts a message of its
// own; every process with the engine notices the new generation on its next
// hook call and, when the files changed (see settingsFollowInterval), sets
// itself up again from them: settings re-read, fonts, colours, gradient
// steps and skin bitmaps made again, the plug-in wanted or not, the
// captions of its windows repainted. A change of the
// system's colours or caption metrics (WM_SYSCOLORCHANGE, WM_SETTINGCHANGE)
// makes the objects again from the same settings.
//
// Turning a feature off stops it for new work: windows already subclassed
// stay in the table, converted buttons stay converted, a rolled-up window
// can still be unrolled. The disable marker (Pause) turns every feature off
// in running programs and keeps new ones out, as at attach.
#pragma once

#include <windows.h>

extern volatile LONG *liveGeneration;  // NULL when the memory could not be shared
extern LONG appliedGeneration;

// Any program can bump the generation, as often as it likes: a process
// looks at the files at most once per settingsFollowInterval ms (a change
// within it is taken by the first hook call after it), and makes its
// objects again and repaints only when the files or the settings they give
// changed. Tests of many changes in a row set the interval to 0.
enum : DWORD { defaultSettingsFollowInterval = 250 };
extern DWORD settingsFollowInterval;
// Counts: looks at the files after a change; looks that made objects again.
extern volatile LONG settingsLooks, settingsSetUps;

// Attach and detach.
void watchSettingsGeneration();
void stopWatchingSettingsGeneration();
void deleteRetiredObjects();

// The one read the hook path pays.
void followSettingsChange();
inline void followSettingsGeneration()
{
    if (liveGeneration && *liveGeneration != appliedGeneration) followSettingsChange();
}

// WM_SYSCOLORCHANGE and WM_SETTINGCHANGE reaching any window of the process:
// the objects are made again when the caption colours or font changed.
void followSystemChange(UINT message);
