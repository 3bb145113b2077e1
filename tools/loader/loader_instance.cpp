// One loader at a time: a second one would install a second pair of hooks,
// and every message would pass the engine twice.
#include "loader_instance.h"

#include "loader_console.h"
#include "loader_objects.h"

const LoaderNames loader32Names = {"vlload", loaderRunningName, loaderStopName, loaderInfoName};
const LoaderNames loader64Names = {"vlload64", loader64RunningName, loader64StopName, loader64InfoName};

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
// How long a loader that finds the running mutex held waits for the holder
// to publish itself: a loader starting publishes within moments of taking
// the mutex.
static const DWORD claimPatience = 2000;
static const DWORD claimPoll = 50;
// Vista and later: what a process that is not elevated may ask of one that is.
static const DWORD processQueryLimited = 0x1000;

int readLoaderInfo(const LoaderNames &names, LoaderInfoBlock *info)
{
    ZeroMemory(info, sizeof *info);
    LoaderObjectState state;
    HANDLE mapping = openLoaderObject(loaderMapping, names.info, FILE_MAP_READ, &state);
    if (!mapping) return 0;
    volatile LoaderInfoBlock *shared = mapLoaderInfo(mapping, 0, &state);
    if (shared) {
        CopyMemory(info, (const void *)shared, sizeof *info);
        info->enginePath[sizeof info->enginePath - 1] = 0;
        UnmapViewOfFile((const void *)shared);
    }
    CloseHandle(mapping);
    return shared != NULL;
}

typedef BOOL(WINAPI *GetProcessTimesFunction)(HANDLE process, FILETIME *created, FILETIME *exited,
                                              FILETIME *kernel, FILETIME *user);

// The creation time of process; 0 where the system keeps none (Windows 95,
// 98 and ME). Looked up whatever the tests' switch says
// (engine/newer_functions.h): the loader and every /stop or /status of
// one system must read a loader's time alike.
static int creationTime(HANDLE process, LONG *low, LONG *high)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    GetProcessTimesFunction getProcessTimes =
        kernel ? (GetProcessTimesFunction)GetProcAddress(kernel, "GetProcessTimes") : NULL;
    FILETIME created, exited, kernelTime, user;
    if (!getProcessTimes || !getProcessTimes(process, &created, &exited, &kernelTime, &user)) return 0;
    *low = (LONG)created.dwLowDateTime;
    *high = (LONG)created.dwHighDateTime;
    return 1;
}

// The process named in a block, when it runs and was made when the block
// says: waited on through the same handle its time was read from.
static HANDLE openNamedLoader(const SharedProcess &named, DWORD access)
{
    if (!named.id) return NULL;
    HANDLE process = OpenProcess(access | PROCESS_QUERY_INFORMATION, FALSE, (DWORD)named.id);
    // A loader started elevated, seen by a /stop that is not.
    if (!process) process = OpenProcess(access | processQueryLimited, FALSE, (DWORD)named.id);
    if (!process) return NULL;
    LONG low = 0, high = 0;
    int same = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    if (same && creationTime(process, &low, &high))
        same = low == named.createdLow && high == named.createdHigh;
    else if (same)
        // No creation times on this system: the id alone, unless the block
        // was written where there are (then this process cannot be checked).
        same = named.createdLow == 0 && named.createdHigh == 0;
    if (same) return process;
    CloseHandle(process);
    return NULL;
}

HANDLE openRunningLoader(const LoaderNames &names, LoaderInfoBlock *info, DWORD access)
{
    ZeroMemory(info, sizeof *info);
    LoaderObjectState state;
    HANDLE running = openLoaderObject(loaderMutex, names.running, SYNCHRONIZE, &state);
    if (!running) return NULL;
    CloseHandle(running);
    if (!readLoaderInfo(names, info)) return NULL;
    return openNamedLoader(info->loader, access);
}

int loaderRuns(const LoaderNames &names)
{
    LoaderInfoBlock info;
    HANDLE process = openRunningLoader(names, &info);
    if (!process) return 0;
    CloseHandle(process);
    return 1;
}

static LoaderExitCode nameTaken(LoaderInstance *instance, const char *stem, LoaderObjectState state)
{
    char name[MAX_PATH];
    loaderObjectName(stem, name, sizeof name);
    complain("cannot start: the name \"%s\" %s; end the program that holds it (or log off and on again)", name,
             loaderObjectProblem(state));
    releaseInstance(instance);
    return exitNameTaken;
}

// A loader holds the mutex: another one runs, or starts and publishes
// itself within moments. A holder that never does is not a loader.
static LoaderExitCode heldByAnother(LoaderInstance *instance)
{
    const LoaderNames &names = *instance->names;
    const DWORD start = GetTickCount();
    for (;;) {
        LoaderInfoBlock info;
        HANDLE process = openRunningLoader(names, &info);
        if (process) {
            CloseHandle(process);
            releaseInstance(instance);
            complain("already running (process id %lu); 'vlload /stop' takes the engine out",
                     (unsigned long)info.loader.id);
            return exitAlreadyRunning;
        }
        if (GetTickCount() - start >= claimPatience) break;
        Sleep(claimPoll);
    }
    char name[MAX_PATH];
    loaderObjectName(names.running, name, sizeof name);
    complain("cannot start: the mutex \"%s\" is held by a program that is not a running loader; end that program",
             name);
    releaseInstance(instance);
    return exitNameTaken;
}

