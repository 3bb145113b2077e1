// The global message hooks, or the window-event hooks on 64-bit Windows.
#include "program_entry.h"

#include "engine/loader_entry.h"
#include "engine/newer_functions.h"
#include "engine/settings_generation.h"
#include "hooks/thread_entry.h"
#include "loader_console.h"
#include "partner_loader.h"

// Windows 98, NT 4.0 SP6 and later; every 64-bit Windows.
typedef HWINEVENTHOOK(WINAPI *SetWinEventHookFunction)(DWORD eventMin, DWORD eventMax, HMODULE module,
                                                       WINEVENTPROC procedure, DWORD process, DWORD thread,
                                                       DWORD flags);
typedef BOOL(WINAPI *UnhookWinEventFunction)(HWINEVENTHOOK hook);

static SetWinEventHookFunction setWinEventHook;
static UnhookWinEventFunction unhookWinEvent;

static int enterByEvents(const EngineLibrary &engine, ProgramEntry *entry)
{
    if (!engine.windowEvent || !systemIs64Bit()) return 0;
    setWinEventHook = (SetWinEventHookFunction)findNewerFunction("user32.dll", "SetWinEventHook");
    unhookWinEvent = (UnhookWinEventFunction)findNewerFunction("user32.dll", "UnhookWinEvent");
    if (!setWinEventHook || !unhookWinEvent) return 0;
    // On before the first event can come, so that no thread entered now is
    // turned away as one entered after a stop.
    if (!publishEntryByEvents(NULL, GetCurrentProcessId())) {
        // Programs would never find this loader in the block, and so never
        // enter a thread: the message hooks need no block.
        say("note: the block programs share is taken by another program: programs are entered by message hooks");
        return 0;
    }
    static const DWORD events[enteringEvents] = {enteringCreation, enteringFocus, enteringActivation};
    int installed = 0;
    for (; installed < enteringEvents; installed++) {
        entry->windowEvents[installed] = setWinEventHook(events[installed], events[installed], engine.module,
                                                         engine.windowEvent, 0, 0, WINEVENT_INCONTEXT);
        if (!entry->windowEvents[installed]) break;
    }
    if (installed == enteringEvents) return 1;
    const DWORD error = GetLastError();
    while (installed > 0) unhookWinEvent(entry->windowEvents[--installed]);
    entry->windowEvents[0] = NULL;
    publishEntryByEvents(NULL, 0);
    say("note: the system refused the window-event hook (error %lu): programs are entered by message hooks",
        (unsigned long)error);
    return 0;
}

LoaderExitCode enterPrograms(const EngineLibrary &engine, int messageHooks, ProgramEntry *entry)
{
    ZeroMemory(entry, sizeof *entry);
    if (!messageHooks && enterByEvents(engine, entry)) return exitOk;
    entry->before = SetWindowsHookExA(WH_CALLWNDPROC, engine.beforeMessage, engine.module, 0);
    const DWORD beforeError = GetLastError();
    entry->after = entry->before ? SetWindowsHookExA(WH_CALLWNDPROCRET, engine.afterMessage, engine.module, 0) : NULL;
    const DWORD afterError = GetLastError();
    if (entry->before && entry->after) return exitOk;
    complain("the system refused the %s hook (error %lu)", entry->before ? "WH_CALLWNDPROCRET" : "WH_CALLWNDPROC",
             (unsigned long)(entry->before ? afterError : beforeError));
    if (entry->before) UnhookWindowsHookEx(entry->before);
    entry->before = NULL;
    return exitHookFailed;
}

void leavePrograms(ProgramEntry *entry)
{
    if (entersByEvents(*entry)) {
        for (HWINEVENTHOOK hook : entry->windowEvents) unhookWinEvent(hook);
        publishEntryByEvents(NULL, 0);
        announceSettingsChange(NULL, 1);
    } else {
        if (entry->after) UnhookWindowsHookEx(entry->after);
        if (entry->before) UnhookWindowsHookEx(entry->before);
    }
    ZeroMemory(entry, sizeof *entry);
}
