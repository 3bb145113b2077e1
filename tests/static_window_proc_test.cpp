// StaticWindowProc's frame: where it runs among the hooks for one sent
// message, how it hands messages on, a window without a slot, and the
// hit-test override of the striped caption.
#include <gtest/gtest.h>

#include <string.h>

#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "support/engine_hooks.h"
#include "support/test_windows.h"

class StaticWindowProcTest : public EngineHooksTest {};

// Creating a window under the hooks: hooks installed after the engine's run
// before them, hooks installed before run after them; the snapshot is the
// window's procedure at each.
static const ExpectedMessage createWindowSeq[] = {
    {WM_CREATE, messageFromLateBeforeHook | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)scriptedProcedure},
    {WM_CREATE, messageFromBeforeHook | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)StaticWindowProc},
    {WM_CREATE, messageFromOwnProcedure | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)StaticWindowProc},
    {WM_CREATE, messageFromLateAfterHook, 0, 0},
    {WM_CREATE, messageFromAfterHook, 0, 0},
};

// Destroying it: the hook called after the engine's after-message hook finds
// the window's own procedure back.
static const ExpectedMessage destroyWindowSeq[] = {
    {WM_DESTROY, messageFromLateBeforeHook | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)StaticWindowProc},
    {WM_DESTROY, messageFromBeforeHook | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)StaticWindowProc},
    {WM_DESTROY, messageFromOwnProcedure | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)StaticWindowProc},
    {WM_DESTROY, messageFromLateAfterHook | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)StaticWindowProc},
    {WM_DESTROY, messageFromAfterHook | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)scriptedProcedure},
};

// A point in the middle of the caption of a window at (100, 100).
static const LPARAM captionMiddle = screenPoint(250, 200);

// A hit test the striped caption overrides: the own procedure's answer is
// replaced before the after-message hooks see the result.
static const ExpectedMessage hitTestOverriddenSeq[] = {
    {WM_NCHITTEST, messageFromLateBeforeHook | matchLParam, 0, captionMiddle},
    {WM_NCHITTEST, messageFromBeforeHook | matchLParam, 0, captionMiddle},
    {WM_NCHITTEST, messageFromOwnProcedure | matchResult, 0, captionMiddle, NULL, HTCLOSE},
    {WM_NCHITTEST, messageFromLateAfterHook | matchResult, 0, captionMiddle, NULL, HTCAPTION},
    {WM_NCHITTEST, messageFromAfterHook | matchResult, 0, captionMiddle, NULL, HTCAPTION},
};

// A message posted to the window reaches StaticWindowProc without passing
// the hooks.
static const ExpectedMessage postedMessageSeq[] = {
    {WM_USER + 9, messageFromOwnProcedure | matchWParam | matchLParam | matchSnapshot, 3, 4, NULL, 0,
     (LONG_PTR)StaticWindowProc},
};

TEST_F(StaticWindowProcTest, CreationRunsTheBeforeHookThenStaticWindowProcThenTheAfterHook)
{
    setMessageSnapshot(windowProcedureOf);
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(w != NULL);
    EXPECT_SEQUENCE_OF(createWindowSeq, w, messageSourceMask, {WM_CREATE});

    clearMessageLog();
    DestroyWindow(w);
    EXPECT_SEQUENCE_OF(destroyWindowSeq, w, messageSourceMask, {WM_DESTROY});
}

// A message the own procedure is scripted to answer, and what it is sent with.
struct ScriptedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

// Sends the message with its answer scripted: the answer comes back, and the
// own procedure got the message once, as it was sent.
static void expectOwnProcedureAnswers(HWND w, const ScriptedMessage &c, const char *why = "")
{
    SCOPED_TRACE(c.message);
    clearScript();
    scriptMessage(c.message, c.result);
    clearMessageLog();
    EXPECT_EQ(c.result, SendMessageA(w, c.message, c.wParam, c.lParam)) << why;
    EXPECT_SEQUENCE(withMessage(ownProcedureGetsOneSeq, c.message, c.wParam, c.lParam), w, messageFromOwnProcedure);
}

