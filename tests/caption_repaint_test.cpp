// The caption repaint on real windows: the title area handed to the plug-in
// for every layout row, the gates in front of the paint, the activation state
// of each message, and the before-message hook's caption stage. The sample
// plug-in writes one line per call it receives, which is the record read here.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "caption/caption_repaint.h"
#include "engine/settings.h"
#include "hooks/before_hook_stages.h"
#include "hooks/hooks.h"
#include "support/caption_rows.h"
#include "support/message_log.h"
#include "support/pixels.h"
#include "support/settings_file.h"
#include "support/test_engine.h"
#include "support/test_windows.h"

struct TitleCall {
    unsigned long long window;
    int left, top, right, bottom, buttonsRight, state;
};

static CaptionMetrics systemMetrics()
{
    static const struct {
        int CaptionMetrics::*field;
        int index;
    } read[] = {
        {&CaptionMetrics::frameWidth, SM_CXFRAME},       {&CaptionMetrics::frameHeight, SM_CYFRAME},
        {&CaptionMetrics::edgeWidth, SM_CXEDGE},         {&CaptionMetrics::edgeHeight, SM_CYEDGE},
        {&CaptionMetrics::captionButtonWidth, SM_CXSIZE}, {&CaptionMetrics::captionHeight, SM_CYCAPTION},
        {&CaptionMetrics::smallCaptionHeight, SM_CYSMCAPTION}, {&CaptionMetrics::smallIconWidth, SM_CXSMICON},
    };
    CaptionMetrics m;
    for (const auto &r : read) m.*r.field = GetSystemMetrics(r.index);
    return m;
}

static unsigned long long handleNumber(HWND window) { return (unsigned long long)(ULONG_PTR)window; }

// The engine is attached once for all tests, with the sample plug-in in its
// folder; each test starts from the settings as attach left them.
class CaptionRepaint : public ::testing::Test {
protected:
    static TestFolder *folder;
    static std::string logPath;
    static SettingsRecord attached;

    static void SetUpTestSuite()
    {
        folder = new TestFolder("repaint");
        // Eight bands, so that the gradient painter has bands to paint.
        folder->write("\\varnels\\vl.ini", settingsFileFor({{"gradientSteps", 8}}));
        folder->write("\\varnels\\vlplug.ini", "");
        folder->copyIn(shippedFile(pluginLibraryName), std::string("\\varnels\\") + pluginLibraryName);
        logPath = folder->file("\\plugin.log");
        SetEnvironmentVariableA("VARNEL_PLUGIN_LOG", logPath.c_str());
        ASSERT_TRUE(attachEngine(*folder));
        attached = Settings;
    }

    static void TearDownTestSuite()
    {
        detachEngine();
        SetEnvironmentVariableA("VARNEL_PLUGIN_LOG", NULL);
        FreeLibrary(GetModuleHandleA(pluginLibraryName));
        delete folder;
        folder = NULL;
    }

    void SetUp() override
    {
        ASSERT_EQ(1, attached.usePlugin) << "the sample plug-in did not load";
        Settings = attached;
        lastActiveState = 0;
        clearCalls();
    }

    void TearDown() override
    {
        for (HWND w : windows_) DestroyWindow(w);
        windows_.clear();
        pumpMessages();
    }

    HWND make(DWORD style, DWORD exStyle = 0, int w = 300, int h = 200)
    {
        HWND window = createTestWindow(style, exStyle, w, h);
        windows_.push_back(window);
        return window;
    }

    static void clearCalls() { DeleteFileA(logPath.c_str()); }

    static std::vector<TitleCall> calls()
    {
        std::vector<TitleCall> result;
        FILE *f = fopen(logPath.c_str(), "rb");
        if (!f) return result;
        char line[200];
        while (fgets(line, sizeof line, f)) {
            TitleCall c;
            if (sscanf(line, "title %llu %d %d %d %d %d %d", &c.window, &c.left, &c.top, &c.right, &c.bottom,
                       &c.buttonsRight, &c.state) == 7)
                result.push_back(c);
        }
        fclose(f);
        return result;
    }

