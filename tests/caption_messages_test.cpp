// The fourteen caption messages in StaticWindowProc: the window's own
// procedure called once, the results, the sizing-border moves kept from it,
// WM_SETTEXT without WS_VISIBLE, the MDI refreshes and the striped caption's
// box clicks.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "caption/caption_painters.h"
#include "caption/caption_repaint.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "support/engine_hooks.h"
#include "support/self_launch.h"
#include "support/test_windows.h"

class CaptionMessages : public EngineHooksTest {};

// A result no procedure gives by chance.
static const LRESULT ownResult = 0x4D;

struct CaptionCase {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int ownCallsCaptioned;   // how often the own procedure sees it on a captioned window
    LRESULT resultCaptioned; // ownResult when the own procedure's result comes back
};

static const CaptionCase captionCases[] = {
    {WM_SYSCOMMAND, 0xF1F0, 0, 1, 0},
    {WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(150, 105), 1, 0},
    {WM_NCLBUTTONUP, HTSYSMENU, MAKELPARAM(105, 105), 1, 0},
    {WM_NCRBUTTONDOWN, HTMENU, MAKELPARAM(150, 130), 1, 0},
    {WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(150, 105), 1, 0},
    {WM_NCLBUTTONDOWN, HTBOTTOM, MAKELPARAM(150, 299), 1, ownResult},
    {WM_NCRBUTTONDOWN, HTCLOSE, MAKELPARAM(390, 105), 1, ownResult},
    {WM_NCMOUSEMOVE, HTBOTTOMRIGHT, MAKELPARAM(399, 299), 0, 0},
    {WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(150, 105), 1, ownResult},
    {WM_NCACTIVATE, TRUE, 0, 1, 1},
    {WM_SETTEXT, 0, (LPARAM) "New title", 1, ownResult},
    {WM_NCPAINT, 1, 0, 1, ownResult},
    {WM_SHOWWINDOW, TRUE, 0, 1, ownResult},
    {WM_INITMENUPOPUP, 0, 0, 1, ownResult},
    {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0, 1, ownResult},
    {WM_MDIACTIVATE, 0, 0, 1, ownResult},
    {WM_MDIMAXIMIZE, 0, 0, 1, ownResult},
};

TEST_F(CaptionMessages, UncaptionedWindowsPassEveryCaptionMessageOn)
{
    for (DWORD style : {(DWORD)(WS_POPUP | WS_BORDER), (DWORD)(WS_POPUP | WS_DLGFRAME), (DWORD)WS_POPUP,
                        (DWORD)(WS_CHILD | WS_BORDER)}) {
        SCOPED_TRACE(style);
        HWND parent = style & WS_CHILD ? createScripted(WS_OVERLAPPEDWINDOW) : NULL;
        HWND w = createScripted(style, 100, 100, 300, 200, 0, parent);
        for (const CaptionCase &c : captionCases) {
            SCOPED_TRACE(c.message);
            clearScript();
            scriptMessage(c.message, ownResult);
            clearMessageLog();
            EXPECT_EQ(ownResult, SendMessageA(w, c.message, c.wParam, c.lParam));
            EXPECT_SEQUENCE_OF(withMessage(ownProcedureGetsOneSeq, c.message, c.wParam, c.lParam), w,
                               messageFromOwnProcedure, {c.message});
        }
    }
}

TEST_F(CaptionMessages, CaptionedWindowsCallTheOwnProcedureOnceAndAnswerForIt)
{
    HWND w = createScripted(WS_OVERLAPPEDWINDOW, 100, 100, 300, 200);
    for (const CaptionCase &c : captionCases) {
        SCOPED_TRACE(c.message);
        clearScript();
        scriptMessage(c.message, ownResult);
        clearMessageLog();
        EXPECT_EQ(c.resultCaptioned, SendMessageA(w, c.message, c.wParam, c.lParam));
        EXPECT_EQ(c.ownCallsCaptioned, countMessages(w, c.message, messageFromOwnProcedure));
        if (c.ownCallsCaptioned)
            EXPECT_SEQUENCE_OF(withMessage(ownProcedureGetsOneSeq, c.message, c.wParam, c.lParam), w,
                               messageFromOwnProcedure, {c.message});
    }
}

