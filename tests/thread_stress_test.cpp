// Four GUI threads in one process inside the engine at once, each with
// windows of its own: captions painted as gradients and as striped bars
// (repaintCaption, the painters, WM_NCPAINT, WM_NCACTIVATE), dialog
// backgrounds tiled with the skin bitmap (WM_ERASEBKGND with tileBackgrounds
// on) and push buttons converted as they are created. No crash, no deadlock
// (a watchdog fails the run when a thread stops moving), and every thread's
// windows end up as the engine should have made them: its buttons converted,
// its check box not, its captions and backgrounds in the right colours.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "caption/caption_geometry.h"
#include "caption/caption_icon.h"
#include "caption/caption_layout.h"
#include "caption/caption_painters.h"
#include "caption/caption_repaint.h"
#include "engine/engine_lock.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "hooks/hooks.h"
#include "support/engine_test.h"
#include "support/pixels.h"
#include "support/settings_file.h"
#include "support/soak.h"
#include "support/soak_windows.h"
#include "support/test_folder.h"
#include "support/test_windows.h"

namespace {

enum { threadCount = 4, buttonsPerDialog = 4, stallLimitMs = 5000 };
// The mark a converted push button carries with BS_OWNERDRAW.
const LONG convertedMark = 0x00032000;
const COLORREF tileColour = RGB(30, 160, 90);

struct ThreadRecord {
    int index = 0;
    bool striped = false;
    volatile LONG progress = 0;
    volatile LONG finished = 0;
    DWORD threadId = 0;
    int iterations = 0;
    int buttonsMade = 0, buttonsConverted = 0;
    std::vector<std::string> problems;
};

volatile LONG stopStress;

LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

const char frameClass[] = "VarnelThreadFrame";

bool isConverted(HWND button)
{
    const LONG style = GetWindowLongA(button, GWL_STYLE);
    return (style & BS_TYPEMASK) == BS_OWNERDRAW && (style & convertedMark) == convertedMark;
}

CaptionLayout layoutOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    const LONG style = GetWindowLongA(window, GWL_STYLE), exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    return captionLayout(style, exStyle, r.right - r.left, sharedCaptionMetrics(),
                         windowCaptionShowsIcon(window, style, exStyle));
}

// The striped bar of a window, painted straight by the painter (the
// settings name one look for the whole process; this thread wants the other).
void paintStriped(HWND window, int state)
{
    const CaptionLayout l = layoutOf(window);
    HDC dc = GetWindowDC(window);
    StripedCaptionPainter(window, dc, l.left, l.top, l.right, l.bottom, l.buttonsRight, state);
    ReleaseDC(window, dc);
}

HWND newButton(HWND dialog, int n)
{
    char text[32];
    wsprintfA(text, "Button %d", n);
    return CreateWindowExA(0, "Button", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10 + (n % 4) * 70,
                           10, 64, 22, dialog, (HMENU)(INT_PTR)(1000 + n % 4), GetModuleHandleA(NULL), NULL);
}

// What the thread checks once the stress is over, on its own windows.
void verify(ThreadRecord &t, HWND frame, HWND dialog, HWND checkBox, const std::vector<HWND> &buttons)
{
    for (HWND b : buttons)
        if (!isConverted(b)) t.problems.push_back("a push button is not converted");
    if ((GetWindowLongA(checkBox, GWL_STYLE) & BS_TYPEMASK) != BS_AUTOCHECKBOX)
        t.problems.push_back("the check box was converted");

    // Captions: the first gradient band is the caption colour itself; an
    // inactive caption is one solid band. The title is empty, so no text
    // covers the pixels read.
    const CaptionLayout l = layoutOf(frame);
    const LONG style = GetWindowLongA(frame, GWL_STYLE);
    const int x = l.left + 6, y = (l.top + l.bottom) / 2;
    repaintCaption(frame, style, stateActive);
    COLORREF active = WindowPixels(frame).at(x, y);
    if (active != plainColour(GetSysColor(COLOR_ACTIVECAPTION)))
        t.problems.push_back("active gradient caption reads " + std::to_string(active));
    repaintCaption(frame, style, stateInactive);
    COLORREF inactive = WindowPixels(frame).at(x, y);
    if (inactive != plainColour(GetSysColor(COLOR_INACTIVECAPTION)))
        t.problems.push_back("inactive gradient caption reads " + std::to_string(inactive));
    if (t.striped) {
        // Five engraved stripe pairs: down one column of the bar, five rows
        // of the shadow colour and five of the highlight colour.
        paintStriped(frame, stateActive);
        WindowPixels pixels(frame);
        int shadows = 0, highlights = 0;
        const int column = stripedBarLeft + 40;
        for (int row = l.top; row <= l.bottom; row++) {
            COLORREF c = pixels.at(column, row);
            shadows += c == plainColour(GetSysColor(COLOR_BTNSHADOW));
            highlights += c == plainColour(GetSysColor(COLOR_BTNHIGHLIGHT));
        }
        if (shadows != stripePairCount || highlights != stripePairCount)
            t.problems.push_back("striped bar shows " + std::to_string(shadows) + " shadow and " +
                                 std::to_string(highlights) + " highlight stripes");
    }

    // The dialog's background: erased into a memory DC, tiled by the hook.
    RECT r;
    GetClientRect(dialog, &r);
    HDC screen = GetDC(dialog);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(memory, canvas);
    SendMessageA(dialog, WM_ERASEBKGND, (WPARAM)memory, 0);
    COLORREF tiled = GetPixel(memory, 5, 5);
    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    ReleaseDC(dialog, screen);
    if (plainColour(tiled) != tileColour) t.problems.push_back("dialog background reads " + std::to_string(tiled));
}

