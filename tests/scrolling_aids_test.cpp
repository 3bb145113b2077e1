// Scrolling aids: Page Up/Down keys and page requests of scroll bars reach
// the window as runs of line steps of about one page, and the black boxes
// over the vertical scroll arrows are painted around the window's own
// handling.
#include <gtest/gtest.h>

#include <vector>

#include "engine/settings.h"
#include "engine/window_table.h"
#include "subclass/scrolling_aids.h"
#include "subclass/static_window_proc.h"
#include "support/engine_test.h"
#include "support/message_log.h"
#include "support/pixels.h"
#include "support/settings_file.h"
#include "support/test_windows.h"

TEST(PageStepCount, OneLessThanThePageWithinOneTo200ElseTwelve)
{
    struct Case {
        UINT nPage;
        int steps;
    } cases[] = {
        {0, 12}, {1, 12}, {2, 1}, {3, 2}, {10, 9}, {13, 12}, {14, 13},
        {200, 199}, {201, 200}, {202, 12}, {1000, 12}, {0x80000000u, 12}, {0xFFFFFFFFu, 12},
    };
    for (const Case &c : cases) EXPECT_EQ(c.steps, pageStepCount(c.nPage)) << "nPage " << c.nPage;
}

// What the own procedure answers to the messages these tests send, so a
// result that comes back from it is told apart from the engine's 0.
static const LRESULT ownScrollResult = 0x77;

static LRESULT CALLBACK scrollTestProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_VSCROLL || message == WM_HSCROLL) {
        recordMessage(window, message, wParam, lParam, messageFromOwnProcedure);
        return ownScrollResult;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static const char *scrollClass(const char *name) { return windowClass(name, scrollTestProcedure); }

static void setPage(HWND window, int bar, UINT page)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = 1000;
    info.nPage = page;
    SetScrollInfo(window, bar, &info, FALSE);
}

// The own procedure's log of one window as the expected run of line steps.
static std::string expectLineSteps(HWND window, UINT message, WPARAM request, LPARAM lParam, int count)
{
    std::vector<ExpectedMessage> steps(count,
                                       {message, messageFromOwnProcedure | matchWParam | matchLParam, request, lParam});
    return compareMessageLog(steps, window, messageFromOwnProcedure);
}

// A Page Down key as the system sends it: repeat count 1, scan code 0x51.
static const LPARAM pageDownKeyData = 0x01510001;
static const LPARAM pageUpKeyData = 0x01490001;

class PagedScrolling : public FeatureOnTest {
protected:
    PagedScrolling() : FeatureOnTest("pageKeyScroll", &SettingsRecord::pageKeyScroll) {}
    HWND scrollWindow(DWORD style, const char *className = "VarnelScrollTest")
    {
        HWND w = track(createTestWindow(style | WS_POPUP, 0, 200, 150, "Scroll", scrollClass(className)));
        subclassIntoTable(w, StaticWindowProc);
        return w;
    }
};

TEST_F(PagedScrolling, PageDownWithPageTenBecomesNineLineDownsAndNoKey)
{
    HWND w = scrollWindow(WS_VSCROLL);
    setPage(w, SB_VERT, 10);
    clearMessageLog();
    EXPECT_EQ(0, SendMessageA(w, WM_KEYDOWN, VK_NEXT, pageDownKeyData));
    EXPECT_EQ("", expectLineSteps(w, WM_VSCROLL, SB_LINEDOWN, 0, 9));
    EXPECT_EQ(0, countMessages(w, WM_KEYDOWN, messageFromOwnProcedure));
}