TEST_F(CaptionMessages, SizingBorderMovesNeverReachTheOwnProcedureOfACaptionedWindow)
{
    scriptMessage(WM_NCMOUSEMOVE, ownResult);
    HWND captioned = createScripted(WS_OVERLAPPEDWINDOW);
    HWND bare = createScripted(WS_POPUP | WS_THICKFRAME);
    for (int hit = HTMAXBUTTON; hit <= HTBORDER + 1; hit++) {
        SCOPED_TRACE(hit);
        bool sizing = hit >= HTLEFT && hit <= HTBORDER;
        clearMessageLog();
        EXPECT_EQ(sizing ? 0 : ownResult, SendMessageA(captioned, WM_NCMOUSEMOVE, hit, MAKELPARAM(150, 150)));
        EXPECT_EQ(sizing ? 0 : 1, countMessages(captioned, WM_NCMOUSEMOVE, messageFromOwnProcedure));
        EXPECT_EQ(ownResult, SendMessageA(bare, WM_NCMOUSEMOVE, hit, MAKELPARAM(150, 150)));
        EXPECT_EQ(1, countMessages(bare, WM_NCMOUSEMOVE, messageFromOwnProcedure));
    }
}

// A mouse move over a skinned window's caption copies no strip: the system
// draws nothing there, and the strip is already in place; over a sizing
// border the engine's procedure paints it once. A window whose procedure is
// not the engine's keeps the hook's repaint.
TEST_F(CaptionMessages, AMouseMoveOverASkinnedCaptionCopiesAStripOnlyOverASizingBorder)
{
    Settings.paintCaptions = 1;
    HWND skinned = createScripted(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 100);
    HWND plain = createScripted(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 380, 100);
    SetWindowLongPtrA(plain, GWLP_WNDPROC, GetClassLongPtrA(plain, GCLP_WNDPROC));
    pumpMessages();
    ASSERT_TRUE(hasEngineProcedure(skinned));
    ASSERT_FALSE(hasEngineProcedure(plain));
    const struct {
        HWND window;
        WPARAM hit;
        LONG copies;
    } moves[] = {{skinned, HTCAPTION, 0}, {skinned, HTSYSMENU, 0}, {skinned, HTCLOSE, 0},
                 {skinned, HTBOTTOMRIGHT, 1}, {skinned, HTLEFT, 1}, {plain, HTCAPTION, 1}};
    for (const auto &move : moves) {
        SCOPED_TRACE(move.hit);
        const LONG before = stripCopies;
        SendMessageA(move.window, WM_NCMOUSEMOVE, move.hit, MAKELPARAM(150, 105));
        EXPECT_EQ(move.copies, stripCopies - before) << (move.window == skinned ? "skinned" : "plain");
    }
}

TEST_F(CaptionMessages, SystemCommandOfACaptionedWindowAnswersZero)
{
    HWND captioned = createScripted(WS_CAPTION | WS_SYSMENU);
    HWND dialogFrame = createScripted(WS_POPUP | WS_DLGFRAME | WS_SYSMENU);
    for (LRESULT own : {(LRESULT)0, (LRESULT)1, (LRESULT)-1, (LRESULT)0x12345}) {
        clearScript();
        scriptMessage(WM_SYSCOMMAND, own);
        EXPECT_EQ(0, SendMessageA(captioned, WM_SYSCOMMAND, SC_KEYMENU, 0)) << own;
        EXPECT_EQ(own, SendMessageA(dialogFrame, WM_SYSCOMMAND, SC_KEYMENU, 0)) << own;
    }
}

// The style bits a window has gained or lost since styleAtStart was taken:
// the snapshot of the WM_SETTEXT tables below.
static LONG styleAtStart;
static LONG_PTR styleChangeOf(HWND window) { return GetWindowLongA(window, GWL_STYLE) ^ styleAtStart; }

// WM_SETTEXT to a visible captioned window, as its own procedure sees it:
// hidden (and otherwise unchanged) while the text is stored, and no word of
// the engine's two style writes around it.
static const ExpectedMessage setTextOwnProcedureSeq[] = {
    {WM_SETTEXT, messageFromOwnProcedure | matchSnapshot, 0, 0, NULL, 0, WS_VISIBLE},
};

