// List views, taskbar tabs and toolbars restyled by the after-message hook:
// real common controls on this thread, the engine's after-message hook
// installed for the thread, settings switched per case.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "engine/settings.h"
#include "hooks/control_restyle.h"
#include "support/after_hook_controls.h"
#include "support/message_log.h"
#include "support/pixels.h"
#include "support/test_windows.h"

TEST(ControlStyles, ListViewsWantHotTrackingAndDragDropAndGridLinesOnRequest)
{
    EXPECT_EQ((DWORD)(LVS_EX_TRACKSELECT | LVS_EX_HEADERDRAGDROP), wantedListViewStyles(0));
    EXPECT_EQ((DWORD)(LVS_EX_TRACKSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_GRIDLINES), wantedListViewStyles(1));
    EXPECT_EQ(0x900, flatToolbarStyles);
}

TEST(ControlStyles, TaskbarTabsBecomeFlatHotTrackingButtonsOnOneLine)
{
    struct {
        LONG style, flat;
    } cases[] = {
        {TCS_MULTILINE | TCS_BUTTONS, TCS_BUTTONS | TCS_FLATBUTTONS | TCS_HOTTRACK},
        {TCS_BUTTONS, TCS_BUTTONS | TCS_FLATBUTTONS | TCS_HOTTRACK},
        {TCS_BUTTONS | TCS_FLATBUTTONS | TCS_HOTTRACK, TCS_BUTTONS | TCS_FLATBUTTONS | TCS_HOTTRACK},
        {(LONG)(WS_CHILD | WS_VISIBLE | TCS_FIXEDWIDTH | TCS_MULTILINE | TCS_BUTTONS),
         (LONG)(WS_CHILD | WS_VISIBLE | TCS_FIXEDWIDTH | TCS_BUTTONS | TCS_FLATBUTTONS | TCS_HOTTRACK)},
    };
    for (auto &c : cases) {
        EXPECT_EQ(c.flat, flatTaskbarTabStyle(c.style)) << std::hex << c.style;
        EXPECT_EQ(c.flat, flatTaskbarTabStyle(c.flat)) << "flat stays flat";
    }
}

class ControlRestyle : public AfterHookControlsTest {
protected:
    void TearDown() override
    {
        removeRecordingHooks();
        AfterHookControlsTest::TearDown();
    }
    HWND listView(HWND parent, DWORD extendedStyle)
    {
        HWND lv = createChild(WC_LISTVIEWA, LVS_REPORT, parent, 10, 10, 200, 120);
        SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extendedStyle);
        return lv;
    }
    static DWORD extendedStyle(HWND lv) { return (DWORD)SendMessageA(lv, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0); }
    // Sends one of the messages the list-view stage answers, with arguments
    // a list view can take.
    static void sendStageMessage(HWND window, UINT message)
    {
        if (message == WM_NCCALCSIZE) {
            RECT r = {0, 0, 100, 100};
            SendMessageA(window, WM_NCCALCSIZE, FALSE, (LPARAM)&r);
        } else if (message == WM_ERASEBKGND) {
            Canvas canvas(50, 50, RGB(0, 0, 0));
            SendMessageA(window, WM_ERASEBKGND, (WPARAM)canvas.dc(), 0);
        } else if (message == WM_ACTIVATE) {
            SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
        } else {
            SendMessageA(window, message, 0, 0);
        }
    }
    int setsSentTo(HWND window, UINT setMessage) { return countMessages(window, setMessage, messageFromBeforeHook); }
};