    // The one call the plug-in received since the last clear.
    static TitleCall onlyCall()
    {
        std::vector<TitleCall> c = calls();
        EXPECT_EQ(1u, c.size());
        return c.empty() ? TitleCall{0, 0, 0, 0, 0, 0, -1} : c[0];
    }

    std::vector<HWND> windows_;
};

TestFolder *CaptionRepaint::folder;
std::string CaptionRepaint::logPath;
SettingsRecord CaptionRepaint::attached;

static void expectArea(const CaptionArea &a, const TitleCall &c)
{
    EXPECT_EQ(a.left, c.left);
    EXPECT_EQ(a.top, c.top);
    EXPECT_EQ(a.right, c.right);
    EXPECT_EQ(a.bottom, c.bottom);
    EXPECT_EQ(a.buttonsRight, c.buttonsRight);
}

struct RowWindow {
    int row;
    DWORD style;
    DWORD exStyle;
    bool icon;  // the system draws one: the default icon, for these windows have none of their own
};

static const RowWindow rowWindows[] = {
    {1, WS_OVERLAPPEDWINDOW, 0, true},
    {2, WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, WS_EX_CONTEXTHELP, true},
    {3, WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, WS_EX_TOOLWINDOW, false},
    {4, WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, 0, true},
    {5, WS_CAPTION | WS_THICKFRAME, 0, false},
    {6, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_CONTEXTHELP, true},
    {7, WS_CAPTION | WS_SYSMENU, WS_EX_CONTEXTHELP, true},
    {8, WS_CAPTION, WS_EX_CONTEXTHELP, false},
    {9, WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, false},
    {10, WS_CAPTION, WS_EX_TOOLWINDOW, false},
    {11, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, true},
    {12, WS_CAPTION | WS_SYSMENU, 0, true},
    {13, WS_CAPTION, 0, false},
    // A modal frame without an icon of its own or its class's shows none.
    {4, WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, WS_EX_DLGMODALFRAME, false},
    {12, WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, false},
    {1, WS_OVERLAPPEDWINDOW, WS_EX_DLGMODALFRAME, false},
    {2, WS_CAPTION | WS_THICKFRAME, WS_EX_CONTEXTHELP, false},
};

TEST_F(CaptionRepaint, EveryLayoutRowReachesThePlugInWithItsEightValues)
{
    Settings.skipToolWindowCaptions = 0;
    const CaptionMetrics m = systemMetrics();
    for (const RowWindow &r : rowWindows) {
        SCOPED_TRACE(testing::Message() << "row " << r.row << " exStyle " << std::hex << r.exStyle);
        HWND w = make(r.style, r.exStyle, 250 + 10 * r.row);
        clearCalls();
        EXPECT_EQ(1, paintCaptionForMessage(WM_NCPAINT, 1, 0, w));
        TitleCall c = onlyCall();
        EXPECT_EQ(handleNumber(w), c.window);
        expectArea(expectedCaptionArea(r.row, windowWidth(w), m, r.icon), c);
        EXPECT_EQ(stateByForeground, c.state);
    }
}