// The same WM_SETTEXT as the hooks around the engine's see it: visible on
// both sides.
static const ExpectedMessage setTextHooksSeq[] = {
    {WM_SETTEXT, messageFromLateBeforeHook | matchSnapshot, 0, 0, NULL, 0, 0},
    {WM_SETTEXT, messageFromLateAfterHook | matchSnapshot | matchResult, 0, 0, NULL, TRUE, 0},
};

// While the window's own procedure stores the text the window counts as
// hidden, so the system draws no caption of its own; afterwards the style is
// what it was, bit for bit.
TEST_F(CaptionMessages, SetTextHidesTheWindowOnlyWhileTheOwnProcedureRuns)
{
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL;
    HWND w = createScripted(style);
    pumpMessages();
    LONG before = GetWindowLongA(w, GWL_STYLE);
    ASSERT_TRUE(before & WS_VISIBLE);
    styleAtStart = before;
    setMessageSnapshot(styleChangeOf);
    clearMessageLog();
    EXPECT_EQ(TRUE, SendMessageA(w, WM_SETTEXT, 0, (LPARAM) "Renamed"));
    setMessageSnapshot(NULL);
    EXPECT_SEQUENCE_OF(setTextOwnProcedureSeq, w, messageFromOwnProcedure,
                       {WM_SETTEXT, WM_STYLECHANGING, WM_STYLECHANGED});
    EXPECT_SEQUENCE_OF(setTextHooksSeq, w, messageFromLateBeforeHook | messageFromLateAfterHook, {WM_SETTEXT});
    EXPECT_EQ(before, GetWindowLongA(w, GWL_STYLE));
    char title[32] = "";
    GetWindowTextA(w, title, sizeof title);
    EXPECT_STREQ("Renamed", title);
}

TEST_F(CaptionMessages, SetTextOfAHiddenWindowLeavesTheStyleAlone)
{
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    LONG before = GetWindowLongA(w, GWL_STYLE);
    clearMessageLog();
    EXPECT_EQ(TRUE, SendMessageA(w, WM_SETTEXT, 0, (LPARAM) "Renamed"));
    EXPECT_EQ(0, countMessages(w, WM_STYLECHANGING, messageSourceMask));
    EXPECT_EQ(1, countMessages(w, WM_SETTEXT, messageFromOwnProcedure));
    EXPECT_EQ(before, GetWindowLongA(w, GWL_STYLE));
}

// A real MDI frame, client and two children; the client's procedure is
// watched as the children's parent, the frame's as their parent's parent.
static HWND mdiClient;
static std::map<UINT, LRESULT> childScript;

static LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    recordMessage(window, message, wParam, lParam, messageFromParent);
    return DefFrameProcA(window, mdiClient, message, wParam, lParam);
}

static LRESULT CALLBACK childProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = DefMDIChildProcA(window, message, wParam, lParam);
    auto scripted = childScript.find(message);
    if (scripted != childScript.end()) result = scripted->second;
    recordMessageResult(window, message, wParam, lParam, messageFromOwnProcedure, result);
    return result;
}

class MdiCaptionMessages : public CaptionMessages {
protected:
    void SetUp() override
    {
        CaptionMessages::SetUp();
        const HBRUSH workspace = (HBRUSH)(COLOR_APPWORKSPACE + 1);
        windowClass("VarnelMdiChild", childProcedure, workspace, arrowCursor);
        childScript.clear();
        frame = track(CreateWindowExA(0, windowClass("VarnelMdiFrame", frameProcedure, workspace, arrowCursor), "Frame",
                                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 50, 50, 600, 450, NULL, NULL,
                                      GetModuleHandleA(NULL), NULL));
        CLIENTCREATESTRUCT ccs = {};
        ccs.idFirstChild = 1000;
        mdiClient = track(CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", NULL,
                                          WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 580, 400, frame, NULL,
                                          GetModuleHandleA(NULL), &ccs));
        ASSERT_TRUE(frame && mdiClient);
        first = createChild("First");
        second = createChild("Second");
        ASSERT_TRUE(first && second);
        ASSERT_EQ(second, (HWND)SendMessageA(mdiClient, WM_MDIGETACTIVE, 0, 0));
        ASSERT_TRUE(findWindowSlot(first) >= 0 && findWindowSlot(second) >= 0);
        recordAsParent(mdiClient);
        pumpMessages();
        clearMessageLog();
    }
    void TearDown() override
    {
        childScript.clear();
        CaptionMessages::TearDown();
        mdiClient = NULL;
    }
    HWND createChild(const char *title)
    {
        MDICREATESTRUCTA mcs = {};
        mcs.szClass = "VarnelMdiChild";
        mcs.szTitle = title;
        mcs.hOwner = GetModuleHandleA(NULL);
        mcs.x = mcs.y = CW_USEDEFAULT;
        mcs.cx = 250;
        mcs.cy = 180;
        return (HWND)SendMessageA(mdiClient, WM_MDICREATE, 0, (LPARAM)&mcs);
    }
    // A table of the stand-ins below with this test's windows put in.
    std::vector<ExpectedMessage> withMdiWindows(ExpectedSequence table)
    {
        return withWindows(table, {first, second, mdiClient, frame});
    }
    HWND frame, first, second;
};

