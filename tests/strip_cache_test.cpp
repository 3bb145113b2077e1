// The kept title strips: a repaint after any change of what a strip shows
// draws the new strip, never a stale one; the cache stays within its bound
// however many windows paint; threads take turns with it.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "caption/caption_geometry.h"
#include "caption/caption_painters.h"
#include "caption/strip_cache.h"
#include "engine/engine_lock.h"
#include "engine/kept_drawings.h"
#include "engine/settings.h"
#include "engine/settings_snapshot.h"
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

// A strip is never drawn while another thread composes or copies it: each
// paint composes into and copies from an entry of its own, so the window
// shows whole strips. The bookkeeping's lock is all a paint waits for.
TEST_F(StripCache, ThreadsTakeTurnsAndLeaveAWholeStrip)
{
    HWND w = window();
    paint(w, 1);
    const std::vector<COLORREF> active = captionPixels(w);
    paint(w, 2);
    const std::vector<COLORREF> inactive = captionPixels(w);
    ASSERT_NE(active, inactive);

    Painting p = {w, 1, CreateEventA(NULL, TRUE, FALSE, NULL), 0};
    takeEngineLock();
    HANDLE thread = CreateThread(NULL, 0, paintOnce, &p, 0, NULL);
    WaitForSingleObject(p.started, 5000);
    Sleep(100);
    EXPECT_EQ(0, p.done) << "the other thread waits while the cache's bookkeeping is taken";
    dropEngineLock();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
    EXPECT_EQ(1, p.done);
    EXPECT_EQ(active, captionPixels(w));
    CloseHandle(thread);
    CloseHandle(p.started);

    // Both states at once, many times over: the title strip is one whole
    // strip (one copy). The outline beside it is lines drawn straight into
    // the window with no lock held, so two threads painting one window at
    // once (which real windows, painted on their own thread, never do) may
    // leave lines of both: each of its pixels is one outline's or the other's.
    const CaptionArea a = titleArea(w);
    const size_t rowWidth = (size_t)(a.buttonsRight - a.left), stripWidth = (size_t)(a.right + 1 - a.left);
    auto part = [&](const std::vector<COLORREF> &all, bool strip) {
        std::vector<COLORREF> out;
        for (size_t i = 0; i < all.size(); i++)
            if ((i % rowWidth < stripWidth) == strip) out.push_back(all[i]);
        return out;
    };
    HANDLE threads[2];
    Painting each[2] = {{w, 1, CreateEventA(NULL, TRUE, FALSE, NULL), 0},
                        {w, 2, CreateEventA(NULL, TRUE, FALSE, NULL), 0}};
    for (int round = 0; round < 50; round++) {
        for (int i = 0; i < 2; i++) threads[i] = CreateThread(NULL, 0, paintOnce, &each[i], 0, NULL);
        WaitForMultipleObjects(2, threads, TRUE, 5000);
        for (HANDLE t : threads) CloseHandle(t);
        const std::vector<COLORREF> shown = captionPixels(w);
        ASSERT_TRUE(part(shown, true) == part(active, true) || part(shown, true) == part(inactive, true))
            << "round " << round << ": the title strip";
        const std::vector<COLORREF> outline = part(shown, false), activeOutline = part(active, false),
                                    inactiveOutline = part(inactive, false);
        for (size_t i = 0; i < outline.size(); i++)
            ASSERT_TRUE(outline[i] == activeOutline[i] || outline[i] == inactiveOutline[i])
                << "round " << round << ": outline pixel " << i << " is neither state's";
    }
    for (Painting &e : each) CloseHandle(e.started);
    EXPECT_EQ(0u, engineLockOwner);
}

namespace {

StripLook lookOf(int width)
{
    StripLook look;
    memset(&look, 0, sizeof look);
    look.width = width;
    look.height = 18;
    look.bands = 4;
    return look;
}

WindowText titleOf(const char *text)
{
    WindowText t;
    memset(&t, 0, sizeof t);
    t.length = lstrlenA(text);
    lstrcpynA(t.ansi, text, windowTextSize);
    return t;
}

}  // namespace

