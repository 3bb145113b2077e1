// The gradient caption painter on real windows: the painter is called with a
// window DC and an explicit title area, and what it drew is read back.
#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "caption/caption_geometry.h"
#include "caption/caption_painters.h"
#include "caption/strip_cache.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "support/engine_test.h"
#include "support/gdi_handles.h"
#include "support/pixels.h"
#include "support/settings_file.h"
#include "support/test_windows.h"

namespace {

// The title area the caption repaint gives a thick-framed window with
// caption boxes (the first row of its layout table).
CaptionArea thickFrameArea(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left;
    const int frameX = GetSystemMetrics(SM_CXFRAME), frameY = GetSystemMetrics(SM_CYFRAME);
    const int button = GetSystemMetrics(SM_CXSIZE);
    CaptionArea a;
    a.left = frameX + 2 + GetSystemMetrics(SM_CXSMICON);
    a.top = frameY;
    a.right = w - frameX - 3 * button;
    a.bottom = GetSystemMetrics(SM_CYCAPTION) + 3;
    a.buttonsRight = w - frameX;
    return a;
}

// stateWindow is the window whose being the foreground window decides
// state 0; the painter draws into `window`'s DC whatever it is.
void paintGradientWith(HWND window, HWND stateWindow, const CaptionArea &a, int state)
{
    HDC dc = GetWindowDC(window);
    GradientCaptionPainter(stateWindow, dc, a.left, a.top, a.right, a.bottom, a.buttonsRight, state);
    ReleaseDC(window, dc);
}

void paintGradient(HWND window, const CaptionArea &a, int state) { paintGradientWith(window, window, a, state); }

HWND showWindow(DWORD style, DWORD exStyle = 0, int w = 600, int h = 400, const char *title = "")
{
    HWND window = createTestWindow(style, exStyle, w, h, title);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    pumpMessages();
    return window;
}

// A colour no band, text or frame of these tests uses: a component the
// caption colours cannot both have, kept odd.
COLORREF markerColour()
{
    COLORREF a = GetSysColor(COLOR_ACTIVECAPTION), i = GetSysColor(COLOR_INACTIVECAPTION);
    int red = 1;
    while (red == GetRValue(a) || red == GetRValue(i)) red += 2;
    return RGB(red, 251, 3);
}

struct Steps {
    int r, g, b;
};

// Integer step per band from the caption colour c toward the end colour e.
Steps stepsToward(COLORREF c, COLORREF e, int bands)
{
    return {((int)GetRValue(c) - (int)GetRValue(e)) / bands, ((int)GetGValue(c) - (int)GetGValue(e)) / bands,
            ((int)GetBValue(c) - (int)GetBValue(e)) / bands};
}

COLORREF minusSteps(COLORREF c, Steps s, int k)
{
    return RGB((GetRValue(c) - k * s.r) & 0xFF, (GetGValue(c) - k * s.g) & 0xFF, (GetBValue(c) - k * s.b) & 0xFF);
}

// An end colour far from the caption colour in every component, so that
// neighbouring bands always differ.
COLORREF farColour(COLORREF c)
{
    return RGB(GetRValue(c) >= 128 ? 0 : 255, GetGValue(c) >= 128 ? 0 : 255, GetBValue(c) >= 128 ? 0 : 255);
}

// Band starts as 32-bit float stepping gives them.
std::vector<int> bandStarts(int width, int bands)
{
    std::vector<int> starts;
    volatile float bandWidth = (float)width / (float)bands;
    volatile float position = 0.0f;
    for (int k = 0; k < bands; k++) {
        starts.push_back((int)position);
        position = position + bandWidth;
    }
    return starts;
}

class GradientPainter : public EngineTest {
protected:
    std::string settingsText() override { return settingsFileFor({{"gradientSteps", 16}}); }
    void SetUp() override
    {
        EngineTest::SetUp();
        Settings.mirroredGradient = 0;
        Settings.centerCaptionText = 0;
        Settings.splitTitleFonts = 1;
        Settings.solidInactiveCaption = 0;
    }
    HWND window(DWORD style, DWORD exStyle = 0, int w = 600, int h = 400, const char *title = "")
    {
        return track(showWindow(style, exStyle, w, h, title));
    }
    // Sets the band count and end colours, and the step values start-up
    // would have computed from them.
    void setGradient(int bands, COLORREF activeEnd, COLORREF inactiveEnd = RGB(128, 128, 128))
    {
        SettingsRecord &s = Settings;
        SharedResourcesRecord &r = SharedResources;
        s.gradientSteps = bands;
        // Each component: its end in the settings, its step from the caption
        // colour toward that end.
        const struct {
            int *end;
            float *step;
            int caption, wanted;
        } components[] = {
            {&s.activeGradientEndR, &r.activeStepR, r.activeCaptionR, GetRValue(activeEnd)},
            {&s.activeGradientEndG, &r.activeStepG, r.activeCaptionG, GetGValue(activeEnd)},
            {&s.activeGradientEndB, &r.activeStepB, r.activeCaptionB, GetBValue(activeEnd)},
            {&s.inactiveGradientEndR, &r.inactiveStepR, r.inactiveCaptionR, GetRValue(inactiveEnd)},
            {&s.inactiveGradientEndG, &r.inactiveStepG, r.inactiveCaptionG, GetGValue(inactiveEnd)},
            {&s.inactiveGradientEndB, &r.inactiveStepB, r.inactiveCaptionB, GetBValue(inactiveEnd)},
        };
        for (const auto &c : components) {
            *c.end = c.wanted;
            *c.step = gradientStep(c.caption, c.wanted, bands);
        }
    }
};

const DWORD thickFramed = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

}  // namespace

