// The window shade: right clicks on the frame border of a captioned window
// (or the caption of a maximised one) roll it up to its caption and back,
// keeping its place; everything else goes to the window's own procedure.
#include <gtest/gtest.h>

#include <vector>

#include "engine/settings.h"
#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "subclass/window_shade.h"
#include "support/engine_test.h"
#include "support/message_log.h"
#include "support/test_engine.h"
#include "support/test_windows.h"

// What the window's own procedure saw of each resize: the height asked for
// before the platform applies its limits, and the shade flag at that moment.
struct ResizeSeen {
    int requestedHeight;
    int rolledUpFlag;
};
static std::vector<ResizeSeen> resizesSeen;

// When set, the window gives up its slot during its next resize and this
// window takes it, as a window destroyed in the middle of a resize leaves
// its slot to the next window subclassed.
static HWND slotTakerOnResize;

// What the own procedure answers to a right click it is given; it does not
// hand the click to DefWindowProc, whose caption handling waits for the
// button to come up.
static const LRESULT ownClickResult = 0x5A;

static LRESULT CALLBACK shadeTestProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCRBUTTONDOWN) {
        recordMessage(window, message, wParam, lParam, messageFromOwnProcedure);
        return ownClickResult;
    }
    if (message == WM_WINDOWPOSCHANGING) {
        const WINDOWPOS *pos = (const WINDOWPOS *)lParam;
        int slot = findWindowSlot(window);
        if (!(pos->flags & SWP_NOSIZE)) resizesSeen.push_back({pos->cy, slot >= 0 ? rolledUp[slot] : -1});
        if (slotTakerOnResize && slot >= 0) {
            releaseWindowSlot(window);
            subclassIntoTable(slotTakerOnResize, StaticWindowProc);
            slotTakerOnResize = NULL;
        }
    }
    LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    recordMessage(window, message, wParam, lParam, messageFromOwnProcedure);
    return result;
}

static const char *shadeTestClass() { return windowClass("VarnelShadeTest", shadeTestProcedure); }

// A captioned window that the platform lets shrink to any height: without
// WS_THICKFRAME and with WS_POPUP, DefWindowProc applies no minimum tracking
// size to SetWindowPos.
static const DWORD fixedCaptioned = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;

static LRESULT rightClick(HWND w, int hit)
{
    RECT r;
    GetWindowRect(w, &r);
    return SendMessageA(w, WM_NCRBUTTONDOWN, hit, MAKELPARAM(r.left + 1, r.top + 1));
}

class WindowShade : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_EQ(1, Settings.rightClickRollUp) << "on by default";
        // The caption painting of other steps is not what these tests watch.
        Settings.paintCaptions = 0;
        resizesSeen.clear();
        slotTakerOnResize = NULL;
    }
    HWND shadeWindow(DWORD style, int w = 300, int h = 300)
    {
        HWND window = track(createTestWindow(style, 0, w, h, "Shade", shadeTestClass()));
        subclassIntoTable(window, StaticWindowProc);
        return window;
    }
    int slotOf(HWND w) { return findWindowSlot(w); }
};

TEST(ShadeClicks, BordersOfCaptionedWindowsAndCaptionsOfMaximisedOnesToggle)
{
    const DWORD captioned = WS_OVERLAPPEDWINDOW;
    struct Case {
        DWORD style;
        int hit;
        int toggles;
    } cases[] = {
        {captioned, HTLEFT, 1},
        {captioned, HTRIGHT, 1},
        {captioned, HTTOP, 1},
        {captioned, HTBOTTOM, 1},
        {captioned, HTBORDER, 1},
        {captioned, HTTOPLEFT, 0},
        {captioned, HTTOPRIGHT, 0},
        {captioned, HTBOTTOMLEFT, 0},
        {captioned, HTBOTTOMRIGHT, 0},
        {captioned, HTCAPTION, 0},
        {captioned | WS_MAXIMIZE, HTCAPTION, 1},
        {captioned | WS_MAXIMIZE, HTLEFT, 1},
        {captioned | WS_MAXIMIZE, HTCLIENT, 0},
        {captioned, HTCLIENT, 0},
        {captioned, HTSYSMENU, 0},
        {captioned, HTCLOSE, 0},
        {WS_POPUP | WS_BORDER | WS_THICKFRAME, HTLEFT, 0},
        {WS_POPUP | WS_DLGFRAME | WS_THICKFRAME, HTLEFT, 0},
        {WS_POPUP | WS_BORDER | WS_MAXIMIZE, HTCAPTION, 0},
        {WS_CHILD | WS_CAPTION, HTBOTTOM, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << std::hex << c.style << " hit " << std::dec << c.hit);
        EXPECT_EQ(c.toggles, clickTogglesShade(c.style, c.hit));
    }
}

