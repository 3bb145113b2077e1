// Progress bars in the engine's look, read back from real common-control
// progress bars: where the fill ends for a position, the bitmap over the
// fill, a bar without upper limit left alone, and the paints of both hooks
// around a PBM_SETPOS.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include <windows.h>
#include <commctrl.h>

#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "hooks/after_hook_stages.h"
#include "support/pixels.h"
#include "support/skinned_controls.h"
#include "support/test_windows.h"

static COLORREF stockBrushColour(int stock)
{
    LOGBRUSH brush;
    GetObjectA(GetStockObject(stock), sizeof brush, &brush);
    return displayed(brush.lbColor);
}

static const COLORREF fillColour = 0x00FF8080;
static const COLORREF litColour = 0x00FF9696;
static const COLORREF shadedColour = 0x00FF2D2D;
static const COLORREF bitmapColour = RGB(0, 160, 0);
static const COLORREF markerColour = RGB(200, 0, 200);

static void fillWindow(HWND window, COLORREF colour)
{
    RECT r;
    GetWindowRect(window, &r);
    OffsetRect(&r, -r.left, -r.top);
    HDC dc = GetWindowDC(window);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    ReleaseDC(window, dc);
}

// The last column of a row that shows the colour, or -1.
static int lastColumnOf(const WindowPixels &p, int y, COLORREF colour)
{
    int last = -1;
    for (int x = 0; x < p.width(); x++)
        if (p.at(x, y) == colour) last = x;
    return last;
}

static int countInRow(const WindowPixels &p, int y, COLORREF colour)
{
    int n = 0;
    for (int x = 0; x < p.width(); x++) n += p.at(x, y) == colour;
    return n;
}

// The look for a fill ending at x (exclusive), no bitmap: a lit left band,
// the fill, the shaded right band at x - 2, the trough from x - 1 on.
static void expectFillEndsAt(const WindowPixels &p, int x)
{
    const int mid = p.height() / 2;
    EXPECT_EQ(displayed(litColour), p.at(0, mid));
    EXPECT_EQ(x - 3, lastColumnOf(p, mid, displayed(fillColour)));
    EXPECT_EQ(x - 3, countInRow(p, mid, displayed(fillColour))) << "columns 1 to x - 3";
    EXPECT_EQ(displayed(shadedColour), p.at(x - 2, mid));
    if (x - 1 < p.width()) EXPECT_EQ(stockBrushColour(LTGRAY_BRUSH), p.at(x - 1, mid));
    // Lit top band on row 2, shaded bottom band on the third row from the
    // bottom, the trough below it.
    EXPECT_EQ(displayed(litColour), p.at(x / 2, 2));
    EXPECT_EQ(displayed(fillColour), p.at(x / 2, 3));
    EXPECT_EQ(displayed(shadedColour), p.at(x / 2, p.height() - 3));
    EXPECT_EQ(stockBrushColour(LTGRAY_BRUSH), p.at(x / 2, p.height() - 2));
}

class ProgressBars : public SkinnedControlsTest {
protected:
    void SetUp() override
    {
        LoadLibraryA("comctl32.dll");  // registers "msctls_progress32"
        SkinnedControlsTest::SetUp();
        parent = createParent();
    }
    // The marker switches the progress look on; no vlprog.bmp.
    void prepareFolder(const TestFolder &folder) override { folder.write("\\varnels\\vlprog.ini", ""); }
    // A bar that has painted itself in its own look.
    HWND bar(int w, int low, int high, int pos, const char *className = PROGRESS_CLASSA)
    {
        HWND b = createControl(className, 0, parent, "", 20, 20, w, 20);
        EXPECT_TRUE(b != NULL);
        SendMessageA(b, PBM_SETRANGE32, low, high);
        SendMessageA(b, PBM_SETPOS, pos, 0);
        pumpMessages();
        return b;
    }
    HWND parent = NULL;
};

