// The kept title strips: a repaint after any change of what a strip shows
// draws the new strip, never a stale one; the cache stays within its bound
// however many windows paint; threads take turns with it.
#include <gtest/gtest.h>

#include <vector>

#include "caption/caption_geometry.h"
#include "caption/caption_painters.h"
#include "caption/strip_cache.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "support/gdi_handles.h"
#include "support/pixels.h"
#include "support/test_engine.h"
#include "support/settings_file.h"
#include "support/test_folder.h"
#include "support/test_windows.h"

namespace {

const DWORD captioned = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

// The title area a thick-framed window with caption boxes gets.
CaptionArea titleArea(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, frameX = GetSystemMetrics(SM_CXFRAME);
    CaptionArea a;
    a.left = frameX + 2 + GetSystemMetrics(SM_CXSMICON);
    a.top = GetSystemMetrics(SM_CYFRAME);
    a.right = w - frameX - 3 * GetSystemMetrics(SM_CXSIZE);
    a.bottom = GetSystemMetrics(SM_CYCAPTION) + 3;
    a.buttonsRight = w - frameX;
    return a;
}

void paint(HWND window, int state)
{
    const CaptionArea a = titleArea(window);
    HDC dc = GetWindowDC(window);
    GradientCaptionPainter(window, dc, a.left, a.top, a.right, a.bottom, a.buttonsRight, state);
    ReleaseDC(window, dc);
}

// The caption from the title area's left to the outline's right end.
std::vector<COLORREF> captionPixels(HWND window)
{
    const CaptionArea a = titleArea(window);
    WindowPixels p(window);
    std::vector<COLORREF> out;
    for (int y = a.top; y < a.bottom; y++)
        for (int x = a.left; x < a.buttonsRight; x++) out.push_back(p.at(x, y));
    return out;
}

class StripCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.write("\\varnels\\vl.ini", settingsFileFor({{"gradientSteps", 16}}));
        ASSERT_TRUE(attachEngine(folder));
    }
    void TearDown() override
    {
        for (HWND w : windows) DestroyWindow(w);
        detachEngine();
    }
    HWND window(int width = 500, const char *title = "Kept - strip")
    {
        HWND w = createTestWindow(captioned, 0, width, 200, title);
        windows.push_back(w);
        pumpMessages();
        return w;
    }
    // What the window shows after a repaint that may come from the cache,
    // checked against a strip composed afresh.
    std::vector<COLORREF> paintAndCheckFresh(HWND w, int state)
    {
        paint(w, state);
        const std::vector<COLORREF> kept = captionPixels(w);
        freeStripCache();
        paint(w, state);
        EXPECT_EQ(captionPixels(w), kept) << "the kept strip is the strip composed afresh";
        paint(w, state);  // kept again for the next step
        return kept;
    }
    TestFolder folder{"strip-cache"};
    std::vector<HWND> windows;
};

}  // namespace

TEST_F(StripCache, EveryChangeOfWhatTheStripShowsIsPainted)
{
    HWND w = window();
    std::vector<COLORREF> before = paintAndCheckFresh(w, 1);

    SetWindowTextA(w, "Another - title");
    std::vector<COLORREF> now = paintAndCheckFresh(w, 1);
    EXPECT_NE(before, now) << "title change";
    before = now;

    Settings.gradientSteps = 4;
    SharedResources.activeStepR = gradientStep(SharedResources.activeCaptionR, 0, 4);
    now = paintAndCheckFresh(w, 1);
    EXPECT_NE(before, now) << "band count and steps";
    before = now;

    now = paintAndCheckFresh(w, 2);
    EXPECT_NE(before, now) << "activation change";
    before = now;

    SetWindowPos(w, NULL, 0, 0, 420, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    pumpMessages();
    now = paintAndCheckFresh(w, 2);
    EXPECT_NE(before.size(), now.size()) << "resize";
    before = now;

    Settings.centerCaptionText = 1;
    Settings.splitTitleFonts = 0;
    now = paintAndCheckFresh(w, 2);
    EXPECT_NE(before, now) << "centred title";
}

TEST_F(StripCache, HoldsAHandfulOfStripsHoweverManyWindowsPaint)
{
    HWND first = window(600);
    paint(first, 1);
    GdiObjectCounts before, after;
    ASSERT_TRUE(countGdiObjects(&before));
    for (int i = 0; i < 20; i++) {
        HWND w = window(300 + 10 * i);
        paint(w, 1);
        paint(w, 2);
    }
    ASSERT_TRUE(countGdiObjects(&after));
    EXPECT_LE(after.bitmaps - before.bitmaps, stripCacheEntries - 1)
        << "a bitmap per kept strip: " << gdiCountChanges(before, after);
    const CaptionArea a = titleArea(first);
    EXPECT_LE(stripCacheBytes(), stripCacheEntries * (a.right + 1 - a.left) * (a.bottom + 1 - a.top) * 4);
    EXPECT_GT(stripCacheBytes(), 0);
    freeStripCache();
    EXPECT_EQ(0, stripCacheBytes());
    ASSERT_TRUE(countGdiObjects(&after));
    EXPECT_EQ(before.bitmaps - 1, after.bitmaps) << "every kept strip freed, the first window's too";
}

namespace {

struct Painting {
    HWND window;
    int state;
    HANDLE started;
    volatile LONG done;
};

DWORD WINAPI paintOnce(LPVOID argument)
{
    Painting *p = (Painting *)argument;
    SetEvent(p->started);
    paint(p->window, p->state);
    InterlockedExchange(&p->done, 1);
    return 0;
}

}  // namespace

// A strip is never drawn while another thread composes or copies one: a
// paint waits for the cache, and the window then shows one whole strip.
TEST_F(StripCache, ThreadsTakeTurnsAndLeaveAWholeStrip)
{
    HWND w = window();
    paint(w, 1);
    const std::vector<COLORREF> active = captionPixels(w);
    paint(w, 2);
    const std::vector<COLORREF> inactive = captionPixels(w);
    ASSERT_NE(active, inactive);

    Painting p = {w, 1, CreateEventA(NULL, TRUE, FALSE, NULL), 0};
    lockStripCache();
    HANDLE thread = CreateThread(NULL, 0, paintOnce, &p, 0, NULL);
    WaitForSingleObject(p.started, 5000);
    Sleep(100);
    EXPECT_EQ(0, p.done) << "the other thread waits while the cache is taken";
    unlockStripCache();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
    EXPECT_EQ(1, p.done);
    EXPECT_EQ(active, captionPixels(w));
    CloseHandle(thread);
    CloseHandle(p.started);

    // Both states at once, many times over: whichever came last, whole.
    HANDLE threads[2];
    Painting each[2] = {{w, 1, CreateEventA(NULL, TRUE, FALSE, NULL), 0},
                        {w, 2, CreateEventA(NULL, TRUE, FALSE, NULL), 0}};
    for (int round = 0; round < 50; round++) {
        for (int i = 0; i < 2; i++) threads[i] = CreateThread(NULL, 0, paintOnce, &each[i], 0, NULL);
        WaitForMultipleObjects(2, threads, TRUE, 5000);
        for (HANDLE t : threads) CloseHandle(t);
        const std::vector<COLORREF> shown = captionPixels(w);
        ASSERT_TRUE(shown == active || shown == inactive) << "round " << round;
    }
    for (Painting &e : each) CloseHandle(e.started);
}