TEST_F(PagedScrolling, StepCountFollowsTheVerticalPage)
{
    struct Case {
        DWORD style;
        UINT page;
        WPARAM key;
        WPARAM request;
        int steps;
    } cases[] = {
        {0, 0, VK_PRIOR, SB_LINEUP, 12},             // no bar at all
        {WS_VSCROLL, 201, VK_NEXT, SB_LINEDOWN, 200},
        {WS_VSCROLL, 202, VK_PRIOR, SB_LINEUP, 12},
        {WS_VSCROLL, 2, VK_PRIOR, SB_LINEUP, 1},
        {WS_VSCROLL | WS_HSCROLL, 30, VK_NEXT, SB_LINEDOWN, 29},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "page " << c.page);
        HWND w = scrollWindow(c.style);
        if (c.style & WS_VSCROLL) setPage(w, SB_VERT, c.page);
        if (c.style & WS_HSCROLL) setPage(w, SB_HORZ, 7);
        clearMessageLog();
        EXPECT_EQ(0, SendMessageA(w, WM_KEYDOWN, c.key, c.key == VK_NEXT ? pageDownKeyData : pageUpKeyData));
        EXPECT_EQ("", expectLineSteps(w, WM_VSCROLL, c.request, 0, c.steps));
    }
}

TEST_F(PagedScrolling, PageRequestsOfBarsBecomeLineRequestsWithTheirLParam)
{
    HWND w = scrollWindow(WS_VSCROLL | WS_HSCROLL);
    setPage(w, SB_VERT, 10);
    setPage(w, SB_HORZ, 5);
    HWND bar = CreateWindowExA(0, "ScrollBar", NULL, WS_CHILD | SBS_VERT, 0, 0, 16, 100, w, NULL, NULL, NULL);
    ASSERT_TRUE(bar != NULL);
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        WPARAM line;
        int steps;
    } cases[] = {
        {WM_VSCROLL, SB_PAGEDOWN, 0, SB_LINEDOWN, 9},
        {WM_VSCROLL, SB_PAGEUP, (LPARAM)bar, SB_LINEUP, 9},
        {WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 33), 0, SB_LINEUP, 9},  // only the low word is the request
        {WM_HSCROLL, SB_PAGERIGHT, 0, SB_LINERIGHT, 4},
        {WM_HSCROLL, SB_PAGELEFT, (LPARAM)bar, SB_LINELEFT, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.message << " " << c.wParam);
        clearMessageLog();
        EXPECT_EQ(0, SendMessageA(w, c.message, c.wParam, c.lParam));
        EXPECT_EQ("", expectLineSteps(w, c.message, c.line, c.lParam, c.steps));
    }
}

// Everything but page requests and page keys reaches the own procedure once,
// unchanged, and its result comes back.
static void expectPassedOn(HWND w, UINT message, WPARAM wParam, LPARAM lParam)
{
    SCOPED_TRACE(testing::Message() << std::hex << "message " << message << " wParam " << wParam);
    clearMessageLog();
    EXPECT_EQ(ownScrollResult, SendMessageA(w, message, wParam, lParam));
    EXPECT_SEQUENCE(withMessage(ownProcedureGetsOneSeq, message, wParam, lParam), w, messageFromOwnProcedure);
}

TEST_F(PagedScrolling, OtherRequestsAndKeysArePassedOn)
{
    HWND w = scrollWindow(WS_VSCROLL);
    setPage(w, SB_VERT, 10);
    for (WPARAM request : {SB_LINEUP, SB_LINEDOWN, SB_THUMBTRACK, SB_THUMBPOSITION, SB_TOP, SB_BOTTOM,
                           SB_ENDSCROLL}) {
        expectPassedOn(w, WM_VSCROLL, MAKEWPARAM(request, 40), 0);
        expectPassedOn(w, WM_HSCROLL, request, 0);
    }
    for (WPARAM key : {VK_DOWN, VK_UP, VK_HOME, VK_END, VK_SPACE}) expectPassedOn(w, WM_KEYDOWN, key, 0x00010001);
}

