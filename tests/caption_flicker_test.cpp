// What a skinned caption shows between the engine's two repaints: the
// window's own procedure looks at the title area right after DefWindowProc
// returns and tells whether the system's flat caption is there, a flash on a
// desktop without composition. WM_NCPAINT and WM_SETTEXT leave the engine's
// strip alone; WM_NCACTIVATE is counted and reported. Also: the update
// region a subclassed window's own procedure gets for WM_NCPAINT still lets
// the system paint the frame, and values that are no region pass unchanged.
#include <gtest/gtest.h>

#include <map>
#include <stdio.h>

#include "subclass/static_window_proc.h"
#include "support/engine_test.h"
#include "support/gradient_strip.h"
#include "support/pixels.h"
#include "support/settings_file.h"
#include "support/test_windows.h"

namespace {

const COLORREF untouched = RGB(255, 255, 0);

// What the own procedure saw of each message.
struct Tally {
    int samples = 0, systemCaption = 0;
};
std::map<UINT, Tally> tally;
HWND sampled;
int sampling;

// The engine's strip ends in its last band; anything else at the strip's
// right end was drawn by someone else.
int systemCaptionShows(HWND window)
{
    const COLORREF c = stripPixel(window, false);
    return c != lastBandColour(true) && c != lastBandColour(false);
}

LRESULT CALLBACK samplingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    if (sampling && window == sampled &&
        (message == WM_NCPAINT || message == WM_NCACTIVATE || message == WM_SETTEXT || message == WM_SYSCOMMAND)) {
        Tally &t = tally[message];
        t.samples++;
        t.systemCaption += systemCaptionShows(window);
    }
    return result;
}

const char *messageName(UINT message)
{
    switch (message) {
    case WM_NCPAINT: return "WM_NCPAINT";
    case WM_NCACTIVATE: return "WM_NCACTIVATE";
    case WM_SETTEXT: return "WM_SETTEXT";
    case WM_SYSCOMMAND: return "WM_SYSCOMMAND";
    }
    return "?";
}