TEST_F(GradientPainter, ActiveThickFramedWindowShowsEachBandsStepColourWhereItStarts)
{
    setGradient(16, RGB(0, 0, 0));
    HWND w = window(thickFramed);
    const CaptionArea a = thickFrameArea(w);
    paintGradient(w, a, 1);
    WindowPixels p(w);

    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    const Steps steps = stepsToward(caption, RGB(0, 0, 0), 16);
    const std::vector<int> starts = bandStarts(a.right + 1 - a.left, 16);
    for (int k = 0; k < 16; k++)
        EXPECT_EQ(minusSteps(caption, steps, k), p.at(a.left + starts[k] + 1, a.top))
            << "band " << k << " at x " << a.left + starts[k] + 1;
}

// Each band starts exactly at its truncated float position: the column before
// carries the previous band's colour (which reached it only through the
// overlap), and the strip's last column carries the last band.
TEST_F(GradientPainter, BandsStartAtTheirFloatPositionsAndOverlapTheNext)
{
    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    const COLORREF end = farColour(caption);
    struct {
        int width, bands;
    } cases[] = {{100, 16}, {100, 7}, {257, 3}, {300, 32}, {61, 11}};
    HWND w = window(thickFramed);
    const CaptionArea base = thickFrameArea(w);
    for (auto &c : cases) {
        setGradient(c.bands, end);
        const Steps steps = stepsToward(caption, end, c.bands);
        CaptionArea a = base;
        a.right = a.left + c.width - 1;
        fillWindowRect(w, a.left, a.top, a.right + 3, a.bottom + 1, markerColour());
        paintGradient(w, a, 1);
        WindowPixels p(w);
        const std::vector<int> starts = bandStarts(c.width, c.bands);
        if (c.width == 100 && c.bands == 16) {
            const int documented[] = {0, 6, 12, 18, 25};
            for (int k = 0; k < 5; k++) EXPECT_EQ(documented[k], starts[k]);
        }
        for (int k = 0; k < c.bands; k++) {
            EXPECT_EQ(minusSteps(caption, steps, k), p.at(a.left + starts[k], a.top + 2))
                << c.width << "/" << c.bands << " band " << k << " starts at " << starts[k];
            if (k > 0)
                EXPECT_EQ(minusSteps(caption, steps, k - 1), p.at(a.left + starts[k] - 1, a.top + 2))
                    << c.width << "/" << c.bands << " band " << k - 1 << " reaches band " << k;
        }
        EXPECT_EQ(minusSteps(caption, steps, c.bands - 1), p.at(a.right, a.top + 2))
            << c.width << "/" << c.bands << ": the last band covers the last column";
        EXPECT_EQ(markerColour(), p.at(a.right + 2, a.top + 2)) << "nothing past the strip but the outline";
    }
}