TEST_F(PagedScrolling, ExcludedClassesGetPagesUnchanged)
{
    for (const char *excluded : {"HTML_Internet Explorer", "DALICLASSWND"}) {
        SCOPED_TRACE(excluded);
        HWND w = scrollWindow(WS_VSCROLL, excluded);
        setPage(w, SB_VERT, 10);
        expectPassedOn(w, WM_KEYDOWN, VK_NEXT, pageDownKeyData);
        expectPassedOn(w, WM_KEYDOWN, VK_PRIOR, pageUpKeyData);
        expectPassedOn(w, WM_VSCROLL, SB_PAGEDOWN, 0);
        expectPassedOn(w, WM_HSCROLL, SB_PAGELEFT, 0);
    }
    // A name that only starts like an excluded one is not excluded.
    HWND lookalike = scrollWindow(WS_VSCROLL, "DALICLASSWND2");
    setPage(lookalike, SB_VERT, 10);
    clearMessageLog();
    EXPECT_EQ(0, SendMessageA(lookalike, WM_KEYDOWN, VK_NEXT, pageDownKeyData));
    EXPECT_EQ("", expectLineSteps(lookalike, WM_VSCROLL, SB_LINEDOWN, 0, 9));
}

TEST_F(PagedScrolling, SwitchedOffPagesArePassedOn)
{
    Settings.pageKeyScroll = 0;
    HWND w = scrollWindow(WS_VSCROLL);
    setPage(w, SB_VERT, 10);
    expectPassedOn(w, WM_KEYDOWN, VK_NEXT, pageDownKeyData);
    expectPassedOn(w, WM_VSCROLL, SB_PAGEUP, 0);
}

// The line steps are sent, not called: each one comes back through the
// engine's procedure and the hooks of the thread.
TEST_F(PagedScrolling, LineStepsAreSentMessages)
{
    HWND w = scrollWindow(WS_VSCROLL);
    setPage(w, SB_VERT, 4);
    installRecordingHooks();
    clearMessageLog();
    SendMessageA(w, WM_KEYDOWN, VK_NEXT, pageDownKeyData);
    removeRecordingHooks();
    EXPECT_EQ(3, countMessages(w, WM_VSCROLL, messageFromBeforeHook));
    EXPECT_EQ(3, countMessages(w, WM_VSCROLL, messageFromAfterHook));
    EXPECT_EQ(3, countMessages(w, WM_VSCROLL, messageFromOwnProcedure));
}

// Black boxes: the own procedure notes whether the boxes are already there
// when it starts, and then paints its whole window white, so black found
// afterwards was painted after it returned.
struct BoxProbe {
    UINT message = 0;
    int calls = 0;
    int blackAtEntry = 0;
};
static BoxProbe boxProbe;
static const LRESULT ownBoxResult = 0x66;

static RECT topBox(HWND w)
{
    RECT c;
    GetClientRect(w, &c);
    RECT r = {c.right + 2, 2, c.right + 17, 17};
    return r;
}

static RECT bottomBox(HWND w)
{
    RECT c;
    GetClientRect(w, &c);
    RECT r = {c.right + 2, c.bottom - 14, c.right + 17, c.bottom + 1};
    return r;
}

static POINT centreOf(const RECT &r)
{
    POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return p;
}

static void paintWindowWhite(HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    OffsetRect(&r, -r.left, -r.top);
    HDC dc = GetWindowDC(w);
    FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    ReleaseDC(w, dc);
}