// Where a modal-frame window's icon comes from: its own small or big icon
// (WM_SETICON), its class's small or big icon. Any of them puts the title
// area after the icon's place, as the system then draws the icon.
TEST_F(CaptionRepaint, AModalFrameWindowWithAnIconOfItsOwnOrItsClassesLeavesTheIconsPlace)
{
    HICON icon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    WNDCLASSEXA wc = {sizeof wc};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "VarnelBigIconClass";
    wc.hIcon = icon;
    RegisterClassExA(&wc);
    wc.lpszClassName = "VarnelSmallIconClass";
    wc.hIcon = NULL;
    wc.hIconSm = icon;
    RegisterClassExA(&wc);
    const struct {
        const char *what;
        const char *className;
        WPARAM ownIcon;  // ICON_SMALL or ICON_BIG set with WM_SETICON, or none (-1)
        DWORD style;
        int row;
    } cases[] = {
        {"own small icon, thin frame", NULL, ICON_SMALL, WS_CAPTION | WS_SYSMENU, 12},
        {"own big icon, thin frame", NULL, ICON_BIG, WS_CAPTION | WS_SYSMENU, 12},
        {"class big icon, thick frame", "VarnelBigIconClass", (WPARAM)-1, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 4},
        {"class small icon, thick frame", "VarnelSmallIconClass", (WPARAM)-1,
         WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        HWND w = createTestWindow(c.style, WS_EX_DLGMODALFRAME, 300, 200, "Test", c.className);
        windows_.push_back(w);
        if (c.ownIcon != (WPARAM)-1) SendMessageA(w, WM_SETICON, c.ownIcon, (LPARAM)icon);
        clearCalls();
        repaintCaption(w, GetWindowLongA(w, GWL_STYLE), stateInactive);
        expectArea(expectedCaptionArea(c.row, windowWidth(w), systemMetrics(), true), onlyCall());
        // Taken away again, the system falls back to no icon at all.
        if (c.ownIcon != (WPARAM)-1) {
            SendMessageA(w, WM_SETICON, c.ownIcon, 0);
            clearCalls();
            repaintCaption(w, GetWindowLongA(w, GWL_STYLE), stateInactive);
            expectArea(expectedCaptionArea(c.row, windowWidth(w), systemMetrics(), false), onlyCall());
        }
    }
}

TEST_F(CaptionRepaint, LayoutFollowsTheStyleGivenNotTheWindowsOwn)
{
    HWND w = make(WS_CAPTION | WS_SYSMENU);  // row 12 by its own style
    repaintCaption(w, WS_OVERLAPPEDWINDOW, stateInactive);
    TitleCall c = onlyCall();
    expectArea(expectedCaptionArea(1, windowWidth(w), systemMetrics(), true), c);
    EXPECT_EQ(stateInactive, c.state);
}

TEST_F(CaptionRepaint, MinimisedWindowIsPaintedOnlyWithMacButtonsAndOnePixelHigher)
{
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ShowWindow(w, SW_MINIMIZE);
    pumpMessages();
    ASSERT_TRUE(IsIconic(w));
    clearCalls();

    Settings.macButtons = 0;
    EXPECT_EQ(1, paintCaptionForMessage(WM_NCPAINT, 1, 0, w));
    repaintCaption(w, GetWindowLongA(w, GWL_STYLE), stateActive);
    EXPECT_TRUE(calls().empty());

    // With the plug-in in use macButtons only opens this gate; the plug-in
    // still gets the paint, not the striped painter.
    Settings.macButtons = 1;
    repaintCaption(w, GetWindowLongA(w, GWL_STYLE), stateActive);
    TitleCall c = onlyCall();
    CaptionArea a = expectedCaptionArea(1, windowWidth(w), systemMetrics(), true);
    a.top -= 1;
    expectArea(a, c);
    EXPECT_EQ(stateActive, c.state);
}

TEST_F(CaptionRepaint, MacButtonsLeaveTheTopOfAWindowThatIsNotMinimised)
{
    Settings.macButtons = 1;
    HWND w = make(WS_OVERLAPPEDWINDOW);
    repaintCaption(w, GetWindowLongA(w, GWL_STYLE), stateActive);
    expectArea(expectedCaptionArea(1, windowWidth(w), systemMetrics(), true), onlyCall());
}

TEST_F(CaptionRepaint, ToolWindowCaptionsAreSkippedWhenConfigured)
{
    ASSERT_EQ(1, Settings.skipToolWindowCaptions) << "the default";
    HWND thickTool = make(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, WS_EX_TOOLWINDOW);
    HWND thinTool = make(WS_CAPTION, WS_EX_TOOLWINDOW);
    HWND plain = make(WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(1, paintCaptionForMessage(WM_NCPAINT, 1, 0, thickTool));
    EXPECT_EQ(1, paintCaptionForMessage(WM_NCPAINT, 1, 0, thinTool));
    EXPECT_TRUE(calls().empty());
    paintCaptionForMessage(WM_NCPAINT, 1, 0, plain);
    EXPECT_EQ(handleNumber(plain), onlyCall().window);

    Settings.skipToolWindowCaptions = 0;
    clearCalls();
    paintCaptionForMessage(WM_NCPAINT, 1, 0, thinTool);
    EXPECT_EQ(handleNumber(thinTool), onlyCall().window);
}

static LRESULT CALLBACK mdiChildProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefMDIChildProcA(window, message, wParam, lParam);
}

TEST_F(CaptionRepaint, MdiChildrenAreLeftAloneUnlessSkinned)
{
    windowClass("VarnelMdiChild", mdiChildProcedure);
    HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 500, 400);
    CLIENTCREATESTRUCT ccs = {NULL, 1000};
    HWND client = CreateWindowExA(0, "MDICLIENT", NULL, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 480, 350,
                                  frame, NULL, GetModuleHandleA(NULL), &ccs);
    ASSERT_TRUE(client != NULL);
    HWND child = CreateMDIWindowA("VarnelMdiChild", "child", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 240, 160,
                                  client, GetModuleHandleA(NULL), 0);
    ASSERT_TRUE(child != NULL);
    pumpMessages();
    LONG style = GetWindowLongA(child, GWL_STYLE);
    ASSERT_TRUE(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_MDICHILD);
    ASSERT_EQ((LONG)(WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CAPTION),
              style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CAPTION));
    clearCalls();

    ASSERT_EQ(0, Settings.skinMdiChildren) << "the default";
    EXPECT_EQ(1, paintCaptionForMessage(WM_NCACTIVATE, 1, 0, child));
    repaintCaption(child, style, stateActive);
    EXPECT_TRUE(calls().empty());

    Settings.skinMdiChildren = 1;
    EXPECT_EQ(1, paintCaptionForMessage(WM_NCACTIVATE, 1, 0, child));
    TitleCall c = onlyCall();
    EXPECT_EQ(handleNumber(child), c.window);
    expectArea(expectedCaptionArea(1, windowWidth(child), systemMetrics(), true), c);
    EXPECT_EQ(stateActive, c.state);
}

