// Settings changed under running paints: a paint on another thread holds the
// snapshot it began with while two set-ups come and go, its font stays
// valid and draws as before, and it is deleted once the paint gives it back,
// with nothing left over; a change met inside a message's handling waits
// for the next calm hook call. And the limits of the engine's tables: the
// 129th thread entered by window events and the 513th process of the shared
// block are left out cleanly (traced, nothing overwritten) and the engine
// works on.
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/entered_threads.h"
#include "engine/live_settings.h"
#include "engine/loader_entry.h"
#include "engine/process_table.h"
#include "engine/settings.h"
#include "engine/settings_generation.h"
#include "engine/settings_snapshot.h"
#include "engine/shared_resources.h"
#include "engine/trace.h"
#include "hooks/thread_entry.h"
#include "subclass/static_window_proc.h"

#include "support/engine_test.h"
#include "support/gdi_handles.h"
#include "support/gradient_strip.h"
#include "support/pixels.h"
#include "support/settings_file.h"
#include "support/test_windows.h"

namespace {

std::vector<std::string> traced;
void WINAPI recordLine(const char *line) { traced.push_back(line); }
bool tracedWith(const char *words)
{
    for (const std::string &line : traced)
        if (line.find(words) != std::string::npos) return true;
    return false;
}

std::string gradientTo(int r)
{
    return settingsFileFor({{"gradientSteps", 8}, {"activeGradientEndR", r}, {"activeGradientEndG", 255}});
}

int runsTheEngine(HWND w) { return GetWindowLongPtrA(w, GWLP_WNDPROC) == (LONG_PTR)StaticWindowProc; }

class Snapshots : public EngineTest {
protected:
    Snapshots() : EngineTest(bothEngineHooks) { settingsFollowInterval = 0; }
    ~Snapshots() override { settingsFollowInterval = defaultSettingsFollowInterval; }
    std::string settingsText() override { return gradientTo(0); }
    void SetUp() override
    {
        traced.clear();
        engineTraceSink = recordLine;
        EngineTest::SetUp();
    }
    void TearDown() override
    {
        EngineTest::TearDown();
        engineTraceSink = NULL;
    }
    // A change written, announced without the broadcast, and the next
    // message of this thread, outside any other.
    void change(HWND w, int r)
    {
        folder->write("\\varnels\\vl.ini", gradientTo(r));
        ASSERT_TRUE(announceSettingsChange(folder->path(), 0));
        SendMessageA(w, WM_NULL, 0, 0);
    }
};

// A paint on a thread of its own: it holds the snapshot, draws a word with
// the snapshot's caption font into a bitmap of its own and keeps the font
// selected there; when told, it selects the font out and in again, draws
// the word again, and gives the snapshot back.
struct HeldPaint {
    HANDLE holding, go, done;
    HFONT font;
    int reselected;
    bool sameWord;
};

enum { wordWidth = 60, wordHeight = 24 };

void drawWord(HDC dc, DWORD *bits, std::vector<DWORD> *copy)
{
    RECT all = {0, 0, wordWidth, wordHeight};
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 2, 2, "Wgm", 3);
    GdiFlush();
    copy->assign(bits, bits + wordWidth * wordHeight);
}

DWORD WINAPI paintHoldingSnapshot(LPVOID parameter)
{
    HeldPaint *p = (HeldPaint *)parameter;
    const PaintView view = holdPaintView();
    p->font = view.resources->captionFont;
    DWORD *bits = NULL;
    HBITMAP bitmap = createPixelSection(NULL, wordWidth, wordHeight, &bits);
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    HGDIOBJ previousFont = SelectObject(dc, p->font);
    std::vector<DWORD> before, after;
    drawWord(dc, bits, &before);
    SetEvent(p->holding);
    WaitForSingleObject(p->go, 20000);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    p->reselected = SelectObject(dc, p->font) != NULL;
    drawWord(dc, bits, &after);
    p->sameWord = before == after;
    SelectObject(dc, previousFont);
    SelectObject(dc, previousBitmap);
    DeleteDC(dc);
    DeleteObject(bitmap);
    releasePaintView(view);
    SetEvent(p->done);
    return 0;
}