LoaderExitCode claimInstance(LoaderInstance *instance)
{
    ZeroMemory(instance, sizeof *instance);
    const LoaderNames &names = ownLoaderNames();
    instance->names = &names;
    LoaderObjectState state;
    int existed;
    HANDLE running = createLoaderObject(loaderMutex, names.running, &state, &existed);
    if (!running) return nameTaken(instance, names.running, state);
    // The loader is whoever owns the mutex. One nobody owns (made early by
    // another program, or left by a loader that was killed) is taken over.
    const DWORD taken = WaitForSingleObject(running, 0);
    if (taken != WAIT_OBJECT_0 && taken != WAIT_ABANDONED) {
        CloseHandle(running);
        return heldByAnother(instance);
    }
    instance->running = running;

    // The event may outlive an earlier loader while a /stop still holds it:
    // start unsignalled whatever state it was left in.
    instance->stop = createLoaderObject(loaderEvent, names.stop, &state, &existed);
    if (!instance->stop) return nameTaken(instance, names.stop, state);
    ResetEvent(instance->stop);
    instance->info = createLoaderObject(loaderMapping, names.info, &state, &existed);
    if (!instance->info) return nameTaken(instance, names.info, state);
    instance->block = mapLoaderInfo(instance->info, 1, &state);
    if (!instance->block) return nameTaken(instance, names.info, state);
    volatile LoaderInfoBlock *block = instance->block;
    InterlockedExchange((LONG *)&block->loader.id, 0);
    InterlockedExchange((LONG *)&block->hooked, 0);
    block->enginePath[0] = 0;
    InterlockedExchange((LONG *)&block->layout, loaderInfoLayout);
    InterlockedExchange((LONG *)&block->magic, loaderInfoMagic);
    // The time before the id: a reader never finds the id beside another
    // process's time.
    LONG low = 0, high = 0;
    creationTime(GetCurrentProcess(), &low, &high);
    InterlockedExchange((LONG *)&block->loader.createdLow, low);
    InterlockedExchange((LONG *)&block->loader.createdHigh, high);
    InterlockedExchange((LONG *)&block->loader.id, (LONG)GetCurrentProcessId());
    return exitOk;
}

void publishEngine(LoaderInstance *instance, const char *enginePath)
{
    if (!instance->block) return;
    lstrcpynA((char *)instance->block->enginePath, enginePath, sizeof instance->block->enginePath);
}

void publishHooked(LoaderInstance *instance)
{
    if (instance->block) InterlockedExchange((LONG *)&instance->block->hooked, 1);
}

void releaseInstance(LoaderInstance *instance)
{
    // Named no more before anything goes: a /status meanwhile says it ended.
    if (instance->block) {
        InterlockedExchange((LONG *)&instance->block->loader.id, 0);
        UnmapViewOfFile((const void *)instance->block);
    }
    if (instance->info) CloseHandle(instance->info);
    if (instance->stop) CloseHandle(instance->stop);
    if (instance->running) {
        ReleaseMutex(instance->running);
        CloseHandle(instance->running);
    }
    ZeroMemory(instance, sizeof *instance);
}

// Why a loader is not running, when its running mutex's name is held by
// something that is not a loader's: a note after "not running".
static void noteHeldName(const LoaderNames &names)
{
    LoaderObjectState state;
    HANDLE running = openLoaderObject(loaderMutex, names.running, SYNCHRONIZE, &state);
    if (running) CloseHandle(running);
    if (state != loaderObjectOtherKind && state != loaderObjectOtherOwner) return;
    char name[MAX_PATH];
    loaderObjectName(names.running, name, sizeof name);
    say("note: the name \"%s\" %s: %s cannot start until it is gone", name, loaderObjectProblem(state),
        names.program);
}

LoaderExitCode reportStatus(const LoaderNames &names)
{
    LoaderInfoBlock info;
    HANDLE process = openRunningLoader(names, &info);
    if (!process) {
        say("%s is not running", names.program);
        noteHeldName(names);
        return exitNotRunning;
    }
    CloseHandle(process);
    if (info.enginePath[0])
        say("%s is running (process id %lu, engine %s)", names.program, (unsigned long)info.loader.id,
            info.enginePath);
    else
        say("%s is running (process id %lu)", names.program, (unsigned long)info.loader.id);
    return exitOk;
}

LoaderExitCode stopRunningLoader(const LoaderNames &names, int quietWhenNotRunning)
{
    LoaderInfoBlock info;
    HANDLE process = openRunningLoader(names, &info);
    if (!process) {
        if (!quietWhenNotRunning) complain("not running: there is nothing to stop");
        return exitNotRunning;
    }
    LoaderObjectState state;
    HANDLE stop = openLoaderObject(loaderEvent, names.stop, EVENT_MODIFY_STATE, &state);
    if (!stop) {
        CloseHandle(process);
        char name[MAX_PATH];
        loaderObjectName(names.stop, name, sizeof name);
        complain("cannot ask the running %s (process id %lu) to stop: the event \"%s\" %s", names.program,
                 (unsigned long)info.loader.id, name, loaderObjectProblem(state));
        return exitNameTaken;
    }
    SetEvent(stop);
    CloseHandle(stop);
    // The process handle tells when the loader has really ended.
    const DWORD waited = WaitForSingleObject(process, stopTimeout);
    CloseHandle(process);
    if (waited != WAIT_OBJECT_0) {
        complain("the running %s (process id %lu) did not end within %lu seconds", names.program,
                 (unsigned long)info.loader.id, (unsigned long)(stopTimeout / 1000));
        return exitStopTimedOut;
    }
    if (&names == &loader32Names)
        say("vlload stopped: the engine's hooks are removed");
    else
        say("%s stopped: the 64-bit engine's hooks are removed", names.program);
    return exitOk;
}
