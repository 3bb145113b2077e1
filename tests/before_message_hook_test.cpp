// The before-message hook: which windows it subclasses and when, the classes
// that switch subclassing off, a full table, shutdown, the disable marker,
// and SpyTestProc.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "caption/caption_repaint.h"
#include "engine/engine_state.h"
#include "engine/settings.h"
#include "engine/window_table.h"
#include "hooks/hooks.h"
#include "subclass/static_window_proc.h"
#include "support/engine_hooks.h"
#include "support/test_windows.h"
#include "tools/gallery/dialog_template.h"

static int slotsHolding(HWND window)
{
    int n = 0;
    for (int slot = 0; slot < windowTableCapacity; slot++)
        if (windowHandles[slot] == window) n++;
    return n;
}

static bool isSubclassed(HWND window)
{
    return GetWindowLongPtrA(window, GWLP_WNDPROC) == (LONG_PTR)StaticWindowProc && findWindowSlot(window) >= 0;
}

// A hook installed after all the others, so the system calls it first: it
// keeps one message from every hook behind it, the engine's included, as if
// the engine had been loaded only after the window received it.
static UINT hiddenMessage;
static HHOOK hiderHook;

static LRESULT CALLBACK hideFromLaterHooks(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *m = (const CWPSTRUCT *)lParam;
    if (m->message == hiddenMessage) return 0;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

static void hideMessageFromEngine(UINT message)
{
    hiddenMessage = message;
    hiderHook = SetWindowsHookExA(WH_CALLWNDPROC, hideFromLaterHooks, NULL, GetCurrentThreadId());
}

static void showMessagesToEngine()
{
    if (hiderHook) UnhookWindowsHookEx(hiderHook);
    hiderHook = NULL;
}

// A captioned popup with one static control.
static DialogTemplate labelDialog()
{
    DialogTemplate t;
    beginDialogTemplate(&t, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 10, 10, 120, 60, "Template dialog");
    addDialogItem(&t, staticAtom, SS_LEFT, 0, 5, 5, 100, 12, 100, "Label");
    return t;
}

static LONG_PTR procedureAtInitDialog;

static INT_PTR CALLBACK templateDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    if (message == WM_INITDIALOG) {
        procedureAtInitDialog = GetWindowLongPtrA(dialog, GWLP_WNDPROC);
        return TRUE;
    }
    return FALSE;
}

// Creating a window: the procedure is replaced in the hook, before the
// window's own procedure sees WM_CREATE, so WM_CREATE itself already comes
// through StaticWindowProc and the messages of CreateWindow before it do not.
static const ExpectedMessage subclassAtCreateSeq[] = {
    {WM_NCCREATE, messageFromOwnProcedure | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)scriptedProcedure},
    {WM_CREATE, messageFromOwnProcedure | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)StaticWindowProc},
};

// Activating a window the hook has not seen yet, with subclassOnActivate on:
// WM_ACTIVATE itself already comes through StaticWindowProc.
static const ExpectedMessage activateSubclassesSeq[] = {
    {WM_ACTIVATE, messageFromOwnProcedure | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)StaticWindowProc},
};

// The same with subclassOnActivate off: the window keeps its own procedure.
static const ExpectedMessage activateLeavesAloneSeq[] = {
    {WM_ACTIVATE, messageFromOwnProcedure | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)scriptedProcedure},
};

class BeforeMessageHook : public EngineHooksTest {
protected:
    void TearDown() override
    {
        showMessagesToEngine();
        EngineHooksTest::TearDown();
    }
    HWND createDialog()
    {
        procedureAtInitDialog = 0;
        return track(CreateDialogIndirectParamA(GetModuleHandleA(NULL), dialogTemplateData(dialog), NULL,
                                                templateDialogProc, 0));
    }
    HWND createOfClass(const char *className, DWORD style = WS_OVERLAPPEDWINDOW)
    {
        return track(CreateWindowExA(0, scriptedClass(className), "Window", style, 50, 50, 200, 150, NULL, NULL,
                                     GetModuleHandleA(NULL), NULL));
    }
    DialogTemplate dialog = labelDialog();
};