TEST_F(GradientPainter, LastRowOfTheStripIsNotCopied)
{
    setGradient(8, farColour(GetSysColor(COLOR_ACTIVECAPTION)));
    HWND w = window(thickFramed);
    const CaptionArea a = thickFrameArea(w);
    fillWindowRect(w, a.left, a.top - 1, a.right + 1, a.bottom + 2, markerColour());
    paintGradient(w, a, 1);
    WindowPixels p(w);
    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    for (int x = a.left; x <= a.right; x += 7) {
        EXPECT_EQ(markerColour(), p.at(x, a.top - 1)) << "above, x " << x;
        EXPECT_NE(markerColour(), p.at(x, a.bottom - 1)) << "last copied row, x " << x;
        EXPECT_EQ(markerColour(), p.at(x, a.bottom)) << "the strip's last row, x " << x;
    }
    EXPECT_EQ(caption, p.at(a.left, a.bottom - 1));
}

TEST_F(GradientPainter, MirroredColoursFallToTheMiddleAndRiseAgain)
{
    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    const COLORREF end = farColour(caption);
    setGradient(6, end);
    Settings.mirroredGradient = 1;
    HWND w = window(thickFramed);
    CaptionArea a = thickFrameArea(w);
    a.right = a.left + 119;  // six bands of 20
    fillWindowRect(w, a.right + 1, a.top, a.buttonsRight, a.bottom + 1, markerColour());
    paintGradient(w, a, 1);
    WindowPixels p(w);
    const Steps s = stepsToward(caption, end, 6);
    const Steps twice = {2 * s.r, 2 * s.g, 2 * s.b};
    const int stepsFromCaption[] = {0, 1, 2, 3, 2, 1};  // in double steps: half is 3
    for (int k = 0; k < 6; k++)
        EXPECT_EQ(minusSteps(caption, twice, stepsFromCaption[k]), p.at(a.left + 20 * k + 1, a.top))
            << "band " << k;
    EXPECT_EQ(markerColour(), p.at(a.right + 1, a.top)) << "no outline with a mirrored gradient";
    EXPECT_EQ(markerColour(), p.at(a.buttonsRight - 1, a.top + 3));
}

TEST_F(GradientPainter, InactiveWindowWithSolidInactiveCaptionIsOneBand)
{
    setGradient(16, RGB(0, 0, 0), farColour(GetSysColor(COLOR_INACTIVECAPTION)));
    Settings.solidInactiveCaption = 1;
    HWND w = window(thickFramed);
    const CaptionArea a = thickFrameArea(w);
    paintGradient(w, a, 2);
    WindowPixels p(w);
    const COLORREF inactive = GetSysColor(COLOR_INACTIVECAPTION);
    for (int x = a.left; x <= a.right; x++) ASSERT_EQ(inactive, p.at(x, a.top)) << "x " << x;
    EXPECT_EQ(inactive, p.at(a.right + 1, a.top)) << "a single band's outline is the inactive caption colour";

    // The same window with gradients for inactive captions too.
    Settings.solidInactiveCaption = 0;
    paintGradient(w, a, 2);
    WindowPixels q(w);
    EXPECT_EQ(inactive, q.at(a.left, a.top));
    EXPECT_NE(inactive, q.at(a.right, a.top));
}

TEST_F(GradientPainter, OutlineLinesAroundTheButtonsInTheColourAfterTheLastBand)
{
    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    const COLORREF end = farColour(caption);
    setGradient(16, end);
    HWND w = window(thickFramed);
    const CaptionArea a = thickFrameArea(w);
    fillWindowRect(w, a.left, a.top, a.buttonsRight + 2, a.bottom + 2, markerColour());
    paintGradient(w, a, 1);
    WindowPixels p(w);

    const COLORREF outline = minusSteps(caption, stepsToward(caption, end, 16), 16);
    const int lineX = a.right + 1, bR = a.buttonsRight, button = GetSystemMetrics(SM_CXSIZE);
    for (int y = a.top; y < a.bottom; y++)
        for (int x : {lineX, bR - 1, bR - 2, bR - button - 1, bR - button - 2})
            ASSERT_EQ(outline, p.at(x, y)) << "vertical line at x " << x << ", y " << y;
    for (int x = lineX; x < bR; x++)
        for (int y : {a.top, a.top + 1, a.bottom - 1, a.bottom - 2})
            ASSERT_EQ(outline, p.at(x, y)) << "horizontal line at y " << y << ", x " << x;
    // End points are excluded, and nothing else is drawn.
    EXPECT_EQ(markerColour(), p.at(lineX, a.bottom));
    EXPECT_EQ(markerColour(), p.at(bR, a.top));
    EXPECT_EQ(markerColour(), p.at(bR, a.bottom - 1));
    EXPECT_EQ(markerColour(), p.at(lineX + 1, a.top + 2));
    EXPECT_EQ(markerColour(), p.at(bR - 3, a.bottom - 3));
    EXPECT_EQ(markerColour(), p.at(bR - button, a.top + 4));
}

