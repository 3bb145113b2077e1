// The window table: insertion, lookup, removal and the restore at unload.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "subclass/window_shade.h"
#include "support/test_windows.h"

class WindowTable : public ::testing::Test {
protected:
    void SetUp() override { clearWindowTable(); }
    void TearDown() override
    {
        for (HWND w : windows) DestroyWindow(w);
        clearWindowTable();
    }
    HWND window()
    {
        HWND w = createTestWindow(WS_OVERLAPPEDWINDOW);
        windows.push_back(w);
        return w;
    }
    std::vector<HWND> windows;
};

static LRESULT CALLBACK thirdPartyProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(w, m, wp, lp);
}

TEST_F(WindowTable, InsertionRecordsTheProcedureAndInstallsOurs)
{
    HWND w = window();
    WNDPROC own = (WNDPROC)GetWindowLongPtrA(w, GWLP_WNDPROC);
    int slot = subclassIntoTable(w, StaticWindowProc);
    ASSERT_EQ(0, slot);
    EXPECT_EQ(w, windowHandles[0]);
    EXPECT_EQ(own, previousProcs[0]);
    EXPECT_EQ((LONG_PTR)StaticWindowProc, GetWindowLongPtrA(w, GWLP_WNDPROC));
    EXPECT_EQ(0, findWindowSlot(w));
    EXPECT_EQ(-1, subclassIntoTable(w, StaticWindowProc)) << "a window takes one slot";
    EXPECT_EQ(1, findFreeSlot());
}

TEST_F(WindowTable, FreedSlotIsReusedFirst)
{
    HWND a = window(), b = window(), c = window(), d = window();
    subclassIntoTable(a, StaticWindowProc);
    subclassIntoTable(b, StaticWindowProc);
    subclassIntoTable(c, StaticWindowProc);
    WNDPROC own = previousProcs[1];
    releaseWindowSlot(b);
    EXPECT_EQ((LONG_PTR)own, GetWindowLongPtrA(b, GWLP_WNDPROC));
    EXPECT_EQ(-1, findWindowSlot(b));
    EXPECT_EQ(1, findFreeSlot());
    EXPECT_EQ(1, subclassIntoTable(d, StaticWindowProc));
    releaseWindowSlot(b);  // not in the table: nothing happens
    EXPECT_EQ(d, windowHandles[1]);
}

TEST_F(WindowTable, FullTableSubclassesNothingMore)
{
    // Fill every slot with handles that are not windows, then one real one.
    for (int i = 0; i < windowTableCapacity; i++) windowHandles[i] = (HWND)(ULONG_PTR)(0x10000 + i * 4);
    HWND w = window();
    WNDPROC own = (WNDPROC)GetWindowLongPtrA(w, GWLP_WNDPROC);
    EXPECT_EQ(-1, findFreeSlot());
    EXPECT_EQ(-1, subclassIntoTable(w, StaticWindowProc));
    EXPECT_EQ((LONG_PTR)own, GetWindowLongPtrA(w, GWLP_WNDPROC));
    windowHandles[4321] = NULL;
    EXPECT_EQ(4321, subclassIntoTable(w, StaticWindowProc));
    releaseWindowSlot(w);
}

static LRESULT CALLBACK unicodeOwnProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return DefWindowProcW(w, m, wp, lp);
}

static LRESULT CALLBACK unicodeThirdPartyProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return DefWindowProcW(w, m, wp, lp);
}

// A window that was Unicode gets the engine's Unicode procedure, stays
// Unicode, and gets its own procedure back as a Unicode one, at removal and
// at unload; one somebody subclassed after the engine keeps theirs.
TEST_F(WindowTable, UnicodeWindowsStayUnicodeThroughInsertionRemovalAndRestore)
{
    WNDCLASSW c = {};
    c.lpfnWndProc = unicodeOwnProc;
    c.hInstance = GetModuleHandleW(NULL);
    c.lpszClassName = L"VarnelUnicodeTable";
    RegisterClassW(&c);
    HWND w[3];
    for (HWND &each : w) {
        each = CreateWindowExW(0, c.lpszClassName, L"\u0436", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL, NULL,
                               c.hInstance, NULL);
        ASSERT_TRUE(each != NULL);
        windows.push_back(each);
    }
    HWND ansi = window();
    for (HWND each : {w[0], w[1], w[2], ansi}) ASSERT_GE(subclassIntoTable(each, StaticWindowProc, unicodeStaticWindowProc), 0);
    for (int i = 0; i < 3; i++) {
        EXPECT_TRUE(IsWindowUnicode(w[i]));
        EXPECT_EQ(1, unicodeWindows[findWindowSlot(w[i])]);
        EXPECT_EQ((LONG_PTR)unicodeStaticWindowProc, GetWindowLongPtrW(w[i], GWLP_WNDPROC));
        EXPECT_EQ((WNDPROC)unicodeOwnProc, previousProcs[findWindowSlot(w[i])]);
    }
    EXPECT_EQ(0, unicodeWindows[findWindowSlot(ansi)]);
    EXPECT_EQ((LONG_PTR)StaticWindowProc, GetWindowLongPtrA(ansi, GWLP_WNDPROC));

    releaseWindowSlot(w[0]);
    EXPECT_EQ((LONG_PTR)unicodeOwnProc, GetWindowLongPtrW(w[0], GWLP_WNDPROC));
    EXPECT_TRUE(IsWindowUnicode(w[0]));

    SetWindowLongPtrW(w[2], GWLP_WNDPROC, (LONG_PTR)unicodeThirdPartyProc);
    restoreAllWindows();
    EXPECT_EQ((LONG_PTR)unicodeOwnProc, GetWindowLongPtrW(w[1], GWLP_WNDPROC));
    EXPECT_TRUE(IsWindowUnicode(w[1]));
    EXPECT_EQ((LONG_PTR)unicodeThirdPartyProc, GetWindowLongPtrW(w[2], GWLP_WNDPROC));
    EXPECT_FALSE(IsWindowUnicode(ansi));
    wchar_t text[8] = {};
    GetWindowTextW(w[1], text, 8);
    EXPECT_EQ(std::wstring(L"\u0436"), std::wstring(text));
}