TEST_F(ProgressBars, FillEndsAtTheQuarterOfItsRange)
{
    ASSERT_TRUE(SharedResources.progressBitmap.handle == NULL) << "the marker without vlprog.bmp";
    HWND b = bar(100, 0, 200, 50);
    ASSERT_EQ(100, windowWidth(b));
    paintProgressBar(b);
    expectFillEndsAt(WindowPixels(b), 25);
}

TEST_F(ProgressBars, FillEndsWherePositionOverUpperLimitSays)
{
    struct Case {
        int width, low, high, pos;
    } cases[] = {{100, 0, 100, 37}, {150, 0, 7, 3}, {120, 50, 300, 200}, {90, -50, 90, 30}};
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " " << c.low << ".." << c.high << " at " << c.pos);
        HWND b = bar(c.width, c.low, c.high, c.pos);
        paintProgressBar(b);
        // The lower limit takes no part: the fill is pos / high of the width.
        expectFillEndsAt(WindowPixels(b), windowWidth(b) * c.pos / c.high);
        DestroyWindow(b);
    }
}

TEST_F(ProgressBars, PositionAtUpperLimitFillsTheFullWidth)
{
    HWND b = bar(100, 0, 40, 40);
    paintProgressBar(b);
    WindowPixels p(b);
    expectFillEndsAt(p, 100);
    EXPECT_EQ(displayed(shadedColour), p.at(98, p.height() / 2));
}

TEST_F(ProgressBars, PositionZeroKeepsOnlyTheLeftBand)
{
    HWND b = bar(100, 0, 100, 0);
    paintProgressBar(b);
    WindowPixels p(b);
    const int mid = p.height() / 2;
    EXPECT_EQ(displayed(litColour), p.at(0, mid));
    EXPECT_EQ(stockBrushColour(LTGRAY_BRUSH), p.at(1, mid));
    EXPECT_EQ(0, countInRow(p, mid, displayed(fillColour)));
}

// A zero upper limit has no proportion to draw: the control keeps whatever
// it shows, and nothing divides by zero.
TEST_F(ProgressBars, ZeroUpperLimitLeavesTheControlAlone)
{
    for (int low : {0, -10}) {
        SCOPED_TRACE(low);
        HWND b = bar(100, low, 0, low / 2);
        PBRANGE range;
        SendMessageA(b, PBM_GETRANGE, FALSE, (LPARAM)&range);
        ASSERT_EQ(0, range.iHigh);
        fillWindow(b, markerColour);
        paintProgressBar(b);
        WindowPixels p(b);
        int marked = 0;
        for (int y = 0; y < p.height(); y++)
            for (int x = 0; x < p.width(); x++) marked += p.at(x, y) == displayed(markerColour);
        EXPECT_EQ(p.width() * p.height(), marked);
        DestroyWindow(b);
    }
}

class ProgressBarsWithBitmap : public ProgressBars {
protected:
    void prepareFolder(const TestFolder &folder) override
    {
        ProgressBars::prepareFolder(folder);
        writeSolidBitmap(folder.file("\\varnels\\vlprog.bmp"), 6, 4, bitmapColour);
    }
};

TEST_F(ProgressBarsWithBitmap, BitmapIsStretchedOverTheFill)
{
    ASSERT_TRUE(SharedResources.progressBitmap.handle != NULL);
    HWND b = bar(100, 0, 200, 50);
    paintProgressBar(b);
    WindowPixels p(b);
    const int mid = p.height() / 2, x = 25;
    EXPECT_EQ(displayed(litColour), p.at(0, mid));
    EXPECT_EQ(x - 2, countInRow(p, mid, displayed(bitmapColour))) << "columns 1 to x - 2";
    EXPECT_EQ(x - 2, lastColumnOf(p, mid, displayed(bitmapColour)));
    EXPECT_EQ(stockBrushColour(LTGRAY_BRUSH), p.at(x - 1, mid));
    EXPECT_EQ(displayed(bitmapColour), p.at(x / 2, 2)) << "from row 2";
    EXPECT_EQ(displayed(bitmapColour), p.at(x / 2, p.height() - 2)) << "to the window's height minus 2";
    EXPECT_EQ(stockBrushColour(LTGRAY_BRUSH), p.at(x / 2, p.height() - 1));
}

