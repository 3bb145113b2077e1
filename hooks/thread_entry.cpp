// The engine entered by window events: the message hooks as thread hooks.
#include "hooks/thread_entry.h"

#include "engine/entered_threads.h"
#include "engine/live_settings.h"
#include "engine/trace.h"
#include "hooks/hooks.h"

// The module the hook procedures lie in, which the system keeps mapped while
// a hook names it: varnel.dll, or the test program the engine is linked into.
static HMODULE engineModule()
{
    MEMORY_BASIC_INFORMATION region;
    if (!VirtualQuery((LPCVOID)&SpyCallWndProc2, &region, sizeof region)) return NULL;
    return (HMODULE)region.AllocationBase;
}

static void enterThisThread()
{
    const DWORD thread = GetCurrentThreadId();
    HMODULE module = engineModule();
    HHOOK before = SetWindowsHookExA(WH_CALLWNDPROC, SpyCallWndProc2, module, thread);
    HHOOK after = before ? SetWindowsHookExA(WH_CALLWNDPROCRET, SpyCallWndProc, module, thread) : NULL;
    if (before && after && recordEnteredThread(before, after)) {
        forgetMessageDepth();
        return;
    }
    if (!before || !after)
        traceEngine("thread %lu not entered: the system refused a hook (error %lu)", (unsigned long)thread,
                    (unsigned long)GetLastError());
    if (after) UnhookWindowsHookEx(after);
    if (before) UnhookWindowsHookEx(before);
}

extern "C" void CALLBACK VarnelWindowEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                                           DWORD thread, DWORD time)
{
    (void)hook;
    (void)event;
    (void)object;
    (void)child;
    (void)thread;
    (void)time;
    if (thisThreadEntered()) return;
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId()) return;
    enterThisThread();
}
