// The after-message hook: the slot of a destroyed window, the recorded
// activation state, WM_SETCURSOR over the client area, and which windows
// reach the caption repaint.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "caption/caption_repaint.h"
#include "engine/engine_state.h"
#include "engine/plugin.h"
#include "engine/settings.h"
#include "engine/window_table.h"
#include "hooks/hooks.h"
#include "subclass/static_window_proc.h"
#include "support/engine_hooks.h"
#include "support/test_windows.h"

class AfterMessageHook : public EngineHooksTest {};

// Destroying a subclassed window: the after-message hooks called before the
// engine's still see StaticWindowProc, the ones called after it the
// window's own procedure.
static const ExpectedMessage destroySubclassedWindowSeq[] = {
    {WM_DESTROY, messageFromLateAfterHook | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)StaticWindowProc},
    {WM_DESTROY, messageFromAfterHook | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)scriptedProcedure},
};

// The same after an excluded class switched subclassing off: the window
// still gets its own procedure back.
static const ExpectedMessage destroyAfterSubclassingStoppedSeq[] = {
    {WM_DESTROY, messageFromAfterHook | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)scriptedProcedure},
};

TEST_F(AfterMessageHook, DestroyedWindowGetsItsProcedureBackAndItsSlotIsReused)
{
    HWND a = createScripted(WS_OVERLAPPEDWINDOW);
    HWND b = createScripted(WS_OVERLAPPEDWINDOW);
    HWND c = createScripted(WS_OVERLAPPEDWINDOW);
    int slot = findWindowSlot(b);
    ASSERT_GE(slot, 0);
    ASSERT_GE(findWindowSlot(a), 0);
    ASSERT_GE(findWindowSlot(c), 0);
    rolledUp[slot] = 1;
    unrolledHeight[slot] = 321;
    regionApplied[slot] = 1;

    setMessageSnapshot(windowProcedureOf);
    DestroyWindow(b);
    EXPECT_SEQUENCE_OF(destroySubclassedWindowSeq, b, messageFromLateAfterHook | messageFromAfterHook, {WM_DESTROY});
    EXPECT_EQ(-1, findWindowSlot(b));
    EXPECT_TRUE(windowHandles[slot] == NULL);
    EXPECT_TRUE(previousProcs[slot] == NULL);
    EXPECT_EQ(0, rolledUp[slot]);
    EXPECT_EQ(0, unrolledHeight[slot]);
    EXPECT_EQ(0, regionApplied[slot]);

    HWND d = createScripted(WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(slot, findWindowSlot(d)) << "the freed slot is the first free one";
}

// A window somebody subclassed after the engine keeps its chain through
// WM_DESTROY, so that every procedure in it sees WM_NCDESTROY; its slot goes
// once WM_NCDESTROY has passed the after hook.
static WNDPROC engineProcedureBelow;
static LRESULT CALLBACK laterSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(engineProcedureBelow, window, message, wParam, lParam);
}

TEST_F(AfterMessageHook, AWindowSubclassedAfterTheEngineLeavesTheTableAtNcDestroy)
{
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    const int slot = findWindowSlot(w);
    ASSERT_GE(slot, 0);
    engineProcedureBelow = (WNDPROC)SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)laterSubclass);
    ASSERT_TRUE(engineProcedureBelow != NULL);
    SendMessageA(w, WM_DESTROY, 0, 0);  // as DestroyWindow sends it first
    EXPECT_EQ(slot, findWindowSlot(w)) << "the chain stays for WM_NCDESTROY";
    DestroyWindow(w);
    EXPECT_EQ(-1, findWindowSlot(w));
    EXPECT_TRUE(windowHandles[slot] == NULL);
}

// A window subclassed before an excluded class switched subclassing off
// still leaves the table: its handle, reused by a new window, must not find
// the old procedure.
TEST_F(AfterMessageHook, DestroyedWindowLeavesTheTableAfterSubclassingWasSwitchedOff)
{
    HWND a = createScripted(WS_OVERLAPPEDWINDOW);
    int slot = findWindowSlot(a);
    ASSERT_GE(slot, 0);
    HWND odd = track(CreateWindowExA(0, scriptedClass("MyDlgClass"), "Odd", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                     NULL, NULL, GetModuleHandleA(NULL), NULL));
    ASSERT_TRUE(odd != NULL);
    ASSERT_EQ(1, EngineState.subclassingStopped);
    setMessageSnapshot(windowProcedureOf);
    DestroyWindow(a);
    EXPECT_SEQUENCE_OF(destroyAfterSubclassingStoppedSeq, a, messageFromAfterHook, {WM_DESTROY});
    EXPECT_EQ(-1, findWindowSlot(a));
    EXPECT_TRUE(windowHandles[slot] == NULL);
}

