// The striped caption painter on real windows: box bitmaps written by the
// test, stripes, the title patch, the extended-style correction and two
// threads painting at once.
#include <gtest/gtest.h>

#include <vector>

#include "caption/caption_geometry.h"
#include "caption/caption_painters.h"
#include "engine/engine_lock.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "support/engine_test.h"
#include "support/gdi_handles.h"
#include "support/pixels.h"
#include "support/settings_file.h"
#include "support/test_windows.h"

namespace {

// Box bitmaps: each its own colour, none a system colour of the bar.
const int boxWidth = 15, boxHeight = 12;
const COLORREF closeColour = RGB(201, 31, 41), zoomColour = RGB(31, 201, 41), minimiseColour = RGB(41, 31, 201),
               zoomDownColour = RGB(201, 201, 41), minimiseDownColour = RGB(41, 201, 201);
const COLORREF marker = RGB(1, 251, 3);

CaptionArea thickFrameArea(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left;
    const int frameX = GetSystemMetrics(SM_CXFRAME), button = GetSystemMetrics(SM_CXSIZE);
    CaptionArea a;
    a.left = frameX + 2 + GetSystemMetrics(SM_CXSMICON);
    a.top = GetSystemMetrics(SM_CYFRAME);
    a.right = w - frameX - 3 * button;
    a.bottom = GetSystemMetrics(SM_CYCAPTION) + 3;
    a.buttonsRight = w - frameX;
    return a;
}

void paintStriped(HWND window, const CaptionArea &a, int state)
{
    HDC dc = GetWindowDC(window);
    StripedCaptionPainter(window, dc, a.left, a.top, a.right, a.bottom, a.buttonsRight, state);
    ReleaseDC(window, dc);
}

// Reads the striped bar in its own coordinates: strip x, y are window
// x - 3, y - top.
struct Bar {
    WindowPixels pixels;
    int top;
    Bar(HWND window, int top_) : pixels(window), top(top_) {}
    COLORREF at(int x, int y) const { return pixels.at(stripedBarLeft + x, top + y); }
};

struct Layout {
    int inner, height, titleRight;
};

// The layout for a thick-framed window with both boxes, as the test reads the
// rules: its button area is wide, so nothing is widened.
Layout boxedLayout(const CaptionArea &a)
{
    Layout l;
    l.inner = a.buttonsRight - 2;
    l.height = a.bottom + 1 - a.top;
    l.titleRight = l.inner - 34;
    return l;
}

class StripedPainter : public EngineTest {
protected:
    std::string settingsText() override { return settingsFileFor({{"macButtons", 1}}); }
    void prepareFolder(const TestFolder &folder) override
    {
        writeSolidBitmap(folder.file("\\varnels\\maccl.bmp"), boxWidth, boxHeight, closeColour);
        writeSolidBitmap(folder.file("\\varnels\\macmx.bmp"), boxWidth, boxHeight, zoomColour);
        writeSolidBitmap(folder.file("\\varnels\\macmn.bmp"), boxWidth, boxHeight, minimiseColour);
        writeSolidBitmap(folder.file("\\varnels\\macmxd.bmp"), boxWidth, boxHeight, zoomDownColour);
        writeSolidBitmap(folder.file("\\varnels\\macmnd.bmp"), boxWidth, boxHeight, minimiseDownColour);
    }
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_EQ(1, Settings.macButtons);
        ASSERT_TRUE(SharedResources.macMinDownBitmap.handle != NULL);
        ASSERT_EQ(boxWidth, SharedResources.macCloseBitmap.info.bmWidth);
        Settings.forceClientEdge = 0;
        Settings.solidInactiveCaption = 0;
        face_ = GetSysColor(COLOR_BTNFACE);
        shadow_ = GetSysColor(COLOR_BTNSHADOW);
        highlight_ = GetSysColor(COLOR_BTNHIGHLIGHT);
        ASSERT_NE(face_, shadow_);
        ASSERT_NE(face_, highlight_);
        ASSERT_NE(shadow_, highlight_);
        ASSERT_GE(GetSystemMetrics(SM_CYCAPTION) + 3 - GetSystemMetrics(SM_CYFRAME), 15)
            << "the bar must be tall enough for the stripes";
    }
    void TearDown() override
    {
        destroyTrackedWindows();
        pumpMessages();
        EXPECT_EQ(0u, engineLockOwner);
        EngineTest::TearDown();
    }
    HWND window(DWORD style, DWORD exStyle = 0, const char *title = "", const char *className = NULL)
    {
        HWND w = createTestWindow(style, exStyle, 600, 300, title, className);
        ShowWindow(w, SW_SHOWNOACTIVATE);
        UpdateWindow(w);
        pumpMessages();
        return track(w);
    }
    // Stripe pair rows: highlight on even rows 4..12, shadow on odd rows
    // 5..13, from their own first columns.
    COLORREF stripeColour(int y) const { return y % 2 == 0 ? highlight_ : shadow_; }