// WM_NCPAINT's value for the whole frame.
static const WPARAM wholeFrame = 1;

// Stand-ins for the MDI windows in the tables below.
static const HWND firstChild = standInWindow(0), activeChild = standInWindow(1), client = standInWindow(2),
                  frameWindow = standInWindow(3);

// WM_NCACTIVATE(FALSE) to the inactive child: it asks the client for the
// active child, which handles a WM_NCACTIVATE of its own the same way, and
// the client's frame and then the active child's are repainted.
static const ExpectedMessage deactivateInactiveChildSeq[] = {
    {WM_NCACTIVATE, messageFromOwnProcedure | matchWParam, FALSE, 0, firstChild},
    {WM_MDIGETACTIVE, messageFromParent, 0, 0, client},
    {WM_NCACTIVATE, messageFromOwnProcedure | matchWParam | matchLParam, TRUE, 0, activeChild},
    {WM_MDIGETACTIVE, messageFromParent, 0, 0, client},
    {WM_NCPAINT, messageFromParent | matchWParam | matchLParam, wholeFrame, 0, client},
    {WM_NCPAINT, messageFromOwnProcedure | matchWParam | matchLParam, wholeFrame, 0, activeChild},
    {WM_NCPAINT, messageFromParent | matchWParam | matchLParam, wholeFrame, 0, client},
};

// WM_NCACTIVATE(FALSE) to the active child: only the client's frame is
// repainted.
static const ExpectedMessage deactivateActiveChildSeq[] = {
    {WM_NCACTIVATE, messageFromOwnProcedure | matchWParam, FALSE, 0, activeChild},
    {WM_MDIGETACTIVE, messageFromParent, 0, 0, client},
    {WM_NCPAINT, messageFromParent | matchWParam | matchLParam, wholeFrame, 0, client},
};

// WM_SETTEXT to a child: its own procedure stores the text; the frame shows
// no child's title and is left alone.
static const ExpectedMessage setChildTextSeq[] = {
    {WM_SETTEXT, messageFromOwnProcedure | matchResult, 0, 0, firstChild, 0x33},
};

// WM_SETTEXT to a maximised child, whose title the frame's caption shows:
// the frame is repainted after the child has stored it (the system may
// repaint the frame's new title itself meanwhile, as Wine does).
static const ExpectedMessage setMaximisedChildTextSeq[] = {
    {WM_NCPAINT, messageFromParent | optionalEntry, 0, 0, frameWindow},
    {WM_SETTEXT, messageFromOwnProcedure | matchResult, 0, 0, firstChild, 0x33},
    {WM_NCPAINT, messageFromParent | matchWParam | matchLParam, wholeFrame, 0, frameWindow},
};

TEST_F(MdiCaptionMessages, ChildrenAreCaptionedMdiChildren)
{
    for (HWND child : {first, second}) {
        EXPECT_EQ((LONG)WS_CAPTION, GetWindowLongA(child, GWL_STYLE) & WS_CAPTION);
        EXPECT_TRUE(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_MDICHILD);
        EXPECT_EQ(mdiClient, GetParent(child));
    }
}

TEST_F(MdiCaptionMessages, NcActivateOfAnInactiveChildRefreshesTheActiveChildAndTheClient)
{
    EXPECT_EQ(1, SendMessageA(first, WM_NCACTIVATE, FALSE, 0));
    EXPECT_SEQUENCE_OF(withMdiWindows(deactivateInactiveChildSeq), NULL, messageFromOwnProcedure | messageFromParent,
                       {WM_NCACTIVATE, WM_MDIGETACTIVE, WM_NCPAINT});
}

