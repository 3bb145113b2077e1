// A full window table: 5,001 windows created in one process under the
// engine's hooks. The first 5,000 are subclassed, the last is not and goes on
// working with the hooks alone, nothing else changes, and a slot freed by a
// destroyed window is the one the next new window takes.
#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <set>
#include <vector>

#include "engine/settings.h"
#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "support/engine_test.h"
#include "support/soak.h"
#include "support/test_windows.h"

namespace {

const UINT signatureMessage = WM_USER + 77;

// Answers the signature message with a value made from its own handle, so a
// result that came back through the wrong procedure shows.
LRESULT CALLBACK plainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == signatureMessage) return (LRESULT)((ULONG_PTR)window ^ 0x5A5A5A5Au) + (LRESULT)wParam;
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

const char *plainClass() { return windowClass("VarnelFullTable", plainProcedure); }

// Children of one hidden window (top-level windows would each cost the
// display server a window); captioned ones, for the windows past the table's
// end, go through every caption stage of the hooks as well.
HWND holder;
long long created;
HWND createPlain(int i, bool captioned = false)
{
    created++;
    char title[32];
    wsprintfA(title, "Window %d - table", i);
    const DWORD style = captioned ? WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_SYSMENU : WS_CHILD | WS_VISIBLE;
    return CreateWindowExA(0, plainClass(), title, style, i % 400, i % 300, 200, 100, holder, NULL,
                           GetModuleHandleA(NULL), NULL);
}

bool answers(HWND w)
{
    return SendMessageA(w, signatureMessage, 3, 0) == (LRESULT)((ULONG_PTR)w ^ 0x5A5A5A5Au) + 3;
}

class FullTable : public EngineTest {
protected:
    FullTable() : EngineTest(bothEngineHooks, folderIsCurrent) {}
};

