// The show animation: after a window has handled WM_SHOWWINDOW with wParam 1
// the after-message hook zooms a raised, button-coloured rectangle open on
// the screen, 13 frames each followed by a sleep of animationDelay ms; menus
// and top-level windows with a caption or a system menu get it, children,
// MDI children and windows being hidden do not.
#include <gtest/gtest.h>

#include <vector>

#include "engine/settings.h"
#include "hooks/show_animation.h"
#include "support/engine_test.h"
#include "support/test_windows.h"

TEST(ZoomGeometry, FramesGrowFromTheCentreInStepsOfOneTwentyFourth)
{
    RECT w = {100, 50, 100 + 490, 50 + 250};  // dx 20 (490/24), dy 10 (250/24)
    RECT first = zoomFrameRect(w, 0);
    EXPECT_EQ(100 + 12 * 20, first.left);
    EXPECT_EQ(first.left, first.right) << "the first frame has no width";
    EXPECT_EQ(50 + 12 * 10, first.top);
    EXPECT_EQ(first.top, first.bottom);
    for (int k = 1; k < zoomFrames; k++) {
        RECT r = zoomFrameRect(w, k), previous = zoomFrameRect(w, k - 1);
        EXPECT_EQ(previous.left - 20, r.left) << k;
        EXPECT_EQ(previous.right + 20, r.right) << k;
        EXPECT_EQ(previous.top - 10, r.top) << k;
        EXPECT_EQ(previous.bottom + 10, r.bottom) << k;
    }
    RECT last = zoomFrameRect(w, 12);
    EXPECT_EQ(w.left, last.left);
    EXPECT_EQ(w.top, last.top);
    EXPECT_EQ(w.left + 480, last.right) << "24 whole steps, short of the odd pixels";
    EXPECT_EQ(w.top + 240, last.bottom);

    RECT menu = menuZoomRedrawRect(w);
    EXPECT_EQ(80, menu.left);
    EXPECT_EQ(40, menu.top);
    EXPECT_EQ(100 + 25 * 20, menu.right);
    EXPECT_EQ(50 + 25 * 10, menu.bottom);
}

TEST(ZoomGeometry, NarrowWindowsDegenerateToLinesAndPoints)
{
    RECT w = {10, 10, 33, 70};  // 23 wide: dx 0; dy 2
    for (int k = 0; k < zoomFrames; k++) {
        RECT r = zoomFrameRect(w, k);
        EXPECT_EQ(10, r.left);
        EXPECT_EQ(10, r.right);
        EXPECT_EQ(10 + (12 - k) * 2, r.top);
    }
    RECT negative = {-300, -200, -60, -80};  // dx 10, dy 5, left of the primary screen
    EXPECT_EQ(-300 + 11 * 10, zoomFrameRect(negative, 1).left);
    EXPECT_EQ(-200 + 13 * 5, zoomFrameRect(negative, 1).bottom);
}

TEST(ZoomVariants, WhichWindowsZoom)
{
    Settings.animateMenus = 1;
    Settings.animateMainWindows = 1;
    EXPECT_TRUE(menuGetsZoom("#32768", 0));
    EXPECT_FALSE(menuGetsZoom("#32768", WS_EX_MDICHILD));
    EXPECT_FALSE(menuGetsZoom("#32770", 0));
    EXPECT_FALSE(menuGetsZoom("#3276", 0));
    EXPECT_TRUE(mainWindowGetsZoom(WS_OVERLAPPEDWINDOW, 0));
    EXPECT_TRUE(mainWindowGetsZoom(WS_POPUP | WS_SYSMENU, 0));
    EXPECT_TRUE(mainWindowGetsZoom(WS_POPUP | WS_CAPTION, 0));
    EXPECT_FALSE(mainWindowGetsZoom(WS_POPUP | WS_BORDER, 0));
    EXPECT_FALSE(mainWindowGetsZoom(WS_POPUP | WS_DLGFRAME, 0));
    EXPECT_FALSE(mainWindowGetsZoom(WS_CHILD | WS_CAPTION | WS_SYSMENU, 0));
    EXPECT_FALSE(mainWindowGetsZoom(WS_POPUP | WS_CAPTION, WS_EX_MDICHILD));
    Settings.animateMenus = 0;
    Settings.animateMainWindows = 0;
    EXPECT_FALSE(menuGetsZoom("#32768", 0));
    EXPECT_FALSE(mainWindowGetsZoom(WS_OVERLAPPEDWINDOW, 0));
    Settings.animateMenus = 2;  // any value but 0 switches on
    Settings.animateMainWindows = 2;
    EXPECT_TRUE(menuGetsZoom("#32768", 0));
    EXPECT_TRUE(mainWindowGetsZoom(WS_OVERLAPPEDWINDOW, 0));
}