// An entry a paint holds is that paint's alone: another paint of the same
// strip neither finds nor reuses it, and composes its own; the two never
// stay side by side once both are given back.
TEST_F(StripCache, AHeldStripIsNeitherFoundNorReusedByAnotherPaint)
{
    HWND w = window();
    const StripLook look = lookOf(200);
    const WindowText title = titleOf("Held");
    StripEntry *first = claimStrip(w, look, title);
    ASSERT_TRUE(first != NULL);
    EXPECT_TRUE(findStrip(w, look, title) == NULL) << "held by the first paint";
    StripEntry *second = claimStrip(w, look, title);
    ASSERT_TRUE(second != NULL);
    EXPECT_NE(first, second);
    EXPECT_NE(first->memory, second->memory);
    giveBackStrip(first);
    giveBackStrip(second);
    EXPECT_EQ(200 * 18 * 4, stripCacheBytes()) << "the older of the two went when the newer came back";
    StripEntry *found = findStrip(w, look, title);
    ASSERT_TRUE(found != NULL);
    EXPECT_EQ(second, found);
    giveBackStrip(found);
    EXPECT_EQ(0u, engineLockOwner);
}

// A window destroyed or an unload while a paint holds its strip: the paint
// still copies from a whole strip, and the strip goes when it is given back.
TEST_F(StripCache, AStripForgottenWhileHeldGoesWhenGivenBack)
{
    HWND w = window();
    const StripLook look = lookOf(150);
    const WindowText title = titleOf("Forgotten");
    for (int unload = 0; unload < 2; unload++) {
        StripEntry *e = claimStrip(w, look, title);
        ASSERT_TRUE(e != NULL);
        HDC memory = e->memory;
        if (unload)
            freeStripCache();
        else
            forgetStrips(w);
        EXPECT_EQ((DWORD)OBJ_MEMDC, GetObjectType(memory)) << "still the holder's" << unload;
        giveBackStrip(e);
        EXPECT_EQ(0u, GetObjectType(memory)) << "deleted when given back" << unload;
        EXPECT_EQ(0, stripCacheBytes());
        EXPECT_TRUE(findStrip(w, look, title) == NULL);
    }
}

// With every kept entry held by paints of their own, one more paint still
// gets a strip, for itself alone: it is freed when given back, and the kept
// ones stay as they were.
TEST_F(StripCache, APaintFindingEveryEntryHeldGetsAPassingStrip)
{
    std::vector<StripEntry *> held;
    const WindowText title = titleOf("Busy");
    for (int i = 0; i < stripCacheEntries; i++) {
        StripEntry *e = claimStrip(window(300 + i), lookOf(100 + i), title);
        ASSERT_TRUE(e != NULL);
        held.push_back(e);
    }
    HWND extra = window(400);
    StripEntry *passing = claimStrip(extra, lookOf(120), title);
    ASSERT_TRUE(passing != NULL);
    for (StripEntry *e : held) EXPECT_NE(e, passing);
    HDC memory = passing->memory;
    EXPECT_EQ((DWORD)OBJ_MEMDC, GetObjectType(memory));
    giveBackStrip(passing);
    EXPECT_EQ(0u, GetObjectType(memory)) << "not kept";
    EXPECT_TRUE(findStrip(extra, lookOf(120), title) == NULL);
    for (StripEntry *e : held) giveBackStrip(e);
    int kept = 0;
    for (int i = 0; i < stripCacheEntries; i++) {
        StripEntry *e = findStrip(windows[(size_t)i], lookOf(100 + i), title);
        kept += e != NULL;
        if (e) giveBackStrip(e);
    }
    EXPECT_EQ(stripCacheEntries, kept);
}

// The engine drops the kept strips whenever the fonts they were drawn with
// may go, without knowing the caption layer: the cache gave it its dropper
// before it kept its first strip.
TEST_F(StripCache, TheEngineDropsTheStripsThroughTheDropperTheCacheRegistered)
{
    HWND w = window();
    paint(w, 1);
    const int oneStrip = stripCacheBytes();
    ASSERT_GT(oneStrip, 0);
    dropKeptDrawings();
    EXPECT_EQ(0, stripCacheBytes());

    // Settings changed by hand: the next paint publishes them, the snapshot
    // it retires goes, and the strips with it; only the new one is kept.
    paint(w, 1);
    paint(w, 2);
    ASSERT_EQ(2 * oneStrip, stripCacheBytes());
    const LONG kept = settingsSnapshotsKept();
    Settings.gradientSteps = 8;
    paint(w, 1);
    EXPECT_EQ(kept, settingsSnapshotsKept()) << "the retired snapshot went";
    EXPECT_EQ(oneStrip, stripCacheBytes()) << "the strips of the retired snapshot's fonts went with it";
}
