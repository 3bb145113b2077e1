// The table of vlload's commands, and the menu, the option parser and the
// usage text built from it.
#include "loader_command_table.h"

#include <stdio.h>
#include <string.h>

#include "engine_library.h"
#include "loader_commands.h"
#include "loader_console.h"
#include "loader_instance.h"
#include "tray_dialogs.h"
#include "tray_icon.h"
#ifdef VARNEL_TRAY_SCHEMES
#include "tray_schemes.h"
#endif

// --- What each command runs, from the menu or the command line -------------

static LoaderExitCode runPause(const CommandCall &) { return pauseEngine(); }
static LoaderExitCode runResume(const CommandCall &) { return resumeEngine(); }
static LoaderExitCode runSettings(const CommandCall &) { return openSettings(); }
static LoaderExitCode runStatus(const CommandCall &) { return reportLoaders(); }
static LoaderExitCode runMenu(const CommandCall &) { return showRunningLoaderMenu(); }
static LoaderExitCode runVersion(const CommandCall &) { return printVersion(); }
static LoaderExitCode runWindowsBits(const CommandCall &) { return reportWindowsBits(); }

static LoaderExitCode runExclude(const CommandCall &)
{
    startExcludePicker();
    return exitOk;
}

// The menu's About is a box; the command line's prints the same text.
static LoaderExitCode runAbout(const CommandCall &call)
{
    if (!call.loaderWindow) return printAbout();
    startAboutBox();
    return exitOk;
}

// The menu's Stop ends this loader (its vlload64 follows it); the command
// line's asks the running loaders to end.
static LoaderExitCode runStop(const CommandCall &call)
{
    if (!call.loaderWindow) return stopLoaders();
    PostQuitMessage(exitOk);
    return exitOk;
}

#ifdef VARNEL_TRAY_SCHEMES
static LoaderExitCode runScheme(const CommandCall &call)
{
    char problem[512];
    if (applySchemeCommand(call.command, problem, sizeof problem)) return exitOk;
    say("vlload: the scheme was not applied: %s", problem);
    startProblemBox("varnel: the scheme was not applied", problem);
    return exitUsage;
}
#endif

static int engineRuns() { return !enginePaused(); }

// --- The table ---------------------------------------------------------------

// In the menu's order; the usage lists the rows with options in the same
// order.
const LoaderCommand loaderCommands[] = {
    {0, 0, NULL, NULL, menuPlain, NULL, "",
     "load %s and keep it hooked in until stopped, with an\n"
     "icon in the taskbar's notification area and its menu",
     NULL, startsLoader},
    {0, 0, NULL, NULL, menuPlain, NULL, "notray", "the same without the icon", NULL, startsLoader | startsWithoutTray},
    {0, 0, NULL, NULL, menuPlain, NULL, "no64", "the same without vlload64 on 64-bit Windows", NULL,
     startsLoader | startsWithoutPartner},
    {0, 0, NULL, NULL, menuPlain, NULL, "messagehooks",
     "the same, entering programs on 64-bit Windows by global\n"
     "message hooks, as on 32-bit Windows, instead of window events",
     NULL, startsLoader | startsWithMessageHooks},
    {traySettings, 1, "&Settings...", NULL, menuDefault, NULL, NULL, NULL, runSettings, startsNothing},
#ifdef VARNEL_TRAY_SCHEMES
    {traySchemeFirst, traySchemeLimit, NULL, appendSchemesMenu, menuPlain, NULL, NULL, NULL, runScheme, startsNothing},
#endif
    {trayExclude, 1, "&Exclude a program...", NULL, menuPlain, NULL, NULL, NULL, runExclude, startsNothing},
    {trayPauseOrResume, 1, "&Pause", NULL, menuPlain, engineRuns, "pause",
     "running programs give their captions back, new ones keep the\n"
     "engine out, until /resume (the tray menu's Pause and Resume)",
     runPause, startsNothing},
    {trayPauseOrResume, 1, "&Resume", NULL, menuPlain, enginePaused, "resume", "the engine back in every program",
     runResume, startsNothing},
    {trayAbout, 1, "&About", NULL, menuPlain, NULL, "about",
     "version, state, the engines' paths and how many programs have them", runAbout, startsNothing},
    {trayStop, 1, "S&top", NULL, menuLineBefore, NULL, "stop", "take the engine out: the running loaders unhook and end",
     runStop, startsNothing},
    {0, 0, NULL, NULL, menuPlain, NULL, "status", "say whether the loaders are running, and with which engines",
     runStatus, startsNothing},
    {0, 0, NULL, NULL, menuPlain, NULL, "menu", "the running vlload shows its tray menu at the mouse pointer",
     runMenu, startsNothing},
    {0, 0, NULL, NULL, menuPlain, NULL, "version", "the version of varnel this vlload belongs to", runVersion,
     startsNothing},
    {0, 0, NULL, NULL, menuPlain, NULL, "windowsbits", "whether Windows itself is 32- or 64-bit, as the exit code",
     runWindowsBits, startsNothing},
    {0, 0, NULL, NULL, menuPlain, NULL, "?|help|h", "this text", printUsage, startsNothing},
};
const int loaderCommandCount = sizeof loaderCommands / sizeof loaderCommands[0];

// --- The command line ----------------------------------------------------------