TEST_F(WindowTable, RestoreGivesProceduresAndHeightsBack)
{
    HWND plain = window(), rolled = window(), taken = window();
    WNDPROC plainOwn = (WNDPROC)GetWindowLongPtrA(plain, GWLP_WNDPROC);
    WNDPROC rolledOwn = (WNDPROC)GetWindowLongPtrA(rolled, GWLP_WNDPROC);
    subclassIntoTable(plain, StaticWindowProc);
    int r = subclassIntoTable(rolled, StaticWindowProc);
    subclassIntoTable(taken, StaticWindowProc);
    // Somebody else subclasses after the engine.
    SetWindowLongPtrA(taken, GWLP_WNDPROC, (LONG_PTR)thirdPartyProc);
    // A roll-up as the shade does it: 25 pixels high, the old height saved.
    RECT before;
    GetWindowRect(rolled, &before);
    SetWindowPos(rolled, HWND_BOTTOM, 0, 0, 260, rolledUpHeight, shadeResizeFlags);
    rolledUp[r] = 1;
    unrolledHeight[r] = before.bottom - before.top;

    restoreAllWindows();
    unrollAllWindows(0);

    EXPECT_EQ((LONG_PTR)plainOwn, GetWindowLongPtrA(plain, GWLP_WNDPROC));
    EXPECT_EQ((LONG_PTR)rolledOwn, GetWindowLongPtrA(rolled, GWLP_WNDPROC));
    EXPECT_EQ((LONG_PTR)thirdPartyProc, GetWindowLongPtrA(taken, GWLP_WNDPROC));
    RECT after;
    GetWindowRect(rolled, &after);
    EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);
    EXPECT_EQ(260, after.right - after.left) << "the width it has now";
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
    EXPECT_EQ(0, rolledUp[r]);
    EXPECT_EQ(0, unrolledHeight[r]);
}

static DWORD WINAPI insertFromThread(LPVOID arg)
{
    HWND *windows = (HWND *)arg;
    for (int i = 0; i < 200; i++) subclassIntoTable(windows[i], StaticWindowProc);
    return 0;
}

TEST_F(WindowTable, TwoThreadsNeverShareASlot)
{
    // Handles need not be windows of the thread for the claim itself; use
    // windows of this thread so the procedure swap is real.
    std::vector<HWND> first, second;
    for (int i = 0; i < 200; i++) first.push_back(window());
    for (int i = 0; i < 200; i++) second.push_back(window());
    HANDLE t1 = CreateThread(NULL, 0, insertFromThread, first.data(), 0, NULL);
    HANDLE t2 = CreateThread(NULL, 0, insertFromThread, second.data(), 0, NULL);
    WaitForSingleObject(t1, INFINITE);
    WaitForSingleObject(t2, INFINITE);
    CloseHandle(t1);
    CloseHandle(t2);
    std::vector<int> seen(windowTableCapacity, 0);
    for (HWND w : windows) {
        int slot = findWindowSlot(w);
        ASSERT_GE(slot, 0);
        EXPECT_EQ(0, seen[slot]++);
    }
    EXPECT_EQ(400, findFreeSlot());
    for (HWND w : windows) releaseWindowSlot(w);
}

TEST_F(WindowTable, LookupsStayRightThroughChurn)
{
    // Many windows in and out in a scrambled order: every lookup must give
    // the one slot that holds the window, and insertion the lowest free slot.
    std::vector<HWND> live;
    for (int i = 0; i < 300; i++) {
        HWND w = window();
        ASSERT_EQ(i, subclassIntoTable(w, StaticWindowProc));
        live.push_back(w);
    }
    unsigned seed = 12345;
    for (int round = 0; round < 600; round++) {
        seed = seed * 1103515245u + 12345u;
        size_t k = (seed >> 8) % live.size();
        HWND gone = live[k];
        int slot = findWindowSlot(gone);
        ASSERT_GE(slot, 0);
        releaseWindowSlot(gone);
        ASSERT_EQ(-1, findWindowSlot(gone));
        int lowest = -1;
        for (int i = 0; i < windowTableCapacity && lowest < 0; i++)
            if (!windowHandles[i]) lowest = i;
        ASSERT_EQ(lowest, findFreeSlot());
        ASSERT_EQ(lowest, subclassIntoTable(gone, StaticWindowProc));
        for (HWND w : live) {
            int s = findWindowSlot(w);
            ASSERT_GE(s, 0);
            ASSERT_EQ(w, windowHandles[s]);
        }
    }
    for (HWND w : live) releaseWindowSlot(w);
    EXPECT_EQ(-1, findWindowSlotInUse());
}
