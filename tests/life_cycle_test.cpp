// The life cycle of a window under the engine, where it meets code the
// engine does not own: a subclasser that came after it, the properties it
// leaves on buttons, buttons whose parent it never subclassed, and unload
// under the system's loader lock with windows of other threads.
#include <gtest/gtest.h>

#include "engine/converted_buttons.h"
#include "engine/settings.h"
#include "engine/window_table.h"
#include "hooks/hooks.h"
#include "subclass/static_window_proc.h"
#include "subclass/window_shade.h"
#include "support/engine_test.h"
#include "support/pixels.h"
#include "support/settings_file.h"
#include "support/test_windows.h"

namespace {

// A subclasser that came after the engine and keeps state of its own, which
// it frees at WM_NCDESTROY, as subclassing code is told to.
struct LaterSubclasser {
    WNDPROC previous = NULL;
    void *state = NULL;
    int sawNcDestroy = 0;
    int slotDuringNcDestroy = -1;
} later;

LRESULT CALLBACK laterProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY) {
        later.sawNcDestroy++;
        later.slotDuringNcDestroy = findWindowSlot(window);
        HeapFree(GetProcessHeap(), 0, later.state);
        later.state = NULL;
    }
    return CallWindowProcA(later.previous, window, message, wParam, lParam);
}

int ownNcDestroys;
LRESULT CALLBACK countingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY) ownNcDestroys++;
    return DefWindowProcA(window, message, wParam, lParam);
}

const char *countingClass() { return windowClass("VarnelLifeCycle", countingProcedure); }

// What a button's property held when the button was nearly gone.
HANDLE propertyAtNcDestroy;
WNDPROC buttonPrevious;
LRESULT CALLBACK buttonWatcher(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY) propertyAtNcDestroy = GetPropA(window, "VarnelButtonStyle");
    return CallWindowProcA(buttonPrevious, window, message, wParam, lParam);
}

class LifeCycle : public EngineTest {
protected:
    LifeCycle() : EngineTest(bothEngineHooks) {}
    std::string settingsText() override { return settingsFileFor({{"ownerDrawnButtons", 1}}); }
    HWND pushButton(HWND parent)
    {
        return CreateWindowExA(0, "Button", "Push", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 10, 100,
                               30, parent, NULL, NULL, NULL);
    }
};

}  // namespace

TEST_F(LifeCycle, SubclasserAfterTheEngineSeesNcDestroyAndTheSlotGoesAfterIt)
{
    ownNcDestroys = 0;
    later = LaterSubclasser();
    HWND w = CreateWindowExA(0, countingClass(), "Later", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL, NULL, NULL);
    ASSERT_GE(findWindowSlot(w), 0) << "subclassed by the engine";
    later.state = HeapAlloc(GetProcessHeap(), 0, 64);
    later.previous = (WNDPROC)SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)laterProcedure);

    DestroyWindow(w);
    EXPECT_EQ(1, later.sawNcDestroy) << "the later subclasser is not cut off at WM_DESTROY";
    EXPECT_TRUE(later.state == NULL) << "and frees what it holds";
    EXPECT_GE(later.slotDuringNcDestroy, 0) << "the engine still hands WM_NCDESTROY on through its slot";
    EXPECT_EQ(1, ownNcDestroys) << "the window's own procedure sees it too";
    EXPECT_EQ(-1, findWindowSlot(w)) << "the slot is released after WM_NCDESTROY";

    // With the engine's procedure on top the window gets its own back at
    // WM_DESTROY, as before.
    HWND plain = CreateWindowExA(0, countingClass(), "Plain", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL, NULL,
                                 NULL);
    ASSERT_GE(findWindowSlot(plain), 0);
    DestroyWindow(plain);
    EXPECT_EQ(2, ownNcDestroys);
    EXPECT_EQ(-1, findWindowSlot(plain));
}

