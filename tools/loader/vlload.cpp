// vlload: installs varnel.dll's two hook procedures for every thread of the
// desktop, so that the system maps the engine into every GUI program, and
// keeps them installed until "vlload /stop". The hook handles live and die
// with this process: if it ends, the system removes the hooks itself. Built
// for 64-bit Windows it is vlload64, which does the same with varnel64.dll
// for the 64-bit programs; on a 64-bit system vlload starts it and stops it
// again, and /stop and /status of either cover both.
#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "engine_library.h"
#include "engine/loader_contract.h"
#include "engine/object_security.h"
#include "loader_console.h"
#include "loader_commands.h"
#include "loader_instance.h"
#include "partner_loader.h"
#include "program_entry.h"
#include "settings_echo.h"
#include "tray_icon.h"
#include "varnel_version.h"

// The loader's hidden window: a target for the session's end, and for anyone
// who prefers a WM_CLOSE to "vlload /stop".
static const char *const loaderWindowClass = sizeof(void *) == 8 ? loader64WindowClassName : loaderWindowClassName;

static void printUsage()
{
    const char *program = ownLoaderNames().program;
    char stop[32], status[32], help[32];
    wsprintfA(stop, "%s /stop", program);
    wsprintfA(status, "%s /status", program);
    wsprintfA(help, "%s /?", program);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    say("%s - hooks the varnel engine into every %sprogram of the desktop\r\n"
        "\r\n"
        "  %-16s load %s and keep it hooked in until stopped, with an\r\n"
        "                   icon in the taskbar's notification area and its menu\r\n"
        "  vlload /notray   the same without the icon\r\n"
        "  vlload /no64     the same without vlload64 on 64-bit Windows\r\n"
        "  vlload /messagehooks  the same, entering programs on 64-bit Windows by global\r\n"
        "                   message hooks, as on 32-bit Windows, instead of window events\r\n"
        "  %-16s take the engine out: the running loaders unhook and end\r\n"
        "  %-16s say whether the loaders are running, and with which engines\r\n"
        "  vlload /pause    running programs give their captions back, new ones keep the\r\n"
        "                   engine out, until /resume (the tray menu's Pause and Resume)\r\n"
        "  vlload /resume   the engine back in every program\r\n"
        "  vlload /about    version, state, the engines' paths and how many programs have them\r\n"
        "  vlload /menu     the running vlload shows its tray menu at the mouse pointer\r\n"
        "  vlload /version  the version of varnel this vlload belongs to\r\n"
        "  vlload /windowsbits  whether Windows itself is 32- or 64-bit, as the exit code\r\n"
        "  %-16s this text\r\n"
        "\r\n"
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
        program, sizeof(void *) == 8 ? "64-bit " : "", program, engineLibraryName,
        stop, status, help, engineLibraryName, program, windows, windows, exitOk, exitUsage,
        exitDllNotFound, engineLibraryName, exitEngineRefused, exitNoHookEntries, engineLibraryName, exitHookFailed,
        exitAlreadyRunning, exitNotRunning, exitStopTimedOut, exitPartlyRunning, exitNameTaken, exitWindows32,
        exitWindows64);
}

static LRESULT CALLBACK loaderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result;
    if (handleTrayMessage(window, message, wParam, lParam, &result)) return result;
    switch (message) {
    case WM_TIMER:
        if (handleSettingsEchoTimer(wParam)) return 0;
        break;
    case WM_CLOSE:
        PostQuitMessage(exitOk);
        return 0;
    case WM_ENDSESSION:
        if (wParam) PostQuitMessage(exitOk);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND createLoaderWindow(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = loaderWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = loaderWindowClass;
    RegisterClassA(&wc);
    return CreateWindowExA(0, loaderWindowClass, "varnel loader", WS_POPUP, 0, 0, 0, 0, NULL, NULL, instance, NULL);
}

// Pumps this thread's messages until the stop event is set, the hidden
// window is closed, or the followed process (the vlload that started this
// vlload64) ends. Windows hands a hook of the other bitness to the thread
// that installed it, as a message: this loop is what answers it.
static void waitForStop(HANDLE stop, HANDLE followed)
{
    HANDLE handles[2];
    DWORD count = 0;
    if (stop) handles[count++] = stop;
    if (followed) handles[count++] = followed;
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, QS_ALLINPUT);
        if (woke < WAIT_OBJECT_0 + count) return;
        MSG m;
        while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) return;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
}