TEST_F(GradientPainter, NoBandsDrawsNothingButAnInactiveColouredOutline)
{
    setGradient(0, RGB(0, 0, 0));
    ASSERT_EQ(0.0f, SharedResources.activeStepR);
    HWND w = window(thickFramed);
    const CaptionArea a = thickFrameArea(w);
    paintGradient(w, a, 1);
    WindowPixels p(w);
    EXPECT_EQ(GetSysColor(COLOR_INACTIVECAPTION), p.at(a.right + 1, a.top + 3));
    EXPECT_EQ(GetSysColor(COLOR_ACTIVECAPTION), p.at(a.left + 1, a.top))
        << "no bands: a flat caption in the caption colour, not a black strip";
    EXPECT_EQ(GetSysColor(COLOR_ACTIVECAPTION), p.at(a.right - 1, a.bottom - 1));
}

TEST_F(GradientPainter, StaticEdgeBecomesAWindowEdgeAndTheAreaShifts)
{
    setGradient(1, RGB(0, 0, 0));
    HWND w = window(thickFramed);
    // Overlapped windows are created with a window edge whatever they ask
    // for; setting a static edge afterwards takes it away.
    SetWindowLongA(w, GWL_EXSTYLE, GetWindowLongA(w, GWL_EXSTYLE) | WS_EX_STATICEDGE);
    const DWORD before = GetWindowLongA(w, GWL_EXSTYLE);
    ASSERT_TRUE(before & WS_EX_STATICEDGE);
    ASSERT_FALSE(before & WS_EX_WINDOWEDGE);
    const CaptionArea a = thickFrameArea(w);
    fillWindowRect(w, a.left - 1, a.top - 2, a.right + 1, a.bottom + 1, markerColour());
    paintGradient(w, a, 1);
    WindowPixels p(w);
    const DWORD after = GetWindowLongA(w, GWL_EXSTYLE);
    EXPECT_TRUE(after & WS_EX_WINDOWEDGE);
    EXPECT_FALSE(after & WS_EX_STATICEDGE);
    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    EXPECT_EQ(caption, p.at(a.left + 1, a.top - 1)) << "one pixel right and up";
    EXPECT_EQ(markerColour(), p.at(a.left, a.top));
    EXPECT_EQ(markerColour(), p.at(a.left + 1, a.bottom - 1)) << "the last row moved up too";
}