TEST_F(Snapshots, TwoChangesDuringOnePaintOnAnotherThreadLeaveItsObjectsAlone)
{
    HWND w = createParent(NULL, 420, 240);
    pumpMessages();
    change(w, 10);  // the first look after attach sets up anew: nothing to compare with
    GdiObjectCounts start;
    ASSERT_TRUE(countGdiObjects(&start));
    const LONG setUps = settingsSetUps;

    HeldPaint p = {CreateEventA(NULL, TRUE, FALSE, NULL), CreateEventA(NULL, TRUE, FALSE, NULL),
                   CreateEventA(NULL, TRUE, FALSE, NULL), NULL, 0, false};
    HANDLE painter = CreateThread(NULL, 0, paintHoldingSnapshot, &p, 0, NULL);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(p.holding, 20000));
    ASSERT_EQ(SharedResources.captionFont, p.font) << "the paint holds the current snapshot";

    change(w, 20);
    const HFONT between = SharedResources.captionFont;
    change(w, 30);
    ASSERT_EQ(setUps + 2, settingsSetUps) << "two set-ups during the paint";
    EXPECT_EQ(30, Settings.activeGradientEndR);
    EXPECT_NE(p.font, between);
    EXPECT_EQ((DWORD)OBJ_FONT, GetObjectType(p.font)) << "the held font outlives two changes";
    EXPECT_EQ(0u, GetObjectType(between)) << "a snapshot nobody held goes at the next change";
    EXPECT_EQ(2, settingsSnapshotsKept()) << "the current one and the held one";

    SetEvent(p.go);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(p.done, 20000));
    WaitForSingleObject(painter, 20000);
    EXPECT_TRUE(p.reselected) << "the font could still be selected after the changes";
    EXPECT_TRUE(p.sameWord) << "and drew the same pixels";
    EXPECT_EQ(0u, GetObjectType(p.font)) << "deleted once the paint gave it back";
    EXPECT_EQ(1, settingsSnapshotsKept());

    // The caption still comes out in the new settings, and no font is left
    // over.
    SendMessageA(w, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ(lastBandColour(true), stripPixel(w, false));
    GdiObjectCounts end;
    ASSERT_TRUE(countGdiObjects(&end));
    EXPECT_LE(end.fonts, start.fonts) << gdiCountChanges(start, end);
    for (HANDLE h : {p.holding, p.go, p.done, painter}) CloseHandle(h);
}

// A test window that, in the middle of a sent message, announces a change and
// sends another window a message: the hook calls of that inner message are
// not calm, and the set-up waits for the outer message to end.
struct NestedChange {
    const char *folder;
    HWND inner;
    int endSeenInside;
};
NestedChange nested;

LRESULT CALLBACK announcingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) {
        announceSettingsChange(nested.folder, 0);
        SendMessageA(nested.inner, WM_NULL, 0, 0);
        nested.endSeenInside = Settings.activeGradientEndR;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Snapshots, ChangeMetInsideAMessageIsSetUpWhenTheMessageEnds)
{
    HWND w = createParent(NULL, 300, 200);
    pumpMessages();
    change(w, 10);
    WNDCLASSA c = {};
    c.lpfnWndProc = announcingProcedure;
    c.hInstance = GetModuleHandleA(NULL);
    c.lpszClassName = "VarnelAnnouncingWindow";
    RegisterClassA(&c);
    HWND outer = track(CreateWindowExA(0, c.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL));
    ASSERT_TRUE(outer != NULL);
    folder->write("\\varnels\\vl.ini", gradientTo(200));
    nested = {folder->path(), w, -1};
    const LONG looks = settingsLooks;
    SendMessageA(outer, WM_APP, 0, 0);
    EXPECT_EQ(10, nested.endSeenInside) << "not set up inside another message's handling";
    EXPECT_EQ(200, Settings.activeGradientEndR) << "set up as the outer message ended";
    EXPECT_EQ(looks + 1, settingsLooks);
    EXPECT_EQ(*liveGeneration, appliedGeneration);
}

// Entry by window events: the 129th thread finds the table full. It is left
// without hooks (traced), its windows are the program's own and work, and
// the 128 threads entered before keep theirs.
struct EntryThread {
    HANDLE entered, leave;
    HWND eventWindow;
    int hadHooks;
    int tried;
    int windowWorks, windowSkinned;
};

DWORD WINAPI enterByEvent(LPVOID parameter)
{
    EntryThread *t = (EntryThread *)parameter;
    VarnelWindowEvent(NULL, EVENT_OBJECT_CREATE, t->eventWindow, OBJID_WINDOW, CHILDID_SELF, 0, 0);
    t->hadHooks = thisThreadEntered();
    if (t->tried) {
        HWND own = CreateWindowExA(0, "STATIC", "late", WS_OVERLAPPEDWINDOW, 0, 0, 100, 60, NULL, NULL, NULL, NULL);
        t->windowSkinned = runsTheEngine(own);
        char text[16] = "";
        t->windowWorks = own && GetWindowTextA(own, text, sizeof text) == 4 && strcmp(text, "late") == 0;
        DestroyWindow(own);
    }
    SetEvent(t->entered);
    WaitForSingleObject(t->leave, 60000);
    // Still entered when the table was full for another.
    t->hadHooks += thisThreadEntered();
    return 0;
}