TEST_F(LifeCycle, NoEnginePropertyIsLeftOnADestroyedButton)
{
    HWND parent = track(createTestWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    HWND button = pushButton(parent);
    ASSERT_TRUE(carriesConvertedButtonMark(GetWindowLongA(button, GWL_STYLE)));
    ASSERT_TRUE(GetPropA(button, "VarnelButtonStyle") != NULL) << "the conversion keeps the style it replaced";
    buttonPrevious = (WNDPROC)SetWindowLongPtrA(button, GWLP_WNDPROC, (LONG_PTR)buttonWatcher);
    propertyAtNcDestroy = (HANDLE)1;
    DestroyWindow(button);
    EXPECT_TRUE(propertyAtNcDestroy == NULL);
}

// Owner-drawn buttons are drawn at their parent by the engine's procedure:
// with subclassing off, no parent has it, and a converted button would stay
// blank.
TEST_F(LifeCycle, WithoutSubclassingButtonsAreLeftForTheSystemToDraw)
{
    Settings.subclassWindows = 0;
    HWND parent = track(createTestWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    ASSERT_EQ(-1, findWindowSlot(parent));
    HWND button = pushButton(parent);
    EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK);
    EXPECT_FALSE(carriesConvertedButtonMark(GetWindowLongA(button, GWL_STYLE)));
    InvalidateRect(button, NULL, TRUE);
    UpdateWindow(button);
    pumpMessages();
    WindowPixels p(button);
    const COLORREF face = p.at(p.width() / 2, 3);
    int ink = 0;
    for (int y = 3; y < p.height() - 3; y++)
        for (int x = 3; x < p.width() - 3; x++) ink += p.at(x, y) != face;
    EXPECT_GT(ink, 10) << "the label is drawn";
}

namespace {

struct OtherThread {
    HANDLE thread = NULL;
    HANDLE created = NULL, release = NULL;
    HWND window = NULL, button = NULL;
};

// Makes a captioned window with a push button on a thread of its own, then
// stays away from its message queue until released, as a busy thread would.
DWORD WINAPI otherThreadMain(LPVOID argument)
{
    OtherThread *t = (OtherThread *)argument;
    t->window = CreateWindowExA(0, recordingClass(), "Other thread", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                                200, NULL, NULL, NULL, NULL);
    t->button = CreateWindowExA(0, "Button", "Push", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 10, 100,
                                30, t->window, NULL, NULL, NULL);
    SetEvent(t->created);
    WaitForSingleObject(t->release, INFINITE);
    for (int i = 0; i < 50; i++) {
        pumpMessages();
        Sleep(10);
    }
    DestroyWindow(t->window);
    return 0;
}

DWORD WINAPI releaseLater(LPVOID release)
{
    WaitForSingleObject((HANDLE)release, 3000);
    SetEvent((HANDLE)release);
    return 0;
}

}  // namespace

TEST_F(LifeCycle, UnloadDoesNotWaitForWindowsOfABusyThreadAndStillRestoresThem)
{
    OtherThread t;
    t.created = CreateEventA(NULL, TRUE, FALSE, NULL);
    t.release = CreateEventA(NULL, TRUE, FALSE, NULL);
    // The other thread's windows meet the engine through hooks of its own.
    removeHooks();
    recordingClass();
    DWORD threadId = 0;
    t.thread = CreateThread(NULL, 0, otherThreadMain, &t, CREATE_SUSPENDED, &threadId);
    ASSERT_TRUE(t.thread != NULL);
    HHOOK before = SetWindowsHookExA(WH_CALLWNDPROC, SpyCallWndProc2, NULL, threadId);
    HHOOK after = SetWindowsHookExA(WH_CALLWNDPROCRET, SpyCallWndProc, NULL, threadId);
    ResumeThread(t.thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t.created, 5000));
    const int slot = findWindowSlot(t.window);
    ASSERT_GE(slot, 0);
    ASSERT_TRUE(carriesConvertedButtonMark(GetWindowLongA(t.button, GWL_STYLE)));
    UnhookWindowsHookEx(before);
    UnhookWindowsHookEx(after);

    // Rolled up as the shade leaves a window: short, its height recorded. The
    // resize is posted, since the thread does not answer now.
    RECT full;
    GetWindowRect(t.window, &full);
    SetWindowPos(t.window, NULL, 0, 0, full.right - full.left, rolledUpHeight,
                 shadeResizeFlags | SWP_ASYNCWINDOWPOS);
    rolledUp[slot] = 1;
    unrolledHeight[slot] = full.bottom - full.top;

    // Were unload to wait for the thread, the thread would be let go after
    // three seconds, and the time would tell.
    HANDLE watchdog = CreateThread(NULL, 0, releaseLater, t.release, 0, NULL);
    const DWORD start = GetTickCount();
    restoreAllWindows();
    unrollAllWindows(0);
    restoreConvertedButtons();
    const DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 1000u) << "unload waited for a thread that does not answer";

    SetEvent(t.release);
    // The thread handles what was posted to it.
    Sleep(200);
    RECT now;
    GetWindowRect(t.window, &now);
    EXPECT_EQ(full.bottom - full.top, now.bottom - now.top) << "unrolled";
    EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongA(t.button, GWL_STYLE) & BS_TYPEMASK) << "its own type back";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t.thread, 5000));
    WaitForSingleObject(watchdog, 5000);
    CloseHandle(watchdog);
    CloseHandle(t.thread);
    CloseHandle(t.created);
    CloseHandle(t.release);
}
