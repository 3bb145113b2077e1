// Programs that end abruptly with the engine inside them: one exits while a
// window's show animation is playing (200 ms between frames), one while the
// window shade is rolling a window up or down, one is killed with
// TerminateProcess in the middle of painting captions. Each is a child
// process running the real varnel.dll's hooks. The program must end when told
// (not after the animation), its exit code must be its own (no crash), no
// crash handler (winedbg) may appear, and the other processes of the desktop
// (this test, a second program under the engine, the desktop window) must
// answer all along.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "support/prefix_engine_folder.h"
#include "support/self_launch.h"
#include "support/settings_file.h"
#include "support/soak.h"
#include "support/test_folder.h"
#include "support/test_windows.h"

namespace {

const DWORD exitDuringAnimation = 0x77, exitDuringRollUp = 0x78, exitDuringUnroll = 0x79;
const int animationDelay = 200;

// ---- The children ----

HMODULE engine;
HHOOK beforeHook, afterHook;

// The library and its two hooks on this thread, as the loader gives them to
// every thread of the desktop.
void enterEngine()
{
    engine = LoadLibraryA(buildFile("varnel.dll").c_str());
    ASSERT_TRUE(engine != NULL);
    HOOKPROC before = (HOOKPROC)GetProcAddress(engine, "SpyCallWndProc2");
    HOOKPROC after = (HOOKPROC)GetProcAddress(engine, "SpyCallWndProc");
    beforeHook = SetWindowsHookExA(WH_CALLWNDPROC, before, engine, GetCurrentThreadId());
    afterHook = SetWindowsHookExA(WH_CALLWNDPROCRET, after, engine, GetCurrentThreadId());
    ASSERT_TRUE(beforeHook && afterHook);
}

void say(const char *line)
{
    printf("%s\n", line);
    fflush(stdout);
}

LRESULT CALLBACK keeperProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

// A second program of the desktop under the engine: a window that answers
// until it is closed (or two minutes pass).
TEST(AbruptExit, DISABLED_ChildKeeper)
{
    enterEngine();
    HWND w = CreateWindowExA(0, windowClass("VarnelKeeper", keeperProcedure), "Keeper - desktop",
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 500, 300, 200, NULL, NULL, GetModuleHandleA(NULL),
                             NULL);
    ASSERT_TRUE(w != NULL);
    char line[64];
    wsprintfA(line, "keeper: ready %lu", (unsigned long)(ULONG_PTR)w);
    say(line);
    SetTimer(w, 1, 120000, NULL);
    MSG m;
    while (GetMessageA(&m, NULL, 0, 0) > 0) {
        if (m.message == WM_TIMER) DestroyWindow(w);
        DispatchMessageA(&m);
    }
}

DWORD WINAPI exitSoon(void *code)
{
    Sleep(animationDelay * 3 / 2);
    say("child: exiting");
    ExitProcess((UINT)(ULONG_PTR)code);
}

LRESULT CALLBACK plainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND captionedWindow(WNDPROC procedure, const char *className)
{
    return CreateWindowExA(0, windowClass(className, procedure, (HBRUSH)(COLOR_WINDOW + 1)), "Abrupt - exit",
                           WS_OVERLAPPEDWINDOW, 100, 100, 400, 300, NULL, NULL, GetModuleHandleA(NULL), NULL);
}

// Shows a window: the zoom takes 13 frames of 200 ms; another thread ends
// the process after the first few.
TEST(AbruptExit, DISABLED_ChildExitsDuringShowAnimation)
{
    enterEngine();
    HWND w = captionedWindow(plainProcedure, "VarnelAbruptShow");
    ASSERT_TRUE(w != NULL);
    CreateThread(NULL, 0, exitSoon, (void *)(ULONG_PTR)exitDuringAnimation, 0, NULL);
    say("child: showing");
    ShowWindow(w, SW_SHOWNOACTIVATE);
    say("child: the animation finished before the exit");
}

// The window's own procedure ends the process in the middle of the shade's
// resize: the roll-up asks for 25 pixels, the unroll for the old height.
int exitAtHeight;
DWORD exitCodeAtHeight;
LRESULT CALLBACK shadeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGING && exitAtHeight) {
        const WINDOWPOS *p = (const WINDOWPOS *)lParam;
        if (!(p->flags & SWP_NOSIZE) && p->cy == exitAtHeight) {
            say("child: exiting");
            ExitProcess(exitCodeAtHeight);
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void rightClickLeftBorder(HWND w)
{
    RECT r;
    GetWindowRect(w, &r);
    SendMessageA(w, WM_NCRBUTTONDOWN, HTLEFT, MAKELPARAM((WORD)(short)r.left, (WORD)(short)(r.top + 60)));
}

TEST(AbruptExit, DISABLED_ChildExitsDuringRollUp)
{
    enterEngine();
    HWND w = captionedWindow(shadeProcedure, "VarnelAbruptRollUp");
    ASSERT_TRUE(w != NULL);
    exitAtHeight = 25;
    exitCodeAtHeight = exitDuringRollUp;
    say("child: rolling up");
    rightClickLeftBorder(w);
    say("child: the roll-up finished before the exit");
}

TEST(AbruptExit, DISABLED_ChildExitsDuringUnroll)
{
    enterEngine();
    HWND w = captionedWindow(shadeProcedure, "VarnelAbruptUnroll");
    ASSERT_TRUE(w != NULL);
    RECT r;
    GetWindowRect(w, &r);
    rightClickLeftBorder(w);
    exitAtHeight = r.bottom - r.top;
    exitCodeAtHeight = exitDuringUnroll;
    say("child: unrolling");
    rightClickLeftBorder(w);
    say("child: the unroll finished before the exit");
}

// Paints captions for as long as it lives.
TEST(AbruptExit, DISABLED_ChildPaintsUntilKilled)
{
    enterEngine();
    std::vector<HWND> windows;
    for (int i = 0; i < 4; i++) {
        HWND w = CreateWindowExA(i == 3 ? WS_EX_TOOLWINDOW : 0, recordingClass("VarnelAbruptPaint"), "Painting - caption",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50 + i * 60, 50 + i * 40, 400, 250, NULL, NULL,
                                 GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(w != NULL);
        windows.push_back(w);
    }
    say("child: painting");
    for (unsigned i = 0;; i++) {
        HWND w = windows[i % windows.size()];
        SendMessageA(w, WM_NCACTIVATE, i & 1, 0);
        SendMessageA(w, WM_NCPAINT, 1, 0);
        if (i % 7 == 0) SetWindowTextA(w, i & 8 ? "Painting - caption" : "Painting - other");
        RedrawWindow(w, NULL, NULL, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        MSG m;
        while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
}

// ---- The test ----

class AbruptExitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engineFolder.reset(new PrefixEngineFolder());
        // Shows animated with 200 ms between frames, the shade on, the
        // rest of the defaults.
        engineFolder->write("vl.ini", settingsFileFor({{"animationDelay", animationDelay}}));
        // Children that only need the engine working start where a vl.ini
        // of their own (tried before the engine folder's) has no animations.
        quiet.reset(new TestFolder("abrupt-quiet"));
        quiet->write("\\vl.ini", settingsFileFor({{"animateMainWindows", 0}, {"animateMenus", 0}}));
        debuggersBefore = processesNamed("winedbg.exe");
        ASSERT_TRUE(startDisabledTest("AbruptExit.DISABLED_ChildKeeper", "abrupt-keeper.txt", &keeper, quiet->path()));
        ASSERT_TRUE(waitForOutput(keeper, "keeper: ready", 30000)) << childOutput(keeper);
        const std::string out = childOutput(keeper);
        keeperWindow = (HWND)(ULONG_PTR)strtoul(out.c_str() + out.find("keeper: ready") + 14, NULL, 10);
        ASSERT_TRUE(IsWindow(keeperWindow));
    }
    void TearDown() override
    {
        if (IsWindow(keeperWindow)) PostMessageA(keeperWindow, WM_CLOSE, 0, 0);
        waitForExit(keeper, 10000);
        endChild(&keeper);
        engineFolder.reset();
        quiet.reset();
    }

    // The other processes answer: the second program under the engine and
    // the desktop. Returns the slowest answer in ms, or -1 when one failed.
    int othersAnswer()
    {
        int slowest = 0;
        for (HWND w : {keeperWindow, GetDesktopWindow()}) {
            DWORD_PTR result;
            const DWORD start = GetTickCount();
            if (!SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
            const int took = (int)(GetTickCount() - start);
            if (took > slowest) slowest = took;
        }
        return slowest;
    }

    // Crash handlers started since the test began; any found are ended.
    int newDebuggers()
    {
        int found = 0;
        for (DWORD id : processesNamed("winedbg.exe")) {
            bool old = false;
            for (DWORD d : debuggersBefore) old = old || d == id;
            if (old) continue;
            found++;
            endProcessById(id);
        }
        return found;
    }

    // Runs one child that ends itself; checks its exit code, how long it
    // took after saying it exits, the others' answers while it ran and
    // after, and that no crash handler came.
    void runExitingChild(const char *test, DWORD expectedCode, int *tried, int *failures)
    {
        ChildProcess child;
        ASSERT_TRUE(startDisabledTest(test, "abrupt-child.txt", &child));
        int slowest = 0;
        bool saidExit = false;
        DWORD exitSaidAt = 0;
        const DWORD start = GetTickCount();
        while (WaitForSingleObject(child.process, 20) == WAIT_TIMEOUT && GetTickCount() - start < 30000) {
            if (!saidExit && childOutput(child).find("child: exiting") != std::string::npos) {
                saidExit = true;
                exitSaidAt = GetTickCount();
            }
            const int took = othersAnswer();
            if (took < 0 || took > slowest) slowest = took < 0 ? 100000 : took;
        }
        const DWORD endedAt = GetTickCount();
        if (childOutput(child).find("child: exiting") != std::string::npos && !saidExit) {
            saidExit = true;
            exitSaidAt = endedAt;
        }
        const DWORD code = waitForExit(child, 0);
        endChild(&child);
        const std::string out = childOutput(child);
        (*tried)++;
        const int debuggers = newDebuggers();
        const int after = othersAnswer();
        bool ok = true;
        auto expect = [&](bool condition, const std::string &what) {
            if (!condition) {
                ok = false;
                ADD_FAILURE() << test << ": " << what << "\n" << out;
            }
        };
        expect(code == expectedCode, "exit code " + std::to_string(code) + ", not " + std::to_string(expectedCode));
        expect(saidExit, "the child never reached its exit");
        // The animation has 13 frames of 200 ms; ending waits for none of them.
        expect(!saidExit || endedAt - exitSaidAt < 2000,
               "the exit took " + std::to_string(endedAt - exitSaidAt) + " ms");
        expect(debuggers == 0, "a crash handler started");
        expect(slowest < 2000, "the other programs answered in " + std::to_string(slowest) + " ms at the slowest");
        expect(after >= 0 && after < 2000, "the other programs did not answer afterwards");
        if (!ok) (*failures)++;
        printf("abrupt: %s ended with %lx after %lu ms, %lu ms after saying so; others answered within %d ms\n",
               test, (unsigned long)code, (unsigned long)(endedAt - start),
               (unsigned long)(saidExit ? endedAt - exitSaidAt : 0), slowest);
    }

    std::unique_ptr<PrefixEngineFolder> engineFolder;
    std::unique_ptr<TestFolder> quiet;
    std::vector<DWORD> debuggersBefore;
    ChildProcess keeper;
    HWND keeperWindow = NULL;
};

TEST_F(AbruptExitTest, ProgramsEndingMidAnimationMidShadeOrMidPaintLeaveTheDesktopWorking)
{
    const DWORD testStart = GetTickCount();
    const int rounds = soakSize(1, 10);
    const int kills = soakSize(3, 30);
    SoakRandom r(21);
    int tried = 0, failures = 0;
    for (int round = 0; round < rounds; round++) {
        runExitingChild("AbruptExit.DISABLED_ChildExitsDuringShowAnimation", exitDuringAnimation, &tried, &failures);
        runExitingChild("AbruptExit.DISABLED_ChildExitsDuringRollUp", exitDuringRollUp, &tried, &failures);
        runExitingChild("AbruptExit.DISABLED_ChildExitsDuringUnroll", exitDuringUnroll, &tried, &failures);
    }
    for (int k = 0; k < kills; k++) {
        ChildProcess painter;
        ASSERT_TRUE(startDisabledTest("AbruptExit.DISABLED_ChildPaintsUntilKilled", "abrupt-painter.txt", &painter,
                                      quiet->path()));
        tried++;
        if (!waitForOutput(painter, "child: painting", 30000)) {
            failures++;
            ADD_FAILURE() << "the painting child did not start:\n" << childOutput(painter);
            endChild(&painter);
            continue;
        }
        printf("abrupt: painter %d painting after %lu ms\n", k, (unsigned long)(GetTickCount() - testStart));
        Sleep(50 + r.below(450));
        const int during = othersAnswer();
        TerminateProcess(painter.process, 0x55);
        const DWORD code = waitForExit(painter, 10000);
        endChild(&painter);
        const int debuggers = newDebuggers();
        const int after = othersAnswer();
        if (code != 0x55 || debuggers || during < 0 || during > 2000 || after < 0 || after > 2000) {
            failures++;
            ADD_FAILURE() << "killed while painting: exit code " << code << ", crash handlers " << debuggers
                          << ", others answered in " << during << " and " << after << " ms";
        }
    }
    printf("abrupt: %d children ended, %d killed while painting, %lu ms\n", tried, kills,
           (unsigned long)(GetTickCount() - testStart));
    reportSoakItem("abrupt exits", tried, failures);
}

}  // namespace