TEST_F(CaptionRepaint, WindowsWithoutBothCaptionBitsGetZeroAndNoPaint)
{
    struct {
        const char *what;
        DWORD style;
    } uncaptioned[] = {
        {"WS_BORDER alone", WS_POPUP | WS_BORDER},
        {"WS_DLGFRAME alone", WS_POPUP | WS_DLGFRAME},
        {"no frame", WS_POPUP},
    };
    const UINT messages[] = {WM_NCPAINT, WM_NCACTIVATE, WM_MDIACTIVATE, WM_SETTEXT, WM_SYSCOMMAND};
    for (auto &u : uncaptioned) {
        HWND w = make(u.style);
        ASSERT_NE((LONG)WS_CAPTION, GetWindowLongA(w, GWL_STYLE) & WS_CAPTION) << u.what;
        for (UINT message : messages)
            EXPECT_EQ(0, paintCaptionForMessage(message, 1, (LPARAM)w, w)) << u.what << " message " << message;
    }
    EXPECT_TRUE(calls().empty());
}

TEST_F(CaptionRepaint, CaptionedWindowsGetOneEvenWhenNothingIsPainted)
{
    HWND w = make(WS_OVERLAPPEDWINDOW);
    Settings.paintCaptions = 0;
    EXPECT_EQ(1, paintCaptionForMessage(WM_NCPAINT, 1, 0, w));
    EXPECT_EQ(1, paintCaptionForMessage(WM_NCACTIVATE, 0, 0, w));
    EXPECT_EQ(1, paintCaptionForMessage(WM_MDIACTIVATE, 0, (LPARAM)w, w));
    repaintCaption(w, GetWindowLongA(w, GWL_STYLE), stateActive);
    EXPECT_TRUE(calls().empty()) << "paintCaptions 0 paints nothing";

    Settings.paintCaptions = 1;
    EXPECT_EQ(1, paintCaptionForMessage(WM_NCPAINT, 1, 0, w));
    EXPECT_EQ(1u, calls().size());
}

struct StateCase {
    const char *what;
    bool alwaysActive;  // the window carries style bit 0x20
    UINT message;
    WPARAM wParam;
    int lParamIs;  // 0: 0, 1: the window itself, 2: another window
    int state;
};