    COLORREF face_, shadow_, highlight_;
};

const DWORD thickFramed = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

}  // namespace

TEST_F(StripedPainter, BoxesSitAtTheirPlacesAndTheBarStartsAtThree)
{
    HWND w = window(thickFramed, 0, "Boxes");
    CaptionArea a = thickFrameArea(w);
    const Layout l = boxedLayout(a);
    fillWindowRect(w, 0, a.top, a.buttonsRight + 4, a.bottom + 2, marker);
    a.left = 250;  // not used: the bar always starts at x = 3
    paintStriped(w, a, 1);
    Bar bar(w, a.top);

    struct {
        const char *what;
        int x;
        COLORREF colour;
    } boxes[] = {{"close box", 2, closeColour},
                 {"zoom box", l.inner - 34, zoomColour},
                 {"minimise box", l.inner - 17, minimiseColour}};
    for (auto &b : boxes) {
        for (int dy : {0, boxHeight - 1})
            for (int dx : {0, boxWidth - 1}) EXPECT_EQ(b.colour, bar.at(b.x + dx, 1 + dy)) << b.what;
        EXPECT_NE(b.colour, bar.at(b.x - 1, 1)) << b.what << " starts at " << b.x;
        EXPECT_NE(b.colour, bar.at(b.x, 0)) << b.what << " starts at row 1";
        EXPECT_NE(b.colour, bar.at(b.x + boxWidth, 1)) << b.what << " has its bitmap's width";
    }
    EXPECT_EQ(face_, bar.at(0, 0));
    EXPECT_EQ(face_, bar.at(l.inner - 1, 0)) << "the box area is button face to its last column";
    EXPECT_EQ(marker, bar.at(-1, 0)) << "nothing left of x = 3";
    EXPECT_EQ(marker, bar.at(l.inner, 0)) << "the copy is inner wide";
    EXPECT_EQ(marker, bar.at(0, l.height - 1)) << "the strip's last row is not copied";
    EXPECT_EQ(face_, bar.at(0, l.height - 2));
}

TEST_F(StripedPainter, MissingBoxStylesShowTheDownBitmaps)
{
    struct {
        DWORD style;
        COLORREF zoom, minimise;
    } cases[] = {
        {WS_MINIMIZEBOX, zoomDownColour, minimiseColour},
        {WS_MAXIMIZEBOX, zoomColour, minimiseDownColour},
        {WS_MINIMIZEBOX | WS_MAXIMIZEBOX, zoomColour, minimiseColour},
    };
    for (auto &c : cases) {
        HWND w = window(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE | c.style);
        const CaptionArea a = thickFrameArea(w);
        const Layout l = boxedLayout(a);
        paintStriped(w, a, 1);
        Bar bar(w, a.top);
        EXPECT_EQ(c.zoom, bar.at(l.inner - 34 + 3, 4)) << std::hex << c.style;
        EXPECT_EQ(c.minimise, bar.at(l.inner - 17 + 3, 4)) << std::hex << c.style;
    }
}

TEST_F(StripedPainter, WithoutBoxStylesTheStripesRunToInnerMinusFour)
{
    HWND w = window(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE);
    const CaptionArea a = thickFrameArea(w);
    const int inner = a.buttonsRight - 2;
    paintStriped(w, a, 1);
    Bar bar(w, a.top);
    for (int x = inner - 40; x < inner; x++)
        for (int y = 1; y <= boxHeight; y++) {
            const COLORREF c = bar.at(x, y);
            ASSERT_TRUE(c != zoomColour && c != zoomDownColour && c != minimiseColour && c != minimiseDownColour)
                << "no box at x " << x << ", y " << y;
        }
    EXPECT_EQ(shadow_, bar.at(inner - 5, 5)) << "shadow lines end at inner - 4 (excluded)";
    EXPECT_EQ(face_, bar.at(inner - 4, 5));
    EXPECT_EQ(highlight_, bar.at(inner - 6, 4)) << "highlight lines end at inner - 5 (excluded)";
    EXPECT_EQ(face_, bar.at(inner - 5, 4));
}