TEST_F(BeforeMessageHook, CreationSubclassesEveryWindowControlsIncluded)
{
    setMessageSnapshot(windowProcedureOf);
    HWND top = createScripted(WS_OVERLAPPEDWINDOW);
    HWND label = track(CreateWindowExA(0, "Static", "Label", WS_CHILD, 5, 5, 80, 20, top, NULL, NULL, NULL));
    HWND edit = track(CreateWindowExA(0, "Edit", "", WS_CHILD | WS_BORDER, 5, 30, 80, 20, top, NULL, NULL, NULL));
    ASSERT_TRUE(top && label && edit);

    for (HWND w : {top, label, edit}) {
        EXPECT_TRUE(isSubclassed(w)) << std::hex << w;
        int slot = findWindowSlot(w);
        ASSERT_GE(slot, 0);
        EXPECT_EQ((WNDPROC)GetClassLongPtrA(w, GCLP_WNDPROC), previousProcs[slot]) << "the procedure it had";
    }
    EXPECT_EQ(scriptedProcedure, previousProcs[findWindowSlot(top)]);

    EXPECT_SEQUENCE_OF(subclassAtCreateSeq, top, messageFromOwnProcedure, {WM_NCCREATE, WM_CREATE});
}

TEST_F(BeforeMessageHook, DialogIsSubclassedAtCreationAndInitDialogLeavesItAlone)
{
    HWND d = createDialog();
    ASSERT_TRUE(d != NULL);
    EXPECT_TRUE(isSubclassed(d));
    EXPECT_EQ(1, slotsHolding(d));
    int slot = findWindowSlot(d);
    EXPECT_EQ((WNDPROC)GetClassLongPtrA(d, GCLP_WNDPROC), previousProcs[slot])
        << "WM_INITDIALOG must not record StaticWindowProc as the dialog's own procedure";
    EXPECT_EQ((LONG_PTR)StaticWindowProc, procedureAtInitDialog);
    HWND label = GetDlgItem(d, 100);
    ASSERT_TRUE(label != NULL);
    EXPECT_TRUE(isSubclassed(label));
}

TEST_F(BeforeMessageHook, InitDialogSubclassesADialogWhoseCreationWentUnseen)
{
    hideMessageFromEngine(WM_CREATE);
    HWND d = createDialog();
    showMessagesToEngine();
    ASSERT_TRUE(d != NULL);
    EXPECT_TRUE(isSubclassed(d)) << "WM_INITDIALOG is a trigger of its own";
    EXPECT_EQ((LONG_PTR)StaticWindowProc, procedureAtInitDialog) << "the triggering message already goes through it";
    EXPECT_EQ((WNDPROC)GetClassLongPtrA(d, GCLP_WNDPROC), previousProcs[findWindowSlot(d)]);
    HWND label = GetDlgItem(d, 100);
    ASSERT_TRUE(label != NULL);
    EXPECT_FALSE(isSubclassed(label)) << "the control never received a trigger";
    EXPECT_EQ(-1, findWindowSlot(label));
}

TEST_F(BeforeMessageHook, ActivationSubclassesOnlyWhenConfigured)
{
    scriptMessage(WM_ACTIVATE, 0);
    for (int onActivate : {0, 1}) {
        SCOPED_TRACE(onActivate);
        Settings.subclassOnActivate = onActivate;
        hideMessageFromEngine(WM_CREATE);
        HWND w = createScripted(WS_OVERLAPPEDWINDOW);
        showMessagesToEngine();
        ASSERT_FALSE(isSubclassed(w));
        setMessageSnapshot(windowProcedureOf);
        clearMessageLog();
        SendMessageA(w, WM_ACTIVATE, WA_ACTIVE, 0);
        setMessageSnapshot(NULL);
        EXPECT_EQ(onActivate == 1, isSubclassed(w));
        EXPECT_SEQUENCE(onActivate == 1 ? activateSubclassesSeq : activateLeavesAloneSeq, w, messageFromOwnProcedure);
    }
}