static const StateCase stateCases[] = {
    {"WM_NCACTIVATE 1", false, WM_NCACTIVATE, 1, 0, stateActive},
    {"WM_NCACTIVATE 0", false, WM_NCACTIVATE, 0, 0, stateInactive},
    {"WM_NCACTIVATE 2 counts as nonzero", false, WM_NCACTIVATE, 2, 0, stateActive},
    {"WM_MDIACTIVATE naming the window", false, WM_MDIACTIVATE, 0, 1, stateActive},
    {"WM_MDIACTIVATE naming another", false, WM_MDIACTIVATE, 0, 2, stateInactive},
    {"WM_NCPAINT leaves it to the painter", false, WM_NCPAINT, 1, 0, stateByForeground},
    {"WM_SETTEXT leaves it to the painter", false, WM_SETTEXT, 0, 0, stateByForeground},
    {"WM_SYSCOMMAND leaves it to the painter", false, WM_SYSCOMMAND, SC_KEYMENU, 0, stateByForeground},
    {"0x20 with WM_NCACTIVATE 0", true, WM_NCACTIVATE, 0, 0, stateActive},
    {"0x20 with WM_MDIACTIVATE naming another", true, WM_MDIACTIVATE, 0, 2, stateActive},
    {"0x20 with WM_NCPAINT", true, WM_NCPAINT, 1, 0, stateActive},
};

TEST_F(CaptionRepaint, StateFollowsTheMessage)
{
    HWND plain = make(WS_OVERLAPPEDWINDOW);
    HWND marked = make(WS_OVERLAPPEDWINDOW | alwaysActiveStyleBit);
    ASSERT_TRUE(GetWindowLongA(marked, GWL_STYLE) & alwaysActiveStyleBit);
    HWND other = make(WS_OVERLAPPEDWINDOW);
    for (const StateCase &s : stateCases) {
        SCOPED_TRACE(s.what);
        HWND w = s.alwaysActive ? marked : plain;
        LPARAM lParam = s.lParamIs == 1 ? (LPARAM)w : s.lParamIs == 2 ? (LPARAM)other : 0;
        clearCalls();
        EXPECT_EQ(1, paintCaptionForMessage(s.message, s.wParam, lParam, w));
        TitleCall c = onlyCall();
        EXPECT_EQ(handleNumber(w), c.window);
        EXPECT_EQ(s.state, c.state);
    }
}

