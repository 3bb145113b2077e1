// The loader's commands, for its command line and its tray menu alike.
#include "loader_commands.h"

#include <stdio.h>
#include <string.h>

#include <tlhelp32.h>

#include "engine/engine_files.h"
#include "engine/newer_functions.h"
#include "engine/process_table.h"
#include "engine/settings_generation.h"
#include "loader_console.h"
#include "loader_instance.h"
#include "partner_loader.h"
#include "varnel_version.h"

static void markerPath(char *path, int size)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    snprintf(path, size, "%s%s", windows, disableMarkerSuffix);
}

int enginePaused()
{
    char path[MAX_PATH + 32];
    markerPath(path, sizeof path);
    FILE *f = fopen(path, "r");
    if (!f) return 0;
    int value = 0;
    const int read = fscanf(f, "%d", &value);
    fclose(f);
    return read == 1 && value == 1;
}

// The marker is written either way: programs that start read it.
static void noteUntoldPrograms()
{
    SharedBlockState state = sharedBlockUsable;
    if (!announceSettingsChange(NULL, 1, &state))
        say("note: running programs were not told (the block they share: %s); they read the change when they "
            "start again",
            sharedBlockProblem(state));
}

// How pausing and resuming end, once the marker at path was written or
// removed (changed), or could not be (refused: the error then): a refusal
// says what stays (the engine folder is an administrator's on NT), a change
// is announced and done said.
static LoaderExitCode endMarkerChange(int changed, DWORD refused, const char *action, const char *path,
                                      const char *stays, const char *done)
{
    if (!changed) {
        complain("cannot %s %s%s: %s", action, path, refused == ERROR_ACCESS_DENIED ? " (needs administrator)" : "",
                 stays);
        return exitUsage;
    }
    noteUntoldPrograms();
    say("%s", done);
    return exitOk;
}

LoaderExitCode pauseEngine()
{
    char path[MAX_PATH + 32];
    markerPath(path, sizeof path);
    FILE *f = fopen(path, "w");
    const DWORD refused = f ? 0 : GetLastError();
    int written = 0;
    if (f) {
        written = fputs("1\n", f) >= 0;
        written = fclose(f) == 0 && written;
    }
    return endMarkerChange(written, refused, "write", path, "the engine stays as it is",
                           "vlload: paused; running programs give their captions back with their next repaint");
}

LoaderExitCode resumeEngine()
{
    char path[MAX_PATH + 32];
    markerPath(path, sizeof path);
    const BOOL deleted = DeleteFileA(path);
    const DWORD refused = deleted ? 0 : GetLastError();
    const int gone = deleted || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
    return endMarkerChange(gone, refused, "remove", path, "the engine stays paused", "vlload: resumed");
}

// One line per loader that runs: its program and the engine it loaded.
static int describeLoader(const LoaderNames &names, char *text, int size)
{
    LoaderInfoBlock info;
    HANDLE process = openRunningLoader(names, &info);
    if (!process) return 0;
    CloseHandle(process);
    snprintf(text, size, "%s: %s\r\n", names.program, info.enginePath[0] ? info.enginePath : "(starting)");
    return 1;
}

void aboutText(char *text, int size)
{
    char loaders[2 * MAX_PATH + 64] = "", second[MAX_PATH + 32] = "";
    int running = describeLoader(loader32Names, loaders, sizeof loaders);
    if (describeLoader(loader64Names, second, sizeof second)) {
        lstrcatA(loaders, second);
        running++;
    }
    // Each running loader has the engine of its bitness too.
    const LONG counted = processesWithEngine();
    const LONG programs = counted - running;
    char count[96];
    if (counted < 0)
        lstrcpynA(count, "unknown (the block programs share is taken by another program)", sizeof count);
    else
        snprintf(count, sizeof count, "%ld", (long)(programs > 0 ? programs : 0));
    snprintf(text, size,
             "varnel %s\r\n"
             "The engine is %s.\r\n"
             "%s"
             "Programs that have the engine: %s\r\n",
             VARNEL_VERSION, !running ? "not loaded" : enginePaused() ? "paused" : "running", loaders, count);
}