TEST_F(BeforeMessageHook, RecordedWindowIsLeftAloneByLaterTriggers)
{
    Settings.subclassOnActivate = 1;
    scriptMessage(WM_ACTIVATE, 0);
    scriptMessage(WM_INITDIALOG, 0);
    scriptMessage(WM_CREATE, 0);
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(isSubclassed(w));
    int slot = findWindowSlot(w);
    for (UINT trigger : {WM_ACTIVATE, WM_INITDIALOG, WM_CREATE}) {
        SCOPED_TRACE(trigger);
        clearMessageLog();
        SendMessageA(w, trigger, 0, 0);
        EXPECT_EQ(1, slotsHolding(w));
        EXPECT_EQ(slot, findWindowSlot(w));
        EXPECT_EQ(scriptedProcedure, previousProcs[slot]);
        EXPECT_EQ(1, countMessages(w, trigger, messageFromOwnProcedure)) << "no loop through StaticWindowProc";
    }
}

TEST_F(BeforeMessageHook, ExcludedClassSwitchesSubclassingOffForTheProcess)
{
    for (const char *excluded : {"wndclass_desked_gsk", "CharGridWClass", "MyDlgClass"}) {
        SCOPED_TRACE(excluded);
        Settings.subclassWindows = 1;
        Settings.ownerDrawnButtons = 1;
        EngineState.subclassingStopped = 0;
        HWND earlier = createScripted(WS_OVERLAPPEDWINDOW);
        ASSERT_TRUE(isSubclassed(earlier));

        HWND odd = createOfClass(excluded);
        ASSERT_TRUE(odd != NULL);
        EXPECT_FALSE(isSubclassed(odd));
        EXPECT_EQ(-1, findWindowSlot(odd));
        EXPECT_EQ(1, EngineState.subclassingStopped);
        EXPECT_FALSE(subclassingOn());
        EXPECT_FALSE(ownerDrawnButtonsOn());
        EXPECT_EQ(1, Settings.subclassWindows) << "what the settings file said stays as it was";

        HWND later = createScripted(WS_OVERLAPPEDWINDOW);
        EXPECT_FALSE(isSubclassed(later)) << "off for the rest of the process, free slots or not";
        EXPECT_GE(findFreeSlot(), 0);

        EXPECT_TRUE(isSubclassed(earlier)) << "windows subclassed before stay subclassed";
        scriptMessage(WM_USER + 1, 0x1234);
        EXPECT_EQ(0x1234, SendMessageA(earlier, WM_USER + 1, 0, 0));
        for (HWND w : {earlier, odd, later}) DestroyWindow(w);
    }
}

TEST_F(BeforeMessageHook, ClassNamesAreComparedExactly)
{
    Settings.ownerDrawnButtons = 1;
    // Class names differing only in case are one class to the system, so
    // the near misses differ in their letters.
    for (const char *similar : {"MyDlgClass2", "MyDlgClas", "xCharGridWClass", "CharGridWClas", "wndclass_desked"}) {
        SCOPED_TRACE(similar);
        HWND w = createOfClass(similar);
        ASSERT_TRUE(w != NULL);
        EXPECT_TRUE(isSubclassed(w));
        EXPECT_EQ(0, EngineState.subclassingStopped);
    }
}

// Handles no window can have: Wine's window handles are even.
static HWND standInHandle(int slot) { return (HWND)(UINT_PTR)(0x7F000001u + 2u * (unsigned)slot); }