// A dialog's modal frame (DS_MODALFRAME, which the dialog manager turns into
// WS_EX_DLGMODALFRAME) without an icon: the system draws none and the title
// starts right after the edge. Where the system draws an icon (here the
// default icon of a window without a modal frame, or one set with
// WM_SETICON) the strip keeps to the area it was given, after the icon.
TEST_F(GradientPainter, ModalFrameStyleStartsTheTitleAfterTheEdge)
{
    setGradient(1, RGB(0, 0, 0));
    const int edge = GetSystemMetrics(SM_CXEDGE);
    const COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    const struct {
        DWORD style, exStyle;
        bool setIcon;
        bool fromEdge;
    } cases[] = {
        {thickFramed, WS_EX_DLGMODALFRAME, false, false},
        {thickFramed | DS_MODALFRAME, WS_EX_DLGMODALFRAME, false, true},
        {thickFramed | DS_MODALFRAME, 0, false, false},
        {thickFramed | DS_MODALFRAME, WS_EX_DLGMODALFRAME, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << std::hex << c.style << " exStyle " << c.exStyle << " icon "
                                        << c.setIcon);
        HWND w = window(c.style, c.exStyle);
        ASSERT_EQ(c.style & DS_MODALFRAME, GetWindowLongA(w, GWL_STYLE) & DS_MODALFRAME);
        if (c.setIcon) SendMessageA(w, WM_SETICON, ICON_SMALL, (LPARAM)LoadIconA(NULL, (LPCSTR)IDI_APPLICATION));
        const CaptionArea a = thickFrameArea(w);
        fillWindowRect(w, 0, a.top, a.right + 1, a.bottom, markerColour());
        paintGradient(w, a, 1);
        WindowPixels p(w);
        EXPECT_EQ(c.fromEdge ? caption : markerColour(), p.at(edge + 1, a.top));
        EXPECT_EQ(markerColour(), p.at(edge, a.top));
        if (!c.fromEdge) EXPECT_EQ(markerColour(), p.at(a.left - 1, a.top)) << "nothing left of the area given";
        EXPECT_EQ(caption, p.at(a.left, a.top));
        EXPECT_EQ(caption, p.at(a.right, a.top));
    }
}

TEST_F(GradientPainter, WindowWithoutBorderOrModalFrameIsNotDrawn)
{
    setGradient(1, RGB(0, 0, 0));
    struct {
        DWORD style, exStyle;
        bool drawn;
    } cases[] = {
        {WS_POPUP | WS_VISIBLE, 0, false},
        {WS_POPUP | WS_VISIBLE | WS_THICKFRAME, 0, false},
        {WS_POPUP | WS_VISIBLE, WS_EX_DLGMODALFRAME, true},
        {WS_POPUP | WS_VISIBLE | WS_BORDER, 0, true},
    };
    for (auto &c : cases) {
        HWND w = window(c.style, c.exStyle, 300, 200, "Title");
        const DWORD exBefore = GetWindowLongA(w, GWL_EXSTYLE);
        const CaptionArea a = {10, 10, 200, 30, 280};
        fillWindowRect(w, 0, 0, 300, 60, markerColour());
        paintGradient(w, a, 1);
        WindowPixels p(w);
        int changed = 0;
        for (int y = 0; y < 60; y++)
            for (int x = 0; x < 300; x++) changed += p.at(x, y) != markerColour();
        if (c.drawn)
            EXPECT_GT(changed, 0) << std::hex << c.style << " " << c.exStyle;
        else {
            EXPECT_EQ(0, changed) << std::hex << c.style << " " << c.exStyle;
            EXPECT_EQ(exBefore, (DWORD)GetWindowLongA(w, GWL_EXSTYLE));
        }
    }
}

TEST_F(GradientPainter, StateZeroIsActiveExactlyForTheForegroundWindow)
{
    setGradient(1, RGB(0, 0, 0));
    Settings.solidInactiveCaption = 1;
    HWND w = window(thickFramed);
    HWND other = window(thickFramed);
    const CaptionArea a = thickFrameArea(w);
    // Another test process may take the foreground between the read and the
    // painter's own: such a paint is done again.
    HWND foreground = NULL;
    for (int attempt = 0; attempt < 5; attempt++) {
        foreground = GetForegroundWindow();
        paintGradientWith(w, foreground, a, 0);
        if (GetForegroundWindow() == foreground) break;
    }
    EXPECT_EQ(GetSysColor(COLOR_ACTIVECAPTION), WindowPixels(w).at(a.left + 1, a.top));
    paintGradientWith(w, foreground == other ? w : other, a, 0);
    EXPECT_EQ(GetSysColor(COLOR_INACTIVECAPTION), WindowPixels(w).at(a.left + 1, a.top));
}

// A title area that ends before it starts has no strip to copy; only the
// outline is drawn.
TEST_F(GradientPainter, TitleAreaOfNegativeWidthCopiesNothing)
{
    setGradient(4, RGB(0, 0, 0));
    HWND w = window(thickFramed);
    CaptionArea a = thickFrameArea(w);
    a.right = a.left - 15;
    ASSERT_GE(a.right, 0);
    fillWindowRect(w, 0, 0, a.buttonsRight, a.bottom + 1, markerColour());
    paintGradient(w, a, 1);
    WindowPixels p(w);
    for (int x = a.right + 2; x < a.left + 15; x++)
        ASSERT_EQ(markerColour(), p.at(x, a.top + 3)) << "x " << x;
    EXPECT_NE(markerColour(), p.at(a.right + 1, a.top + 3)) << "the outline's first line";
}