static double nowMs()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return c.QuadPart * 1000.0 / f.QuadPart;
}

// A hook behind the engine's in the chain: notes when the chain reached it
// with WM_SHOWWINDOW, and when the next message of that window came by.
struct ChainSeen {
    HWND window;
    WPARAM shown;
    double at;
    double nextAt;       // 0 until the window's next message
    LONG zoomsBefore;    // zooms played when the chain got the message
};
static std::vector<ChainSeen> chainSeen;

static LRESULT CALLBACK noteChainedShow(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *m = (const CWPRETSTRUCT *)lParam;
    double now = nowMs();
    for (ChainSeen &seen : chainSeen)
        if (seen.window == m->hwnd && seen.nextAt == 0) seen.nextAt = now;
    if (m->message == WM_SHOWWINDOW) chainSeen.push_back({m->hwnd, m->wParam, now, 0, showZoomsPlayed});
    return CallNextHookEx(NULL, code, wParam, lParam);
}

static int shownThroughChain(HWND window)
{
    int n = 0;
    for (const ChainSeen &c : chainSeen) n += c.window == window && c.shown == 1;
    return n;
}

// Far from where other tests put their windows: the frames are drawn on the
// screen itself.
static const int zoomX = 700, zoomY = 520, zoomW = 480, zoomH = 360;  // dx 20, dy 15
static const int delay = 40;
static const double oneVariant = zoomFrames * delay;  // ms

class ShowAnimation : public EngineTest {
protected:
    ShowAnimation() : EngineTest(engineAfterHookOnly) {}
    HHOOK behind = NULL;

    void SetUp() override
    {
        chainSeen.clear();
        // Installed before the engine's hook, so the engine's runs first and
        // chains to it.
        behind = SetWindowsHookExA(WH_CALLWNDPROCRET, noteChainedShow, NULL, GetCurrentThreadId());
        ASSERT_TRUE(behind != NULL);
        EngineTest::SetUp();
        ASSERT_EQ(1, Settings.animateWindows);
        Settings.animateMenus = 1;
        Settings.animateMainWindows = 1;
        Settings.animationDelay = delay;
        Settings.paintCaptions = 0;
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        if (behind) UnhookWindowsHookEx(behind);
    }
    HWND keep(HWND w)
    {
        EXPECT_TRUE(w != NULL);
        return track(w);
    }
    HWND hiddenWindow(DWORD style, DWORD exStyle = 0, const char *className = NULL, HWND parent = NULL)
    {
        return keep(CreateWindowExA(exStyle, className ? className : recordingClass(), "Zoom", style, zoomX, zoomY,
                                    zoomW, zoomH, parent, NULL, GetModuleHandleA(NULL), NULL));
    }
    // How long showing (or hiding) the window takes, in ms; the zooms it
    // played are left in lastZooms.
    double timeShow(HWND w, int command = SW_SHOWNA)
    {
        const LONG before = showZoomsPlayed;
        double start = nowMs();
        ShowWindow(w, command);
        double ms = nowMs() - start;
        lastZooms = showZoomsPlayed - before;
        return ms;
    }
    int zoomsShowing(HWND w, int command = SW_SHOWNA)
    {
        timeShow(w, command);
        return lastZooms;
    }
    int lastZooms = 0;
};


// From the chain's WM_SHOWWINDOW to the window's next message, the engine's
// hook runs only the zoom: 13 sleeps and the drawing between them.
TEST_F(ShowAnimation, OneZoomIsThirteenSleepsOfTheDelay)
{
    HWND w = hiddenWindow(WS_OVERLAPPEDWINDOW);
    double ms = timeShow(w);
    ASSERT_EQ(1u, chainSeen.size());
    ASSERT_GT(chainSeen[0].nextAt, 0);
    double zoom = chainSeen[0].nextAt - chainSeen[0].at;
    EXPECT_GE(zoom, oneVariant * 0.97) << "13 sleeps, not 12 (" << 12 * delay << " ms)";
    EXPECT_GE(ms, zoom);
    EXPECT_EQ(1, lastZooms);

    // A much shorter delay, so that even a loaded machine shows the change.
    Settings.animationDelay = 4;
    ShowWindow(w, SW_HIDE);
    chainSeen.clear();
    double shorter = timeShow(w);
    ASSERT_EQ(1u, chainSeen.size());
    EXPECT_GE(chainSeen[0].nextAt - chainSeen[0].at, zoomFrames * 4 * 0.97);
    EXPECT_LT(shorter, oneVariant * 0.8) << "the delay is the setting's";
}