// What a hook called after the engine's sees of a PBM_SETPOS: the bar as the
// engine's before-hook left it, and as its after-hook left it. Between the
// two, every paint the control's own handling triggers is covered over with
// the marker, so that only the after-hook's own paint can show.
static HWND watchedBar;
static std::unique_ptr<WindowPixels> seenBefore, seenAfter;

static LRESULT CALLBACK captureBefore(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *m = (const CWPSTRUCT *)lParam;
    if (m->hwnd == watchedBar && m->message == PBM_SETPOS) seenBefore.reset(new WindowPixels(m->hwnd));
    return CallNextHookEx(NULL, code, wParam, lParam);
}

static LRESULT CALLBACK captureAfter(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *m = (const CWPRETSTRUCT *)lParam;
    if (m->hwnd == watchedBar && m->message == PBM_SETPOS) seenAfter.reset(new WindowPixels(m->hwnd));
    if (m->hwnd == watchedBar && m->message == WM_PAINT) fillWindow(m->hwnd, markerColour);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(ProgressBars, SetPosIsPaintedWithTheOldPositionBeforeAndTheNewAfter)
{
    struct Case {
        const char *className;
        bool painted;
    } cases[] = {
        {PROGRESS_CLASSA, true},
        {"ProgressBarWndClass", true},
        {"VarnelProgress", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.className);
        const char *className = c.className;
        if (strcmp(className, PROGRESS_CLASSA) != 0) {
            WNDCLASSA wc;
            ASSERT_TRUE(GetClassInfoA(NULL, PROGRESS_CLASSA, &wc));
            wc.hInstance = GetModuleHandleA(NULL);
            wc.lpszClassName = className;
            wc.style &= ~CS_GLOBALCLASS;
            RegisterClassA(&wc);
        }
        Settings.progressBitmap = 0;
        HWND b = bar(100, 0, 100, 20, className);
        const int before = 20, after = 80;

        removeHooks();
        HHOOK beforeHook = SetWindowsHookExA(WH_CALLWNDPROC, captureBefore, NULL, GetCurrentThreadId());
        HHOOK afterHook = SetWindowsHookExA(WH_CALLWNDPROCRET, captureAfter, NULL, GetCurrentThreadId());
        installHooks();
        Settings.progressBitmap = 1;
        fillWindow(b, markerColour);
        watchedBar = b;
        SendMessageA(b, PBM_SETPOS, after, 0);
        watchedBar = NULL;
        removeHooks();
        UnhookWindowsHookEx(beforeHook);
        UnhookWindowsHookEx(afterHook);
        installHooks();

        ASSERT_TRUE(seenBefore && seenAfter);
        const int mid = seenBefore->height() / 2;
        if (c.painted) {
            expectFillEndsAt(*seenBefore, before);
            expectFillEndsAt(*seenAfter, after);
        } else {
            EXPECT_EQ(displayed(markerColour), seenBefore->at(10, mid));
            EXPECT_EQ(displayed(markerColour), seenAfter->at(10, mid));
        }
        seenBefore.reset();
        seenAfter.reset();
        DestroyWindow(b);
    }
}

TEST_F(ProgressBars, HooksLeaveBarsAloneWhileTheLookIsOff)
{
    Settings.progressBitmap = 0;
    HWND b = bar(100, 0, 100, 20);
    fillWindow(b, markerColour);
    SendMessageA(b, PBM_SETPOS, 80, 0);
    WindowPixels p(b);
    EXPECT_EQ(0, countInRow(p, p.height() / 2, displayed(fillColour)));
}
