// One loader at a time: a second one would install a second pair of hooks,
// and every message would pass the engine twice.
#include "loader_instance.h"

#include "loader_console.h"

const LoaderNames loader32Names = {"vlload", "VarnelLoaderRunning", "VarnelLoaderStop", "VarnelLoaderInfo"};
const LoaderNames loader64Names = {"vlload64", "VarnelLoaderRunning64", "VarnelLoaderStop64", "VarnelLoaderInfo64"};

const LoaderNames &ownLoaderNames()
{
#ifdef _WIN64
    return loader64Names;
#else
    return loader32Names;
#endif
}

// How long /stop waits for the running loader to end: it only unhooks and
// exits, so anything near this is a hung loader.
static const DWORD stopTimeout = 15000;

int readLoaderInfo(const LoaderNames &names, RunningLoaderInfo *info)
{
    ZeroMemory(info, sizeof *info);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, names.info);
    if (!mapping) return 0;
    const RunningLoaderInfo *shared =
        (const RunningLoaderInfo *)MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof *shared);
    if (shared) {
        *info = *shared;
        info->enginePath[sizeof info->enginePath - 1] = 0;
        UnmapViewOfFile(shared);
    }
    CloseHandle(mapping);
    return shared != NULL;
}

static HANDLE openRunningMutex(const LoaderNames &names) { return OpenMutexA(SYNCHRONIZE, FALSE, names.running); }

int loaderRuns(const LoaderNames &names)
{
    HANDLE running = openRunningMutex(names);
    if (!running) return 0;
    CloseHandle(running);
    return 1;
}

LoaderExitCode claimInstance(LoaderInstance *instance)
{
    ZeroMemory(instance, sizeof *instance);
    const LoaderNames &names = ownLoaderNames();
    instance->names = &names;
    instance->running = CreateMutexA(NULL, TRUE, names.running);
    if (!instance->running) {
        // Another kind of object holds the name: no second loader can be
        // told apart from it, so none starts.
        complain("cannot claim the name %s (error %lu): is another program using it?", names.running,
                 (unsigned long)GetLastError());
        return exitAlreadyRunning;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(instance->running);
        instance->running = NULL;
        RunningLoaderInfo info;
        if (readLoaderInfo(names, &info) && info.processId)
            complain("already running (process id %lu); 'vlload /stop' takes the engine out",
                     (unsigned long)info.processId);
        else
            complain("already running; 'vlload /stop' takes the engine out");
        return exitAlreadyRunning;
    }
    // The event may outlive an earlier loader while a /stop still holds it:
    // start unsignalled whatever state it was left in.
    instance->stop = CreateEventA(NULL, TRUE, FALSE, names.stop);
    if (instance->stop) ResetEvent(instance->stop);
    instance->info =
        CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(RunningLoaderInfo), names.info);
    publishEngine(instance, "");
    return exitOk;
}

void publishEngine(LoaderInstance *instance, const char *enginePath)
{
    if (!instance->info) return;
    RunningLoaderInfo *shared =
        (RunningLoaderInfo *)MapViewOfFile(instance->info, FILE_MAP_WRITE, 0, 0, sizeof(RunningLoaderInfo));
    if (!shared) return;
    shared->processId = GetCurrentProcessId();
    lstrcpynA(shared->enginePath, enginePath, sizeof shared->enginePath);
    UnmapViewOfFile(shared);
}

void publishHooked(LoaderInstance *instance)
{
    if (!instance->info) return;
    RunningLoaderInfo *shared =
        (RunningLoaderInfo *)MapViewOfFile(instance->info, FILE_MAP_WRITE, 0, 0, sizeof(RunningLoaderInfo));
    if (!shared) return;
    InterlockedExchange((volatile LONG *)&shared->hooked, 1);
    UnmapViewOfFile(shared);
}

void releaseInstance(LoaderInstance *instance)
{
    if (instance->info) CloseHandle(instance->info);
    if (instance->stop) CloseHandle(instance->stop);
    if (instance->running) {
        ReleaseMutex(instance->running);
        CloseHandle(instance->running);
    }
    ZeroMemory(instance, sizeof *instance);
}

LoaderExitCode reportStatus(const LoaderNames &names)
{
    if (!loaderRuns(names)) {
        say("%s is not running", names.program);
        return exitNotRunning;
    }
    RunningLoaderInfo info;
    if (readLoaderInfo(names, &info) && info.enginePath[0])
        say("%s is running (process id %lu, engine %s)", names.program, (unsigned long)info.processId,
            info.enginePath);
    else
        say("%s is running", names.program);
    return exitOk;
}

LoaderExitCode stopRunningLoader(const LoaderNames &names, int quietWhenNotRunning)
{
    HANDLE running = openRunningMutex(names);
    HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, names.stop);
    if (!running || !stop) {
        if (running) CloseHandle(running);
        if (stop) CloseHandle(stop);
        if (!quietWhenNotRunning) complain("not running: there is nothing to stop");
        return exitNotRunning;
    }
    RunningLoaderInfo info;
    HANDLE process = NULL;
    if (readLoaderInfo(names, &info) && info.processId) process = OpenProcess(SYNCHRONIZE, FALSE, info.processId);
    SetEvent(stop);
    CloseHandle(stop);

    // The process handle tells when the loader has really ended; without
    // one, the mutex tells when it has unhooked (released or abandoned).
    DWORD waited;
    if (process) {
        waited = WaitForSingleObject(process, stopTimeout);
        CloseHandle(process);
    } else {
        waited = WaitForSingleObject(running, stopTimeout);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            ReleaseMutex(running);
            waited = WAIT_OBJECT_0;
        }
    }
    CloseHandle(running);
    if (waited != WAIT_OBJECT_0) {
        complain("the running %s (process id %lu) did not end within %lu seconds", names.program,
                 (unsigned long)info.processId, (unsigned long)(stopTimeout / 1000));
        return exitStopTimedOut;
    }
    if (&names == &loader32Names)
        say("vlload stopped: the engine's hooks are removed");
    else
        say("%s stopped: the 64-bit engine's hooks are removed", names.program);
    return exitOk;
}