// ---- The title ----

namespace {

// The title strip as the window shows it, for comparison with a strip drawn
// in the test.
std::vector<COLORREF> stripPixels(HWND window, const CaptionArea &a, int rows)
{
    WindowPixels p(window);
    std::vector<COLORREF> out;
    for (int y = 0; y < rows; y++)
        for (int x = a.left; x <= a.right; x++) out.push_back(p.at(x, a.top + y));
    return out;
}

// A strip of one background colour with text drawn into it by `draw`, on a
// memory DC like the painter's; the rows the painter copies to the window.
std::vector<COLORREF> referenceStrip(HWND window, int width, int height, COLORREF background, COLORREF text,
                                     const std::function<void(HDC, RECT)> &draw)
{
    std::vector<COLORREF> out =
        drawnStrip(window, width, height, background, text, (HFONT)GetStockObject(SYSTEM_FONT), [&](HDC memory) {
            RECT textRect = {3, 0, width, height - 1};
            draw(memory, textRect);
        });
    out.resize((size_t)width * (height - 1));
    return out;
}

int differences(const std::vector<COLORREF> &a, const std::vector<COLORREF> &b)
{
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < a.size(); i++) n += a[i] != b[i];
    return n;
}

const UINT titleFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;

int textWidth(HWND window, HFONT font, const char *text, int length)
{
    HDC dc = GetWindowDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, length, &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

}  // namespace

class GradientTitle : public GradientPainter {
protected:
    // One band of the caption colour: the title is all that varies.
    struct Drawn {
        HWND window;
        CaptionArea area;
        int width, height;
        std::vector<COLORREF> shown;
    };
    Drawn paintTitle(const char *title)
    {
        setGradient(1, RGB(0, 0, 0));
        Drawn d;
        d.window = window(thickFramed, 0, 600, 400, title);
        d.area = thickFrameArea(d.window);
        d.width = d.area.right + 1 - d.area.left;
        d.height = d.area.bottom + 1 - d.area.top;
        paintGradient(d.window, d.area, 1);
        d.shown = stripPixels(d.window, d.area, d.height - 1);
        return d;
    }
    std::vector<COLORREF> reference(const Drawn &d, const std::function<void(HDC, RECT)> &draw)
    {
        return referenceStrip(d.window, d.width, d.height, GetSysColor(COLOR_ACTIVECAPTION),
                              GetSysColor(COLOR_CAPTIONTEXT), draw);
    }
};

TEST_F(GradientTitle, SecondFontStartsRightAfterTheMeasuredFirstPart)
{
    const char *title = "Report - Editor";
    Drawn d = paintTitle(title);
    const HFONT plain = SharedResources.captionFont, medium = SharedResources.captionFontMedium;
    const int firstWidth = textWidth(d.window, plain, title, 7);
    ASSERT_GT(firstWidth, 0);
    auto split = [&](int secondLeft) {
        return reference(d, [&](HDC dc, RECT r) {
            SelectObject(dc, plain);
            DrawTextA(dc, title, 7, &r, titleFormat);
            SelectObject(dc, medium);
            r.left = secondLeft;
            DrawTextA(dc, title + 7, -1, &r, titleFormat);
        });
    };
    EXPECT_EQ(0, differences(d.shown, split(3 + firstWidth)));
    // The comparison can tell a misplaced or single-font title apart.
    EXPECT_GT(differences(d.shown, split(3 + firstWidth + 1)), 0);
    EXPECT_GT(differences(d.shown, reference(d, [&](HDC dc, RECT r) {
                  SelectObject(dc, plain);
                  DrawTextA(dc, title, -1, &r, titleFormat);
              })),
              0);
}