LoaderExitCode printAbout()
{
    char text[1024];
    aboutText(text, sizeof text);
    say("%s", text);
    return exitOk;
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

// On 32-bit Windows both do exactly what they always did.
LoaderExitCode stopLoaders() { return systemIs64Bit() ? stopBothLoaders() : stopRunningLoader(loader32Names); }

LoaderExitCode reportLoaders() { return systemIs64Bit() ? reportBothStatuses() : reportStatus(loader32Names); }

LoaderExitCode printVersion()
{
    say("%s %s", ownLoaderNames().program, VARNEL_VERSION);
    return exitOk;
}

LoaderExitCode reportWindowsBits()
{
    const int wide = systemIs64Bit();
    say("%d-bit Windows", wide ? 64 : 32);
    return wide ? exitWindows64 : exitWindows32;
}

long runToolBeside(const char *program, const char *arguments, int wait)
{
    char folder[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, folder, sizeof folder);
    while (length > 0 && folder[length - 1] != '\\') length--;
    folder[length] = 0;
    char command[2 * MAX_PATH + 64];
    snprintf(command, sizeof command, "\"%s%s\" %s", folder, program, arguments);
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &start, &process)) return -1;
    DWORD code = 0;
    if (wait) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (long)code;
}

LoaderExitCode openSettings()
{
    if (runToolBeside("vlsettings.exe", "", 0) >= 0 || runToolBeside("vlconf.exe", "", 0) >= 0) return exitOk;
    complain("neither vlsettings.exe nor vlconf.exe is beside vlload");
    return exitDllNotFound;
}

typedef HANDLE(WINAPI *SnapshotFunction)(DWORD flags, DWORD process);
typedef BOOL(WINAPI *ProcessWalk)(HANDLE snapshot, PROCESSENTRY32 *entry);
typedef DWORD(WINAPI *ModuleNameFunction)(HANDLE process, HMODULE module, char *name, DWORD size);

static void keepFileName(const char *path, char *name, int size)
{
    const char *slash = strrchr(path, '\\');
    lstrcpynA(name, slash ? slash + 1 : path, size);
}

// Windows 95 and 2000 on have the tool-help snapshot in KERNEL32; NT 4.0
// has only psapi.dll, where it is installed.
int programOfWindow(HWND window, char *name, int size)
{
    DWORD id = 0;
    if (!GetWindowThreadProcessId(window, &id) || !id) return 0;
    SnapshotFunction snapshot = (SnapshotFunction)findNewerFunction("kernel32.dll", "CreateToolhelp32Snapshot");
    ProcessWalk first = (ProcessWalk)findNewerFunction("kernel32.dll", "Process32First");
    ProcessWalk next = (ProcessWalk)findNewerFunction("kernel32.dll", "Process32Next");
    if (snapshot && first && next) {
        HANDLE all = snapshot(TH32CS_SNAPPROCESS, 0);
        if (all != INVALID_HANDLE_VALUE) {
            PROCESSENTRY32 entry;
            entry.dwSize = sizeof entry;
            int found = 0;
            for (BOOL more = first(all, &entry); more && !found; more = next(all, &entry))
                if (entry.th32ProcessID == id) {
                    keepFileName(entry.szExeFile, name, size);
                    found = 1;
                }
            CloseHandle(all);
            if (found) return 1;
        }
    }
    // From the system folder by its full path: a psapi.dll in the loader's
    // current folder is never loaded.
    char psapiPath[MAX_PATH + 16];
    const UINT length = GetSystemDirectoryA(psapiPath, MAX_PATH);
    HMODULE psapi = NULL;
    if (length > 0 && length < MAX_PATH) {
        lstrcatA(psapiPath, "\\psapi.dll");
        psapi = LoadLibraryExA(psapiPath, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    ModuleNameFunction moduleName = psapi ? (ModuleNameFunction)GetProcAddress(psapi, "GetModuleFileNameExA") : NULL;
    int found = 0;
    HANDLE process = moduleName ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id) : NULL;
    if (process) {
        char path[MAX_PATH];
        if (moduleName(process, NULL, path, sizeof path)) {
            keepFileName(path, name, size);
            found = 1;
        }
        CloseHandle(process);
    }
    if (psapi) FreeLibrary(psapi);
    return found;
}