TEST_F(FullTable, TheWindowPastTheLastSlotIsLeftAloneAndFreedSlotsAreTakenAgain)
{
    ASSERT_EQ(5000, windowTableCapacity);
    ASSERT_EQ(-1, findWindowSlotInUse()) << "the table starts empty";
    const int subclassWindows = Settings.subclassWindows, ownerDrawn = Settings.ownerDrawnButtons;
    SoakRandom r(3);
    int failures = 0;
    auto check = [&](bool ok, const char *what) {
        if (!ok) {
            failures++;
            ADD_FAILURE() << what;
        }
        return ok;
    };

    // The system has windows of its own on the thread (Wine's default IME
    // window): they are subclassed like any other and hold their slots.
    holder = track(
        CreateWindowExA(0, plainClass(), "Holder", WS_POPUP, 0, 0, 600, 400, NULL, NULL, GetModuleHandleA(NULL), NULL));
    created = 1;
    ASSERT_TRUE(holder != NULL);
    std::vector<int> systemSlots;
    for (int slot = 0; slot < windowTableSlots; slot++)
        if (windowHandles[slot] && windowHandles[slot] != holder) systemSlots.push_back(slot);
    const int room = windowTableSlots - 1 - (int)systemSlots.size();
    printf("full table: %d slots held by the system's own windows, room for %d\n", (int)systemSlots.size(), room);

    std::vector<HWND> made;
    const DWORD start = GetTickCount();
    for (int i = 0; i < room + 1; i++) {
        HWND w = createPlain(i, i == room);
        ASSERT_TRUE(w != NULL) << "window " << i << " could not be created";
        made.push_back(w);
    }
    printf("full table: %d windows created in %lu ms\n", room + 1, (unsigned long)(GetTickCount() - start));

    // All but the last took the free slots in order; the last took none.
    int inOrder = 0, expectedSlot = 0;
    for (int i = 0; i < room; i++) {
        while (windowHandles[expectedSlot] == holder ||
               std::find(systemSlots.begin(), systemSlots.end(), expectedSlot) != systemSlots.end())
            expectedSlot++;
        if (findWindowSlot(made[i]) == expectedSlot &&
            (WNDPROC)GetWindowLongPtrA(made[i], GWLP_WNDPROC) == StaticWindowProc)
            inOrder++;
        expectedSlot++;
    }
    check(inOrder == room, "every window up to the last slot is subclassed, in slot order");
    HWND last = made.back();
    check(findWindowSlot(last) == -1, "the window past the last slot has no slot");
    check((WNDPROC)GetWindowLongPtrA(last, GWLP_WNDPROC) == plainProcedure, "the window past the last slot keeps its procedure");
    check(Settings.subclassWindows == subclassWindows && Settings.ownerDrawnButtons == ownerDrawn,
          "a full table changes no setting");

    // Nothing breaks: every window answers through whatever procedure it has,
    // and the last one goes on working under the hooks alone.
    int answering = 0;
    for (HWND w : made) answering += answers(w);
    check(answering == (int)made.size(), "every window answers with its own value");
    SendMessageA(last, WM_SETTEXT, 0, (LPARAM) "Past the end - still works");
    char text[64] = "";
    GetWindowTextA(last, text, sizeof text);
    check(strcmp(text, "Past the end - still works") == 0, "the last window's text is set");
    ShowWindow(last, SW_SHOWNOACTIVATE);
    RedrawWindow(last, NULL, NULL, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    SendMessageA(last, WM_NCACTIVATE, 1, 0);
    check(answers(last), "the last window answers after being painted");

    // Freed slots are taken again, lowest first, and only as many as freed.
    const int rounds = soakSize(3, 40);
    for (int round = 0; round < rounds; round++) {
        std::set<int> freed;
        const int count = 1 + (int)r.below(round == 0 ? 3 : 300);
        // Slots of this test's own windows: the holder and the system's
        // windows stay.
        while ((int)freed.size() < count) {
            const int slot = (int)r.below(windowTableSlots);
            if (windowHandles[slot] != holder &&
                std::find(systemSlots.begin(), systemSlots.end(), slot) == systemSlots.end())
                freed.insert(slot);
        }
        for (int slot : freed) {
            HWND w = windowHandles[slot];
            ASSERT_TRUE(w != NULL);
            DestroyWindow(w);
            check(windowHandles[slot] == NULL && findWindowSlot(w) == -1, "a destroyed window leaves its slot");
        }
        for (int slot : freed) {
            HWND w = createPlain(slot);
            ASSERT_TRUE(w != NULL);
            made.push_back(w);
            if (!check(findWindowSlot(w) == slot, "a new window takes the lowest freed slot"))
                printf("full table: expected slot %d, got %d\n", slot, findWindowSlot(w));
        }
        HWND extra = createPlain(-1, true);
        ASSERT_TRUE(extra != NULL);
        made.push_back(extra);
        check(findWindowSlot(extra) == -1 && (WNDPROC)GetWindowLongPtrA(extra, GWLP_WNDPROC) == plainProcedure,
              "once the freed slots are taken, the table is full again");
        DestroyWindow(extra);
        check(answers(last), "the window past the last slot still answers");
    }

    // Every window still in the table is where the table says, and answers.
    int consistent = 0, used = 0;
    for (int slot = 0; slot < windowTableSlots; slot++) {
        HWND w = windowHandles[slot];
        if (!w) continue;
        used++;
        const bool own = std::find(systemSlots.begin(), systemSlots.end(), slot) == systemSlots.end() && w != holder;
        consistent += IsWindow(w) && findWindowSlot(w) == slot && (!own || answers(w));
    }
    check(used == windowTableSlots && consistent == used, "all 5,000 slots hold live windows that answer");

    DestroyWindow(holder);
    made.clear();
    int left = 0;
    for (int slot = 0; slot < windowTableSlots; slot++)
        if (windowHandles[slot] && std::find(systemSlots.begin(), systemSlots.end(), slot) == systemSlots.end()) left++;
    check(left == 0, "destroying the windows frees every slot they held");
    // What was tried: windows created under the hooks, the holder and the
    // ones made again in freed slots included.
    reportSoakItem("full window table", created, failures);
}

}  // namespace