TEST_F(StripedPainter, EmptyTitleLeavesTheStripesUnbroken)
{
    HWND w = window(thickFramed, 0, "");
    const CaptionArea a = thickFrameArea(w);
    const Layout l = boxedLayout(a);
    paintStriped(w, a, 1);
    Bar bar(w, a.top);
    for (int y = 4; y <= 13; y++) {
        const int first = y % 2 == 0 ? 20 : 21, last = y % 2 == 0 ? l.titleRight - 6 : l.titleRight - 5;
        for (int x = first; x <= last; x++) ASSERT_EQ(stripeColour(y), bar.at(x, y)) << "x " << x << ", y " << y;
        EXPECT_EQ(face_, bar.at(first - 1, y)) << "row " << y << " starts at " << first;
        EXPECT_EQ(face_, bar.at(last + 1, y)) << "row " << y << " ends at " << last;
    }
    for (int x = 20; x < l.titleRight - 4; x++) {
        EXPECT_EQ(face_, bar.at(x, 3));
        EXPECT_EQ(face_, bar.at(x, 14));
    }
}

TEST_F(StripedPainter, OpaqueTitlePatchBreaksTheStripes)
{
    const char *title = "Stripes";
    HWND w = window(thickFramed, 0, title);
    const CaptionArea a = thickFrameArea(w);
    const Layout l = boxedLayout(a);
    paintStriped(w, a, 1);
    Bar bar(w, a.top);

    // Where the padded title lands: centred in (18, 0, titleRight, height - 1).
    HDC dc = GetWindowDC(w);
    HGDIOBJ old = SelectObject(dc, SharedResources.captionFont);
    SIZE padded, space;
    GetTextExtentPoint32A(dc, " Stripes ", 9, &padded);
    GetTextExtentPoint32A(dc, " ", 1, &space);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    ASSERT_GE(space.cx, 3);
    const int paddedWidth = padded.cx, spaceWidth = space.cx;
    const int x0 = stripedTitleLeft + (l.titleRight - stripedTitleLeft - padded.cx) / 2;
    const int y0 = (l.height - 1 - tm.tmHeight) / 2;

    int patchRows = 0;
    for (int y = 4; y <= 13; y++) {
        if (y <= y0 || y >= y0 + tm.tmHeight - 1) continue;  // a row of slack at each edge
        patchRows++;
        // The padding spaces at both ends of the patch: button face, no stripe.
        for (int x : {x0 + 1, x0 + spaceWidth - 2, x0 + paddedWidth - spaceWidth + 1, x0 + paddedWidth - 2})
            EXPECT_EQ(face_, bar.at(x, y)) << "patch x " << x << ", y " << y;
        // Outside the patch the stripes run on.
        EXPECT_EQ(stripeColour(y), bar.at(x0 - 3, y)) << "left of the patch, y " << y;
        EXPECT_EQ(stripeColour(y), bar.at(x0 + paddedWidth + 2, y)) << "right of the patch, y " << y;
    }
    EXPECT_GT(patchRows, 4) << "the text box covers most stripe rows";
}

TEST_F(StripedPainter, ExtendedStyleCorrectionKeepsEveryOtherBit)
{
    HWND w = window(WS_POPUP | WS_BORDER | WS_VISIBLE, WS_EX_ACCEPTFILES | WS_EX_TOPMOST, "Popup");
    const DWORD before = GetWindowLongA(w, GWL_EXSTYLE);
    ASSERT_FALSE(before & WS_EX_WINDOWEDGE);
    ASSERT_TRUE(before & WS_EX_ACCEPTFILES);
    ASSERT_TRUE(before & WS_EX_TOPMOST);
    const CaptionArea a = {1, 1, 500, 20, 590};
    paintStriped(w, a, 1);
    const DWORD after = GetWindowLongA(w, GWL_EXSTYLE);
    EXPECT_TRUE(after & WS_EX_DLGMODALFRAME);
    EXPECT_TRUE(after & WS_EX_ACCEPTFILES) << "the correction adds the modal frame, it does not replace the bits";
    EXPECT_TRUE(after & WS_EX_TOPMOST);
}

