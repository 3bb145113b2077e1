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

#include "engine/loader_contract.h"
#include "engine/object_security.h"
#include "engine_library.h"
#include "loader_command_table.h"
#include "loader_console.h"
#include "loader_instance.h"
#include "partner_loader.h"
#include "program_entry.h"
#include "settings_echo.h"
#include "tray_icon.h"
#include "varnel_version.h"

// The loader's hidden window: a target for the session's end, and for anyone
// who prefers a WM_CLOSE to "vlload /stop".
static const char *const loaderWindowClass = sizeof(void *) == 8 ? loader64WindowClassName : loaderWindowClassName;

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

// The options of vlload and what they run: loader_command_table.cpp. This
// one is vlload's own, for the vlload64 it starts.
static int isOption(const char *argument, const char *name)
{
    return (argument[0] == '/' || argument[0] == '-') && lstrcmpiA(argument + 1, name) == 0;
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
    const LoaderCommand *command = commandOfOption(__argc < 2 ? NULL : __argv[1]);
    if (!command) {
        complain("unknown option '%s'; 'vlload /?' lists the options", __argv[1]);
        return exitUsage;
    }
    if (command->starts & startsLoader) {
        const int trayHere = sizeof(void *) == 4 && !(command->starts & startsWithoutTray);
        return runLoader(instance, NULL, trayHere, !(command->starts & startsWithoutPartner),
                         (command->starts & startsWithMessageHooks) != 0);
    }
    const CommandCall onCommandLine = {NULL, 0};
    return command->handler(onCommandLine);
}