DWORD WINAPI stressThread(void *argument)
{
    ThreadRecord &t = *(ThreadRecord *)argument;
    t.threadId = GetCurrentThreadId();
    HHOOK before = SetWindowsHookExA(WH_CALLWNDPROC, SpyCallWndProc2, NULL, t.threadId);
    HHOOK after = SetWindowsHookExA(WH_CALLWNDPROCRET, SpyCallWndProc, NULL, t.threadId);

    HWND frame = CreateWindowExA(0, frameClass, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20 + t.index * 300, 20, 290,
                                 160, NULL, NULL, GetModuleHandleA(NULL), NULL);
    DialogTemplate d;
    beginDialogTemplate(&d, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_3DLOOK, 0, 0, 0, 180, 90,
                        "Thread dialog");
    addDialogItem(&d, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 8, 40, 60, 12, 900, "Check");
    addDialogItem(&d, "Static", SS_LEFT, 0, 80, 40, 60, 12, 901, "Label");
    HWND dialog =
        CreateDialogIndirectParamA(GetModuleHandleA(NULL), dialogTemplateData(d), NULL, keepOpenDialogProc, 0);
    SetWindowPos(dialog, NULL, 20 + t.index * 300, 220, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND checkBox = GetDlgItem(dialog, 900);
    std::vector<HWND> buttons;
    for (int i = 0; i < buttonsPerDialog; i++) buttons.push_back(newButton(dialog, t.buttonsMade++));

    for (int i = 0; !stopStress; i++) {
        const LONG style = GetWindowLongA(frame, GWL_STYLE);
        if (t.striped)
            paintStriped(frame, 1 + i % 2);
        else
            repaintCaption(frame, style, 1 + i % 2);
        SendMessageA(frame, WM_NCPAINT, 1, 0);
        SendMessageA(frame, WM_NCACTIVATE, i % 2, 0);
        HDC dc = GetDC(dialog);
        SendMessageA(dialog, WM_ERASEBKGND, (WPARAM)dc, 0);
        ReleaseDC(dialog, dc);
        if (i % 8 == 7) {
            // A button goes and a new one comes; its first paint converts it.
            const int slot = i / 8 % buttonsPerDialog;
            DestroyWindow(buttons[slot]);
            buttons[slot] = newButton(dialog, t.buttonsMade++);
            RedrawWindow(buttons[slot], NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
            t.buttonsConverted += isConverted(buttons[slot]);
        }
        pumpMessages();
        t.iterations = i + 1;
        InterlockedIncrement(&t.progress);
    }
    pumpMessages();
    verify(t, frame, dialog, checkBox, buttons);
    DestroyWindow(dialog);
    DestroyWindow(frame);
    UnhookWindowsHookEx(before);
    UnhookWindowsHookEx(after);
    InterlockedExchange(&t.finished, 1);
    return 0;
}

// Each thread installs the engine's hooks on itself.
class ThreadStress : public EngineTest {
protected:
    ThreadStress() : EngineTest(noEngineHooks, folderIsCurrent) {}
    // Eight gradient bands, tiled backgrounds, the striped look's box
    // bitmaps loaded, owner-drawn buttons, no show animations.
    std::string settingsText() override
    {
        return settingsFileFor({{"gradientSteps", 8},
                                {"animateMainWindows", 0},
                                {"animateMenus", 0},
                                {"tileBackgrounds", 1},
                                {"macButtons", 1},
                                {"ownerDrawnButtons", 1}});
    }
    void prepareFolder(const TestFolder &folder) override
    {
        writeSolidBitmap(folder.file("\\varnels\\vl.bmp"), 32, 32, tileColour);
        writeSolidBitmap(folder.file("\\varnels\\vlmdi.bmp"), 32, 32, tileColour);
        for (const char *box : {"maccl.bmp", "macmx.bmp", "macmn.bmp", "macmxd.bmp", "macmnd.bmp"})
            writeSolidBitmap(folder.file(std::string("\\varnels\\") + box), 13, 13, RGB(200, 40, 40));
    }
    void SetUp() override
    {
        EngineTest::SetUp();
        // The gradient look for everything the hooks paint; the striped
        // threads call its painter themselves. Inactive gradients are solid.
        Settings.macButtons = 0;
        Settings.solidInactiveCaption = 1;
        windowClass(frameClass, frameProcedure, (HBRUSH)(COLOR_WINDOW + 1));
    }
};

TEST_F(ThreadStress, FourThreadsPaintTileAndConvertAtOnceWithoutCrashOrDeadlockAndEachKeepsItsLook)
{
    ASSERT_TRUE(SharedResources.backgroundBitmap.handle != NULL);
    ASSERT_TRUE(SharedResources.macCloseBitmap.handle != NULL);
    const DWORD seconds = (DWORD)soakSize(10, 60);
    ThreadRecord records[threadCount];
    HANDLE threads[threadCount];
    stopStress = 0;
    for (int i = 0; i < threadCount; i++) {
        records[i].index = i;
        records[i].striped = i % 2 == 1;
        threads[i] = CreateThread(NULL, 0, stressThread, &records[i], 0, NULL);
        ASSERT_TRUE(threads[i] != NULL);
    }

    // The watchdog: every thread must move on within the stall limit.
    LONG seen[threadCount];
    DWORD lastMove[threadCount];
    const DWORD start = GetTickCount();
    for (int i = 0; i < threadCount; i++) {
        seen[i] = records[i].progress;
        lastMove[i] = start;
    }
    std::string stalled;
    while (GetTickCount() - start < seconds * 1000 && stalled.empty()) {
        Sleep(100);
        const DWORD now = GetTickCount();
        for (int i = 0; i < threadCount; i++) {
            if (records[i].progress != seen[i]) {
                seen[i] = records[i].progress;
                lastMove[i] = now;
            } else if (now - lastMove[i] > stallLimitMs) {
                stalled += "thread " + std::to_string(i) + " stopped after " + std::to_string(seen[i]) +
                           " rounds (engine lock held by thread " + std::to_string(engineLockOwner) + "); ";
            }
        }
    }
    stopStress = 1;
    if (stalled.empty() && WaitForMultipleObjects(threadCount, threads, TRUE, 30000) != WAIT_OBJECT_0)
        stalled = "a thread did not finish its checks within 30 s";
    if (!stalled.empty()) {
        // A deadlocked thread would hold the test forever: report and end.
        printf("threads: deadlock: %s\n", stalled.c_str());
        reportSoakItem("threads", 0, 1);
        fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 4);
    }

    long long rounds = 0;
    int failures = 0;
    for (int i = 0; i < threadCount; i++) {
        const ThreadRecord &t = records[i];
        CloseHandle(threads[i]);
        rounds += t.iterations;
        printf("threads: thread %d (%s) %d rounds, %d buttons made, %d converted at once\n", i,
               t.striped ? "striped" : "gradient", t.iterations, t.buttonsMade, t.buttonsConverted);
        EXPECT_GT(t.iterations, 0);
        EXPECT_EQ(t.buttonsMade - buttonsPerDialog, t.buttonsConverted) << "thread " << i;
        if (t.buttonsMade - buttonsPerDialog != t.buttonsConverted) failures++;
        for (const std::string &p : t.problems) {
            ADD_FAILURE() << "thread " << i << ": " << p;
            failures++;
        }
    }
    EXPECT_EQ(0u, engineLockOwner) << "the engine lock is free again";
    reportSoakItem("threads", rounds, failures);
}

}  // namespace