struct VariantCase {
    const char *what;
    const char *className;  // NULL: the recording class
    DWORD style;
    DWORD exStyle;
    int menus, mainWindows;  // the two settings
    int zooms;
};

static const VariantCase variantCases[] = {
    {"menu", "#32768", WS_POPUP, 0, 1, 1, 1},
    {"menu, menus off", "#32768", WS_POPUP, 0, 0, 1, 0},
    {"menu with a system menu: both zooms", "#32768", WS_POPUP | WS_SYSMENU, 0, 1, 1, 2},
    {"captioned top-level window", NULL, WS_OVERLAPPEDWINDOW, 0, 1, 1, 1},
    {"captioned top-level window, main windows off", NULL, WS_OVERLAPPEDWINDOW, 0, 1, 0, 0},
    {"system menu without caption", NULL, WS_POPUP | WS_SYSMENU, 0, 0, 1, 1},
    {"caption without system menu", NULL, WS_POPUP | WS_CAPTION, 0, 0, 1, 1},
    {"border only", NULL, WS_POPUP | WS_BORDER, 0, 1, 1, 0},
    {"dialog frame only", NULL, WS_POPUP | WS_DLGFRAME, 0, 1, 1, 0},
    {"tool window with caption", NULL, WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, 1, 1, 1},
};

TEST_F(ShowAnimation, MenusAndCaptionedOrSystemMenuTopLevelWindowsZoom)
{
    for (const VariantCase &c : variantCases) {
        SCOPED_TRACE(c.what);
        Settings.animateMenus = c.menus;
        Settings.animateMainWindows = c.mainWindows;
        HWND w = hiddenWindow(c.style, c.exStyle, c.className);
        double ms = timeShow(w);
        EXPECT_EQ(c.zooms, lastZooms);
        // A loaded machine only makes the show longer: the sleeps of every
        // zoom played are in it.
        EXPECT_GE(ms, c.zooms * oneVariant * 0.97) << ms << " ms";
        ShowWindow(w, SW_HIDE);
    }
}

TEST_F(ShowAnimation, ChildrenAndMdiChildrenNeverZoom)
{
    HWND frame = hiddenWindow(WS_OVERLAPPEDWINDOW);
    HWND child = keep(CreateWindowExA(0, recordingClass(), "Child", WS_CHILD | WS_CAPTION | WS_SYSMENU, 0, 0, 200,
                                      150, frame, NULL, NULL, NULL));
    EXPECT_EQ(0, zoomsShowing(child));
    EXPECT_EQ(1, shownThroughChain(child));

    CLIENTCREATESTRUCT ccs = {NULL, 1000};
    HWND client = keep(CreateWindowExA(0, "MDICLIENT", NULL, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 400,
                                       300, frame, NULL, NULL, &ccs));
    ASSERT_TRUE(client != NULL);
    MDICREATESTRUCTA mcs = {};
    mcs.szClass = recordingClass("VarnelMdiChild");
    mcs.szTitle = "MDI child";
    mcs.x = mcs.y = 0;
    mcs.cx = 240;
    mcs.cy = 200;
    mcs.style = WS_OVERLAPPEDWINDOW;
    const LONG before = showZoomsPlayed;
    HWND mdiChild = (HWND)SendMessageA(client, WM_MDICREATE, 0, (LPARAM)&mcs);
    ASSERT_TRUE(mdiChild != NULL);
    ASSERT_TRUE(GetWindowLongA(mdiChild, GWL_EXSTYLE) & WS_EX_MDICHILD);
    EXPECT_GE(shownThroughChain(mdiChild), 1) << "the MDI child was shown";
    EXPECT_EQ(0, showZoomsPlayed - before);

    // A menu marked as an MDI child is left alone too.
    HWND menu = hiddenWindow(WS_POPUP, 0, "#32768");
    SetWindowLongA(menu, GWL_EXSTYLE, GetWindowLongA(menu, GWL_EXSTYLE) | WS_EX_MDICHILD);
    ASSERT_TRUE(GetWindowLongA(menu, GWL_EXSTYLE) & WS_EX_MDICHILD);
    EXPECT_EQ(0, zoomsShowing(menu));
}

