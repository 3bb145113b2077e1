// vlload: installs varnel.dll's two hook procedures for every thread of the
// desktop, so that the system maps the engine into every GUI program, and
// keeps them installed until "vlload /stop". The hook handles live and die
// with this process: if it ends, the system removes the hooks itself.
#include <stdlib.h>
#include <string.h>

#include <windows.h>

#include "engine_library.h"
#include "exit_codes.h"
#include "loader_console.h"
#include "loader_commands.h"
#include "loader_instance.h"
#include "tray_icon.h"
#include "varnel_version.h"

// The loader's hidden window: a target for the session's end, and for anyone
// who prefers a WM_CLOSE to "vlload /stop".
static const char loaderWindowClass[] = "VarnelLoader";

static void printUsage()
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    say("vlload - hooks the varnel engine into every program of the desktop\r\n"
        "\r\n"
        "  vlload           load varnel.dll and keep it hooked in until stopped, with an\r\n"
        "                   icon in the taskbar's notification area and its menu\r\n"
        "  vlload /notray   the same without the icon\r\n"
        "  vlload /stop     take the engine out: the running vlload unhooks and ends\r\n"
        "  vlload /status   say whether vlload is running\r\n"
        "  vlload /pause    running programs give their captions back, new ones keep the\r\n"
        "                   engine out, until /resume (the tray menu's Pause and Resume)\r\n"
        "  vlload /resume   the engine back in every program\r\n"
        "  vlload /about    version, state, the engine's path and how many programs have it\r\n"
        "  vlload /menu     the running vlload shows its tray menu at the mouse pointer\r\n"
        "  vlload /version  the version of varnel this vlload belongs to\r\n"
        "  vlload /?        this text\r\n"
        "\r\n"
        "varnel.dll is taken from vlload's own folder, else from %s.\r\n"
        "A program reads the settings from vl.ini in its current folder, else from\r\n"
        "%s\\varnels\\vl.ini; without either the engine stays out.\r\n"
        "Programs that are already running take the engine in with their next message;\r\n"
        "after /stop, windows the engine has already skinned may keep their looks\r\n"
        "until they close.\r\n"
        "\r\n"
        "Exit codes:\r\n"
        "  %d  started and later stopped; /stop stopped it; /status: running\r\n"
        "  %d  unknown option\r\n"
        "  %d  varnel.dll not found\r\n"
        "  %d  the engine refused to attach (no vl.ini, or it could not be read)\r\n"
        "  %d  varnel.dll lacks the hook procedures\r\n"
        "  %d  the system refused to install a hook\r\n"
        "  %d  already running\r\n"
        "  %d  /stop, /status: not running\r\n"
        "  %d  /stop: the running vlload did not end in time",
        windows, windows, exitOk, exitUsage, exitDllNotFound, exitEngineRefused, exitNoHookEntries, exitHookFailed,
        exitAlreadyRunning, exitNotRunning, exitStopTimedOut);
}

static LRESULT CALLBACK loaderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result;
    if (handleTrayMessage(window, message, wParam, lParam, &result)) return result;
    switch (message) {
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

// Pumps this thread's messages until the stop event is set or the hidden
// window is closed.
static void waitForStop(HANDLE stop)
{
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjects(stop ? 1 : 0, &stop, FALSE, INFINITE, QS_ALLINPUT);
        if (stop && woke == WAIT_OBJECT_0) return;
        MSG m;
        while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) return;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
}

static LoaderExitCode runLoader(HINSTANCE instance, int withTray)
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

    HHOOK before = SetWindowsHookExA(WH_CALLWNDPROC, engine.beforeMessage, engine.module, 0);
    DWORD beforeError = GetLastError();
    HHOOK after = before ? SetWindowsHookExA(WH_CALLWNDPROCRET, engine.afterMessage, engine.module, 0) : NULL;
    DWORD afterError = GetLastError();
    if (!before || !after) {
        complain("the system refused the %s hook (error %lu)", before ? "WH_CALLWNDPROCRET" : "WH_CALLWNDPROC",
                 (unsigned long)(before ? afterError : beforeError));
        if (before) UnhookWindowsHookEx(before);
        DestroyWindow(window);
        releaseInstance(&self);
        return exitHookFailed;
    }
    say("vlload: %s is hooked into every program of the desktop; 'vlload /stop' takes it out", engine.path);
    // Without a notification area (no taskbar yet) the icon comes when the
    // taskbar announces itself.
    if (withTray) say("vlload: tray icon %s", showTrayIcon(window) ? "shown" : "not shown (no notification area)");

    waitForStop(self.stop);
    removeTrayIcon(window);

    UnhookWindowsHookEx(after);
    UnhookWindowsHookEx(before);
    DestroyWindow(window);
    say("vlload: hooks removed");
    releaseInstance(&self);
    // varnel.dll is not freed here: the process's end detaches it without
    // the pauses a FreeLibrary would wait through.
    return exitOk;
}

static int isOption(const char *argument, const char *name)
{
    return (argument[0] == '/' || argument[0] == '-') && lstrcmpiA(argument + 1, name) == 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc > 2) {
        complain("one option at most; 'vlload /?' lists them");
        return exitUsage;
    }
    if (__argc < 2) return runLoader(instance, 1);
    const char *option = __argv[1];
    if (isOption(option, "notray")) return runLoader(instance, 0);
    if (isOption(option, "pause")) return pauseEngine();
    if (isOption(option, "resume")) return resumeEngine();
    if (isOption(option, "about")) return printAbout();
    if (isOption(option, "menu")) return showRunningLoaderMenu();
    if (isOption(option, "?") || isOption(option, "help") || isOption(option, "h")) {
        printUsage();
        return exitOk;
    }
    if (isOption(option, "stop")) return stopRunningLoader();
    if (isOption(option, "status")) return reportStatus();
    if (isOption(option, "version")) {
        say("vlload %s", VARNEL_VERSION);
        return exitOk;
    }
    complain("unknown option '%s'; 'vlload /?' lists the options", option);
    return exitUsage;
}
