// Settings that change while programs run. A tool that writes vl.ini, a
// marker file, the exclusion list or a skin bitmap bumps the shared settings
// generation (engine/settings_generation.h) and broadcasts a message of its
// own; every process with the engine notices the new generation on its next
// hook call and, when the files changed (see settingsFollowInterval), sets
// itself up again from them at a calm moment of the thread: settings
// re-read, fonts, colours, gradient steps and skin bitmaps made again and
// published as a new snapshot (engine/settings_snapshot.h), the plug-in
// wanted or not, the captions of its windows repainted. A change of the
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

// The one read the hook path pays (two while a change of the system's look
// waits for a calm moment).
extern volatile LONG systemChangePending;
void followSettingsChange();
inline void followSettingsGeneration()
{
    if ((liveGeneration && *liveGeneration != appliedGeneration) || systemChangePending) followSettingsChange();
}

// The first thing of the before hook and the last of the after hook: the
// change followed, and the sent messages this thread is inside of counted,
// so that a set-up runs only at a calm hook call (live_settings.cpp,
// calmHere); a change met elsewhere waits for the next calm one.
void enterHookedMessage();
void leaveHookedMessage();
// A thread given the hooks afresh is inside none of their messages, whatever
// its count says (hooks taken out in the middle of one never closed it).
void forgetMessageDepth();

// WM_SYSCOLORCHANGE and WM_SETTINGCHANGE reaching any window of the process:
// the objects are made again when the caption colours or font changed, at
// once where the thread is calm, else at its next calm hook call.
void followSystemChange(UINT message);