TEST_F(WindowShade, LeftBorderRollsUpCornerLeavesItTopUnrollsAndDetachGivesTheHeightBack)
{
    HWND w = shadeWindow(fixedCaptioned);
    int slot = slotOf(w);
    ASSERT_EQ(300, windowHeight(w));

    EXPECT_EQ(0, rightClick(w, HTLEFT));
    EXPECT_EQ(rolledUpHeight, windowHeight(w));
    EXPECT_EQ(25, windowHeight(w));
    EXPECT_EQ(1, rolledUp[slot]);
    EXPECT_EQ(300, unrolledHeight[slot]);

    EXPECT_EQ(ownClickResult, rightClick(w, HTBOTTOMRIGHT));
    EXPECT_EQ(25, windowHeight(w)) << "a corner does not toggle";
    EXPECT_EQ(1, rolledUp[slot]);

    EXPECT_EQ(0, rightClick(w, HTTOP));
    EXPECT_EQ(300, windowHeight(w));
    EXPECT_EQ(0, rolledUp[slot]);
    EXPECT_EQ(0, unrolledHeight[slot]);

    // Only the corner click reached the window's own procedure.
    EXPECT_EQ(1, countMessages(w, WM_NCRBUTTONDOWN, messageFromOwnProcedure));

    rightClick(w, HTLEFT);
    ASSERT_EQ(25, windowHeight(w));
    detachEngine();
    EXPECT_EQ(300, windowHeight(w)) << "unloading unrolls";
    EXPECT_EQ(0, rolledUp[slot]);
    ASSERT_TRUE(attachEngine(*folder));  // for TearDown's detach
}