TEST_F(GradientTitle, TitleStartingWithADashIsAllInTheMediumFont)
{
    const char *title = "-Untitled";
    Drawn d = paintTitle(title);
    auto whole = [&](HFONT font) {
        return reference(d, [&](HDC dc, RECT r) {
            SelectObject(dc, font);
            DrawTextA(dc, title, -1, &r, titleFormat);
        });
    };
    EXPECT_EQ(0, differences(d.shown, whole(SharedResources.captionFontMedium)));
    EXPECT_GT(differences(d.shown, whole(SharedResources.captionFont)), 0);
}

TEST_F(GradientTitle, WithoutSplitFontsTheWholeTitleIsInTheCaptionFont)
{
    Settings.splitTitleFonts = 0;
    const char *title = "Report - Editor";
    Drawn d = paintTitle(title);
    EXPECT_EQ(0, differences(d.shown, reference(d, [&](HDC dc, RECT r) {
                  SelectObject(dc, SharedResources.captionFont);
                  DrawTextA(dc, title, -1, &r, titleFormat);
              })));
}

TEST_F(GradientTitle, CentredTitleIsCentredInOneFont)
{
    Settings.centerCaptionText = 1;
    Settings.splitTitleFonts = 0;
    const char *title = "Report - Editor";
    Drawn d = paintTitle(title);
    auto drawn = [&](UINT centre) {
        return reference(d, [&](HDC dc, RECT r) {
            SelectObject(dc, SharedResources.captionFont);
            DrawTextA(dc, title, -1, &r, titleFormat | centre);
        });
    };
    EXPECT_EQ(0, differences(d.shown, drawn(DT_CENTER)));
    EXPECT_GT(differences(d.shown, drawn(0)), 0);

    // The ink sits in the middle of the text rectangle (3 .. width).
    const COLORREF background = GetSysColor(COLOR_ACTIVECAPTION);
    int first = d.width, last = -1;
    for (int y = 0; y < d.height - 1; y++)
        for (int x = 0; x < d.width; x++)
            if (d.shown[(size_t)y * d.width + x] != background) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    ASSERT_GE(last, first);
    const int inkWidth = textWidth(d.window, SharedResources.captionFont, title, lstrlenA(title));
    EXPECT_NEAR((3 + d.width) / 2.0, (first + last) / 2.0, 3.0);
    EXPECT_NEAR(inkWidth, last - first + 1, 4.0);
}

// On the NT family the title is read and drawn as Unicode, and the second
// font takes over at the first "-" of the Unicode text.
TEST_F(GradientTitle, UnicodeTitleIsDrawnAsUnicodeAndSplitAtItsFirstDash)
{
    // Outside the prefix's Western code page but for the dash: read through
    // the ANSI functions it would be "?? - ?".
    const wchar_t title[] = L"\u65E5\u672C - \u0436";
    const int firstLength = 3;
    setGradient(1, RGB(0, 0, 0));
    WNDCLASSW c = {};
    c.lpfnWndProc = DefWindowProcW;
    c.hInstance = GetModuleHandleW(NULL);
    c.lpszClassName = L"VarnelUnicodeCaption";
    RegisterClassW(&c);
    HWND w = CreateWindowExW(0, c.lpszClassName, title, thickFramed, 20, 20, 600, 400, NULL, NULL, c.hInstance, NULL);
    ASSERT_TRUE(w != NULL);
    track(w);
    pumpMessages();
    Drawn d;
    d.window = w;
    d.area = thickFrameArea(w);
    d.width = d.area.right + 1 - d.area.left;
    d.height = d.area.bottom + 1 - d.area.top;
    paintGradient(w, d.area, 1);
    d.shown = stripPixels(w, d.area, d.height - 1);

    HDC windowDc = GetWindowDC(w);
    HGDIOBJ old = SelectObject(windowDc, SharedResources.captionFont);
    SIZE first = {0, 0};
    GetTextExtentPoint32W(windowDc, title, firstLength, &first);
    SelectObject(windowDc, old);
    ReleaseDC(w, windowDc);
    EXPECT_EQ(0, differences(d.shown, reference(d, [&](HDC dc, RECT r) {
                  SelectObject(dc, SharedResources.captionFont);
                  DrawTextW(dc, title, firstLength, &r, titleFormat);
                  SelectObject(dc, SharedResources.captionFontMedium);
                  r.left = 3 + first.cx;
                  DrawTextW(dc, title + firstLength, -1, &r, titleFormat);
              })));
    EXPECT_GT(differences(d.shown, reference(d, [&](HDC dc, RECT r) {
                  SelectObject(dc, SharedResources.captionFont);
                  DrawTextA(dc, "?? ", 3, &r, titleFormat);
                  SelectObject(dc, SharedResources.captionFontMedium);
                  r.left = 3 + first.cx;
                  DrawTextA(dc, "- ?", -1, &r, titleFormat);
              })),
              0)
        << "the comparison tells question marks apart";
}

