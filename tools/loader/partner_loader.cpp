// Starting, following and stopping the 64-bit loader from the 32-bit one.
//
// Windows calls a global hook of the other bitness on the thread that
// installed it, by a message: a loader that stops pumping holds up every
// program of the other bitness. Both loaders therefore pump their messages
// whenever their hooks are in, here too while vlload waits for vlload64.
//
// Wine (8.0, measured; docs/design.md, "Both bitnesses") calls such a hook
// in the program's own thread instead, where the library cannot load: the
// call fails, and with it the rest of that hook chain. The hooks installed
// last come first in the chain, so vlload64 installs its hooks after vlload
// has: under Wine the 64-bit programs, most of a 64-bit prefix's, reach
// varnel64.dll, and the 32-bit ones end at its hook.
#include "partner_loader.h"

#include <stdio.h>
#include <stdlib.h>

#include "engine/newer_functions.h"
#include "engine/loader_contract.h"
#include "loader_console.h"
#include "loader_instance.h"
#include "loader_objects.h"

typedef BOOL(WINAPI *IsWow64ProcessFunction)(HANDLE process, PBOOL wow64);

// How long vlload waits for vlload64 to have its hooks in: a program start
// and a library load, seconds at the very most.
static const DWORD partnerStartTimeout = 20000;
static const DWORD partnerStopTimeout = 15000;

int systemIs64Bit()
{
#ifdef _WIN64
    return 1;
#else
    IsWow64ProcessFunction isWow64Process =
        (IsWow64ProcessFunction)findNewerFunction("kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

static void partnerPath(char *path, int size)
{
    GetModuleFileNameA(NULL, path, size);
    char *slash = strrchr(path, '\\');
    if (slash) slash[1] = 0;
    else path[0] = 0;
    lstrcatA(path, "vlload64.exe");
}

// Our standard handles, inheritable, so that vlload64 writes where we do.
static HANDLE inheritable(DWORD which)
{
    HANDLE h = GetStdHandle(which), copy = NULL;
    if (h == NULL || h == INVALID_HANDLE_VALUE) return NULL;
    if (!DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS))
        return NULL;
    return copy;
}

static const char *partnerFailure(DWORD code)
{
    switch (code) {
    case exitDllNotFound: return "varnel64.dll not found";
    case exitEngineRefused: return "the 64-bit engine refused to attach";
    case exitNoHookEntries: return "varnel64.dll lacks the hook procedures";
    case exitHookFailed: return "the system refused a hook";
    default: return "it failed";
    }
}

// Waits up to milliseconds for handle, answering this thread's messages
// meanwhile (a WM_QUIT is put back for the loader's own loop). Returns 1
// when the handle was signalled.
static int waitPumping(HANDLE handle, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD waited = GetTickCount() - start;
        if (waited >= milliseconds) return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        const DWORD woke = MsgWaitForMultipleObjects(1, &handle, FALSE, milliseconds - waited, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) return 1;
        MSG m;
        while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                PostQuitMessage((int)m.wParam);
                return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
}

void startPartnerLoader(PartnerLoader *partner, int messageHooks)
{
    ZeroMemory(partner, sizeof *partner);
    char path[MAX_PATH + 16];
    partnerPath(path, MAX_PATH);
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        say("note: %s not found: 64-bit programs are not skinned", path);
        return;
    }
    char commandLine[MAX_PATH + 64];
    snprintf(commandLine, sizeof commandLine, "\"%s\" /partner %lu%s", path, (unsigned long)GetCurrentProcessId(),
             messageHooks ? " /messagehooks" : "");

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    HANDLE out = inheritable(STD_OUTPUT_HANDLE), err = inheritable(STD_ERROR_HANDLE);
    if (out || err) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = err;
    }
    PROCESS_INFORMATION started;
    const BOOL made = CreateProcessA(path, commandLine, NULL, NULL, out || err, 0, NULL, NULL, &startup, &started);
    const DWORD error = GetLastError();
    if (out) CloseHandle(out);
    if (err) CloseHandle(err);
    if (!made) {
        say("note: %s did not start (error %lu): 64-bit programs are not skinned", path, (unsigned long)error);
        return;
    }
    CloseHandle(started.hThread);

    // Hooked, or ended: whichever comes first.
    const DWORD start = GetTickCount();
    for (;;) {
        if (waitPumping(started.hProcess, 20)) {
            DWORD code = 0;
            GetExitCodeProcess(started.hProcess, &code);
            CloseHandle(started.hProcess);
            if (code == exitAlreadyRunning)
                say("note: vlload64 was already running; it keeps the 64-bit programs skinned");
            else
                say("note: vlload64 ended with exit code %lu (%s): 64-bit programs are not skinned",
                    (unsigned long)code, partnerFailure(code));
            return;
        }
        LoaderInfoBlock info;
        if (readLoaderInfo(loader64Names, &info) && (DWORD)info.loader.id == started.dwProcessId && info.hooked)
            break;
        if (GetTickCount() - start > partnerStartTimeout) {
            say("note: vlload64 did not install its hooks within %lu seconds; it is left to finish",
                (unsigned long)(partnerStartTimeout / 1000));
            break;
        }
    }
    partner->process = started.hProcess;
    partner->id = started.dwProcessId;
}

void stopPartnerLoader(PartnerLoader *partner)
{
    if (!partner->process) return;
    if (WaitForSingleObject(partner->process, 0) == WAIT_TIMEOUT) {
        // Its stop event, as "vlload64 /stop" sets it; the process handle
        // says when it has really ended.
        LoaderObjectState state;
        HANDLE stop = openLoaderObject(loaderEvent, loader64Names.stop, EVENT_MODIFY_STATE, &state);
        LoaderInfoBlock info;
        if (stop && readLoaderInfo(loader64Names, &info) && (DWORD)info.loader.id == partner->id) SetEvent(stop);
        if (stop) CloseHandle(stop);
        if (WaitForSingleObject(partner->process, partnerStopTimeout) != WAIT_OBJECT_0)
            complain("vlload64 (process id %lu) did not end within %lu seconds", (unsigned long)partner->id,
                     (unsigned long)(partnerStopTimeout / 1000));
    }
    CloseHandle(partner->process);
    ZeroMemory(partner, sizeof *partner);
}

HANDLE openFollowedProcess(const char *processId)
{
    char *end = NULL;
    const unsigned long id = strtoul(processId, &end, 10);
    if (!end || *end || id == 0) return NULL;
    return OpenProcess(SYNCHRONIZE, FALSE, id);
}