class CaptionFlicker : public EngineTest {
protected:
    CaptionFlicker() : EngineTest(bothEngineHooks) {}
    std::string settingsText() override
    {
        return markedGradientSettingsFile();
    }
    void SetUp() override
    {
        EngineTest::SetUp();
        tally.clear();
        sampling = 0;
    }
    HWND sampledWindow(int x = 60)
    {
        HWND w = track(CreateWindowExA(0, windowClass("VarnelSampled", samplingProcedure), "F",
                                       WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 60, 420, 240, NULL, NULL,
                                       GetModuleHandleA(NULL), NULL));
        pumpMessages();
        return w;
    }
    // The activation changes, title changes, repaints and system commands of
    // a window in use, each message sampled as the own procedure ends it.
    void useWindow(HWND w, HWND other)
    {
        sampled = w;
        sampling = 1;
        SendMessageA(w, WM_NCPAINT, 1, 0);
        RedrawWindow(w, NULL, NULL, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        for (int i = 0; i < 3; i++) {
            SetActiveWindow(other);
            pumpMessages();
            SetActiveWindow(w);
            pumpMessages();
        }
        SendMessageA(w, WM_NCACTIVATE, FALSE, 0);
        SendMessageA(w, WM_NCACTIVATE, TRUE, 0);
        SetWindowTextA(w, "G");
        SetWindowTextA(w, "F");
        SendMessageA(w, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        pumpMessages();
        SendMessageA(w, WM_SYSCOMMAND, SC_RESTORE, 0);
        pumpMessages();
        sampling = 0;
    }
    void report(const char *what)
    {
        for (const auto &entry : tally)
            printf("%s: %-14s the system's caption in %d of %d samples\n", what, messageName(entry.first),
                   entry.second.systemCaption, entry.second.samples);
    }
};

TEST_F(CaptionFlicker, SystemCaptionNeverShowsBetweenTheRepaintsOfPaintAndTitleChanges)
{
    HWND w = sampledWindow(), other = sampledWindow(520);
    ASSERT_EQ((LONG_PTR)StaticWindowProc, GetWindowLongPtrA(w, GWLP_WNDPROC));
    ASSERT_FALSE(systemCaptionShows(w)) << "the engine's strip is there to begin with";
    useWindow(w, other);
    report("skinned");
    ASSERT_GE(tally[WM_NCPAINT].samples, 2);
    ASSERT_GE(tally[WM_SETTEXT].samples, 2);
    ASSERT_GE(tally[WM_NCACTIVATE].samples, 2);
    EXPECT_EQ(0, tally[WM_NCPAINT].systemCaption);
    EXPECT_EQ(0, tally[WM_SETTEXT].systemCaption);
    EXPECT_EQ(0, tally[WM_SYSCOMMAND].systemCaption);
    EXPECT_FALSE(systemCaptionShows(w)) << "and at the end";
}

// Without StaticWindowProc the hooks paint around the same messages, and the
// samples find the system's caption every time: the samples can tell.
TEST_F(CaptionFlicker, WindowsOutsideTheTableShowTheSystemCaptionBetweenTheRepaints)
{
    removeHooks();
    HWND w = sampledWindow(), other = sampledWindow(520);
    installHooks();
    ASSERT_NE((LONG_PTR)StaticWindowProc, GetWindowLongPtrA(w, GWLP_WNDPROC));
    sampled = w;
    sampling = 1;
    SendMessageA(w, WM_NCPAINT, 1, 0);
    SendMessageA(w, WM_NCACTIVATE, FALSE, 0);
    SetActiveWindow(other);
    SetActiveWindow(w);
    sampling = 0;
    report("outside the table");
    EXPECT_EQ(1, tally[WM_NCPAINT].samples);
    EXPECT_EQ(1, tally[WM_NCPAINT].systemCaption);
    EXPECT_GE(tally[WM_NCACTIVATE].samples, 2);
    EXPECT_EQ(tally[WM_NCACTIVATE].samples, tally[WM_NCACTIVATE].systemCaption);
}

// The own procedure's update region leaves out the strip only: the system
// still paints the frame and the caption boxes, and the engine the strip.
TEST_F(CaptionFlicker, FrameAndBoxesArePaintedAroundTheStrip)
{
    HWND w = sampledWindow();
    RECT wr;
    GetWindowRect(w, &wr);
    const int width = wr.right - wr.left, height = wr.bottom - wr.top;
    const RECT strip = gradientStripRect(w);
    for (WPARAM update : {(WPARAM)1, (WPARAM)0}) {
        SCOPED_TRACE(update);
        fillWindowRect(w, 0, 0, width, height, untouched);
        HRGN region = update ? NULL : CreateRectRgn(wr.left, wr.top, wr.right, wr.bottom);
        SendMessageA(w, WM_NCPAINT, update ? update : (WPARAM)region, 0);
        if (region) DeleteObject(region);
        WindowPixels p(w);
        EXPECT_NE(untouched, p.at(0, height / 2)) << "left frame";
        EXPECT_NE(untouched, p.at(width - 1, height / 2)) << "right frame";
        EXPECT_NE(untouched, p.at(width / 2, height - 1)) << "bottom frame";
        EXPECT_NE(untouched, p.at(strip.right + 4, (strip.top + strip.bottom) / 2)) << "caption boxes";
        EXPECT_EQ(lastBandColour(GetForegroundWindow() == w), p.at(strip.right - 2, (strip.top + strip.bottom) / 2));
        EXPECT_EQ(untouched, p.at(width / 2, height / 2)) << "the client area is not the frame's";
    }
}

// Values that are no region reach the own procedure as they came, and an
// update region inside the strip leaves the system nothing to paint.
TEST_F(CaptionFlicker, UpdateValuesThatAreNoRegionPassUnchanged)
{
    static WPARAM seen;
    struct Recorder {
        static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
        {
            if (message == WM_NCPAINT) seen = wParam;
            return DefWindowProcA(window, message, wParam, lParam);
        }
    };
    HWND w = track(CreateWindowExA(0, windowClass("VarnelNcPaintSeen", Recorder::procedure), "F",
                                   WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 420, 240, NULL, NULL,
                                   GetModuleHandleA(NULL), NULL));
    pumpMessages();
    ASSERT_EQ((LONG_PTR)StaticWindowProc, GetWindowLongPtrA(w, GWLP_WNDPROC));
    HBRUSH notARegion = CreateSolidBrush(RGB(1, 2, 3));
    for (WPARAM bogus : {(WPARAM)0, (WPARAM)0x12345678, (WPARAM)notARegion}) {
        SendMessageA(w, WM_NCPAINT, bogus, 0);
        EXPECT_EQ(bogus, seen);
    }
    DeleteObject(notARegion);

    SendMessageA(w, WM_NCPAINT, 1, 0);
    EXPECT_NE((WPARAM)1, seen) << "a region without the strip";
    EXPECT_EQ(0, GetObjectType((HGDIOBJ)seen)) << "deleted once the own procedure is done";

    RECT wr;
    GetWindowRect(w, &wr);
    const RECT s = gradientStripRect(w);
    HRGN inside = CreateRectRgn(wr.left + s.left + 2, wr.top + s.top, wr.left + s.left + 20, wr.top + s.bottom);
    SendMessageA(w, WM_NCPAINT, (WPARAM)inside, 0);
    EXPECT_NE((WPARAM)inside, seen);
    EXPECT_EQ(SIMPLEREGION, CombineRgn(inside, inside, NULL, RGN_COPY)) << "the caller's region is left alone";
    DeleteObject(inside);
}

}  // namespace