TEST_F(BeforeMessageHook, FullTableLeavesNewWindowsUnskinnedAndFlagsAlone)
{
    Settings.ownerDrawnButtons = 1;
    HWND first = createScripted(WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(isSubclassed(first));
    for (int slot = 0; slot < windowTableCapacity; slot++)
        if (!windowHandles[slot]) windowHandles[slot] = standInHandle(slot);
    ASSERT_EQ(-1, findFreeSlot());

    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(w != NULL);
    EXPECT_FALSE(isSubclassed(w));
    EXPECT_EQ((LONG_PTR)scriptedProcedure, GetWindowLongPtrA(w, GWLP_WNDPROC));
    EXPECT_EQ(0, EngineState.subclassingStopped);

    const int freed = 1234;
    windowHandles[freed] = NULL;
    HWND next = createScripted(WS_OVERLAPPEDWINDOW);
    EXPECT_TRUE(isSubclassed(next));
    EXPECT_EQ(freed, findWindowSlot(next)) << "the one free slot is taken";

    for (int slot = 0; slot < windowTableCapacity; slot++)
        if (windowHandles[slot] == standInHandle(slot)) windowHandles[slot] = NULL;
}

TEST_F(BeforeMessageHook, NothingIsSubclassedOnceShutdownHasBegun)
{
    Settings.subclassOnActivate = 1;
    scriptMessage(WM_ACTIVATE, 0);
    EngineState.shuttingDown = 1;
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    SendMessageA(w, WM_ACTIVATE, WA_ACTIVE, 0);
    HWND d = createDialog();
    EngineState.shuttingDown = 0;
    EXPECT_FALSE(isSubclassed(w));
    EXPECT_FALSE(isSubclassed(d));
    EXPECT_EQ(-1, findWindowSlotInUse());
}

// The six caption messages of a captioned window end the hook without
// passing the message on to later hooks; uncaptioned windows pass them on.
TEST_F(BeforeMessageHook, CaptionMessagesOfCaptionedWindowsEndTheChain)
{
    scriptMessage(WM_SYSCOMMAND, 0);
    scriptMessage(WM_NCLBUTTONDOWN, 0);
    scriptMessage(WM_MDIACTIVATE, 0);
    HWND captioned = createScripted(WS_OVERLAPPEDWINDOW);
    HWND bare = createScripted(WS_POPUP | WS_BORDER);
    struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } messages[] = {
        {WM_NCPAINT, 1, 0},       {WM_SETTEXT, 0, (LPARAM) "Title"}, {WM_SYSCOMMAND, 0xF1F0, 0},
        {WM_NCLBUTTONDOWN, HTCAPTION, 0}, {WM_NCMOUSEMOVE, HTCAPTION, 0}, {WM_MDIACTIVATE, 0, 0},
    };
    for (auto &m : messages) {
        SCOPED_TRACE(m.message);
        for (HWND w : {captioned, bare}) {
            clearMessageLog();
            SendMessageA(w, m.message, m.wParam, m.lParam);
            EXPECT_EQ(1, countMessages(w, m.message, messageFromLateBeforeHook));
            EXPECT_EQ(w == bare ? 1 : 0, countMessages(w, m.message, messageFromBeforeHook))
                << (w == bare ? "uncaptioned" : "captioned");
            EXPECT_EQ(1, countMessages(w, m.message, messageFromOwnProcedure));
        }
    }
    clearMessageLog();
    SendMessageA(captioned, WM_GETTEXT, 0, 0);
    EXPECT_EQ(1, countMessages(captioned, WM_GETTEXT, messageFromBeforeHook)) << "WM_GETTEXT always chains";
}

class DisabledEngine : public BeforeMessageHook {
protected:
    // The disable marker alone: no settings file beside it.
    void prepareFolder(const TestFolder &f) override
    {
        f.remove("\\varnels\\vl.ini");
        f.write("\\varnels\\vldis.ini", "1");
    }
};

