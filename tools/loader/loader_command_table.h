// Every command of vlload, once: its tray menu entry, its command-line
// option, its lines in "vlload /?" and what it runs. The tray menu, the
// command-line parser and the usage text all read this one table, so that a
// command cannot be in one and missing from another.
#pragma once

#include <windows.h>

#include "engine/loader_contract.h"

// The menu's command ids, also sent as WM_COMMAND to the loader's window by
// other programs: they never move. Pause and Resume share one id, the entry
// the menu shows at the time.
enum TrayCommand {
    traySettings = 100,
    trayExclude,
    trayPauseOrResume,
    trayAbout,
    trayStop,
};

// How a command was given: from the running loader's menu (loaderWindow
// set, command its WM_COMMAND id) or on vlload's command line (NULL).
struct CommandCall {
    HWND loaderWindow;
    WPARAM command;
};

typedef LoaderExitCode (*CommandHandler)(const CommandCall &call);

// The rows that start the loader instead of running a handler.
enum LoaderStart {
    startsNothing = 0,
    startsLoader = 1,
    startsWithoutTray = 2,
    startsWithoutPartner = 4,
    startsWithMessageHooks = 8,
};

// Where an entry sits in the menu.
enum MenuPlacement { menuPlain = 0, menuDefault = 1, menuLineBefore = 2 };

struct LoaderCommand {
    // The tray menu: the entry's first id and how many it spans (a submenu
    // of schemes spans many), its text, or the function that appends it
    // itself; neither text nor function: not in the menu.
    WORD menuId;
    WORD menuIdCount;
    const char *menuText;
    void (*appendEntry)(HMENU menu);
    int placement;
    // NULL: always in the menu; else only while it answers 1.
    int (*shownNow)();
    // The command line: "pause", or alternatives "?|help|h" (the first is
    // the one the usage names); "" is vlload without an option; NULL: menu
    // only.
    const char *options;
    // Its text in "vlload /?": lines separated by \n, each indented under
    // the first; %s stands for the engine library's name.
    const char *usage;
    CommandHandler handler;
    int starts;  // LoaderStart bits; handler is NULL then
};

extern const LoaderCommand loaderCommands[];
extern const int loaderCommandCount;

// The row of a command-line argument: "/pause" or "-PAUSE"; NULL (no
// argument) is the row of "". NULL when no row has it.
const LoaderCommand *commandOfOption(const char *argument);
// The row of a menu command id among the entries the menu shows now.
const LoaderCommand *commandOfMenuId(WORD id);
// Appends the entries the menu shows now, in table order.
void appendCommandMenu(HMENU menu);
// Whether the row's options include name (without '/', any case).
int commandHasOption(const LoaderCommand &command, const char *name);

// vlload /?: the options of the table between what vlload is and its exit
// codes.
LoaderExitCode printUsage(const CommandCall &call);