TEST_F(MdiCaptionMessages, NcActivateOfTheActiveChildRefreshesOnlyTheClient)
{
    EXPECT_EQ(1, SendMessageA(second, WM_NCACTIVATE, FALSE, 0));
    EXPECT_SEQUENCE_OF(withMdiWindows(deactivateActiveChildSeq), NULL, messageFromOwnProcedure | messageFromParent,
                       {WM_NCACTIVATE, WM_MDIGETACTIVE, WM_NCPAINT});
}

TEST_F(MdiCaptionMessages, ChildTextIsStoredBeforeTheFrameIsRepainted)
{
    childScript[WM_SETTEXT] = 0x33;
    setMessageSnapshot(windowStyleOf);
    EXPECT_EQ(1, SendMessageA(first, WM_SETTEXT, 0, (LPARAM) "Renamed child"));
    setMessageSnapshot(NULL);
    EXPECT_SEQUENCE_OF(withMdiWindows(setChildTextSeq), NULL, messageFromOwnProcedure | messageFromParent,
                       {WM_SETTEXT, WM_NCPAINT});
    for (auto &m : messageLog())
        if (m.window == first && m.message == WM_SETTEXT && (m.flags & messageFromOwnProcedure))
            EXPECT_FALSE(m.snapshot & WS_VISIBLE) << "an MDI child stores its text unseen, as any window";
    EXPECT_TRUE(GetWindowLongA(first, GWL_STYLE) & WS_VISIBLE);
    char title[32] = "";
    GetWindowTextA(first, title, sizeof title);
    EXPECT_STREQ("Renamed child", title);
    EXPECT_EQ(0, countMessages(first, WM_STYLECHANGING, messageFromOwnProcedure));
}

TEST_F(MdiCaptionMessages, AMaximisedChildsTextRepaintsTheFrameAfterItIsStored)
{
    SendMessageA(mdiClient, WM_MDIMAXIMIZE, (WPARAM)first, 0);
    pumpMessages();
    ASSERT_TRUE(IsZoomed(first));
    clearMessageLog();
    childScript[WM_SETTEXT] = 0x33;
    EXPECT_EQ(1, SendMessageA(first, WM_SETTEXT, 0, (LPARAM) "Renamed child"));
    EXPECT_SEQUENCE_OF(withMdiWindows(setMaximisedChildTextSeq), NULL, messageFromOwnProcedure | messageFromParent,
                       {WM_SETTEXT, WM_NCPAINT});
    char title[64] = "";
    GetWindowTextA(frame, title, sizeof title);
    EXPECT_TRUE(strstr(title, "Renamed child")) << "the frame's title names the maximised child: " << title;
}

// ---- Windows of another program ----

// How long the neighbour's second thread stops pumping: far longer than any
// caption message may take, short enough that a run with a fault in it ends.
static const DWORD neighbourBusyPause = 20000;
// What an activation or a title change may take beside a neighbour that
// never answers.
static const double quickAnswerSeconds = 0.1;

// The neighbour: another program with one captioned, static-edged window on
// a thread that pumps its messages and one on a thread that has stopped
// pumping, both handles written to its output.
static DWORD WINAPI busyThread(void *ready)
{
    HWND w = CreateWindowExA(WS_EX_STATICEDGE, "VarnelNeighbour", "Busy", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                             500, 100, 300, 200, NULL, NULL, GetModuleHandleA(NULL), NULL);
    *(HWND *)ready = w;
    Sleep(neighbourBusyPause);
    return 0;
}

TEST(Neighbour, DISABLED_Program)
{
    windowClass("VarnelNeighbour", DefWindowProcA);
    HWND answering = CreateWindowExA(WS_EX_STATICEDGE, "VarnelNeighbour", "Answering",
                                     WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 100, 100, 300, 200, NULL, NULL,
                                     GetModuleHandleA(NULL), NULL);
    volatile HWND busy = NULL;
    HANDLE thread = CreateThread(NULL, 0, busyThread, (void *)&busy, 0, NULL);
    while (!busy) Sleep(1);
    printf("neighbour: answering=%lx busy=%lx\n", (unsigned long)(ULONG_PTR)answering, (unsigned long)(ULONG_PTR)busy);
    fflush(stdout);
    MSG msg;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 2 * neighbourBusyPause) {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
    }
    CloseHandle(thread);
}