TEST_F(DisabledEngine, EveryHookOnlyChains)
{
    ASSERT_EQ(1, EngineState.disabled);
    Settings.subclassWindows = 1;
    Settings.subclassOnActivate = 1;
    Settings.paintCaptions = 1;
    lastActiveState = 7;
    scriptMessage(WM_ACTIVATE, 0);
    scriptMessage(WM_SETCURSOR, 0);

    HWND w = createScripted(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ASSERT_TRUE(w != NULL);
    SendMessageA(w, WM_ACTIVATE, WA_ACTIVE, 0);
    SendMessageA(w, WM_SETTEXT, 0, (LPARAM) "Title");
    SendMessageA(w, WM_NCPAINT, 1, 0);
    SendMessageA(w, WM_SETCURSOR, (WPARAM)w, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    DestroyWindow(w);

    EXPECT_EQ(-1, findWindowSlotInUse()) << "nothing recorded";
    EXPECT_EQ(7, lastActiveState) << "nothing recorded";
    // Each hook behind the engine's sees exactly what the hook in front of it saw.
    int before = 0, lateBefore = 0, after = 0, lateAfter = 0;
    for (auto &m : messageLog()) {
        before += (m.flags & messageFromBeforeHook) != 0;
        lateBefore += (m.flags & messageFromLateBeforeHook) != 0;
        after += (m.flags & messageFromAfterHook) != 0;
        lateAfter += (m.flags & messageFromLateAfterHook) != 0;
    }
    EXPECT_GT(lateBefore, 10);
    EXPECT_EQ(lateBefore, before);
    EXPECT_EQ(lateAfter, after);
    EXPECT_EQ(1, countMessages(w, WM_SETCURSOR, messageFromAfterHook));
    EXPECT_EQ(1, countMessages(w, WM_SETTEXT, messageFromBeforeHook));
}

TEST_F(DisabledEngine, ReadsNothingNotEvenAnExcludedClass)
{
    Settings.subclassWindows = 1;
    Settings.ownerDrawnButtons = 1;
    HWND odd = createOfClass("MyDlgClass");
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(0, EngineState.subclassingStopped);
    EXPECT_EQ((LONG_PTR)scriptedProcedure, GetWindowLongPtrA(w, GWLP_WNDPROC));
    EXPECT_TRUE(odd != NULL);
}

// SpyTestProc looks at a MSG record, as a WH_GETMESSAGE hook receives it.
TEST(SpyTestProc, TurnsEraseBackgroundIntoNullAndReturnsZero)
{
    struct {
        UINT in, out;
    } cases[] = {{WM_ERASEBKGND, WM_NULL}, {WM_PAINT, WM_PAINT}, {WM_NULL, WM_NULL}, {WM_USER + WM_ERASEBKGND, WM_USER + WM_ERASEBKGND}};
    for (int disabled : {0, 1}) {
        EngineState.disabled = disabled;
        for (auto &c : cases) {
            MSG m = {};
            m.hwnd = (HWND)0x1234;
            m.message = c.in;
            m.wParam = 5;
            m.lParam = 6;
            EXPECT_EQ(0, SpyTestProc(HC_ACTION, PM_REMOVE, (LPARAM)&m));
            EXPECT_EQ(c.out, m.message) << c.in << " disabled " << disabled;
            EXPECT_EQ((HWND)0x1234, m.hwnd);
            EXPECT_EQ(5u, m.wParam);
            EXPECT_EQ(6, m.lParam);
        }
    }
    EngineState.disabled = 0;
}

static int getMessageHookCalls;

static LRESULT CALLBACK countGetMessage(int code, WPARAM wParam, LPARAM lParam)
{
    getMessageHookCalls++;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST(SpyTestProc, AsAGetMessageHookItEndsTheChain)
{
    HWND w = createTestWindow(WS_OVERLAPPEDWINDOW);
    pumpMessages();
    HHOOK counter = SetWindowsHookExA(WH_GETMESSAGE, countGetMessage, NULL, GetCurrentThreadId());
    HHOOK tester = SetWindowsHookExA(WH_GETMESSAGE, SpyTestProc, NULL, GetCurrentThreadId());
    getMessageHookCalls = 0;
    PostMessageA(w, WM_ERASEBKGND, 0, 0);
    PostMessageA(w, WM_USER + 3, 0, 0);
    MSG first, second;
    GetMessageA(&first, w, 0, 0);
    GetMessageA(&second, w, 0, 0);
    UnhookWindowsHookEx(tester);
    UnhookWindowsHookEx(counter);
    EXPECT_EQ((UINT)WM_NULL, first.message) << "the record was changed before GetMessage returned it";
    EXPECT_EQ((UINT)(WM_USER + 3), second.message);
    EXPECT_EQ(0, getMessageHookCalls) << "the hook behind SpyTestProc is never called";
    DestroyWindow(w);
}
