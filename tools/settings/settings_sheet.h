// The settings window: a property sheet of four pages (captions, controls,
// backgrounds, windows) over SettingsEdit, with the caption preview on the
// first page and the exclusion list on the last. Apply (and OK) check every
// value typed, write through vlconf's safe write and announce the change.
#pragma once

#include <windows.h>

#include "tools/settings/settings_edit.h"

#define settingsSheetTitle "varnel settings"
// The dialog class the sheet's window has.
#define settingsSheetClass "#32770"

// Control ids. A setting's checkbox or edit is settingControlBase plus its
// position (a colour's edit: its first position); a colour's chooser button
// is colourButtonBase plus that position. Every page has a help line below
// its groups that names the setting with the focus and says what it does,
// as the tooltip does for the mouse.
enum {
    settingControlBase = 1000,
    colourButtonBase = 1100,
    activePreviewId = 1201,
    inactivePreviewId = 1202,
    excludedListId = 1301,
    programNameId = 1302,
    addProgramId = 1303,
    removeProgramId = 1304,
    helpLineId = 1305,
};

// The sheet's pages: the schemes first (tools/settings/scheme_page.h), then
// each SettingsPage at its index plus settingsSheetFirst.
enum { schemesSheetPage = 0, settingsSheetFirst = 1, settingsSheetPageCount = settingsPageCount + 1 };

// Opens the sheet on SettingsEdit (loaded by the caller) at startPage, or at
// the schemes page with onSchemes. With
// modeless, returns the sheet's window at once: the caller passes its
// messages through PropSheet_IsDialogMessage and destroys it once
// PropSheet_GetCurrentPageHwnd gives NULL. Otherwise runs it until it is
// closed and returns NULL. The caption preview's class must be registered.
HWND openSettingsSheet(bool modeless, SettingsPage startPage, bool onSchemes = false);

// The window of each page once the sheet has created it, else NULL; and
// its tooltip control, which names each row's setting (identifier and help)
// for the row's controls.
extern HWND settingsPageWindows[settingsPageCount];
extern HWND settingsPageTips[settingsPageCount];

// Shows a problem with what was typed or with a file, over owner.
void reportSettingsProblem(HWND owner, const std::string &text);
