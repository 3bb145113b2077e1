// The loader's icon in the taskbar's notification area: a tooltip with the
// engine's state, and on a click the menu of the loader's commands
// (loader_command_table.h). The icon comes back when Explorer starts again.
#pragma once

#include <windows.h>

#include "engine/loader_contract.h"

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
