// varnel.dll refuses to attach when it finds no settings file; the system
// then reports only "initialisation failed", so the loader looks for the
// files itself to say which one is missing and where it looked.
#include "engine_library.h"

#include <stdio.h>

#include "loader_console.h"

// A process loads only libraries of its own bitness: vlload64 loads the
// 64-bit engine.
#ifdef _WIN64
const char engineLibraryName[] = "varnel64.dll";
#else
const char engineLibraryName[] = "varnel.dll";
#endif

static int fileExists(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static void loaderFolder(char *folder, int size)
{
    GetModuleFileNameA(NULL, folder, size);
    char *slash = strrchr(folder, '\\');
    if (slash) *slash = 0;
}

static void windowsFile(char *path, int size, const char *suffix)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    snprintf(path, size, "%s%s", windows, suffix);
}

static void currentFile(char *path, int size, const char *name)
{
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    const int n = lstrlenA(current);
    snprintf(path, size, "%s%s%s", current, n > 0 && current[n - 1] == '\\' ? "" : "\\", name);
}

static void explainLoadFailure(const char *dll, DWORD error)
{
    char inCurrent[MAX_PATH + 16], inEngineFolder[MAX_PATH + 16];
    currentFile(inCurrent, sizeof inCurrent, "vl.ini");
    windowsFile(inEngineFolder, sizeof inEngineFolder, "\\varnels\\vl.ini");
    if (error == ERROR_DLL_INIT_FAILED && !fileExists(inCurrent) && !fileExists(inEngineFolder)) {
        complain("the engine refused to attach: no settings file (looked for %s and %s)", inCurrent,
                 inEngineFolder);
        return;
    }
    if (error == ERROR_DLL_INIT_FAILED) {
        complain("the engine refused to attach (%s): its settings file could not be read", dll);
        return;
    }
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, text, sizeof text,
                   NULL);
    for (char *end = text + lstrlenA(text); end > text && (end[-1] == '\n' || end[-1] == '\r');) *--end = 0;
    complain("could not load %s: error %lu %s", dll, (unsigned long)error, text);
}

LoaderExitCode loadEngineLibrary(EngineLibrary *library)
{
    ZeroMemory(library, sizeof *library);
    char folder[MAX_PATH], besideLoader[MAX_PATH + 16], inWindows[MAX_PATH + 16];
    loaderFolder(folder, sizeof folder);
    snprintf(besideLoader, sizeof besideLoader, "%s\\%s", folder, engineLibraryName);
    char suffix[32];
    snprintf(suffix, sizeof suffix, "\\%s", engineLibraryName);
    windowsFile(inWindows, sizeof inWindows, suffix);
    if (fileExists(besideLoader))
        lstrcpynA(library->path, besideLoader, sizeof library->path);
    else if (fileExists(inWindows))
        lstrcpynA(library->path, inWindows, sizeof library->path);
    else {
        complain("%s not found (looked for %s and %s)", engineLibraryName, besideLoader, inWindows);
        return exitDllNotFound;
    }

    // The engine's own error dialogs would block a loader started by a
    // script; failures are reported here instead.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // The engine's attach reads it: this process will install the hooks
    // (engine/engine_state.h, inLoader). Gone again before vlload64 starts.
    // By its full path, and what it needs from its own folder first, never
    // from the loader's current folder.
    SetEnvironmentVariableA(loaderProcessSwitch, "1");
    library->module = LoadLibraryExA(library->path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    DWORD error = GetLastError();
    SetEnvironmentVariableA(loaderProcessSwitch, NULL);
    SetErrorMode(oldMode);
    if (!library->module) {
        explainLoadFailure(library->path, error);
        return exitEngineRefused;
    }
    library->beforeMessage = (HOOKPROC)GetProcAddress(library->module, "SpyCallWndProc2");
    library->afterMessage = (HOOKPROC)GetProcAddress(library->module, "SpyCallWndProc");
    library->windowEvent = (WINEVENTPROC)GetProcAddress(library->module, "VarnelWindowEvent");
    if (!library->beforeMessage || !library->afterMessage) {
        complain("%s is not the engine: it lacks the hook procedures SpyCallWndProc2 and SpyCallWndProc",
                 library->path);
        FreeLibrary(library->module);
        library->module = NULL;
        return exitNoHookEntries;
    }
    return exitOk;
}

static int readsOne(const char *path)
{
    FILE *f = fopen(path, "r");
    if (!f) return 0;
    int value = 0;
    const int one = fscanf(f, "%d", &value) == 1 && value == 1;
    fclose(f);
    return one;
}

void noteEngineSurprises()
{
    char marker[MAX_PATH + 32], inCurrent[MAX_PATH + 16], inEngineFolder[MAX_PATH + 16];
    windowsFile(marker, sizeof marker, "\\varnels\\vldis.ini");
    if (readsOne(marker))
        say("note: %s holds 1: the engine is hooked in but disabled, every program keeps its looks", marker);
    currentFile(inCurrent, sizeof inCurrent, "vl.ini");
    windowsFile(inEngineFolder, sizeof inEngineFolder, "\\varnels\\vl.ini");
    if (!fileExists(inEngineFolder) && fileExists(inCurrent))
        say("note: only %s exists: a program is skinned only when its current folder holds a vl.ini too"
            " (copy it to %s)",
            inCurrent, inEngineFolder);
}