// followed: vlload64 ends with the vlload that started it. withTray: the
// notification-area icon (vlload only). withPartner: vlload64 started on a
// 64-bit system. messageHooks: programs entered by the global message hooks
// on 64-bit Windows too, and so also by the vlload64 this one starts.
static LoaderExitCode runLoader(HINSTANCE instance, HANDLE followed, int withTray, int withPartner,
                                int messageHooks = 0)
{
    LoaderInstance self;
    LoaderExitCode result = claimInstance(&self);
    if (result != exitOk) return result;

    EngineLibrary engine;
    result = loadEngineLibrary(&engine);
    if (result != exitOk) {
        releaseInstance(&self);
        return result;
    }
    noteEngineSurprises();
    publishEngine(&self, engine.path);
    HWND window = createLoaderWindow(instance);

    PartnerLoader partner;
    ZeroMemory(&partner, sizeof partner);

    ProgramEntry entry;
    result = enterPrograms(engine, messageHooks, &entry);
    if (result != exitOk) {
        DestroyWindow(window);
        releaseInstance(&self);
        return result;
    }
    if (sizeof(void *) == 8)
        say("vlload64: %s is hooked into every 64-bit program of the desktop; 'vlload /stop' takes it out",
            engine.path);
    else
        say("vlload: %s is hooked into every program of the desktop; 'vlload /stop' takes it out", engine.path);
    if (entersByEvents(entry))
        say("%s: programs take the engine in with their next window event", ownLoaderNames().program);
    publishHooked(&self);
    // The 64-bit half after this one's hooks, so that, should both enter by
    // message hooks, its hooks come first in the chain (partner_loader.cpp
    // says why).
    if (sizeof(void *) == 4 && withPartner && systemIs64Bit()) startPartnerLoader(&partner, messageHooks);
    // Without a notification area (no taskbar yet) the icon comes when the
    // taskbar announces itself.
    if (withTray) say("vlload: tray icon %s", showTrayIcon(window) ? "shown" : "not shown (no notification area)");

    // One echo of settings changes for the desktop: vlload64 started by
    // vlload leaves it to vlload, whose broadcast reaches every program.
    if (!followed) startSettingsEcho(window);
    waitForStop(self.stop, followed);
    stopSettingsEcho(window);
    removeTrayIcon(window);

    leavePrograms(&entry);
    DestroyWindow(window);
    say("%s: hooks removed", ownLoaderNames().program);
    stopPartnerLoader(&partner);
    releaseInstance(&self);
    // varnel.dll is not freed here: the process's end detaches it without
    // the pauses a FreeLibrary would wait through.
    return exitOk;
}

static int isOption(const char *argument, const char *name)
{
    return (argument[0] == '/' || argument[0] == '-') && lstrcmpiA(argument + 1, name) == 0;
}

// /status on a 64-bit system: both loaders, each with its engine.
static LoaderExitCode reportBothStatuses()
{
    const LoaderExitCode of32 = reportStatus(loader32Names);
    const LoaderExitCode of64 = reportStatus(loader64Names);
    if (of32 == exitOk && of64 == exitOk) return exitOk;
    if (of32 != exitOk && of64 != exitOk) return exitNotRunning;
    return exitPartlyRunning;
}

// /stop on a 64-bit system: the 32-bit loader first (it stops the vlload64
// it started, and waits for it), then a vlload64 that was started on its
// own.
static LoaderExitCode stopBothLoaders()
{
    const int had64 = loaderRuns(loader64Names);
    const LoaderExitCode of32 = stopRunningLoader(loader32Names, 1);
    LoaderExitCode of64 = exitNotRunning;
    if (loaderRuns(loader64Names))
        of64 = stopRunningLoader(loader64Names, 1);
    else if (had64) {
        say("vlload64 stopped: the 64-bit engine's hooks are removed");
        of64 = exitOk;
    }
    if (of32 == exitStopTimedOut || of64 == exitStopTimedOut) return exitStopTimedOut;
    if (of32 == exitNotRunning && of64 == exitNotRunning) {
        complain("not running: there is nothing to stop");
        return exitNotRunning;
    }
    return exitOk;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // The objects' and the shared block's names carry the user, read
    // through advapi32: loaded from the system folder now, before the
    // engine's entry point, which only takes it as loaded, runs here.
    loadSecurityLibrary();
    // vlload64 started by vlload follows it: "/partner <process id>", and
    // "/messagehooks" when vlload was given it.
    if (sizeof(void *) == 8 && (__argc == 3 || (__argc == 4 && isOption(__argv[3], "messagehooks"))) &&
        isOption(__argv[1], "partner")) {
        HANDLE followed = openFollowedProcess(__argv[2]);
        if (!followed) {
            complain("/partner needs the process id of a running vlload");
            return exitUsage;
        }
        const LoaderExitCode result = runLoader(instance, followed, 0, 0, __argc == 4);
        CloseHandle(followed);
        return result;
    }
    if (__argc > 2) {
        complain("one option at most; 'vlload /?' lists them");
        return exitUsage;
    }
    const int trayHere = sizeof(void *) == 4;
    if (__argc < 2) return runLoader(instance, NULL, trayHere, 1);
    const char *option = __argv[1];
    if (isOption(option, "notray")) return runLoader(instance, NULL, 0, 1);
    if (isOption(option, "no64")) return runLoader(instance, NULL, trayHere, 0);
    if (isOption(option, "messagehooks")) return runLoader(instance, NULL, trayHere, 1, 1);
    if (isOption(option, "pause")) return pauseEngine();
    if (isOption(option, "resume")) return resumeEngine();
    if (isOption(option, "about")) return printAbout();
    if (isOption(option, "menu")) return showRunningLoaderMenu();
    if (isOption(option, "?") || isOption(option, "help") || isOption(option, "h")) {
        printUsage();
        return exitOk;
    }
    // On 32-bit Windows both do exactly what they always did.
    if (isOption(option, "stop")) return systemIs64Bit() ? stopBothLoaders() : stopRunningLoader(loader32Names);
    if (isOption(option, "status")) return systemIs64Bit() ? reportBothStatuses() : reportStatus(loader32Names);
    if (isOption(option, "windowsbits")) {
        const int wide = systemIs64Bit();
        say("%d-bit Windows", wide ? 64 : 32);
        return wide ? exitWindows64 : exitWindows32;
    }
    if (isOption(option, "version")) {
        say("%s %s", ownLoaderNames().program, VARNEL_VERSION);
        return exitOk;
    }
    complain("unknown option '%s'; 'vlload /?' lists the options", option);
    return exitUsage;
}