static double secondsNow()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

static LRESULT sendTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam, double *seconds)
{
    const double start = secondsNow();
    LRESULT result = SendMessageA(window, message, wParam, lParam);
    *seconds = secondsNow() - start;
    return result;
}

// The client of the MDI tests answers WM_MDIGETACTIVE with this, when set.
static HWND forgedActiveChild;
static WNDPROC clientProcedureBeforeForgery;
static LRESULT CALLBACK forgingClientProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_MDIGETACTIVE && forgedActiveChild) return (LRESULT)forgedActiveChild;
    return CallWindowProcA(clientProcedureBeforeForgery, window, message, wParam, lParam);
}

class ForeignWindows : public MdiCaptionMessages {
protected:
    void SetUp() override
    {
        MdiCaptionMessages::SetUp();
        ASSERT_TRUE(startDisabledTest("Neighbour.DISABLED_Program", "foreign-neighbour.txt", &neighbour));
        ASSERT_TRUE(waitForOutput(neighbour, "busy=", 30000)) << childOutput(neighbour);
        unsigned long a = 0, b = 0;
        const std::string out = childOutput(neighbour);
        ASSERT_EQ(2, sscanf(out.c_str() + out.find("answering="), "answering=%lx busy=%lx", &a, &b)) << out;
        answering = (HWND)(ULONG_PTR)a;
        busy = (HWND)(ULONG_PTR)b;
        ASSERT_TRUE(IsWindow(answering) && IsWindow(busy));
        forgedActiveChild = NULL;
        clientProcedureBeforeForgery =
            (WNDPROC)SetWindowLongPtrA(mdiClient, GWLP_WNDPROC, (LONG_PTR)forgingClientProcedure);
    }
    void TearDown() override
    {
        forgedActiveChild = NULL;
        SetWindowLongPtrA(mdiClient, GWLP_WNDPROC, (LONG_PTR)clientProcedureBeforeForgery);
        MdiCaptionMessages::TearDown();
        endChild(&neighbour);
    }
    ChildProcess neighbour;
    HWND answering = NULL, busy = NULL;
};

// Nothing the engine does for a caption message waits on another program:
// an owner, an MDI client's answer or a frame that belongs to a program that
// has stopped pumping its messages holds nothing up. (A label's erase sent
// to its parent is left out: Wine refuses WM_ERASEBKGND to another process
// at once, so the wait cannot be shown here.)
TEST_F(ForeignWindows, ABusyProgramNearAWindowHoldsUpNoCaptionMessage)
{
    HWND popup = createScripted(WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100, 300, 200, 0, busy);
    HWND holder = createScripted(WS_CHILD, 0, 0, 200, 150, WS_EX_NOPARENTNOTIFY, busy);
    // The system makes MDI children only under an MDI client; the style
    // bit is what the engine goes by.
    HWND mdiLike = createScripted(WS_CHILD | WS_CAPTION | WS_SYSMENU, 0, 0, 150, 100, 0, holder);
    SetWindowLongA(mdiLike, GWL_EXSTYLE, GetWindowLongA(mdiLike, GWL_EXSTYLE) | WS_EX_MDICHILD);
    ASSERT_TRUE(popup && holder && mdiLike);
    struct Case {
        const char *what;
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        HWND forged;
    } cases[] = {
        {"a popup owned by the busy window activated", popup, WM_NCACTIVATE, TRUE, 0, NULL},
        {"a popup owned by the busy window deactivated", popup, WM_NCACTIVATE, FALSE, 0, NULL},
        {"an MDI child whose client names the busy window", first, WM_NCACTIVATE, FALSE, 0, busy},
        {"an MDI child whose frame is the busy window", mdiLike, WM_SETTEXT, 0, (LPARAM) "Renamed", NULL},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        forgedActiveChild = c.forged;
        double seconds = 0;
        sendTimed(c.window, c.message, c.wParam, c.lParam, &seconds);
        printf("%s: %.4f s\n", c.what, seconds);
        EXPECT_LT(seconds, quickAnswerSeconds);
    }
}