TEST_F(AfterMessageHook, DestroyingAnUnrecordedWindowChangesNothing)
{
    Settings.subclassWindows = 0;
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    Settings.subclassWindows = 1;
    HWND other = createScripted(WS_OVERLAPPEDWINDOW);
    int slot = findWindowSlot(other);
    DestroyWindow(w);
    EXPECT_EQ(other, windowHandles[slot]);
    EXPECT_EQ(scriptedProcedure, previousProcs[slot]);
    EXPECT_EQ((LONG_PTR)StaticWindowProc, GetWindowLongPtrA(other, GWLP_WNDPROC));
}

struct ActivationCase {
    const char *why;
    UINT message;
    WPARAM wParam;
    int recorded;  // lastActiveState afterwards; unchangedState when untouched
};
static const int unchangedState = 7;

TEST_F(AfterMessageHook, ActivationMessagesRecordTheLastActiveState)
{
    scriptMessage(WM_ACTIVATE, 0);
    scriptMessage(WM_SETCURSOR, 0);
    scriptMessage(WM_NCHITTEST, HTCLIENT);
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    const ActivationCase cases[] = {
        {"WA_INACTIVE", WM_ACTIVATE, WA_INACTIVE, 2},
        {"WA_CLICKACTIVE", WM_ACTIVATE, WA_CLICKACTIVE, 1},
        {"WA_ACTIVE", WM_ACTIVATE, WA_ACTIVE, 1},
        {"WA_ACTIVE of a minimised window", WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 1},
        {"an unknown activation code", WM_ACTIVATE, 3, 2},
        {"WM_NCACTIVATE 1", WM_NCACTIVATE, 1, 1},
        {"WM_NCACTIVATE 0", WM_NCACTIVATE, 0, 2},
        {"WM_NCACTIVATE 2 is not exactly 1", WM_NCACTIVATE, 2, 2},
        {"WM_SETTEXT", WM_SETTEXT, 0, 0},
        {"WM_NCHITTEST", WM_NCHITTEST, 0, 0},
        {"the engine's own title read", WM_GETTEXT, 253, 0},
        {"a message outside the filter", WM_USER + 1, 0, unchangedState},
        {"WM_SETCURSOR over the client area", WM_SETCURSOR, 0, unchangedState},
    };
    for (const ActivationCase &c : cases) {
        SCOPED_TRACE(c.why);
        char text[300] = "Title";
        LPARAM lParam = c.message == WM_SETCURSOR ? MAKELPARAM(HTCLIENT, WM_MOUSEMOVE) : (LPARAM)text;
        lastActiveState = unchangedState;
        SendMessageA(w, c.message, c.wParam, lParam);
        EXPECT_EQ(c.recorded, lastActiveState);
    }

    // The sequence of the design: inactive, click-activated, then any text.
    SendMessageA(w, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(2, lastActiveState);
    SendMessageA(w, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(1, lastActiveState);
    SendMessageA(w, WM_SETTEXT, 0, (LPARAM) "Later");
    EXPECT_EQ(0, lastActiveState);
}

// 64-bit Windows hands a hook of the other bitness to the thread that
// installed it (the loader's), with another process's window in the record:
// both hooks only chain such calls. The desktop window is explorer.exe's.
TEST_F(AfterMessageHook, CallsForAnotherProcesssWindowOnlyChain)
{
    HWND foreign = GetDesktopWindow();
    DWORD process = 0;
    GetWindowThreadProcessId(foreign, &process);
    if (process == GetCurrentProcessId()) GTEST_SKIP() << "the desktop window belongs to this process";
    // As in the loader's process, the only one such calls reach.
    EngineState.inLoader = 1;
    Settings.subclassWindows = 1;
    Settings.subclassOnActivate = 1;

    CWPSTRUCT sent = {};
    sent.hwnd = foreign;
    for (UINT message : {(UINT)WM_CREATE, (UINT)WM_ACTIVATE}) {
        sent.message = message;
        sent.wParam = message == WM_ACTIVATE ? WA_ACTIVE : 0;
        SpyCallWndProc2(HC_ACTION, 0, (LPARAM)&sent);
    }
    EXPECT_EQ(-1, findWindowSlot(foreign)) << "another process's window is never entered in the table";
    CWPRETSTRUCT handled = {};
    handled.hwnd = foreign;
    handled.message = WM_ACTIVATE;
    handled.wParam = WA_ACTIVE;
    lastActiveState = unchangedState;
    SpyCallWndProc(HC_ACTION, 0, (LPARAM)&handled);
    EXPECT_EQ(unchangedState, lastActiveState) << "nor its activation recorded";

    // The same records for a window of this process are taken.
    scriptMessage(WM_ACTIVATE, 0);
    HWND own = createScripted(WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(own != NULL);
    handled.hwnd = own;
    SpyCallWndProc(HC_ACTION, 0, (LPARAM)&handled);
    EXPECT_EQ(1, lastActiveState);
    EXPECT_GE(findWindowSlot(own), 0);
}

TEST_F(AfterMessageHook, EditsAndComboBoxesLeaveTheActiveStateAlone)
{
    for (const char *className : {"Edit", "ComboBox"}) {
        SCOPED_TRACE(className);
        DWORD style = WS_OVERLAPPEDWINDOW | (strcmp(className, "ComboBox") == 0 ? CBS_DROPDOWNLIST : 0);
        HWND w = track(CreateWindowExA(0, className, "", style, 10, 10, 200, 100, NULL, NULL, NULL, NULL));
        ASSERT_TRUE(w != NULL);
        lastActiveState = unchangedState;
        SendMessageA(w, WM_NCACTIVATE, 0, 0);
        EXPECT_EQ(unchangedState, lastActiveState);
    }
}

// A recording hook installed before the engine's is called after it, when
// the engine passes the message on.
TEST_F(AfterMessageHook, SetCursorEndsTheChainExceptOverCaptionParts)
{
    scriptMessage(WM_SETCURSOR, 0);
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    struct {
        int hit;
        bool chained;
    } cases[] = {
        {HTCLIENT, false},   {HTNOWHERE, false},    {HTCAPTION, false}, {HTERROR, false},
        {HTBOTTOMRIGHT, false}, {HTSYSMENU, true},  {HTMENU, true},     {HTMINBUTTON, true},
        {HTMAXBUTTON, true}, {HTBORDER, true},      {HTCLOSE, true},    {HTHELP, false},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.hit);
        clearMessageLog();
        SendMessageA(w, WM_SETCURSOR, (WPARAM)w, MAKELPARAM(c.hit, WM_MOUSEMOVE));
        EXPECT_EQ(1, countMessages(w, WM_SETCURSOR, messageFromLateAfterHook));
        EXPECT_EQ(c.chained ? 1 : 0, countMessages(w, WM_SETCURSOR, messageFromAfterHook));
        EXPECT_EQ(1, countMessages(w, WM_SETCURSOR, messageFromBeforeHook)) << "the before-message hook chains";
    }
    clearMessageLog();
    SendMessageA(w, WM_USER + 2, 0, 0);
    EXPECT_EQ(1, countMessages(w, WM_USER + 2, messageFromAfterHook)) << "outside the filter: passed on";
}

// Caption paints reach the plug-in entry when the plug-in is in use; the
// test stands in for the plug-in to see which windows are painted, and in
// which activation state.
struct TitleCall {
    HWND window;
    int state;
};
static std::vector<TitleCall> titleCalls;

static void WINAPI recordTitle(HWND window, HDC dc, int left, int top, int right, int bottom, int buttonsRight,
                               int state)
{
    (void)dc, (void)left, (void)top, (void)right, (void)bottom, (void)buttonsRight;
    titleCalls.push_back({window, state});
}

static int titleCallsFor(HWND window)
{
    int n = 0;
    for (auto &t : titleCalls) n += t.window == window;
    return n;
}

class AfterHookCaptionStage : public AfterMessageHook {
protected:
    void SetUp() override
    {
        AfterMessageHook::SetUp();
        Settings.paintCaptions = 1;
        Settings.usePlugin = 1;
        Settings.skipToolWindowCaptions = 0;
        pluginTitle = recordTitle;
        titleCalls.clear();
    }
    HWND createOfClass(const char *className, DWORD style = WS_OVERLAPPEDWINDOW)
    {
        return track(CreateWindowExA(0, className, "", style, 10, 10, 250, 150, NULL, NULL, GetModuleHandleA(NULL),
                                     NULL));
    }
};

TEST_F(AfterHookCaptionStage, ControlClassesNeverReachTheCaptionRepaint)
{
    LoadLibraryA("comctl32.dll");  // registers SysListView32
    struct {
        const char *className;
        bool registerOwn;
        bool repainted;
    } cases[] = {
        {"SysListView32", false, false},
        {"Edit", false, false},
        {"ComboBox", false, false},
        {"Button", false, false},
        {"ListViewWndClass", true, false},
        {"ThunderCommandButton", true, false},
        {"ThunderRT5CommandButton", true, false},
        {"ThunderRTCommandButton", true, true},
        {"TButton", true, true},
        {"VarnelScripted", true, true},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.className);
        DWORD style = WS_OVERLAPPEDWINDOW | (strcmp(c.className, "ComboBox") == 0 ? CBS_DROPDOWNLIST : 0);
        HWND w = createOfClass(c.registerOwn ? scriptedClass(c.className) : c.className, style);
        ASSERT_TRUE(w != NULL);
        titleCalls.clear();
        // WM_COMMAND repaints in the after-message hook only: neither the
        // before-message hook nor StaticWindowProc paints for it.
        SendMessageA(w, WM_COMMAND, 0, 0);
        EXPECT_EQ(c.repainted ? 1 : 0, titleCallsFor(w));
    }
}

TEST_F(AfterHookCaptionStage, OnlyCaptionedWindowsAreRepainted)
{
    struct {
        const char *why;
        DWORD style;
        int paintCaptions;
        bool repainted;
    } cases[] = {
        {"captioned", WS_OVERLAPPEDWINDOW, 1, true},
        {"border only", WS_POPUP | WS_BORDER | WS_SYSMENU, 1, false},
        {"dialog frame only", WS_POPUP | WS_DLGFRAME | WS_SYSMENU, 1, false},
        {"captions off", WS_OVERLAPPEDWINDOW, 0, false},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.why);
        Settings.paintCaptions = c.paintCaptions;
        HWND w = createScripted(c.style);
        titleCalls.clear();
        SendMessageA(w, WM_COMMAND, 0, 0);
        EXPECT_EQ(c.repainted ? 1 : 0, titleCallsFor(w));
    }
}