// Before Windows 2000 there is no SetDCBrushColor or SetDCPenColor: each band
// gets a brush of its own and the outline a pen, and the caption looks the
// same.
TEST_F(GradientPainter, WithoutTheDCColourFunctionsTheCaptionIsTheSame)
{
    setGradient(32, farColour(GetSysColor(COLOR_ACTIVECAPTION)));
    HWND w = window(thickFramed, 0, 600, 400, "Report - Editor");
    const CaptionArea a = thickFrameArea(w);
    auto caption = [&] {
        fillWindowRect(w, a.left, a.top, a.buttonsRight + 2, a.bottom + 2, markerColour());
        paintGradient(w, a, 1);
        WindowPixels p(w);
        std::vector<COLORREF> out;
        for (int y = a.top; y <= a.bottom + 1; y++)
            for (int x = a.left; x <= a.buttonsRight + 1; x++) out.push_back(p.at(x, y));
        return out;
    };
    const std::vector<COLORREF> withDcColours = caption();
    SharedResourcesRecord saved = SharedResources;
    SharedResources.setDCBrushColor = NULL;
    SharedResources.setDCPenColor = NULL;
    // Composed afresh, not copied from the strip kept from the first paint.
    freeStripCache();
    const std::vector<COLORREF> without = caption();
    paintGradient(w, a, 2);
    const int before = freeGdiHandles();
    for (int i = 0; i < 200; i++) {
        if (i % 50 == 0) freeStripCache();
        paintGradient(w, a, 1 + i % 2);
    }
    freeStripCache();
    paintGradient(w, a, 1);
    paintGradient(w, a, 2);
    const int after = freeGdiHandles();
    SharedResources = saved;
    EXPECT_EQ(withDcColours, without);
    EXPECT_EQ(before, after) << "every brush and pen made for a paint is deleted in it";
}

// ---- Cost ----

namespace {


double millisecondsOf(int repeats, const std::function<void()> &f)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < repeats; i++) f();
    QueryPerformanceCounter(&end);
    return (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart / repeats;
}

}  // namespace

TEST_F(GradientPainter, PaintsLeaveNoGdiObjectsBehind)
{
    setGradient(32, RGB(0, 0, 0));
    HWND w = window(thickFramed, 0, 600, 400, "Report - Editor");
    const CaptionArea a = thickFrameArea(w);
    expectPaintsKeepGdiHandles(500, [&](int i) { paintGradient(w, a, 1 + i % 2); });
}

// A rough figure, printed: one 32-band paint of a 600x400 window against the
// system's own non-client paint of the same window.
TEST_F(GradientPainter, TimingOfOnePaintAgainstTheSystemsNonClientPaint)
{
    setGradient(32, RGB(0, 0, 0));
    HWND w = window(thickFramed, 0, 600, 400, "Report - Editor");
    const CaptionArea a = thickFrameArea(w);
    std::vector<double> painter, system;
    for (int round = 0; round < 7; round++) {
        painter.push_back(millisecondsOf(40, [&] { paintGradient(w, a, 1); }));
        system.push_back(millisecondsOf(40, [&] { DefWindowProcA(w, WM_NCPAINT, 1, 0); }));
    }
    std::sort(painter.begin(), painter.end());
    std::sort(system.begin(), system.end());
    const double p = painter[painter.size() / 2], s = system[system.size() / 2];
    printf("gradient paint (32 bands, 600x400): %.3f ms; DefWindowProcA(WM_NCPAINT): %.3f ms; ratio %.2f\n", p, s,
           p / s);
    paintGradient(w, a, 1);
    EXPECT_EQ(GetSysColor(COLOR_ACTIVECAPTION), WindowPixels(w).at(a.left + 1, a.top))
        << "the painter's caption is what the window shows after its last paint";
}