TEST_F(ShowAnimation, ChainRunsFirstAndHidingDrawsNothing)
{
    HWND w = hiddenWindow(WS_OVERLAPPEDWINDOW);
    const LONG before = showZoomsPlayed;
    ShowWindow(w, SW_SHOWNA);
    double end = nowMs();
    ASSERT_EQ(1u, chainSeen.size());
    EXPECT_EQ(w, chainSeen[0].window);
    EXPECT_EQ(1u, chainSeen[0].shown);
    EXPECT_EQ(before, chainSeen[0].zoomsBefore) << "the chain ran before the frames";
    EXPECT_EQ(before + 1, showZoomsPlayed);
    EXPECT_GE(end - chainSeen[0].at, oneVariant * 0.97);

    chainSeen.clear();
    EXPECT_EQ(0, zoomsShowing(w, SW_HIDE));
    ASSERT_EQ(1u, chainSeen.size());
    EXPECT_EQ(0u, chainSeen[0].shown);
}

TEST_F(ShowAnimation, SwitchedOffNothingRuns)
{
    Settings.animateWindows = 0;
    HWND w = hiddenWindow(WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(0, zoomsShowing(w));
    EXPECT_EQ(1u, chainSeen.size()) << "the message still goes down the chain";
}

// The frames on the screen: a second thread watches points on the window's
// centre line, point j just inside the left edge of frame j and outside
// frame j - 1, and notes when each turns the button face colour. The window
// is not visible yet while WM_SHOWWINDOW is handled, so the screen there
// shows what lay under it.
struct ScreenWatch {
    volatile LONG stop;
    volatile LONG rounds;
    COLORREF face;
    POINT points[zoomFrames];  // 1..12 used
    double firstSeen[zoomFrames];
    POINT outside;
    int outsideTurned;
};

static DWORD WINAPI watchScreen(LPVOID arg)
{
    ScreenWatch *watch = (ScreenWatch *)arg;
    HWND desktop = GetDesktopWindow();
    HDC screen = GetWindowDC(desktop);
    while (!watch->stop) {
        for (int j = 1; j < zoomFrames; j++) {
            if (watch->firstSeen[j] == 0 &&
                (GetPixel(screen, watch->points[j].x, watch->points[j].y) & 0xFFFFFF) == watch->face)
                watch->firstSeen[j] = nowMs();
        }
        if ((GetPixel(screen, watch->outside.x, watch->outside.y) & 0xFFFFFF) == watch->face)
            watch->outsideTurned = 1;
        InterlockedIncrement(&watch->rounds);
        Sleep(1);
    }
    ReleaseDC(desktop, screen);
    return 0;
}

TEST_F(ShowAnimation, FramesGrowOnTheScreenOneStepPerDelay)
{
    const int dx = zoomW / zoomDivisions, dy = zoomH / zoomDivisions;
    static ScreenWatch watch;
    watch = ScreenWatch();
    watch.face = GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
    for (int j = 1; j < zoomFrames; j++)
        watch.points[j] = {zoomX + (12 - j) * dx + 5, zoomY + 12 * dy};
    watch.outside = {zoomX - 6, zoomY + 12 * dy};

    // Whatever earlier zooms left there is covered with another colour.
    HWND desktop = GetDesktopWindow();
    HDC screen = GetWindowDC(desktop);
    HBRUSH other = CreateSolidBrush(watch.face ^ 0xFFFFFF);
    RECT area = {zoomX - 20, zoomY - 20, zoomX + zoomW + 20, zoomY + zoomH + 20};
    FillRect(screen, &area, other);
    DeleteObject(other);
    ReleaseDC(desktop, screen);

    HWND w = hiddenWindow(WS_OVERLAPPEDWINDOW);
    HANDLE thread = CreateThread(NULL, 0, watchScreen, &watch, 0, NULL);
    while (watch.rounds < 2) Sleep(1);
    for (int j = 1; j < zoomFrames; j++) ASSERT_EQ(0, watch.firstSeen[j]) << "point " << j << " before the zoom";
    double start = nowMs();
    ShowWindow(w, SW_SHOWNA);
    InterlockedExchange(&watch.stop, 1);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);

    for (int j = 1; j < zoomFrames; j++) {
        SCOPED_TRACE(testing::Message() << "frame " << j);
        ASSERT_GT(watch.firstSeen[j], 0);
        // Frame j is drawn after j sleeps.
        EXPECT_GE(watch.firstSeen[j] - start, (j - 1) * delay);
        if (j > 1) EXPECT_GE(watch.firstSeen[j], watch.firstSeen[j - 1]);
    }
    EXPECT_GE(watch.firstSeen[12] - watch.firstSeen[1], 10 * delay) << "one frame per delay";
    EXPECT_FALSE(watch.outsideTurned) << "nothing drawn outside the window's rectangle";
}
