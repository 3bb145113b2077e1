// The tray menu's Schemes submenu: every scheme (built-ins, then the
// user's), the one vl.ini holds checked; choosing one applies it at once,
// as "vlconf scheme apply" does. Only the 32-bit loader, which shows the
// tray, carries it.
#pragma once

#include <windows.h>

// The submenu's commands: the scheme at index i of the list is
// traySchemeFirst + i. Built-ins come first, so their commands never move.
enum { traySchemeFirst = 200, traySchemeLimit = 100 };

// Appends the "Schemes" submenu to menu.
void appendSchemesMenu(HMENU menu);

// Applies the scheme of command to the engine's vl.ini, announced. 1 when
// applied; else 0 with the reason in error.
int applySchemeCommand(WPARAM command, char *error, int size);