TEST_F(WindowShade, OnlyTheHeightChangesAndTheWindowIsNotActivated)
{
    HWND other = shadeWindow(fixedCaptioned, 100, 100);
    HWND w = shadeWindow(fixedCaptioned, 320, 240);
    SetWindowPos(w, NULL, 60, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetActiveWindow(other);
    ASSERT_EQ(other, GetActiveWindow());
    HWND above = GetWindow(w, GW_HWNDPREV);
    RECT before;
    GetWindowRect(w, &before);

    rightClick(w, HTRIGHT);
    RECT rolled;
    GetWindowRect(w, &rolled);
    EXPECT_EQ(before.left, rolled.left);
    EXPECT_EQ(before.top, rolled.top);
    EXPECT_EQ(before.right, rolled.right);
    EXPECT_EQ(before.top + 25, rolled.bottom);
    // Not "other is still active": a window another test process shows may
    // take the activation meanwhile; the roll-up must only not give it to w.
    EXPECT_NE(w, GetActiveWindow());
    EXPECT_EQ(above, GetWindow(w, GW_HWNDPREV)) << "z-order kept";

    rightClick(w, HTBORDER);
    RECT back;
    GetWindowRect(w, &back);
    EXPECT_TRUE(EqualRect(&before, &back));
    EXPECT_NE(w, GetActiveWindow());
}

TEST_F(WindowShade, FlagReadsZeroDuringBothResizes)
{
    HWND w = shadeWindow(fixedCaptioned);
    rightClick(w, HTLEFT);
    ASSERT_EQ(1u, resizesSeen.size());
    EXPECT_EQ(25, resizesSeen[0].requestedHeight);
    EXPECT_EQ(0, resizesSeen[0].rolledUpFlag) << "set only after the roll-up";
    rightClick(w, HTLEFT);
    ASSERT_EQ(2u, resizesSeen.size());
    EXPECT_EQ(300, resizesSeen[1].requestedHeight);
    EXPECT_EQ(0, resizesSeen[1].rolledUpFlag) << "cleared before the unroll";
}

TEST_F(WindowShade, SlotLostDuringTheResizeIsNotWrittenFor)
{
    HWND w = shadeWindow(fixedCaptioned);
    HWND taker = createTestWindow(fixedCaptioned, 0, 200, 100, "Taker", shadeTestClass());
    track(taker);
    int slot = slotOf(w);
    slotTakerOnResize = taker;
    rightClick(w, HTLEFT);
    ASSERT_EQ(slot, slotOf(taker)) << "the new window has the slot";
    EXPECT_EQ(-1, slotOf(w));
    EXPECT_EQ(0, rolledUp[slot]) << "the new window is not rolled up";
    EXPECT_EQ(0, unrolledHeight[slot]);
}

TEST_F(WindowShade, UnrollGivesTheSavedHeightWithTheWidthOfNow)
{
    HWND w = shadeWindow(fixedCaptioned, 300, 280);
    int slot = slotOf(w);
    rightClick(w, HTBOTTOM);
    ASSERT_EQ(25, windowHeight(w));
    // Resized by other means while rolled up: still rolled up.
    SetWindowPos(w, NULL, 0, 0, 410, 60, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(1, rolledUp[slot]);
    EXPECT_EQ(280, unrolledHeight[slot]);
    rightClick(w, HTBOTTOM);
    EXPECT_EQ(280, windowHeight(w));
    EXPECT_EQ(410, windowWidth(w));
}

TEST_F(WindowShade, SizeableWindowAsksFor25AndThePlatformKeepsItsMinimumTrackingHeight)
{
    // DefWindowProc holds windows with WS_THICKFRAME (and overlapped ones) to
    // their minimum tracking size, which under Wine is more than 25.
    HWND w = shadeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    rightClick(w, HTLEFT);
    ASSERT_EQ(1u, resizesSeen.size());
    EXPECT_EQ(25, resizesSeen[0].requestedHeight);
    int expected = GetSystemMetrics(SM_CYMINTRACK) > 25 ? GetSystemMetrics(SM_CYMINTRACK) : 25;
    EXPECT_EQ(expected, windowHeight(w));
    rightClick(w, HTLEFT);
    EXPECT_EQ(300, windowHeight(w));
}

TEST_F(WindowShade, MaximisedWindowRollsUpOnItsCaption)
{
    HWND w = shadeWindow(fixedCaptioned | WS_MAXIMIZEBOX);
    ShowWindow(w, SW_MAXIMIZE);
    ASSERT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_MAXIMIZE);
    int maximisedHeight = windowHeight(w);
    int maximisedWidth = windowWidth(w);
    ASSERT_GT(maximisedHeight, 100);
    clearMessageLog();
    EXPECT_EQ(0, rightClick(w, HTCAPTION));
    EXPECT_EQ(25, windowHeight(w));
    EXPECT_EQ(maximisedWidth, windowWidth(w));
    EXPECT_EQ(0, countMessages(w, WM_NCRBUTTONDOWN, messageFromOwnProcedure));
    rightClick(w, HTCAPTION);
    EXPECT_EQ(maximisedHeight, windowHeight(w));
}

// Clicks that do not toggle reach the window's own procedure unchanged, and
// its result comes back.
TEST_F(WindowShade, OtherClicksArePassedOn)
{
    struct Case {
        DWORD style;
        int hit;
    } cases[] = {
        {fixedCaptioned, HTCAPTION},                 // not maximised
        {fixedCaptioned, HTBOTTOMRIGHT},             // a corner
        {fixedCaptioned, HTTOPLEFT},                 // a corner
        {WS_POPUP | WS_BORDER | WS_VISIBLE, HTLEFT},   // no caption
        {WS_POPUP | WS_DLGFRAME | WS_VISIBLE, HTTOP},  // half a caption
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.hit);
        HWND w = shadeWindow(c.style, 200, 150);
        int slot = slotOf(w);
        clearMessageLog();
        RECT r;
        GetWindowRect(w, &r);
        LPARAM at = MAKELPARAM(r.left + 3, r.top + 4);
        EXPECT_EQ(ownClickResult, SendMessageA(w, WM_NCRBUTTONDOWN, c.hit, at));
        EXPECT_EQ(150, windowHeight(w));
        EXPECT_EQ(0, rolledUp[slot]);
        EXPECT_SEQUENCE(withMessage(ownProcedureGetsOneSeq, WM_NCRBUTTONDOWN, c.hit, at), w, messageFromOwnProcedure);
    }
}

TEST_F(WindowShade, SwitchedOffTheClickGoesOn)
{
    Settings.rightClickRollUp = 0;
    HWND w = shadeWindow(fixedCaptioned);
    int slot = slotOf(w);
    clearMessageLog();
    EXPECT_EQ(ownClickResult, rightClick(w, HTLEFT));
    EXPECT_EQ(300, windowHeight(w));
    EXPECT_EQ(0, rolledUp[slot]);
    EXPECT_EQ(1, countMessages(w, WM_NCRBUTTONDOWN, messageFromOwnProcedure));
}

TEST_F(WindowShade, RestoreAllWindowsUnrollsWithTheCurrentWidth)
{
    HWND a = shadeWindow(fixedCaptioned, 300, 260);
    HWND b = shadeWindow(fixedCaptioned, 200, 180);
    rightClick(a, HTLEFT);
    SetWindowPos(a, NULL, 0, 0, 350, 25, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    restoreAllWindows();
    unrollAllWindows(0);
    EXPECT_EQ(260, windowHeight(a));
    EXPECT_EQ(350, windowWidth(a));
    EXPECT_EQ(180, windowHeight(b)) << "never rolled up: untouched";
}