// A window of another thread of this program that stops pumping for a
// while: its thread makes it, says so, and sleeps.
static const DWORD busyThreadPause = 1500;  // ms
static HANDLE busyWindowMade;
static HWND busyThreadWindow;
static DWORD WINAPI busyOwnerThread(void *)
{
    busyThreadWindow = CreateWindowExA(0, "STATIC", "busy", WS_OVERLAPPED, 0, 0, 100, 100, NULL, NULL,
                                       GetModuleHandleA(NULL), NULL);
    SetEvent(busyWindowMade);
    Sleep(busyThreadPause);
    DestroyWindow(busyThreadWindow);
    return 0;
}

// The owner a popup's activation repaints, when it belongs to another
// thread of the same program that is busy, holds the activation up no
// longer than the engine's bounded send.
TEST_F(CaptionMessages, ABusyOwnerOfAnotherThreadHoldsUpActivationOnlyBriefly)
{
    busyWindowMade = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE thread = CreateThread(NULL, 0, busyOwnerThread, NULL, 0, NULL);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(busyWindowMade, 5000));
    HWND popup = createScripted(WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100, 300, 200, 0, busyThreadWindow);
    ASSERT_EQ(busyThreadWindow, GetParent(popup));
    double seconds = 0;
    EXPECT_EQ(1, sendTimed(popup, WM_NCACTIVATE, TRUE, 0, &seconds));
    printf("activation beside a busy owner of another thread: %.4f s\n", seconds);
    EXPECT_LT(seconds, 0.5) << "the busy thread sleeps " << busyThreadPause << " ms";
    // Gone before the owner goes, so that its thread never sends this one
    // the popup's destruction while this one waits for it.
    DestroyWindow(popup);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    CloseHandle(busyWindowMade);
}

