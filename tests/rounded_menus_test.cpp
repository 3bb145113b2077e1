// Rounded popup menus: a menu window ("#32768") gets a rounded window region
// at its first message after subclassing and again at every size change;
// other windows get none, but are marked as done.
#include <gtest/gtest.h>

#include <vector>

#include "engine/settings.h"
#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "support/engine_test.h"
#include "support/test_windows.h"
#include "tools/gallery/dialog_template.h"

static const char menuClass[] = "#32768";

static int hasRegion(HWND window)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int type = GetWindowRgn(window, region);
    DeleteObject(region);
    return type != ERROR;
}

// Whether the window's region holds the point (window coordinates).
static int regionHolds(HWND window, int x, int y)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int holds = GetWindowRgn(window, region) != ERROR && PtInRegion(region, x, y);
    DeleteObject(region);
    return holds;
}

static SIZE sizeOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    SIZE s = {r.right - r.left, r.bottom - r.top};
    return s;
}

// The four corner pixels are cut away; the middle of every edge and the
// centre stay.
static void expectRoundedCorners(HWND window)
{
    SIZE s = sizeOf(window);
    SCOPED_TRACE(testing::Message() << "window " << s.cx << "x" << s.cy);
    ASSERT_TRUE(hasRegion(window));
    EXPECT_FALSE(regionHolds(window, 0, 0));
    EXPECT_FALSE(regionHolds(window, s.cx - 1, 0));
    EXPECT_FALSE(regionHolds(window, 0, s.cy - 1));
    EXPECT_FALSE(regionHolds(window, s.cx - 1, s.cy - 1));
    EXPECT_TRUE(regionHolds(window, s.cx / 2, s.cy / 2));
    EXPECT_TRUE(regionHolds(window, s.cx / 2, 0));
    EXPECT_TRUE(regionHolds(window, 0, s.cy / 2));
    EXPECT_TRUE(regionHolds(window, s.cx - 1, s.cy / 2));
    EXPECT_TRUE(regionHolds(window, s.cx / 2, s.cy - 1));
    // A 25-pixel corner: a few pixels in along the diagonal the menu shows.
    EXPECT_TRUE(regionHolds(window, 6, 6));
    // The region reaches past the window on every side, so the edges
    // themselves are never clipped.
    EXPECT_TRUE(regionHolds(window, -1, s.cy / 2));
    EXPECT_TRUE(regionHolds(window, s.cx / 2, -1));
    EXPECT_TRUE(regionHolds(window, s.cx + 1, s.cy / 2));
    EXPECT_TRUE(regionHolds(window, s.cx / 2, s.cy + 1));
    EXPECT_FALSE(regionHolds(window, s.cx + 3, s.cy / 2));
    EXPECT_FALSE(regionHolds(window, -2, s.cy / 2));
}

class RoundedMenus : public FeatureOnTest {
protected:
    RoundedMenus() : FeatureOnTest("roundedWindows", &SettingsRecord::roundedWindows) {}
};

TEST_F(RoundedMenus, MenuWindowGetsItsRegionAtItsFirstMessage)
{
    HWND menu = track(CreateWindowExA(0, menuClass, NULL, WS_POPUP, 40, 40, 120, 90, NULL, NULL, NULL, NULL));
    ASSERT_TRUE(menu != NULL);
    int slot = subclassIntoTable(menu, StaticWindowProc);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(0, regionApplied[slot]);
    EXPECT_FALSE(hasRegion(menu));
    SendMessageA(menu, WM_NULL, 0, 0);
    EXPECT_EQ(1, regionApplied[slot]);
    expectRoundedCorners(menu);
}