int commandHasOption(const LoaderCommand &command, const char *name)
{
    if (!command.options) return 0;
    const char *option = command.options;
    for (;;) {
        const char *end = strchr(option, '|');
        const size_t length = end ? (size_t)(end - option) : strlen(option);
        char alternative[32];
        lstrcpynA(alternative, option, (int)(length + 1 < sizeof alternative ? length + 1 : sizeof alternative));
        if (lstrcmpiA(alternative, name) == 0) return 1;
        if (!end) return 0;
        option = end + 1;
    }
}

const LoaderCommand *commandOfOption(const char *argument)
{
    const char *name = "";
    if (argument) {
        if (argument[0] != '/' && argument[0] != '-') return NULL;
        name = argument + 1;
        // "/" alone is no option at all.
        if (!name[0]) return NULL;
    }
    for (int i = 0; i < loaderCommandCount; i++)
        if (commandHasOption(loaderCommands[i], name)) return &loaderCommands[i];
    return NULL;
}

// --- The menu ----------------------------------------------------------------

static int inMenuNow(const LoaderCommand &command)
{
    return (command.menuText || command.appendEntry) && (!command.shownNow || command.shownNow());
}

const LoaderCommand *commandOfMenuId(WORD id)
{
    for (int i = 0; i < loaderCommandCount; i++) {
        const LoaderCommand &command = loaderCommands[i];
        if (inMenuNow(command) && id >= command.menuId && id < command.menuId + command.menuIdCount) return &command;
    }
    return NULL;
}

void appendCommandMenu(HMENU menu)
{
    for (int i = 0; i < loaderCommandCount; i++) {
        const LoaderCommand &command = loaderCommands[i];
        if (!inMenuNow(command)) continue;
        if (command.placement & menuLineBefore) AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
        if (command.appendEntry)
            command.appendEntry(menu);
        else
            AppendMenuA(menu, MF_STRING, command.menuId, command.menuText);
        if (command.placement & menuDefault) SetMenuDefaultItem(menu, command.menuId, FALSE);
    }
}

// --- The usage text ----------------------------------------------------------

enum { usageColumn = 16 };

// "  vlload /pause    running programs ...", later lines under the first.
static void printOptionUsage(const LoaderCommand &command, const char *program)
{
    char name[64];
    const char *bar = strchr(command.options, '|');
    const int optionLength = bar ? (int)(bar - command.options) : lstrlenA(command.options);
    if (optionLength)
        snprintf(name, sizeof name, "%s /%.*s", program, optionLength, command.options);
    else
        lstrcpynA(name, program, sizeof name);
    char text[512];
    snprintf(text, sizeof text, command.usage, engineLibraryName);
    const char *line = text;
    int first = 1;
    while (*line) {
        const char *end = strchr(line, '\n');
        const int length = end ? (int)(end - line) : lstrlenA(line);
        // A long option gets two spaces before its text, as in a column.
        if (first)
            say("  %-*s%s%.*s", usageColumn, name, lstrlenA(name) >= usageColumn ? "  " : " ", length, line);
        else
            say("  %-*s %.*s", usageColumn, "", length, line);
        first = 0;
        line = end ? end + 1 : line + length;
    }
}

LoaderExitCode printUsage(const CommandCall &)
{
    const char *program = ownLoaderNames().program;
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    say("%s - hooks the varnel engine into every %sprogram of the desktop\r\n", program,
        sizeof(void *) == 8 ? "64-bit " : "");
    for (int i = 0; i < loaderCommandCount; i++)
        if (loaderCommands[i].options) printOptionUsage(loaderCommands[i], program);
    say("\r\n"
        "%s is taken from %s's own folder, else from %s.\r\n"
        "On 64-bit Windows a 64-bit program loads only 64-bit libraries: vlload also\r\n"
        "starts vlload64.exe from its own folder, which hooks varnel64.dll into the\r\n"
        "64-bit programs, and stops it again when it stops. /stop and /status cover\r\n"
        "both loaders. There programs take the engine in with their next window\r\n"
        "created, focused or brought to the front, each thread with its own hooks.\r\n"
        "A program reads the settings from vl.ini in its current folder, else from\r\n"
        "%s\\varnels\\vl.ini; without either the engine stays out.\r\n"
        "Programs that are already running take the engine in with their next message;\r\n"
        "after /stop, windows the engine has already skinned may keep their looks\r\n"
        "until they close.\r\n"
        "\r\n"
        "Exit codes:\r\n"
        "  %d  started and later stopped; /stop stopped it; /status: running\r\n"
        "  %d  unknown option\r\n"
        "  %d  %s not found\r\n"
        "  %d  the engine refused to attach (no vl.ini, or it could not be read)\r\n"
        "  %d  %s lacks the hook procedures\r\n"
        "  %d  the system refused to install a hook\r\n"
        "  %d  already running\r\n"
        "  %d  /stop, /status: not running\r\n"
        "  %d  /stop: the running vlload did not end in time\r\n"
        "  %d  /status: on 64-bit Windows, only one of vlload and vlload64 is running\r\n"
        "  %d  a name the loader needs is held by another user's object, one of another kind,\r\n"
        "      or a program that is not a loader\r\n"
        "  %d, %d  /windowsbits: 32-bit, 64-bit Windows",
        engineLibraryName, program, windows, windows, exitOk, exitUsage, exitDllNotFound, engineLibraryName,
        exitEngineRefused, exitNoHookEntries, engineLibraryName, exitHookFailed, exitAlreadyRunning, exitNotRunning,
        exitStopTimedOut, exitPartlyRunning, exitNameTaken, exitWindows32, exitWindows64);
    return exitOk;
}