static LRESULT CALLBACK boxTestProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == boxProbe.message) {
        boxProbe.calls++;
        HDC dc = GetWindowDC(window);
        // The boxes' top-left pixels lie inside the window even when the
        // boxes reach past its right edge.
        RECT top = topBox(window), bottom = bottomBox(window);
        boxProbe.blackAtEntry = plainColour(GetPixel(dc, top.left, top.top)) == RGB(0, 0, 0) &&
                                plainColour(GetPixel(dc, bottom.left, bottom.top)) == RGB(0, 0, 0);
        ReleaseDC(window, dc);
        if (message == WM_NCPAINT) DefWindowProcA(window, message, wParam, lParam);
        paintWindowWhite(window);
        return ownBoxResult;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class ArrowBoxes : public PagedScrolling {
protected:
    void SetUp() override
    {
        PagedScrolling::SetUp();
        Settings.pageKeyScroll = 0;
        Settings.scrollBarBlackBoxes = 1;
    }
    HWND boxWindow(DWORD style)
    {
        // A control-like window: a two-pixel client edge around the bar.
        HWND w = createTestWindow(style | WS_POPUP | WS_VISIBLE, WS_EX_CLIENTEDGE, 200, 150, "Boxes",
                                  windowClass("VarnelBoxTest", boxTestProcedure));
        track(w);
        pumpMessages();
        subclassIntoTable(w, StaticWindowProc);
        return w;
    }
};

struct BoxCase {
    const char *what;
    DWORD style;
    UINT message;
    WPARAM wParam;
    int boxed;
};

static const BoxCase boxCases[] = {
    {"non-client paint", WS_VSCROLL, WM_NCPAINT, 1, 1},
    {"line up", WS_VSCROLL, WM_VSCROLL, SB_LINEUP, 1},
    {"line down", WS_VSCROLL, WM_VSCROLL, SB_LINEDOWN, 1},
    {"page down", WS_VSCROLL, WM_VSCROLL, SB_PAGEDOWN, 0},
    {"line down with a position", WS_VSCROLL, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 5), 0},
    {"mouse over the bar", WS_VSCROLL, WM_NCMOUSEMOVE, HTVSCROLL, 1},
    {"mouse over the caption", WS_VSCROLL, WM_NCMOUSEMOVE, HTCAPTION, 0},
    {"no vertical bar", WS_HSCROLL, WM_NCPAINT, 1, 0},
    {"scroll-bar control bit", SBS_VERT, WM_NCPAINT, 1, 1},
};

TEST_F(ArrowBoxes, PaintedBeforeAndAfterTheOwnHandlingWhichGivesTheResult)
{
    for (const BoxCase &c : boxCases) {
        SCOPED_TRACE(c.what);
        HWND w = boxWindow(c.style);
        paintWindowWhite(w);
        boxProbe = BoxProbe();
        boxProbe.message = c.message;
        EXPECT_EQ(ownBoxResult, SendMessageA(w, c.message, c.wParam, 0));
        boxProbe.message = 0;
        EXPECT_EQ(1, boxProbe.calls);
        EXPECT_EQ(c.boxed, boxProbe.blackAtEntry);

        WindowPixels after(w);
        const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
        COLORREF boxColour = c.boxed ? black : white;
        // Without a vertical bar the boxes reach past the window's right
        // edge: only the points inside the window are looked at.
        int looked = 0;
        auto expectAt = [&](int x, int y, COLORREF colour, const char *where) {
            if (x < 0 || y < 0 || x >= after.width() || y >= after.height()) return;
            looked++;
            EXPECT_EQ(colour, plainColour(after.at(x, y))) << where << " at " << x << "," << y;
        };
        for (const RECT &box : {topBox(w), bottomBox(w)}) {
            expectAt(box.left, box.top, boxColour, "box corner");
            expectAt(box.right - 1, box.bottom - 1, boxColour, "box corner");
            expectAt(centreOf(box).x, centreOf(box).y, boxColour, "box centre");
            expectAt(box.left - 1, box.top, white, "left of the box");
        }
        expectAt(topBox(w).left, (topBox(w).bottom + bottomBox(w).top) / 2, white, "between the boxes");
        EXPECT_GE(looked, 5);
    }
}

TEST_F(ArrowBoxes, SwitchedOffNothingIsPainted)
{
    Settings.scrollBarBlackBoxes = 0;
    HWND w = boxWindow(WS_VSCROLL);
    paintWindowWhite(w);
    boxProbe = BoxProbe();
    boxProbe.message = WM_VSCROLL;
    EXPECT_EQ(ownBoxResult, SendMessageA(w, WM_VSCROLL, SB_LINEDOWN, 0));
    boxProbe.message = 0;
    EXPECT_EQ(0, boxProbe.blackAtEntry);
    WindowPixels after(w);
    POINT top = centreOf(topBox(w));
    EXPECT_EQ(RGB(255, 255, 255), plainColour(after.at(top.x, top.y)));
}