TEST_F(CaptionRepaint, MdiActivateWithoutLParamPaintsTheWindowInWParamAsActive)
{
    Settings.skipToolWindowCaptions = 0;
    Settings.skinMdiChildren = 1;
    HWND w = make(WS_CAPTION | WS_SYSMENU, 0, 300);
    HWND named = make(WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, 260);
    // The window named is taken only as an MDI sibling of the handled one.
    HWND parent = make(WS_OVERLAPPEDWINDOW, 0, 600, 400);
    for (HWND child : {w, named}) {
        SetWindowLongA(child, GWL_STYLE, (GetWindowLongA(child, GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
        SetParent(child, parent);
        SetWindowLongA(child, GWL_EXSTYLE, GetWindowLongA(child, GWL_EXSTYLE) | WS_EX_MDICHILD);
    }
    clearCalls();
    EXPECT_EQ(1, paintCaptionForMessage(WM_MDIACTIVATE, (WPARAM)named, 0, w));
    TitleCall c = onlyCall();
    EXPECT_EQ(handleNumber(named), c.window);
    EXPECT_EQ(stateActive, c.state);
    // The style is the handled window's, the extended style (tool window:
    // row 9, not 12) and the width those of the window named.
    expectArea(expectedCaptionArea(9, 260, systemMetrics(), false), c);
}

TEST_F(CaptionRepaint, MdiActivateNamingNoWindowPaintsNothing)
{
    HWND w = make(WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(1, paintCaptionForMessage(WM_MDIACTIVATE, 0, 0, w));
    repaintCaption(NULL, WS_OVERLAPPEDWINDOW, stateActive);
    EXPECT_TRUE(calls().empty()) << "no caption may be painted into the screen's DC";
}

// The DC taken for a repaint goes back to the cache on every path: the next
// GetWindowDC then finds the same cached DC free again.
TEST_F(CaptionRepaint, EveryPathReleasesTheWindowDC)
{
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND tool = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, WS_EX_TOOLWINDOW);
    HWND icon = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ShowWindow(icon, SW_MINIMIZE);
    pumpMessages();
    struct {
        const char *what;
        HWND window;
        int paintCaptions;
    } paths[] = {
        {"painted", w, 1},
        {"paintCaptions off", w, 0},
        {"tool window skipped", tool, 1},
        {"minimised without macButtons", icon, 1},
    };
    for (auto &p : paths) {
        SCOPED_TRACE(p.what);
        Settings.paintCaptions = p.paintCaptions;
        HDC before = GetWindowDC(p.window);
        ReleaseDC(p.window, before);
        repaintCaption(p.window, GetWindowLongA(p.window, GWL_STYLE), stateActive);
        HDC after = GetWindowDC(p.window);
        ReleaseDC(p.window, after);
        EXPECT_EQ(before, after);
    }
}

// Stage 4 of the before-message hook, called as the hook calls it.
static BeforeHookCall hookCall(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LONG style)
{
    BeforeHookCall call = {};
    call.window = window;
    call.message = message;
    call.wParam = wParam;
    call.lParam = lParam;
    call.style = style;
    return call;
}

static const UINT sixCaptionMessages[] = {WM_MDIACTIVATE, WM_NCLBUTTONDOWN, WM_NCMOUSEMOVE,
                                          WM_SYSCOMMAND,  WM_NCPAINT,       WM_SETTEXT};

// Each of the messages through stage 4 for the window with its style as it
// stands: what the stage answers for every one.
template <size_t count>
static void expectStageAnswersEach(HookStageResult expected, HWND w, const UINT (&messages)[count],
                                   WPARAM wParam = 0)
{
    for (UINT message : messages) {
        BeforeHookCall call = hookCall(w, message, wParam, 0, GetWindowLongA(w, GWL_STYLE));
        EXPECT_EQ(expected, repaintCaptionBeforeHandling(call)) << "message " << message;
    }
}

TEST_F(CaptionRepaint, HookStageRepaintsSixMessagesAndReturnsZero)
{
    HWND w = make(WS_OVERLAPPEDWINDOW);
    HWND other = make(WS_OVERLAPPEDWINDOW);
    LONG style = GetWindowLongA(w, GWL_STYLE);
    lastActiveState = stateInactive;
    for (UINT message : sixCaptionMessages) {
        SCOPED_TRACE(message);
        clearCalls();
        BeforeHookCall call = hookCall(w, message, 0, (LPARAM)other, style);
        EXPECT_EQ(stageReturnsZero, repaintCaptionBeforeHandling(call));
        TitleCall c = onlyCall();
        EXPECT_EQ(handleNumber(w), c.window);
        // The recorded state, except for WM_MDIACTIVATE, which names the
        // window being activated (here another one).
        EXPECT_EQ(stateInactive, c.state);
    }
    lastActiveState = stateActive;
    clearCalls();
    BeforeHookCall ncPaint = hookCall(w, WM_NCPAINT, 1, 0, style);
    repaintCaptionBeforeHandling(ncPaint);
    EXPECT_EQ(stateActive, onlyCall().state);
    clearCalls();
    BeforeHookCall mdi = hookCall(w, WM_MDIACTIVATE, (WPARAM)other, (LPARAM)w, style);
    lastActiveState = stateInactive;
    repaintCaptionBeforeHandling(mdi);
    EXPECT_EQ(stateActive, onlyCall().state);
}

TEST_F(CaptionRepaint, HookStageChainsOtherMessagesAndUncaptionedWindows)
{
    HWND w = make(WS_OVERLAPPEDWINDOW);
    const UINT otherMessages[] = {WM_GETTEXT, WM_NCACTIVATE, WM_PAINT, WM_NCLBUTTONUP, WM_NCHITTEST, WM_ACTIVATE};
    expectStageAnswersEach(stageChains, w, otherMessages, 253);
    const DWORD uncaptionedStyles[] = {WS_POPUP | WS_BORDER, WS_POPUP | WS_DLGFRAME, WS_POPUP};
    for (DWORD uncaptioned : uncaptionedStyles)
        expectStageAnswersEach(stageChains, make(uncaptioned), sixCaptionMessages);
    EXPECT_TRUE(calls().empty());
}

TEST_F(CaptionRepaint, HookStageUsesTheStyleTheHookHolds)
{
    HWND w = make(WS_OVERLAPPEDWINDOW);
    LONG style = GetWindowLongA(w, GWL_STYLE);
    lastActiveState = stateInactive;
    BeforeHookCall marked = hookCall(w, WM_NCPAINT, 1, 0, style | alwaysActiveStyleBit);
    EXPECT_EQ(stageReturnsZero, repaintCaptionBeforeHandling(marked));
    EXPECT_EQ(stateActive, onlyCall().state);
    clearCalls();
    BeforeHookCall bare = hookCall(w, WM_NCPAINT, 1, 0, style & ~WS_DLGFRAME);
    EXPECT_EQ(stageChains, repaintCaptionBeforeHandling(bare));
    EXPECT_TRUE(calls().empty());
}

TEST_F(CaptionRepaint, HookStageReturnsZeroWhenNothingIsPainted)
{
    HWND w = make(WS_OVERLAPPEDWINDOW);
    Settings.paintCaptions = 0;
    expectStageAnswersEach(stageReturnsZero, w, sixCaptionMessages);
    EXPECT_TRUE(calls().empty());
}

// Installed in front of a recording hook, the engine's before-message hook
// keeps WM_SETTEXT of a captioned window from the later hook, but not from
// the window, and lets WM_GETTEXT through.
TEST_F(CaptionRepaint, InstalledHookEndsTheChainAfterACaptionRepaint)
{
    HWND w = make(WS_OVERLAPPEDWINDOW);
    Settings.subclassWindows = 0;
    installRecordingHooks();
    HHOOK engineHook = SetWindowsHookExA(WH_CALLWNDPROC, SpyCallWndProc2, NULL, GetCurrentThreadId());
    ASSERT_TRUE(engineHook != NULL);
    clearMessageLog();
    SendMessageA(w, WM_SETTEXT, 0, (LPARAM) "Renamed");
    char title[32];
    SendMessageA(w, WM_GETTEXT, sizeof title, (LPARAM)title);
    UnhookWindowsHookEx(engineHook);
    removeRecordingHooks();

    EXPECT_EQ(0, countMessages(w, WM_SETTEXT, messageFromBeforeHook));
    EXPECT_EQ(1, countMessages(w, WM_SETTEXT, messageFromOwnProcedure));
    EXPECT_LE(1, countMessages(w, WM_GETTEXT, messageFromBeforeHook));
    EXPECT_STREQ("Renamed", title);
    std::vector<TitleCall> c = calls();
    ASSERT_EQ(1u, c.size()) << "one repaint, for WM_SETTEXT only";
    EXPECT_EQ(handleNumber(w), c[0].window);
}

// Without the plug-in the gradient painter gets the paint: the first band of
// an active caption carries the active caption colour.
TEST_F(CaptionRepaint, WithoutThePlugInTheGradientPainterPaintsTheTitleArea)
{
    Settings.usePlugin = 0;
    Settings.macButtons = 0;
    HWND w = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    pumpMessages();
    const CaptionArea a = expectedCaptionArea(1, windowWidth(w), systemMetrics(), true);
    const COLORREF active = GetSysColor(COLOR_ACTIVECAPTION);
    const COLORREF sentinel = RGB(255 - GetRValue(active), 255 - GetGValue(active), 255 - GetBValue(active));
    auto fillTitleArea = [&] {
        HDC dc = GetWindowDC(w);
        HBRUSH brush = CreateSolidBrush(sentinel);
        RECT r = {a.left, a.top, a.right, a.bottom};
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        ReleaseDC(w, dc);
    };
    const int x = a.left + 1, y = a.top + 1;

    fillTitleArea();
    ASSERT_EQ(sentinel, plainColour(WindowPixels(w).at(x, y)));
    Settings.paintCaptions = 0;
    repaintCaption(w, GetWindowLongA(w, GWL_STYLE), stateActive);
    EXPECT_EQ(sentinel, plainColour(WindowPixels(w).at(x, y))) << "paintCaptions 0 paints nothing";

    Settings.paintCaptions = 1;
    repaintCaption(w, GetWindowLongA(w, GWL_STYLE), stateActive);
    EXPECT_EQ(plainColour(active), plainColour(WindowPixels(w).at(x, y)));
    EXPECT_TRUE(calls().empty()) << "the plug-in is not called while usePlugin is 0";
}