// The part of StaticWindowProc after the window's own procedure has run
// before the after-message hooks: they already see its result.
TEST_F(StaticWindowProcTest, ItsWorkAfterTheOwnProcedureIsDoneBeforeTheAfterHooks)
{
    Settings.skinScrollBars = 1;
    Settings.macButtons = 1;
    scriptMessage(WM_NCHITTEST, HTCLOSE);
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    clearMessageLog();
    EXPECT_EQ(HTCAPTION, SendMessageA(w, WM_NCHITTEST, 0, captionMiddle));
    EXPECT_SEQUENCE_OF(hitTestOverriddenSeq, w, messageSourceMask, {WM_NCHITTEST});
}

TEST_F(StaticWindowProcTest, UnclaimedMessagesReachTheOwnProcedureUnchanged)
{
    HWND w = createScripted(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const ScriptedMessage cases[] = {
        {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 7), 0x5150},
        {WM_USER + 5, 0x12345678, (LPARAM)0x9ABCDEF0, (LRESULT)0xFEDCBA98},
        {WM_APP + 1, 0xFFFFFFFF, -1, -1},
        {WM_TIMER, 17, 0, 0},
        {WM_KEYDOWN, VK_NEXT, 0x01510001, 3},
        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(100, 50), 9},
    };
    for (const ScriptedMessage &c : cases) expectOwnProcedureAnswers(w, c);
}

TEST_F(StaticWindowProcTest, PostedMessagesReachItWithoutTheHooks)
{
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    pumpMessages();
    scriptMessage(WM_USER + 9, 0);
    setMessageSnapshot(windowProcedureOf);
    clearMessageLog();
    PostMessageA(w, WM_USER + 9, 3, 4);
    pumpMessages();
    EXPECT_SEQUENCE(postedMessageSeq, w, messageSourceMask);
}

TEST_F(StaticWindowProcTest, WindowWithoutSlotGoesToItsClassProcedure)
{
    Settings.subclassWindows = 0;
    HWND w = createScripted(WS_OVERLAPPEDWINDOW);
    Settings.subclassWindows = 1;
    ASSERT_EQ(-1, findWindowSlot(w));
    SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)StaticWindowProc);
    Settings.skinScrollBars = 1;
    Settings.macButtons = 1;
    Settings.roundedWindows = 1;

    static HWND handles[windowTableSlots];
    static WNDPROC procs[windowTableSlots];
    static int regions[windowTableSlots], rolled[windowTableSlots], heights[windowTableSlots];
    memcpy(handles, windowHandles, sizeof handles);
    memcpy(procs, previousProcs, sizeof procs);
    memcpy(regions, regionApplied, sizeof regions);
    memcpy(rolled, rolledUp, sizeof rolled);
    memcpy(heights, unrolledHeight, sizeof heights);

    const ScriptedMessage cases[] = {
        {WM_USER + 3, 1, 2, 0x77},
        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(10, 10), 5},
        {WM_NCHITTEST, 0, screenPoint(120, 105), HTCLOSE},
        {WM_NCACTIVATE, 1, 0, 0x66},
        {WM_SYSCOMMAND, 0xF1F0, 0, 0x55},
    };
    for (const ScriptedMessage &c : cases) expectOwnProcedureAnswers(w, c, "not a step ran");
    EXPECT_EQ(0, memcmp(handles, windowHandles, sizeof handles));
    EXPECT_EQ(0, memcmp(procs, previousProcs, sizeof procs));
    EXPECT_EQ(0, memcmp(regions, regionApplied, sizeof regions));
    EXPECT_EQ(0, memcmp(rolled, rolledUp, sizeof rolled));
    EXPECT_EQ(0, memcmp(heights, unrolledHeight, sizeof heights));
    SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)scriptedProcedure);
}

// A class whose own procedure is StaticWindowProc would hand messages to
// itself; the default procedure answers them instead.
TEST_F(StaticWindowProcTest, WindowWithoutSlotOfAClassOfItsOwnGetsTheDefaultProcedure)
{
    Settings.subclassWindows = 0;
    HWND w = track(CreateWindowExA(0, windowClass("VarnelStaticClass", StaticWindowProc), "Own title", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                                   NULL, NULL, GetModuleHandleA(NULL), NULL));
    Settings.subclassWindows = 1;
    ASSERT_TRUE(w != NULL) << "WM_NCCREATE answered by the default procedure";
    char title[40] = "";
    EXPECT_EQ(9, SendMessageA(w, WM_GETTEXT, sizeof title, (LPARAM)title));
    EXPECT_STREQ("Own title", title);
    DestroyWindow(w);
    UnregisterClassA("VarnelStaticClass", GetModuleHandleA(NULL));
}