TEST_F(AfterHookCaptionStage, RepaintStateFollowsTheMessage)
{
    scriptMessage(WM_ACTIVATE, 0);
    scriptMessage(WM_NCACTIVATE, TRUE);
    scriptMessage(WM_CHILDACTIVATE, 0);
    scriptMessage(WM_GETTEXT, 0);
    // Not subclassed, so that only the after-message hook paints.
    Settings.subclassWindows = 0;
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    HWND forced = createScripted(WS_OVERLAPPEDWINDOW | 0x20);
    Settings.subclassWindows = 1;
    struct {
        const char *why;
        HWND window;
        UINT message;
        WPARAM wParam;
        int recorded;
        int painted;  // -1: no paint
    } cases[] = {
        {"WM_NCACTIVATE 2: recorded inactive, painted active", w, WM_NCACTIVATE, 2, 2, 1},
        {"WM_NCACTIVATE 0", w, WM_NCACTIVATE, 0, 2, 2},
        {"WM_ACTIVATE inactive", w, WM_ACTIVATE, WA_INACTIVE, 2, 2},
        {"WM_ACTIVATE active", w, WM_ACTIVATE, WA_ACTIVE, 1, 1},
        {"WM_CHILDACTIVATE", w, WM_CHILDACTIVATE, 0, 0, 1},
        {"WM_COMMAND: the painter decides", w, WM_COMMAND, 0, 0, 0},
        {"style bit 0x20 forces active", forced, WM_NCACTIVATE, 0, 2, 1},
        {"the engine's title read", w, WM_GETTEXT, 253, 0, -1},
        {"any other title read", w, WM_GETTEXT, 100, 0, -1},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.why);
        char text[300];
        titleCalls.clear();
        SendMessageA(c.window, c.message, c.wParam, (LPARAM)text);
        EXPECT_EQ(c.recorded, lastActiveState);
        if (c.painted < 0) {
            EXPECT_EQ(0, titleCallsFor(c.window));
        } else {
            ASSERT_EQ(1, titleCallsFor(c.window));
            EXPECT_EQ(c.painted, titleCalls.back().state);
        }
    }
}