// WM_MDIACTIVATE names windows in its parameters; with lParam 0 the engine
// repaints the window in wParam, whose painter may rewrite its extended
// style. Another program's window there is left as it was.
TEST_F(ForeignWindows, MdiActivateNamingAnotherProgramsWindowLeavesItAlone)
{
    HWND captioned = createScripted(WS_OVERLAPPEDWINDOW);
    // A sibling with the same edge, restyled while captions are still off
    // (the style change itself would have it repainted).
    SetWindowLongA(second, GWL_EXSTYLE, (GetWindowLongA(second, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE) | WS_EX_STATICEDGE);
    const LONG sibling = GetWindowLongA(second, GWL_EXSTYLE);
    ASSERT_TRUE(sibling & WS_EX_STATICEDGE);
    Settings.paintCaptions = 1;
    Settings.skinMdiChildren = 1;
    const LONG before = GetWindowLongA(answering, GWL_EXSTYLE);
    ASSERT_TRUE(before & WS_EX_STATICEDGE);
    ASSERT_FALSE(before & WS_EX_WINDOWEDGE) << "the gradient painter would turn this edge into a window edge";
    for (HWND to : {captioned, first}) {
        SendMessageA(to, WM_MDIACTIVATE, (WPARAM)answering, 0);
        EXPECT_EQ(before, GetWindowLongA(answering, GWL_EXSTYLE));
    }
    SendMessageA(first, WM_MDIACTIVATE, (WPARAM)second, 0);
    EXPECT_NE(sibling, GetWindowLongA(second, GWL_EXSTYLE)) << "a sibling MDI child is repainted as before";
}

// Clicks on the striped caption (macButtons): the close box at the left end,
// minimise at the right end, maximise just inside it.
struct ClickCase {
    const char *why;
    DWORD style;
    int show;        // ShowWindow command after creation, 0 for none
    int windowX;
    CaptionSpot spot;
    UINT message;
    WPARAM hit;
    int mac;
    UINT expectedMessage;
    WPARAM expectedWParam;  // for WM_SYSCOMMAND the command, else the hit code
};

TEST_F(CaptionMessages, CaptionBoxClicksBecomeCommandsForTheOwnProcedure)
{
    const DWORD full = WS_OVERLAPPEDWINDOW;
    const DWORD noMin = WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX;
    const DWORD noMax = WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX;
    const UINT down = WM_NCLBUTTONDOWN, command = WM_SYSCOMMAND;
    const ClickCase cases[] = {
        {"close: left + 19", full, 0, 100, {false, 19, 5, 0}, down, HTCAPTION, 1, command, SC_CLOSE},
        {"left + 20 is no box", full, 0, 100, {false, 20, 5, 0}, down, HTCAPTION, 1, down, HTCAPTION},
        {"close: last row of the band", full, 0, 100, {false, 0, -1, 1}, down, HTCAPTION, 1, command, SC_CLOSE},
        {"close: below the band", full, 0, 100, {false, 5, 0, 1}, down, HTCAPTION, 1, down, HTCAPTION},
        {"minimise: right - 19", full, 0, 100, {true, 19, 5, 0}, down, HTCAPTION, 1, command, SC_MINIMIZE},
        {"right - 20 is neither box", full, 0, 100, {true, 20, 5, 0}, down, HTCAPTION, 1, down, HTCAPTION},
        {"maximise: right - 21", full, 0, 100, {true, 21, 5, 0}, down, HTCAPTION, 1, command, SC_MAXIMIZE},
        {"maximise: right - 34", full, 0, 100, {true, 34, 5, 0}, down, HTCAPTION, 1, command, SC_MAXIMIZE},
        {"right - 35 is outside", full, 0, 100, {true, 35, 5, 0}, down, HTCAPTION, 1, down, HTCAPTION},
        {"minimise: below the band", full, 0, 100, {true, 5, 0, 1}, down, HTCAPTION, 1, down, HTCAPTION},
        {"no minimise box", noMin, 0, 100, {true, 5, 5, 0}, down, HTCAPTION, 1, down, HTCAPTION},
        {"no minimise box: maximise", noMin, 0, 100, {true, 25, 5, 0}, down, HTCAPTION, 1, command, SC_MAXIMIZE},
        {"no maximise box", noMax, 0, 100, {true, 25, 5, 0}, down, HTCAPTION, 1, down, HTCAPTION},
        {"no maximise box: minimise", noMax, 0, 100, {true, 5, 5, 0}, down, HTCAPTION, 1, command, SC_MINIMIZE},
        {"maximised: restore", full, SW_MAXIMIZE, 100, {true, 25, 5, 0}, down, HTCAPTION, 1, command, SC_RESTORE},
        {"maximised: minimise", full, SW_MAXIMIZE, 100, {true, 5, 5, 0}, down, HTCAPTION, 1, command, SC_MINIMIZE},
        {"minimised: restore", full, SW_SHOWMINNOACTIVE, 100, {true, 5, 5, 0}, down, HTCAPTION, 1, command, SC_RESTORE},
        {"left of the primary monitor", full, 0, -400, {false, 5, 5, 0}, down, HTCAPTION, 1, command, SC_CLOSE},
        {"left of the primary monitor: middle", full, 0, -400, {false, 100, 5, 0}, down, HTCAPTION, 1, down, HTCAPTION},
        {"macButtons off", full, 0, 100, {false, 5, 5, 0}, down, HTCAPTION, 0, down, HTCAPTION},
        {"button up", full, 0, 100, {false, 5, 5, 0}, WM_NCLBUTTONUP, HTCAPTION, 1, WM_NCLBUTTONUP, HTCAPTION},
        {"system menu press", full, 0, 100, {false, 5, 5, 0}, down, HTSYSMENU, 1, down, HTSYSMENU},
    };
    ASSERT_GT(SharedResources.captionHeight, 0);
    for (const ClickCase &c : cases) {
        SCOPED_TRACE(c.why);
        Settings.macButtons = c.mac;
        clearScript();
        // The own procedure neither closes nor starts a move loop.
        scriptMessage(WM_SYSCOMMAND, 0x11);
        scriptMessage(WM_NCLBUTTONDOWN, 0x22);
        scriptMessage(WM_NCLBUTTONUP, 0x22);
        HWND w = createScripted(c.style, c.windowX, 100, 300, 200);
        if (c.show) ShowWindow(w, c.show);
        const LPARAM click = captionSpotPoint(w, c.spot);
        clearMessageLog();
        EXPECT_EQ(0, SendMessageA(w, c.message, c.hit, click));
        EXPECT_SEQUENCE_OF(withMessage(ownProcedureGetsOneSeq, c.expectedMessage, c.expectedWParam, click), w,
                           messageFromOwnProcedure, {WM_SYSCOMMAND, WM_NCLBUTTONDOWN, WM_NCLBUTTONUP});
        EXPECT_EQ(0, countMessages(w, WM_SYSCOMMAND, messageSourceMask & ~messageFromOwnProcedure))
            << "the command goes straight to the own procedure, past the hooks";
        DestroyWindow(w);
    }
}