TEST_F(StripedPainter, StaticEdgeBecomesAWindowEdge)
{
    HWND w = window(thickFramed, WS_EX_ACCEPTFILES, "Edge");
    // Overlapped windows are created with a window edge whatever they ask
    // for; setting a static edge afterwards takes it away.
    SetWindowLongA(w, GWL_EXSTYLE, GetWindowLongA(w, GWL_EXSTYLE) | WS_EX_STATICEDGE);
    const DWORD before = GetWindowLongA(w, GWL_EXSTYLE);
    ASSERT_TRUE(before & WS_EX_STATICEDGE);
    ASSERT_FALSE(before & WS_EX_WINDOWEDGE);
    CaptionArea a = thickFrameArea(w);
    fillWindowRect(w, 0, 0, 600, a.bottom + 2, marker);
    paintStriped(w, a, 1);
    const DWORD after = GetWindowLongA(w, GWL_EXSTYLE);
    EXPECT_TRUE(after & WS_EX_WINDOWEDGE);
    EXPECT_FALSE(after & WS_EX_STATICEDGE);
    EXPECT_TRUE(after & WS_EX_ACCEPTFILES);
    Bar bar(w, a.top - 1);
    EXPECT_EQ(face_, bar.at(0, 0)) << "the bar moved up one row";
    EXPECT_EQ(marker, bar.at(0, a.bottom + 1 - a.top - 1)) << "and its last copied row with it";
}

TEST_F(StripedPainter, InactiveSolidCaptionIsABareBarUnlessAToolWindow)
{
    Settings.solidInactiveCaption = 1;
    struct {
        DWORD exStyle;
        bool decorated;
    } cases[] = {{0, false}, {WS_EX_TOOLWINDOW, true}};
    for (auto &c : cases) {
        HWND w = window(thickFramed, c.exStyle, "");
        const CaptionArea a = thickFrameArea(w);
        const int inner = a.buttonsRight - 2;
        paintStriped(w, a, 2);
        Bar bar(w, a.top);
        EXPECT_EQ(c.decorated ? closeColour : face_, bar.at(4, 4)) << "tool " << c.decorated;
        EXPECT_EQ(c.decorated ? shadow_ : face_, bar.at(40, 5)) << "tool " << c.decorated;
        EXPECT_EQ(c.decorated ? minimiseColour : face_, bar.at(inner - 17 + 3, 4)) << "tool " << c.decorated;
    }
    // Active, the same plain window is decorated.
    HWND w = window(thickFramed, 0, "");
    const CaptionArea a = thickFrameArea(w);
    paintStriped(w, a, 1);
    EXPECT_EQ(closeColour, Bar(w, a.top).at(4, 4));
}

