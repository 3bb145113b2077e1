// varnel.dll's exported hooks and window procedure, loaded as the system
// loads them into a process: windows subclassed on creation, messages handed
// on, procedures given back on destruction and at unload, the excluded
// classes and the disable marker.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/engine_hooks.h"
#include "support/prefix_engine_folder.h"
#include "support/settings_file.h"
#include "support/test_folder.h"

class DllHooks : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Painting and the control stages off: these tests are about the
        // hooks and the window procedure.
        engineFolder.write("vl.ini", settingsFileFor({{"paintCaptions", 0},
                                                      {"listViewHotTrack", 0},
                                                      {"flatToolbars", 0},
                                                      {"skinButtons", 0},
                                                      {"flatTabs", 0},
                                                      {"animateMainWindows", 0},
                                                      {"animateMenus", 0},
                                                      {"rightClickRollUp", 0},
                                                      {"skinScrollBars", 0}}));
        clearScript();
        clearMessageLog();
    }
    void TearDown() override
    {
        for (auto w = windows.rbegin(); w != windows.rend(); ++w)
            if (IsWindow(*w)) DestroyWindow(*w);
        unhook();
        removeRecordingHooks();
        setMessageSnapshot(NULL);
        if (dll) FreeLibrary(dll);
    }
    // Loads the library and installs its hooks on this thread.
    void load()
    {
        dll = LoadLibraryA(shippedFile(engineLibraryName).c_str());
        ASSERT_TRUE(dll != NULL);
        beforeProc = (HOOKPROC)GetProcAddress(dll, "SpyCallWndProc2");
        afterProc = (HOOKPROC)GetProcAddress(dll, "SpyCallWndProc");
        staticProc = (LONG_PTR)GetProcAddress(dll, "StaticWindowProc");
        ASSERT_TRUE(beforeProc && afterProc && staticProc);
        beforeHook = SetWindowsHookExA(WH_CALLWNDPROC, beforeProc, NULL, GetCurrentThreadId());
        afterHook = SetWindowsHookExA(WH_CALLWNDPROCRET, afterProc, NULL, GetCurrentThreadId());
        ASSERT_TRUE(beforeHook && afterHook);
    }
    void unhook()
    {
        if (beforeHook) UnhookWindowsHookEx(beforeHook);
        if (afterHook) UnhookWindowsHookEx(afterHook);
        beforeHook = afterHook = NULL;
    }
    HWND create(const char *className = NULL, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = NULL)
    {
        HWND w = CreateWindowExA(0, className ? scriptedClass(className) : scriptedClass(), "Window", style, 40, 40,
                                 250, 150, parent, NULL, GetModuleHandleA(NULL), NULL);
        if (w) windows.push_back(w);
        return w;
    }
    LONG_PTR procedureOf(HWND w) { return GetWindowLongPtrA(w, GWLP_WNDPROC); }

    CurrentTestFolder empty{"cwd"};
    PrefixEngineFolder engineFolder;
    HMODULE dll = NULL;
    HOOKPROC beforeProc = NULL, afterProc = NULL;
    LONG_PTR staticProc = 0;
    HHOOK beforeHook = NULL, afterHook = NULL;
    std::vector<HWND> windows;
};

// A message the library has nothing to do with: the window's own procedure
// gets it once, with its values, and nothing else does (standInWindow(0) is
// the window).
static const ExpectedMessage plainMessageSeq[] = {
    {WM_USER + 4, messageFromOwnProcedure | matchWParam | matchLParam, 0xAABBCCDD, 0x11223344, standInWindow(0)},
};

// Destroying a subclassed window: its own procedure is still called through
// the library's StaticWindowProc (the snapshot given), the hook called after
// the library's finds its own procedure back.
static const ExpectedMessage destroyInLibrarySeq[] = {
    {WM_DESTROY, messageFromOwnProcedure | matchSnapshot | givenSnapshot, 0, 0},
    {WM_DESTROY, messageFromAfterHook | matchSnapshot, 0, 0, NULL, 0, (LONG_PTR)scriptedProcedure},
};