TEST_F(ControlRestyle, ListViewGainsHotTrackingAndHeaderDragDropOnceKeepingItsOtherStyles)
{
    HWND parent = createParent();
    Settings.listViewHotTrack = 1;
    Settings.listViewGridLines = 0;
    installRecordingHooks();
    for (UINT message : {WM_ACTIVATE, WM_NCCALCSIZE, WM_ERASEBKGND}) {
        Settings.listViewHotTrack = 0;
        HWND lv = listView(parent, LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
        Settings.listViewHotTrack = 1;
        clearMessageLog();
        sendStageMessage(lv, message);
        EXPECT_EQ((DWORD)(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES | LVS_EX_TRACKSELECT | LVS_EX_HEADERDRAGDROP),
                  extendedStyle(lv))
            << "message " << std::hex << message;
        EXPECT_EQ(1, setsSentTo(lv, LVM_SETEXTENDEDLISTVIEWSTYLE)) << "message " << std::hex << message;
        sendStageMessage(lv, message);
        EXPECT_EQ(1, setsSentTo(lv, LVM_SETEXTENDEDLISTVIEWSTYLE)) << "no set while it holds the bits";
    }
}

TEST_F(ControlRestyle, ListViewStylesOnlyForTheirMessagesAndWhileSwitchedOn)
{
    HWND parent = createParent();
    HWND lv = listView(parent, 0);
    installRecordingHooks();
    Settings.listViewHotTrack = 1;
    for (UINT message : {WM_NCHITTEST, WM_NCPAINT, WM_SETTEXT, WM_WINDOWPOSCHANGED}) sendStageMessage(lv, message);
    EXPECT_EQ(0u, extendedStyle(lv)) << "other messages leave the list view alone";
    Settings.listViewHotTrack = 0;
    for (UINT message : {WM_ACTIVATE, WM_NCCALCSIZE, WM_ERASEBKGND}) sendStageMessage(lv, message);
    EXPECT_EQ(0u, extendedStyle(lv)) << "hot tracking switched off";
    EXPECT_EQ(0, setsSentTo(lv, LVM_SETEXTENDEDLISTVIEWSTYLE));
}

TEST_F(ControlRestyle, GridLinesJoinOnlyWhenAskedAndOnlyOnce)
{
    HWND parent = createParent();
    HWND lv = listView(parent, LVS_EX_TRACKSELECT | LVS_EX_HEADERDRAGDROP);
    installRecordingHooks();
    clearMessageLog();
    Settings.listViewHotTrack = 1;
    Settings.listViewGridLines = 0;
    sendStageMessage(lv, WM_ERASEBKGND);
    EXPECT_EQ(0, setsSentTo(lv, LVM_SETEXTENDEDLISTVIEWSTYLE)) << "already holds the wanted bits";
    Settings.listViewGridLines = 1;
    sendStageMessage(lv, WM_ERASEBKGND);
    EXPECT_EQ(1, setsSentTo(lv, LVM_SETEXTENDEDLISTVIEWSTYLE));
    EXPECT_EQ((DWORD)(LVS_EX_TRACKSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_GRIDLINES), extendedStyle(lv));
    sendStageMessage(lv, WM_ACTIVATE);
    EXPECT_EQ(1, setsSentTo(lv, LVM_SETEXTENDEDLISTVIEWSTYLE));
}

// A list view of an old common-controls library under its own class name:
// its procedure does not know the list-view messages and answers 0.
TEST_F(ControlRestyle, OldListViewClassIsAskedTheSameWay)
{
    HWND parent = createParent();
    HWND lv = createChild(recordingClass("ListViewWndClass"), 0, parent);
    installRecordingHooks();
    Settings.listViewHotTrack = 1;
    sendStageMessage(lv, WM_ERASEBKGND);
    ASSERT_EQ(1, setsSentTo(lv, LVM_SETEXTENDEDLISTVIEWSTYLE));
    for (auto &m : messagesOf(lv))
        if (m.message == LVM_SETEXTENDEDLISTVIEWSTYLE) {
            EXPECT_EQ(0u, m.wParam) << "mask 0: the whole value";
            EXPECT_EQ((LPARAM)(LVS_EX_TRACKSELECT | LVS_EX_HEADERDRAGDROP), m.lParam);
        }
}

TEST_F(ControlRestyle, ListViewTextBackgroundBecomesTransparentOnNonClientPaint)
{
    HWND parent = createParent();
    HWND lv = listView(parent, 0);
    const COLORREF own = RGB(10, 120, 30);
    SendMessageA(lv, LVM_SETTEXTBKCOLOR, 0, own);

    Settings.transparentListText = 0;
    SendMessageA(lv, WM_NCPAINT, 1, 0);
    EXPECT_EQ(own, (COLORREF)SendMessageA(lv, LVM_GETTEXTBKCOLOR, 0, 0)) << "switched off";

    Settings.transparentListText = 1;
    SendMessageA(lv, WM_NCHITTEST, 0, 0);
    EXPECT_EQ(own, (COLORREF)SendMessageA(lv, LVM_GETTEXTBKCOLOR, 0, 0)) << "only WM_NCPAINT";
    SendMessageA(lv, WM_NCPAINT, 1, 0);
    EXPECT_EQ(CLR_NONE, (COLORREF)SendMessageA(lv, LVM_GETTEXTBKCOLOR, 0, 0));

    SendMessageA(lv, LVM_SETTEXTBKCOLOR, 0, own);
    SendMessageA(lv, WM_NCPAINT, 1, 0);
    EXPECT_EQ(CLR_NONE, (COLORREF)SendMessageA(lv, LVM_GETTEXTBKCOLOR, 0, 0)) << "on every WM_NCPAINT";
}

TEST_F(ControlRestyle, OnlyTaskbarTabsWithButtonsAreFlattened)
{
    const LONG tabBits = TCS_MULTILINE | TCS_BUTTONS | TCS_FLATBUTTONS | TCS_HOTTRACK;
    struct {
        const char *parentClass;
        LONG style;
        int flatTabs;
        LONG expected;
        const char *why;
    } cases[] = {
        {"MSTaskSwWClass", TCS_MULTILINE | TCS_BUTTONS, 1, TCS_BUTTONS | TCS_FLATBUTTONS | TCS_HOTTRACK,
         "the task switcher's tabs"},
        {"VarnelTestWindow", TCS_MULTILINE | TCS_BUTTONS, 1, TCS_MULTILINE | TCS_BUTTONS, "tabs elsewhere"},
        {"MSTaskSwWClass", TCS_MULTILINE, 1, TCS_MULTILINE, "taskbar tabs without TCS_BUTTONS"},
        {"MSTaskSwWClass", TCS_MULTILINE | TCS_BUTTONS, 0, TCS_MULTILINE | TCS_BUTTONS, "flatTabs off"},
    };
    installRecordingHooks();
    for (auto &c : cases) {
        HWND parent = createParent(recordingClass(c.parentClass));
        HWND tab = createChild(WC_TABCONTROLA, c.style, parent, 10, 10, 300, 40);
        LONG before = GetWindowLongA(tab, GWL_STYLE);
        ASSERT_EQ(c.style, before & tabBits) << c.why;
        Settings.flatTabs = c.flatTabs;
        clearMessageLog();
        SendMessageA(tab, WM_NCHITTEST, 0, 0);
        SendMessageA(tab, WM_NCHITTEST, 0, 0);
        LONG after = GetWindowLongA(tab, GWL_STYLE);
        EXPECT_EQ(c.expected, after & tabBits) << c.why;
        EXPECT_EQ(before & ~tabBits, after & ~tabBits) << c.why << ": other style bits kept";
        EXPECT_EQ(c.expected != c.style ? 1 : 0, countMessages(tab, WM_STYLECHANGED, messageFromBeforeHook))
            << c.why << ": the style is written once";
        Settings.flatTabs = 0;
    }
}

TEST_F(ControlRestyle, TaskbarTabsShowTheDesktopWhenErased)
{
    HWND parent = createParent(recordingClass("MSTaskSwWClass"));
    HWND tab = createChild(WC_TABCONTROLA, TCS_BUTTONS, parent, 10, 10, 300, 40);
    pumpMessages();
    Settings.flatTabs = 1;
    const POINT probes[] = {{5, 5}, {150, 20}, {290, 35}};

    WindowPixels painted(tab);
    Canvas desktop(painted.width(), painted.height(), RGB(1, 2, 3));
    PaintDesktop(desktop.dc());
    bool differs = false;
    for (POINT p : probes) differs |= painted.at(p.x, p.y) != desktop.at(p.x, p.y);
    if (!differs) GTEST_SKIP() << "the desktop looks like the tab control here";

    Canvas eraseTarget(300, 40, RGB(0, 0, 0));
    Settings.tabDesktopBackground = 0;
    SendMessageA(tab, WM_ERASEBKGND, (WPARAM)eraseTarget.dc(), 0);
    WindowPixels untouched(tab);
    for (POINT p : probes) EXPECT_EQ(painted.at(p.x, p.y), untouched.at(p.x, p.y)) << "switched off";
    ValidateRect(tab, NULL);

    Settings.tabDesktopBackground = 1;
    SendMessageA(tab, WM_NCHITTEST, 0, 0);
    WindowPixels notErased(tab);
    for (POINT p : probes) EXPECT_EQ(painted.at(p.x, p.y), notErased.at(p.x, p.y)) << "only WM_ERASEBKGND";

    SendMessageA(tab, WM_ERASEBKGND, (WPARAM)eraseTarget.dc(), 0);
    WindowPixels shown(tab);
    for (POINT p : probes) EXPECT_EQ(desktop.at(p.x, p.y), shown.at(p.x, p.y)) << p.x << "," << p.y;
    RECT update;
    EXPECT_TRUE(GetUpdateRect(tab, &update, FALSE)) << "the tabs are painted again over the desktop";
}

class ToolbarRestyle : public ControlRestyle {
protected:
    HWND toolbar(HWND parent, DWORD style, const char *className = TOOLBARCLASSNAME)
    {
        return createChild(className, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | style, parent, 20, 30,
                           200, 30);
    }
    // From a clean start (the parent painted, no non-client paint queued for
    // the toolbar, the log empty), flatToolbars switched on and the toolbar's
    // next message through the hooks.
    void switchFlatToolbarsOnAndPass(HWND parent, HWND tb)
    {
        ValidateRect(parent, NULL);
        postedNonClientPaints(tb);
        installRecordingHooks();
        clearMessageLog();
        Settings.flatToolbars = 1;
        SendMessageA(tb, WM_NCHITTEST, 0, 0);
    }
    static int postedNonClientPaints(HWND window)
    {
        int n = 0;
        MSG m;
        while (PeekMessageA(&m, window, WM_NCPAINT, WM_NCPAINT, PM_REMOVE)) n++;
        return n;
    }
};

TEST_F(ToolbarRestyle, ToolbarBecomesFlatWithTooltipsOnceAndItsParentRepaintsBehindIt)
{
    HWND parent = createParent();
    HWND tb = toolbar(parent, 0);
    pumpMessages();
    LRESULT before = SendMessageA(tb, TB_GETSTYLE, 0, 0);
    ASSERT_NE(flatToolbarStyles, before & flatToolbarStyles);

    switchFlatToolbarsOnAndPass(parent, tb);
    LRESULT after = SendMessageA(tb, TB_GETSTYLE, 0, 0);
    EXPECT_EQ(flatToolbarStyles, after & flatToolbarStyles);
    EXPECT_EQ(before, after & before) << "the toolbar's other styles stay";
    EXPECT_EQ(1, setsSentTo(tb, TB_SETSTYLE));

    RECT expected, update;
    GetWindowRect(tb, &expected);
    MapWindowPoints(NULL, parent, (POINT *)&expected, 2);
    ASSERT_TRUE(GetUpdateRect(parent, &update, FALSE)) << "the parent repaints behind the toolbar";
    EXPECT_EQ(expected.left, update.left);
    EXPECT_EQ(expected.top, update.top);
    EXPECT_EQ(expected.right, update.right);
    EXPECT_EQ(expected.bottom, update.bottom);
    EXPECT_EQ(1, postedNonClientPaints(tb));

    ValidateRect(parent, NULL);
    SendMessageA(tb, WM_NCHITTEST, 0, 0);
    EXPECT_EQ(1, setsSentTo(tb, TB_SETSTYLE)) << "already flat: no second set";
    EXPECT_FALSE(GetUpdateRect(parent, &update, FALSE));
    EXPECT_EQ(0, postedNonClientPaints(tb));
}

TEST_F(ToolbarRestyle, AlreadyFlatToolbarIsNeitherInvalidatedNorSentNonClientPaint)
{
    HWND parent = createParent();
    HWND tb = toolbar(parent, TBSTYLE_FLAT | TBSTYLE_TOOLTIPS);
    pumpMessages();
    switchFlatToolbarsOnAndPass(parent, tb);
    SendMessageA(tb, WM_STYLECHANGED, GWL_STYLE, 0);
    RECT update;
    EXPECT_EQ(0, setsSentTo(tb, TB_SETSTYLE));
    EXPECT_FALSE(GetUpdateRect(parent, &update, FALSE));
    EXPECT_EQ(0, postedNonClientPaints(tb));
}

// A toolbar with no parent has nothing behind it to invalidate; the windows
// around it are left alone, and it still gets its frame repainted.
TEST_F(ToolbarRestyle, ToolbarWithoutParentIsFlattenedWithoutRepaintingOtherWindows)
{
    HWND neighbour = createParent(NULL, 400, 300);
    HWND tb = track(CreateWindowExA(0, TOOLBARCLASSNAME, "", WS_POPUP | WS_VISIBLE | CCS_NORESIZE | CCS_NOPARENTALIGN,
                                    60, 60, 200, 30, NULL, NULL, GetModuleHandleA(NULL), NULL));
    ASSERT_TRUE(GetParent(tb) == NULL);
    pumpMessages();
    ValidateRect(neighbour, NULL);
    postedNonClientPaints(tb);
    Settings.flatToolbars = 1;
    SendMessageA(tb, WM_NCHITTEST, 0, 0);
    EXPECT_EQ(flatToolbarStyles, SendMessageA(tb, TB_GETSTYLE, 0, 0) & flatToolbarStyles);
    RECT update;
    EXPECT_FALSE(GetUpdateRect(neighbour, &update, FALSE)) << "the window beneath is not repainted";
    EXPECT_EQ(1, postedNonClientPaints(tb));
}

TEST_F(ToolbarRestyle, ToolbarsAreLeftAloneWhileFlatToolbarsIsOff)
{
    HWND parent = createParent();
    HWND tb = toolbar(parent, 0);
    pumpMessages();
    LRESULT before = SendMessageA(tb, TB_GETSTYLE, 0, 0);
    Settings.flatToolbars = 0;
    SendMessageA(tb, WM_NCHITTEST, 0, 0);
    EXPECT_EQ(before, SendMessageA(tb, TB_GETSTYLE, 0, 0));
}

// The gripper's pixels, from its four rectangles drawn in order with a
// one-pixel pen: light stroke and cap first, then the dark stroke and foot
// over them.
static void expectedGripper(int h, std::vector<std::pair<POINT, COLORREF>> *pixels)
{
    for (int y = 4; y <= h - 7; y++) pixels->push_back({{4, y}, gripperLightColour});
    pixels->push_back({{5, 4}, gripperLightColour});
    pixels->push_back({{5, 5}, gripperLightColour});
    for (int y = 4; y <= h - 6; y++) pixels->push_back({{6, y}, gripperDarkColour});
    pixels->push_back({{4, h - 6}, gripperDarkColour});
    pixels->push_back({{5, h - 6}, gripperDarkColour});
}

TEST_F(ToolbarRestyle, ControlBarToolbarsGetAGripperWhenErased)
{
    struct {
        const char *toolbarClass;
        const char *parentClass;
        int grippers;
        int tileBackgrounds;
        UINT message;
        bool drawn;
        const char *why;
    } cases[] = {
        {TOOLBARCLASSNAME, "AfxControlBar40", 1, 0, WM_ERASEBKGND, true, "a flat toolbar in a control bar"},
        {TOOLBARCLASSNAME, "VarnelTestWindow", 1, 0, WM_ERASEBKGND, false, "a toolbar elsewhere"},
        {TOOLBARCLASSNAME, "AfxControlBar40", 0, 0, WM_ERASEBKGND, false, "grippers switched off"},
        {TOOLBARCLASSNAME, "AfxControlBar40", 1, 0, WM_NCHITTEST, false, "only when erased"},
        {TOOLBARCLASSNAME, "AfxControlBar40", 1, 1, WM_ERASEBKGND, false, "tiling ends the hook first"},
        {"ToolbarWndClass", "AfxControlBar40", 1, 1, WM_ERASEBKGND, true, "an old toolbar class is not tiled"},
    };
    for (auto &c : cases) {
        HWND bar = createParent(recordingClass(c.parentClass), 300, 120);
        const char *cls = strcmp(c.toolbarClass, "ToolbarWndClass") == 0 ? recordingClass(c.toolbarClass)
                                                                           : c.toolbarClass;
        HWND tb = toolbar(bar, TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, cls);
        pumpMessages();
        RECT r;
        GetWindowRect(tb, &r);
        std::vector<std::pair<POINT, COLORREF>> gripper;
        expectedGripper(r.bottom - r.top, &gripper);
        WindowPixels before(tb);

        Settings.flatToolbars = 1;
        Settings.controlBarGrippers = c.grippers;
        Settings.tileBackgrounds = c.tileBackgrounds;
        Canvas eraseTarget(200, 30, RGB(0, 0, 0));
        SendMessageA(tb, c.message, (WPARAM)eraseTarget.dc(), 0);
        WindowPixels after(tb);
        int asGripper = 0, asBefore = 0;
        for (auto &p : gripper) {
            if (after.at(p.first.x, p.first.y) == p.second) asGripper++;
            if (after.at(p.first.x, p.first.y) == before.at(p.first.x, p.first.y)) asBefore++;
        }
        if (c.drawn)
            EXPECT_EQ((int)gripper.size(), asGripper) << c.why;
        else
            EXPECT_EQ((int)gripper.size(), asBefore) << c.why;
        EXPECT_EQ(before.at(5, 10), after.at(5, 10)) << c.why << ": between the strokes nothing is drawn";
        Settings.flatToolbars = 0;
        Settings.controlBarGrippers = 0;
        Settings.tileBackgrounds = 0;
        DestroyWindow(bar);
        pumpMessages();
    }
}