TEST_F(StripedPainter, ForcedClientEdgeSparesFolderWindows)
{
    Settings.forceClientEdge = 1;
    struct {
        const char *className;
        DWORD style;
        bool gains;
    } cases[] = {
        {"StripedPlainWindow", WS_CAPTION | WS_SYSMENU | WS_VISIBLE, true},
        {"StripedPlainWindow", thickFramed, false},
        {"StripedPlainWindow", thickFramed | DS_MODALFRAME, true},
        {"CabinetWClass", WS_CAPTION | WS_SYSMENU | WS_VISIBLE, false},
        {"ExploreWClass", WS_CAPTION | WS_SYSMENU | WS_VISIBLE, false},
    };
    for (auto &c : cases) {
        HWND w = window(c.style, 0, "Folder", recordingClass(c.className));
        ASSERT_FALSE(GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        paintStriped(w, thickFrameArea(w), 1);
        EXPECT_EQ(c.gains, (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0)
            << c.className << " " << std::hex << c.style;
    }
}

TEST_F(StripedPainter, ButtonAreaOfThreeWidensTheBarByOne)
{
    HWND w = window(thickFramed, 0, "");
    const CaptionArea base = thickFrameArea(w);
    for (int gap : {3, 4}) {
        CaptionArea a = base;
        a.right = a.buttonsRight - gap;
        fillWindowRect(w, 0, a.top, 600, a.bottom + 1, marker);
        paintStriped(w, a, 1);
        Bar bar(w, a.top);
        const int inner = a.buttonsRight - 2;
        EXPECT_EQ(face_, bar.at(inner - 1, 0)) << "gap " << gap;
        EXPECT_EQ(gap == 3 ? face_ : marker, bar.at(inner, 0)) << "gap " << gap;
        EXPECT_EQ(marker, bar.at(inner + 1, 0)) << "gap " << gap;
    }
}

namespace {

struct SkipCall {
    HWND window;
};

DWORD WINAPI paintBareWindow(void *argument)
{
    HWND w = ((SkipCall *)argument)->window;
    HDC dc = GetWindowDC(w);
    StripedCaptionPainter(w, dc, 1, 1, 500, 20, 590, 1);
    ReleaseDC(w, dc);
    return 0;
}

}  // namespace

// ---- Threads ----

namespace {

const char *plainClass() { return windowClass("StripedThreadWindow", DefWindowProcA); }

struct PaintingThread {
    int x;            // window position, so the two do not share pixels
    int paints;       // paints to do
    int torn;         // paints after which a box was not its bitmap
    int checked;
};

DWORD WINAPI paintRepeatedly(void *argument)
{
    PaintingThread *t = (PaintingThread *)argument;
    HWND w = CreateWindowExA(0, plainClass(), "Thread", thickFramed, t->x, 500, 400, 200, NULL, NULL,
                             GetModuleHandleA(NULL), NULL);
    pumpMessages();
    const CaptionArea a = thickFrameArea(w);
    const int inner = a.buttonsRight - 2;
    struct {
        int x;
        COLORREF colour;
    } boxes[] = {{2, closeColour}, {inner - 34, zoomColour}, {inner - 17, minimiseColour}};
    for (int i = 0; i < t->paints; i++) {
        HDC dc = GetWindowDC(w);
        // Wipe the boxes first, so each check sees this paint's copy.
        HBRUSH brush = CreateSolidBrush(marker);
        for (auto &b : boxes) {
            RECT r = {stripedBarLeft + b.x, a.top + 1, stripedBarLeft + b.x + boxWidth, a.top + 1 + boxHeight};
            FillRect(dc, &r, brush);
        }
        DeleteObject(brush);
        StripedCaptionPainter(w, dc, a.left, a.top, a.right, a.bottom, a.buttonsRight, 1);
        bool whole = true;
        for (auto &b : boxes)
            for (int dx : {0, boxWidth / 2, boxWidth - 1}) {
                whole = whole && GetPixel(dc, stripedBarLeft + b.x + dx, a.top + 1 + boxHeight / 2) == b.colour;
                t->checked++;
            }
        if (!whole) t->torn++;
        ReleaseDC(w, dc);
    }
    DestroyWindow(w);
    return 0;
}

}  // namespace

TEST_F(StripedPainter, TwoThreadsPaintingAtOnceNeverTear)
{
    plainClass();
    PaintingThread threads[2] = {{20, 400, 0, 0}, {640, 400, 0, 0}};
    HANDLE handles[2];
    for (int i = 0; i < 2; i++) handles[i] = CreateThread(NULL, 0, paintRepeatedly, &threads[i], 0, NULL);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, handles, TRUE, 120000));
    for (HANDLE h : handles) CloseHandle(h);
    for (auto &t : threads) {
        EXPECT_EQ(0, t.torn) << "of " << t.paints << " paints";
        EXPECT_EQ(t.paints * 9, t.checked);
    }
    EXPECT_EQ(0u, engineLockOwner);
}

// The border test comes before anything is drawn: a window that is not drawn
// is left exactly as it was, also while another thread paints striped
// captions all along, and its paint never waits for theirs to finish.
TEST_F(StripedPainter, WindowWithoutBorderIsSkippedWhileOthersPaint)
{
    plainClass();
    HWND w = window(WS_POPUP | WS_VISIBLE, 0, "Bare");
    fillWindowRect(w, 0, 0, 600, 40, marker);
    const DWORD exBefore = GetWindowLongA(w, GWL_EXSTYLE);
    PaintingThread other = {640, 300, 0, 0};
    HANDLE painter = CreateThread(NULL, 0, paintRepeatedly, &other, 0, NULL);
    for (int i = 0; i < 20; i++) {
        SkipCall call = {w};
        HANDLE thread = CreateThread(NULL, 0, paintBareWindow, &call, 0, NULL);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000)) << "the bare window's paint waited";
        CloseHandle(thread);
    }
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(painter, 120000));
    CloseHandle(painter);
    EXPECT_EQ(0, other.torn);
    EXPECT_EQ(exBefore, (DWORD)GetWindowLongA(w, GWL_EXSTYLE));
    EXPECT_EQ(marker, WindowPixels(w).at(10, 5));
}

// ---- Cost ----

namespace {


}  // namespace

TEST_F(StripedPainter, PaintsLeaveNoGdiObjectsBehind)
{
    HWND w = window(thickFramed, 0, "Leaks");
    const CaptionArea a = thickFrameArea(w);
    expectPaintsKeepGdiHandles(500, [&](int i) { paintStriped(w, a, 1 + i % 2); });
}
