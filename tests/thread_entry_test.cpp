// Entry by window events: the event procedure gives its thread the two
// message hooks once, and windows made then, or meeting their next message,
// are subclassed; an event for another process's window, or one that comes
// after the loader stopped, enters nothing; the stop, announced like a
// change of settings, takes every thread's hooks out at the next message of
// any of them, and later windows are left alone.
#include <gtest/gtest.h>

#include "engine/entered_threads.h"
#include "engine/loader_entry.h"
#include "engine/settings_generation.h"
#include "hooks/thread_entry.h"
#include "subclass/static_window_proc.h"
#include "support/engine_test.h"
#include "support/test_windows.h"

namespace {

int runsTheEngine(HWND w) { return GetWindowLongPtrA(w, GWLP_WNDPROC) == (LONG_PTR)StaticWindowProc; }

void eventFor(HWND w) { VarnelWindowEvent(NULL, EVENT_OBJECT_CREATE, w, OBJID_WINDOW, CHILDID_SELF, 0, 0); }

class ThreadEntry : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        publishEntryByEvents(folder->path(), GetCurrentProcessId());
    }
    void TearDown() override
    {
        leaveEnteredThreads();
        EngineTest::TearDown();
    }
    HWND made()
    {
        HWND w = createParent(NULL, 300, 200);
        pumpMessages();
        return w;
    }
    // What a stopping loader does, then one message of this thread.
    void stopLoader(HWND any)
    {
        publishEntryByEvents(folder->path(), 0);
        ASSERT_TRUE(announceSettingsChange(folder->path(), 0));
        SendMessageA(any, WM_NULL, 0, 0);
    }
};

// The loader's hook, here for this process alone: Wine sends the creation
// event before WM_CREATE, so a thread's first window is subclassed from its
// creation on.
TEST_F(ThreadEntry, TheFirstWindowEventGivesTheThreadTheHooksOnce)
{
    HWINEVENTHOOK hook = SetWinEventHook(enteringCreation, enteringCreation, GetModuleHandleA(NULL),
                                         VarnelWindowEvent, GetCurrentProcessId(), 0, WINEVENT_INCONTEXT);
    ASSERT_TRUE(hook != NULL);
    HWND first = made();
    HWND second = made();
    UnhookWinEvent(hook);
    EXPECT_EQ(1, enteredThreadCount());
    EXPECT_TRUE(runsTheEngine(first));
    EXPECT_TRUE(runsTheEngine(second));
    eventFor(first);
    EXPECT_EQ(1, enteredThreadCount());
}

TEST_F(ThreadEntry, EventsForOtherProcessesOrAfterTheStopEnterNothing)
{
    eventFor(GetDesktopWindow());  // the desktop's process, not this one
    eventFor(NULL);
    EXPECT_EQ(0, enteredThreadCount());
    publishEntryByEvents(folder->path(), 0);
    HWND w = made();
    eventFor(w);
    EXPECT_EQ(0, enteredThreadCount());
    EXPECT_FALSE(runsTheEngine(made())) << "the hooks were taken out again";
}

struct OtherThread {
    HANDLE entered, stopped, done;
    HWND firstWindow;
    int laterSkinned;
};

HWND windowOfThisThread()
{
    return CreateWindowExA(0, recordingClass(), "Other thread", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 200, 150,
                           NULL, NULL, GetModuleHandleA(NULL), NULL);
}

// Waits for an event while answering the messages other threads send this
// one (a new window of one thread activates, and deactivates another's).
DWORD waitPumping(HANDLE event)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        if (MsgWaitForMultipleObjects(1, &event, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) return WAIT_OBJECT_0;
        pumpMessages();
    }
    return WAIT_TIMEOUT;
}

DWORD WINAPI enterAndWait(LPVOID parameter)
{
    OtherThread *t = (OtherThread *)parameter;
    t->firstWindow = windowOfThisThread();
    eventFor(t->firstWindow);
    SetEvent(t->entered);
    waitPumping(t->stopped);
    HWND later = windowOfThisThread();
    pumpMessages();
    t->laterSkinned = runsTheEngine(later);
    DestroyWindow(later);
    DestroyWindow(t->firstWindow);
    SetEvent(t->done);
    return 0;
}

TEST_F(ThreadEntry, TheStopTakesEveryThreadsHooksOutAndKeepsTheirWindows)
{
    HWND w = made();
    eventFor(w);
    OtherThread other = {CreateEventA(NULL, TRUE, FALSE, NULL), CreateEventA(NULL, TRUE, FALSE, NULL),
                         CreateEventA(NULL, TRUE, FALSE, NULL), NULL, -1};
    DWORD id;
    HANDLE thread = CreateThread(NULL, 0, enterAndWait, &other, 0, &id);
    ASSERT_TRUE(thread != NULL);
    ASSERT_EQ(WAIT_OBJECT_0, waitPumping(other.entered));
    EXPECT_EQ(2, enteredThreadCount());
    HWND skinned = made();
    ASSERT_TRUE(runsTheEngine(skinned));

    stopLoader(w);
    EXPECT_EQ(0, enteredThreadCount()) << "this thread's next message left for both";
    EXPECT_TRUE(runsTheEngine(skinned)) << "windows keep what they have";
    EXPECT_FALSE(runsTheEngine(made()));

    // The other thread's window made now meets no hook.
    SetEvent(other.stopped);
    ASSERT_EQ(WAIT_OBJECT_0, waitPumping(other.done));
    EXPECT_EQ(0, other.laterSkinned);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    for (HANDLE h : {other.entered, other.stopped, other.done}) CloseHandle(h);
}

// A thread that enters and ends without the library's thread detach (the
// tests link the engine without its entry point), as a killed thread does:
// its id stays in the table.
struct Entering {
    DWORD onlyAs;  // 0: any id
    int skinned;
};

DWORD WINAPI enterOnce(LPVOID parameter)
{
    Entering *e = (Entering *)parameter;
    if (e->onlyAs && GetCurrentThreadId() != e->onlyAs) return 0;
    HWND first = windowOfThisThread();
    eventFor(first);
    HWND later = windowOfThisThread();
    pumpMessages();
    e->skinned = runsTheEngine(later);
    DestroyWindow(later);
    DestroyWindow(first);
    return 0;
}

DWORD runToTheEnd(Entering *e)
{
    DWORD id = 0;
    HANDLE thread = CreateThread(NULL, 0, enterOnce, e, 0, &id);
    if (!thread) return 0;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 10000, QS_ALLINPUT) != WAIT_OBJECT_0) pumpMessages();
    CloseHandle(thread);
    return id;
}

TEST_F(ThreadEntry, ANewThreadWithTheIdOfAThreadThatDiedEnteredIsEnteredToo)
{
    Entering killed = {0, 0};
    const DWORD id = runToTheEnd(&killed);
    ASSERT_EQ(1, killed.skinned);
    ASSERT_EQ(1, enteredThreadCount()) << "the ended thread is still in the table";
    // Wine gives ids out in turn and comes back to this one after some
    // hundreds of threads; the threads with other ids end at once.
    Entering again = {id, -1};
    for (int tries = 0; tries < 4000 && again.skinned < 0; tries++) runToTheEnd(&again);
    if (again.skinned < 0) GTEST_SKIP() << "the system gave no new thread the id " << id;
    EXPECT_EQ(1, again.skinned);
    EXPECT_EQ(1, enteredThreadCount()) << "the new thread took the place of the old";
}

}  // namespace