TEST_F(RoundedMenus, RegionIsRebuiltDuringEachSizeChange)
{
    HWND menu = track(CreateWindowExA(0, menuClass, NULL, WS_POPUP, 40, 40, 120, 90, NULL, NULL, NULL, NULL));
    int slot = subclassIntoTable(menu, StaticWindowProc);
    SendMessageA(menu, WM_NULL, 0, 0);
    ASSERT_TRUE(hasRegion(menu));
    EXPECT_TRUE(regionHolds(menu, 100, 60));
    EXPECT_FALSE(regionHolds(menu, 150, 130)) << "outside the old size";

    SetWindowPos(menu, NULL, 0, 0, 180, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(1, regionApplied[slot]) << "cleared and rebuilt within WM_SIZE";
    expectRoundedCorners(menu);
    EXPECT_TRUE(regionHolds(menu, 119, 89)) << "the old corner lies inside now";
    EXPECT_TRUE(regionHolds(menu, 150, 130));

    SetWindowPos(menu, NULL, 0, 0, 60, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    expectRoundedCorners(menu);
}

TEST_F(RoundedMenus, SwitchedOffNoRegionButSizeStillClearsTheMark)
{
    Settings.roundedWindows = 0;
    HWND menu = track(CreateWindowExA(0, menuClass, NULL, WS_POPUP, 40, 40, 120, 90, NULL, NULL, NULL, NULL));
    int slot = subclassIntoTable(menu, StaticWindowProc);
    SendMessageA(menu, WM_NULL, 0, 0);
    EXPECT_FALSE(hasRegion(menu));
    EXPECT_EQ(0, regionApplied[slot]);
    regionApplied[slot] = 1;
    SendMessageA(menu, WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 90));
    EXPECT_EQ(0, regionApplied[slot]);
}

// A region that is already there is not built again until the next size
// change: the mark, not the region, decides.
TEST_F(RoundedMenus, MarkedMenuIsLeftAlone)
{
    HWND menu = track(CreateWindowExA(0, menuClass, NULL, WS_POPUP, 40, 40, 120, 90, NULL, NULL, NULL, NULL));
    int slot = subclassIntoTable(menu, StaticWindowProc);
    regionApplied[slot] = 1;
    SendMessageA(menu, WM_NULL, 0, 0);
    EXPECT_FALSE(hasRegion(menu));
}


static INT_PTR CALLBACK plainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST_F(RoundedMenus, DialogGetsNoRegionButIsMarkedDone)
{
    DialogTemplate t;
    beginDialogTemplate(&t, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 0, 120, 80, "");
    HWND dialog =
        track(CreateDialogIndirectParamA(GetModuleHandleA(NULL), dialogTemplateData(t), NULL, plainDialogProc, 0));
    ASSERT_TRUE(dialog != NULL);
    char name[64];
    GetClassNameA(dialog, name, sizeof name);
    ASSERT_STREQ("#32770", name);
    int slot = subclassIntoTable(dialog, StaticWindowProc);
    SendMessageA(dialog, WM_NULL, 0, 0);
    EXPECT_EQ(1, regionApplied[slot]);
    EXPECT_FALSE(hasRegion(dialog));
    SetWindowPos(dialog, NULL, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(1, regionApplied[slot]);
    EXPECT_FALSE(hasRegion(dialog));
}

// A real popup menu, shown by TrackPopupMenu: its window is subclassed as
// it is created (as the before-message hook would on WM_CREATE) and looked
// at while the menu loop idles.
static HHOOK cbtHook;
static std::vector<HWND> menusSubclassed;

static LRESULT CALLBACK subclassMenus(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = (HWND)wParam;
    char name[64];
    if (code == HCBT_CREATEWND && GetClassNameA(window, name, sizeof name) && strcmp(name, menuClass) == 0) {
        subclassIntoTable(window, StaticWindowProc);
        menusSubclassed.push_back(window);
    }
    if (code == HCBT_DESTROYWND) releaseWindowSlot(window);
    return CallNextHookEx(NULL, code, wParam, lParam);
}

struct MenuSeen {
    HWND window = NULL;
    int idleCalls = 0;
};
static MenuSeen menuSeen;

// Checks run while the menu is open; gtest's assertions work from here
// since this is the test's own thread.
static void inspectOpenMenu(HWND menu)
{
    menuSeen.window = menu;
    int slot = findWindowSlot(menu);
    EXPECT_GE(slot, 0);
    if (slot >= 0) EXPECT_EQ(1, regionApplied[slot]);
    expectRoundedCorners(menu);
    SIZE before = sizeOf(menu);
    SetWindowPos(menu, NULL, 0, 0, before.cx + 40, before.cy + 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    expectRoundedCorners(menu);
    EXPECT_TRUE(regionHolds(menu, before.cx - 1, before.cy - 1));
}

static LRESULT CALLBACK menuOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENTERIDLE && wParam == MSGF_MENU) {
        if (menuSeen.idleCalls++ == 0) inspectOpenMenu((HWND)lParam);
        EndMenu();
        return 0;
    }
    if (message == WM_TIMER) {  // in case the loop never idles
        EndMenu();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(RoundedMenus, RealPopupMenuIsRoundedAndRebuiltAfterResize)
{
    HWND owner = track(CreateWindowExA(0, windowClass("VarnelMenuOwner", menuOwnerProc), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 300,
                                      200, NULL, NULL, NULL, NULL));
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 1, "First item of the menu");
    AppendMenuA(popup, MF_STRING, 2, "Second");
    AppendMenuA(popup, MF_STRING, 3, "Third");
    SetTimer(owner, 1, 5000, NULL);
    menuSeen = MenuSeen();
    cbtHook = SetWindowsHookExA(WH_CBT, subclassMenus, NULL, GetCurrentThreadId());
    // The menu loop ends as soon as its owner loses the activation, which a
    // window of a test running beside this one can take: try again then.
    for (int attempt = 0; attempt < 5 && menuSeen.idleCalls == 0; attempt++) {
        menusSubclassed.clear();
        SetForegroundWindow(owner);
        TrackPopupMenu(popup, TPM_RETURNCMD, 100, 100, 0, owner, NULL);
    }
    UnhookWindowsHookEx(cbtHook);
    KillTimer(owner, 1);
    DestroyMenu(popup);

    ASSERT_GE(menuSeen.idleCalls, 1) << "the menu loop never idled";
    ASSERT_EQ(1u, menusSubclassed.size());
    EXPECT_EQ(menusSubclassed[0], menuSeen.window);
}
