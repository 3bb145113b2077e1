// The top of a skinned window's frame drawn by the engine at WM_NCPAINT: the
// same pixels as the system's frame painting around the strip for the frames,
// boxes, icons and states a program gives its windows; drawn from a kept
// picture once it has been composed; the window's own handling given only the
// rows below it; and the system's frame painting left to do it where the
// engine cannot know what the system would draw.
#include <gtest/gtest.h>

#include "caption/frame_top.h"
#include "caption/strip_cache.h"
#include "engine/settings.h"
#include "support/caption_pair.h"
#include "support/engine_test.h"
#include "support/frame_top_check.h"
#include "support/gdi_handles.h"
#include "support/settings_file.h"
#include "support/test_windows.h"

namespace {

class FrameTop : public EngineTest {
protected:
    FrameTop() : EngineTest(bothEngineHooks) {}
    // Tool windows' captions too, to prove their small close box.
    std::string settingsText() override { return settingsFileFor({{"gradientSteps", 16}, {"skipToolWindowCaptions", 0}}); }
};

// The window in front, as an active window is: the engine paints its strip
// active only then, and draws the frame's top only where the two agree.
void bringToFront(HWND window)
{
    SetForegroundWindow(window);
    SetActiveWindow(window);
    pumpMessages();
}

CaptionRecipe recipe(DWORD style, DWORD exStyle, bool active, CaptionIcon icon = classSmallIcon)
{
    CaptionRecipe r = {};
    r.style = style | WS_VISIBLE;
    r.exStyle = exStyle;
    r.icon = icon;
    r.active = active;
    r.title = "Frame top";
    r.width = 380;
    r.height = 80 + 2 * GetSystemMetrics(SM_CYCAPTION);
    return r;
}

// Compares one window both ways; expects the engine to have drawn the
// frame's top in the first paint (and in any the change queued before it).
void expectSameAsFramePainting(HWND window, const char *what)
{
    std::string where;
    int drawn = 0;
    EXPECT_EQ(0, frameTopDiffersFromFramePainting(window, &where, &drawn)) << what << ": " << where;
    EXPECT_GE(drawn, 1) << what << ": the engine did not draw the frame's top";
}

// The region a window's own WM_NCPAINT handling was last given, as its box
// in window coordinates (empty for the whole-window value).
RECT lastRegionBox;
LRESULT CALLBACK regionRecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCPAINT) {
        SetRectEmpty(&lastRegionBox);
        RECT w;
        if (wParam > 1 && GetWindowRect(window, &w) && GetRgnBox((HRGN)wParam, &lastRegionBox) != ERROR)
            OffsetRect(&lastRegionBox, -w.left, -w.top);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

// Frames, boxes and icons in both states: sizing and dialog frames, modal
// frames, tool windows, a caption without a system menu, minimise or
// maximise boxes alone, client edges, a menu bar and scroll bars below the
// caption, and the window's own icon or the default one.
TEST_F(FrameTop, AgreesWithTheFramePaintingForEveryFrame)
{
    struct Frame {
        const char *what;
        DWORD style, exStyle;
        CaptionIcon icon;
    } frames[] = {
        {"overlapped window", WS_OVERLAPPEDWINDOW, 0, classSmallIcon},
        {"overlapped window, default icon", WS_OVERLAPPEDWINDOW, 0, noOwnIcon},
        {"own big icon, client edge", WS_OVERLAPPEDWINDOW, WS_EX_CLIENTEDGE, ownBigIcon},
        {"sizing, minimise box alone", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, 0, classSmallIcon},
        {"sizing, maximise box alone", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX, 0, classSmallIcon},
        {"dialog frame, system menu", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, classSmallIcon},
        {"modal frame, no icon", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, noOwnIcon},
        {"modal frame, sizing", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_EX_DLGMODALFRAME, ownSmallIcon},
        {"no system menu", WS_CAPTION | WS_THICKFRAME, 0, classSmallIcon},
        {"tool window, sizing", WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_EX_TOOLWINDOW, noOwnIcon},
        {"tool window, thin", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, noOwnIcon},
        {"scroll bars", WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, WS_EX_WINDOWEDGE, classBigIcon},
    };
    for (const Frame &f : frames)
        for (bool active : {true, false}) {
            CaptionPair pair(recipe(f.style, f.exStyle, active, f.icon), 30, 40);
            ASSERT_TRUE(pair.engineWindow()) << f.what;
            if (active) bringToFront(pair.engineWindow());
            expectSameAsFramePainting(pair.engineWindow(), (std::string(f.what) + (active ? ", active" : ", inactive")).c_str());
        }
}

// The striped look's bar in place of the gradient's strip: the top around
// it is the system's as well.
TEST_F(FrameTop, AgreesWithTheFramePaintingUnderTheStripedLook)
{
    Settings.macButtons = 1;
    for (DWORD style : {(DWORD)WS_OVERLAPPEDWINDOW, (DWORD)(WS_POPUP | WS_CAPTION | WS_SYSMENU)})
        for (bool active : {true, false}) {
            CaptionPair pair(recipe(style, 0, active), 30, 40);
            ASSERT_TRUE(pair.engineWindow());
            if (active) bringToFront(pair.engineWindow());
            expectSameAsFramePainting(pair.engineWindow(), active ? "striped, active" : "striped, inactive");
        }
}

// What the program changes after it made the window: a menu bar, Close
// greyed in its system menu (then taken out of it), a maximised window's
// restore box, and captions without the gradient.
TEST_F(FrameTop, AgreesWithTheFramePaintingAfterTheProgramChangesIt)
{
    CaptionPair pair(recipe(WS_OVERLAPPEDWINDOW, 0, true), 30, 40);
    HWND w = pair.engineWindow();
    ASSERT_TRUE(w);
    bringToFront(w);
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_STRING, 1, "&File");
    SetMenu(w, bar);
    expectSameAsFramePainting(w, "menu bar");
    EnableMenuItem(GetSystemMenu(w, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    expectSameAsFramePainting(w, "Close greyed");
    DeleteMenu(GetSystemMenu(w, FALSE), SC_CLOSE, MF_BYCOMMAND);
    expectSameAsFramePainting(w, "Close taken out");
    GetSystemMenu(w, TRUE);
    ShowWindow(w, SW_MAXIMIZE);
    pumpMessages();
    expectSameAsFramePainting(w, "maximised");
    ShowWindow(w, SW_RESTORE);
    pumpMessages();
    BOOL gradient = FALSE;
    SystemParametersInfoA(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0);
    SystemParametersInfoA(SPI_SETGRADIENTCAPTIONS, 0, (PVOID)(INT_PTR)!gradient, 0);
    expectSameAsFramePainting(w, gradient ? "gradient captions off" : "gradient captions on");
    SystemParametersInfoA(SPI_SETGRADIENTCAPTIONS, 0, (PVOID)(INT_PTR)gradient, 0);
    SetMenu(w, NULL);
    DestroyMenu(bar);
}

// The picture is kept: a second paint of the same window copies it (a hit of
// the cache it shares with the title strips), a change of state composes
// another, and a system colour changed meanwhile is never shown from the old
// picture.
TEST_F(FrameTop, IsDrawnFromAKeptPictureThatFollowsTheColours)
{
    CaptionPair pair(recipe(WS_OVERLAPPEDWINDOW, 0, true), 30, 40);
    HWND w = pair.engineWindow();
    ASSERT_TRUE(w);
    bringToFront(w);
    SendMessageA(w, WM_NCPAINT, 1, 0);
    const unsigned drawn = frameTopsPainted, hits = stripCacheHits;
    SendMessageA(w, WM_NCPAINT, 1, 0);
    EXPECT_EQ(drawn + 1, frameTopsPainted);
    EXPECT_GE(stripCacheHits, hits + 2) << "the strip and the frame's top both from kept pictures";

    const int element = COLOR_3DFACE;
    const COLORREF face = GetSysColor(element), other = face ^ 0x204060;
    SetSysColors(1, &element, &other);
    pumpMessages();
    expectSameAsFramePainting(w, "face colour changed");
    SetSysColors(1, &element, &face);
    pumpMessages();
    expectSameAsFramePainting(w, "face colour put back");
}

// The window's own handling gets the rows below the frame's top: a region
// whose box starts at the caption bar's bottom line's next row, so that the
// system's frame painting never reaches the bar; a region that does not
// reach the top is passed on as it came, the top left alone.
TEST_F(FrameTop, LeavesTheOwnHandlingTheRowsBelow)
{
    const char *cls = windowClass("VarnelFrameTopRegion", regionRecordingProcedure, GetSysColorBrush(COLOR_WINDOW));
    HWND w = track(CreateWindowExA(0, cls, "Regions", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 60, 360, 220, NULL,
                                   NULL, GetModuleHandleA(NULL), NULL));
    ASSERT_TRUE(w);
    pumpMessages();
    RECT rows, win;
    ASSERT_TRUE(frameTopOf(w, GetWindowLongA(w, GWL_STYLE), GetWindowLongA(w, GWL_EXSTYLE), &rows));
    GetWindowRect(w, &win);
    const unsigned drawn = frameTopsPainted;
    SendMessageA(w, WM_NCPAINT, 1, 0);
    EXPECT_EQ(drawn + 1, frameTopsPainted);
    EXPECT_EQ(rows.bottom, lastRegionBox.top);
    EXPECT_EQ(win.bottom - win.top, lastRegionBox.bottom);
    EXPECT_EQ(win.right - win.left, lastRegionBox.right);

    // The bottom frame alone: the frame's top is not drawn.
    HRGN bottom = CreateRectRgn(win.left, win.bottom - 4, win.right, win.bottom);
    SendMessageA(w, WM_NCPAINT, (WPARAM)bottom, 0);
    EXPECT_EQ(drawn + 1, frameTopsPainted);
    EXPECT_EQ(win.bottom - win.top - 4, lastRegionBox.top);
    DeleteObject(bottom);

    // A region reaching into the caption: the top drawn, the region cut below it.
    HRGN corner = CreateRectRgn(win.left, win.top, win.left + 30, win.bottom);
    SendMessageA(w, WM_NCPAINT, (WPARAM)corner, 0);
    EXPECT_EQ(drawn + 2, frameTopsPainted);
    EXPECT_EQ(rows.bottom, lastRegionBox.top);
    EXPECT_EQ(30, lastRegionBox.right);
    DeleteObject(corner);
    // A handle that is no region: nothing drawn from it, nothing thrown.
    SendMessageA(w, WM_NCPAINT, (WPARAM)0x12345678, 0);
    EXPECT_EQ(drawn + 2, frameTopsPainted);
}

// Where the engine cannot know what the system would draw, the system's frame
// painting draws the top: a static edge (Wine redraws it as a window edge
// after a style change), a minimised window, and a frame whose recorded
// activation is not the state the strip was painted in (a program that kept
// its caption active while another window is in front).
TEST_F(FrameTop, LeavesTheTopToTheSystemWhereItCannotKnowIt)
{
    CaptionPair edge(recipe(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME, false),
                     30, 40);
    ASSERT_TRUE(edge.engineWindow());
    unsigned drawn = frameTopsPainted;
    SendMessageA(edge.engineWindow(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(drawn, frameTopsPainted) << "static edge, extended style " << std::hex
                                       << GetWindowLongA(edge.engineWindow(), GWL_EXSTYLE);

    CaptionPair kept(recipe(WS_OVERLAPPEDWINDOW, 0, false), 30, 40);
    HWND w = kept.engineWindow();
    ASSERT_TRUE(w);
    SendMessageA(w, WM_NCACTIVATE, TRUE, 0);
    drawn = frameTopsPainted;
    SendMessageA(w, WM_NCPAINT, 1, 0);
    EXPECT_EQ(drawn, frameTopsPainted) << "recorded active, painted inactive";
    SendMessageA(w, WM_NCACTIVATE, FALSE, 0);
    SendMessageA(w, WM_NCPAINT, 1, 0);
    EXPECT_EQ(drawn + 1, frameTopsPainted) << "recorded inactive, painted inactive";

    ShowWindow(w, SW_MINIMIZE);
    pumpMessages();
    drawn = frameTopsPainted;
    SendMessageA(w, WM_NCPAINT, 1, 0);
    EXPECT_EQ(drawn, frameTopsPainted) << "minimised";
}

// Repaints and activation changes leave no GDI object behind, the picture
// kept included: 400 repaints alternating the two states.
TEST_F(FrameTop, LeavesNoGdiObjectBehind)
{
    CaptionPair pair(recipe(WS_OVERLAPPEDWINDOW, 0, true, noOwnIcon), 30, 40);
    HWND w = pair.engineWindow();
    ASSERT_TRUE(w);
    for (int i = 0; i < 4; i++) {
        SendMessageA(w, WM_NCACTIVATE, i % 2, 0);
        SendMessageA(w, WM_NCPAINT, 1, 0);
    }
    const int before = freeGdiHandles();
    ASSERT_GT(before, 1000);
    for (int i = 0; i < 400; i++) {
        SendMessageA(w, WM_NCACTIVATE, i % 2, 0);
        SendMessageA(w, WM_NCPAINT, 1, 0);
    }
    EXPECT_EQ(before, freeGdiHandles());
}