TEST_F(Snapshots, The129thEnteredThreadIsLeftOutAndTheOthersKeepTheirHooks)
{
    HWND w = createParent(NULL, 300, 200);
    ASSERT_TRUE(publishEntryByEvents(folder->path(), GetCurrentProcessId()));
    const int room = 128;
    std::vector<EntryThread> threads(room + 1);
    std::vector<HANDLE> handles;
    HANDLE leave = CreateEventA(NULL, TRUE, FALSE, NULL);
    for (int i = 0; i <= room; i++) {
        EntryThread &t = threads[i];
        t = {CreateEventA(NULL, TRUE, FALSE, NULL), leave, w, 0, i == room, 0, 0};
        handles.push_back(CreateThread(NULL, 0, enterByEvent, &t, 0, NULL));
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t.entered, 20000)) << "thread " << i;
    }
    EXPECT_EQ(room, enteredThreadCount());
    EXPECT_EQ(0, threads[room].hadHooks) << "the 129th is not entered";
    EXPECT_TRUE(tracedWith("not entered: 128 threads have the hooks"));
    EXPECT_TRUE(threads[room].windowWorks) << "its windows work as the program's own";
    EXPECT_FALSE(threads[room].windowSkinned);
    SetEvent(leave);
    for (HANDLE h : handles) {
        WaitForSingleObject(h, 20000);
        CloseHandle(h);
    }
    int keptHooks = 0;
    for (int i = 0; i < room; i++) keptHooks += threads[i].hadHooks == 2;
    EXPECT_EQ(room, keptHooks) << "the entered threads kept theirs";
    for (EntryThread &t : threads) CloseHandle(t.entered);
    CloseHandle(leave);
    leaveEnteredThreads();
    publishEntryByEvents(folder->path(), 0);
}

// The shared block names 512 processes. Here every place names a process
// that runs (this one) before the engine attaches, so the engine is the
// 513th: it is counted in the overflow, traced, overwrites no place, follows
// changes of settings as any other, and takes itself out of the overflow
// when it lets the block go.
class FullProcessTable : public Snapshots {
protected:
    void prepareFolder(const TestFolder &f) override
    {
        ASSERT_TRUE(openGenerationView(f.path(), &view));
        FILETIME created, exited, kernel, user;
        ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
        for (int i = 0; i < sharedProcessRoom; i++) {
            volatile SharedProcess &p = view.block->processes[i];
            p.createdLow = (LONG)created.dwLowDateTime;
            p.createdHigh = (LONG)created.dwHighDateTime;
            p.id = (LONG)GetCurrentProcessId();
        }
    }
    void TearDown() override
    {
        Snapshots::TearDown();
        closeGenerationView(&view);
    }
    int placesNamingThisProcess()
    {
        int named = 0;
        for (int i = 0; i < sharedProcessRoom; i++) named += view.block->processes[i].id == (LONG)GetCurrentProcessId();
        return named;
    }
    GenerationView view = {};
};

TEST_F(FullProcessTable, The513thProcessIsCountedInTheOverflowAndWorks)
{
    ASSERT_TRUE(view.block != NULL);
    EXPECT_TRUE(liveGeneration != NULL) << "live settings stay on";
    EXPECT_EQ(1, view.block->overflow);
    EXPECT_EQ(sharedProcessRoom, placesNamingThisProcess()) << "no place overwritten";
    EXPECT_EQ(sharedProcessRoom + 1, processesWithEngine(folder->path()));
    EXPECT_TRUE(tracedWith("no place among the 512"));

    HWND w = createParent(NULL, 300, 200);
    pumpMessages();
    EXPECT_TRUE(runsTheEngine(w));
    change(w, 77);
    EXPECT_EQ(77, Settings.activeGradientEndR) << "changes are followed";

    stopWatchingSettingsGeneration();
    EXPECT_EQ(0, view.block->overflow) << "taken out of the overflow";
    EXPECT_EQ(sharedProcessRoom, placesNamingThisProcess()) << "and still no place touched";
    watchSettingsGeneration();
    EXPECT_EQ(1, view.block->overflow);
}

}  // namespace
