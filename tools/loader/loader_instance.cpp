// One loader at a time: a second one would install a second pair of hooks,
// and every message would pass the engine twice.
#include "loader_instance.h"

#include "loader_console.h"

static const char runningMutexName[] = "VarnelLoaderRunning";
static const char stopEventName[] = "VarnelLoaderStop";
static const char infoName[] = "VarnelLoaderInfo";

// How long /stop waits for the running loader to end: it only unhooks and
// exits, so anything near this is a hung loader.
static const DWORD stopTimeout = 15000;

static int readInfo(RunningLoaderInfo *info)
{
    ZeroMemory(info, sizeof *info);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, infoName);
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

static HANDLE openRunningMutex() { return OpenMutexA(SYNCHRONIZE, FALSE, runningMutexName); }

LoaderExitCode claimInstance(LoaderInstance *instance)
{
    ZeroMemory(instance, sizeof *instance);
    instance->running = CreateMutexA(NULL, TRUE, runningMutexName);
    if (!instance->running) {
        // Another kind of object holds the name: no second loader can be
        // told apart from it, so none starts.
        complain("cannot claim the name %s (error %lu): is another program using it?", runningMutexName,
                 (unsigned long)GetLastError());
        return exitAlreadyRunning;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(instance->running);
        instance->running = NULL;
        RunningLoaderInfo info;
        if (readInfo(&info) && info.processId)
            complain("already running (process id %lu); 'vlload /stop' takes the engine out",
                     (unsigned long)info.processId);
        else
            complain("already running; 'vlload /stop' takes the engine out");
        return exitAlreadyRunning;
    }
    // The event may outlive an earlier loader while a /stop still holds it:
    // start unsignalled whatever state it was left in.
    instance->stop = CreateEventA(NULL, TRUE, FALSE, stopEventName);
    if (instance->stop) ResetEvent(instance->stop);
    instance->info =
        CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(RunningLoaderInfo), infoName);
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

int runningEnginePath(char *path, int size)
{
    HANDLE running = openRunningMutex();
    if (!running) return 0;
    CloseHandle(running);
    RunningLoaderInfo info;
    if (readInfo(&info)) lstrcpynA(path, info.enginePath, size);
    return 1;
}

LoaderExitCode reportStatus()
{
    HANDLE running = openRunningMutex();
    if (!running) {
        say("vlload is not running");
        return exitNotRunning;
    }
    CloseHandle(running);
    RunningLoaderInfo info;
    if (readInfo(&info) && info.enginePath[0])
        say("vlload is running (process id %lu, engine %s)", (unsigned long)info.processId, info.enginePath);
    else
        say("vlload is running");
    return exitOk;
}

LoaderExitCode stopRunningLoader()
{
    HANDLE running = openRunningMutex();
    HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, stopEventName);
    if (!running || !stop) {
        if (running) CloseHandle(running);
        if (stop) CloseHandle(stop);
        complain("not running: there is nothing to stop");
        return exitNotRunning;
    }
    RunningLoaderInfo info;
    HANDLE process = NULL;
    if (readInfo(&info) && info.processId) process = OpenProcess(SYNCHRONIZE, FALSE, info.processId);
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
        complain("the running vlload (process id %lu) did not end within %lu seconds", (unsigned long)info.processId,
                 (unsigned long)(stopTimeout / 1000));
        return exitStopTimedOut;
    }
    say("vlload stopped: the engine's hooks are removed");
    return exitOk;
}
