// The loader's icon in the taskbar's notification area: a tooltip with the
// engine's state, and a menu of Settings, Exclude a program, Pause or
// Resume, About and Stop. Every entry runs what a command line of vlload or
// vlconf runs. The icon comes back when Explorer starts again.
#pragma once

#include <windows.h>

#include "engine/loader_contract.h"

// The menu's commands, also sent as WM_COMMAND to the loader's window.
enum TrayCommand {
    traySettings = 100,
    trayExclude,
    trayPauseOrResume,
    trayAbout,
    trayStop,
};

// Adds the icon to the loader's window; returns what Shell_NotifyIcon
// answered.
BOOL showTrayIcon(HWND window);
void removeTrayIcon(HWND window);

// vlload /menu: the running loader shows its menu at the mouse pointer, for
// desktops without a notification area (Wine without a taskbar).
LoaderExitCode showRunningLoaderMenu();

// For the loader's window procedure: handles the icon's messages, the menu's
// commands, the taskbar's restart and the settings broadcast. Returns 1 with
// *result set when the message was the tray's.
int handleTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);