// The hit-test override of the striped caption (skinScrollBars and
// macButtons both on).
struct HitCase {
    const char *why;
    int windowX, windowY;
    DWORD style;
    CaptionSpot spot;
    LRESULT own;
    LRESULT expected;
    int skin, mac;
};

TEST_F(StaticWindowProcTest, HitTestOverrideTurnsCaptionEndsAndButtonsIntoCaption)
{
    const DWORD full = WS_OVERLAPPEDWINDOW;
    const HitCase cases[] = {
        {"left end", 100, 100, full, {false, 5, 5, 0}, HTSYSMENU, HTCAPTION, 1, 1},
        {"left + 21", 100, 100, full, {false, 21, 5, 0}, HTSYSMENU, HTCAPTION, 1, 1},
        {"left + 22 is past the end", 100, 100, full, {false, 22, 5, 0}, HTSYSMENU, HTSYSMENU, 1, 1},
        {"right - 43", 100, 100, full, {true, 43, 5, 0}, HTCLIENT, HTCAPTION, 1, 1},
        {"right - 44 is past the end", 100, 100, full, {true, 44, 5, 0}, HTCLIENT, HTCLIENT, 1, 1},
        {"last row of the band", 100, 100, full, {false, 5, -1, 1}, HTLEFT, HTCAPTION, 1, 1},
        {"first row below the band", 100, 100, full, {false, 5, 0, 1}, HTLEFT, HTLEFT, 1, 1},
        {"close button anywhere", 100, 100, full, {false, 150, 100, 0}, HTCLOSE, HTCAPTION, 1, 1},
        {"minimise button", 100, 100, full, {false, 150, 100, 0}, HTMINBUTTON, HTCAPTION, 1, 1},
        {"maximise button", 100, 100, full, {false, 150, 100, 0}, HTMAXBUTTON, HTCAPTION, 1, 1},
        {"client area", 100, 100, full, {false, 150, 100, 0}, HTCLIENT, HTCLIENT, 1, 1},
        {"help button stays", 100, 100, full, {false, 150, 5, 0}, HTHELP, HTHELP, 1, 1},
        {"error stays", 100, 100, full, {false, 150, 100, 0}, HTERROR, HTERROR, 1, 1},
        {"uncaptioned: ends stay", 100, 100, WS_POPUP | WS_DLGFRAME, {false, 5, 5, 0}, HTBORDER, HTBORDER, 1, 1},
        {"uncaptioned: close still", 100, 100, WS_POPUP | WS_BORDER, {false, 50, 50, 0}, HTCLOSE, HTCAPTION, 1, 1},
        {"skinScrollBars off", 100, 100, full, {false, 5, 5, 0}, HTCLOSE, HTCLOSE, 0, 1},
        {"macButtons off", 100, 100, full, {false, 5, 5, 0}, HTCLOSE, HTCLOSE, 1, 0},
        {"negative x: left end", -400, 100, full, {false, 5, 5, 0}, HTSYSMENU, HTCAPTION, 1, 1},
        {"negative x: middle", -400, 100, full, {false, 100, 5, 0}, HTSYSMENU, HTSYSMENU, 1, 1},
        {"negative y: left end", 100, -100, full, {false, 5, 5, 0}, HTSYSMENU, HTCAPTION, 1, 1},
        {"negative y: below the band", 100, -100, full, {false, 5, 0, 1}, HTSYSMENU, HTSYSMENU, 1, 1},
    };
    ASSERT_GT(SharedResources.captionHeight, 0);
    for (const HitCase &c : cases) {
        SCOPED_TRACE(c.why);
        Settings.skinScrollBars = c.skin;
        Settings.macButtons = c.mac;
        clearScript();
        scriptMessage(WM_NCHITTEST, c.own);
        HWND w = createScripted(c.style, c.windowX, c.windowY, 300, 200);
        RECT r;
        GetWindowRect(w, &r);
        ASSERT_EQ(c.windowX, r.left);
        ASSERT_EQ(c.windowY, r.top);
        clearMessageLog();
        EXPECT_EQ(c.expected, SendMessageA(w, WM_NCHITTEST, 0, captionSpotPoint(w, c.spot)));
        EXPECT_EQ(1, countMessages(w, WM_NCHITTEST, messageFromOwnProcedure));
        DestroyWindow(w);
    }
}