TEST_F(DllHooks, CreationSubclassesAWindowWithTheLibrarysProcedure)
{
    load();
    HWND w = create();
    ASSERT_TRUE(w != NULL);
    EXPECT_EQ(staticProc, procedureOf(w));
    HWND child = create("VarnelScripted", WS_CHILD, w);
    EXPECT_EQ(staticProc, procedureOf(child));
}

TEST_F(DllHooks, PlainMessageReachesTheOwnProcedureWithItsValuesAndItsResultComesBack)
{
    load();
    HWND w = create();
    ASSERT_EQ(staticProc, procedureOf(w));
    scriptMessage(WM_USER + 4, (LRESULT)0x600DF00D);
    clearMessageLog();
    EXPECT_EQ((LRESULT)0x600DF00D, SendMessageA(w, WM_USER + 4, 0xAABBCCDD, 0x11223344));
    EXPECT_SEQUENCE(withWindows(plainMessageSeq, {w}), NULL, messageFromOwnProcedure);
}

TEST_F(DllHooks, DestructionGivesTheProcedureBackThroughTheAfterHook)
{
    installRecordingHooks();  // called after the library's hooks
    load();
    HWND w = create();
    ASSERT_EQ(staticProc, procedureOf(w));
    setMessageSnapshot(windowProcedureOf);
    clearMessageLog();
    DestroyWindow(w);
    EXPECT_SEQUENCE_OF(withSnapshot(destroyInLibrarySeq, staticProc), w, messageFromOwnProcedure | messageFromAfterHook,
                       {WM_DESTROY});
}

TEST_F(DllHooks, ExcludedClassSwitchesSubclassingOff)
{
    load();
    HWND earlier = create();
    HWND odd = create("CharGridWClass");
    HWND later = create();
    ASSERT_TRUE(earlier && odd && later);
    EXPECT_EQ(staticProc, procedureOf(earlier));
    EXPECT_EQ((LONG_PTR)scriptedProcedure, procedureOf(odd));
    EXPECT_EQ((LONG_PTR)scriptedProcedure, procedureOf(later));
}

TEST_F(DllHooks, UnloadGivesEverySubclassedWindowItsProcedureBack)
{
    load();
    HWND a = create();
    HWND b = create();
    HWND child = create("VarnelScripted", WS_CHILD, a);
    for (HWND w : {a, b, child}) ASSERT_EQ(staticProc, procedureOf(w));
    unhook();
    DWORD start = GetTickCount();
    FreeLibrary(dll);
    DWORD took = GetTickCount() - start;
    dll = NULL;
    EXPECT_TRUE(GetModuleHandleA(engineLibraryName) == NULL) << "the library is gone";
    for (HWND w : {a, b, child}) EXPECT_EQ((LONG_PTR)scriptedProcedure, procedureOf(w));
    scriptMessage(WM_USER + 6, 66);
    EXPECT_EQ(66, SendMessageA(a, WM_USER + 6, 0, 0)) << "messages no longer pass through the library";
    EXPECT_GE(took, 900u) << "detach waits for other threads to leave the library's code";
}

TEST_F(DllHooks, DisableMarkerMakesEveryHookOnlyChain)
{
    engineFolder.write("vldis.ini", "1");
    installRecordingHooks();
    load();
    scriptMessage(WM_SETCURSOR, 0);
    HWND w = create();
    ASSERT_TRUE(w != NULL);
    EXPECT_EQ((LONG_PTR)scriptedProcedure, procedureOf(w)) << "not subclassed";
    HWND odd = create("CharGridWClass");
    HWND later = create();
    EXPECT_EQ((LONG_PTR)scriptedProcedure, procedureOf(later));
    clearMessageLog();
    SendMessageA(w, WM_SETTEXT, 0, (LPARAM) "Title");
    SendMessageA(w, WM_SETCURSOR, (WPARAM)w, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(1, countMessages(w, WM_SETTEXT, messageFromBeforeHook));
    EXPECT_EQ(1, countMessages(w, WM_SETTEXT, messageFromAfterHook));
    EXPECT_EQ(1, countMessages(w, WM_SETCURSOR, messageFromAfterHook));
    EXPECT_TRUE(odd != NULL);
}
