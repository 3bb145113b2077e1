// The engine's two hooks installed on the test's thread (the loader installs
// them for all threads), between two pairs of recording hooks, and a window
// class whose procedure records what it gets and answers chosen messages
// itself. For tests of the hooks and of StaticWindowProc.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/message_log.h"
#include "support/test_folder.h"

// SpyCallWndProc2 as WH_CALLWNDPROC and SpyCallWndProc as WH_CALLWNDPROCRET
// of this thread.
void installEngineHooks();
void removeEngineHooks();

// Switches off the stages the tests of the dispatchers are not about
// (push buttons, progress bars, list views, toolbars, tabs, backgrounds,
// animation, shade, rounded menus, scrolling aids, caption painting), so
// that a test sees only the dispatch it is about.
void quietOtherStages();

// A window class whose procedure records each message (messageFromOwnProcedure,
// with its result, after handling it) and answers the scripted messages
// itself with their scripted result; everything else goes to DefWindowProcA.
const char *scriptedClass(const char *name = "VarnelScripted");
LRESULT CALLBACK scriptedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void scriptMessage(UINT message, LRESULT result);
void clearScript();

// Subclasses window with a procedure that records what it receives as
// messageFromParent and hands it on to the procedure it had.
void recordAsParent(HWND window);

// Snapshot functions for setMessageSnapshot.
LONG_PTR windowProcedureOf(HWND window);
LONG_PTR windowStyleOf(HWND window);

// lParam of a mouse message at screen point (x, y), as the system packs it.
inline LPARAM screenPoint(int x, int y) { return MAKELPARAM((WORD)(short)x, (WORD)(short)y); }

// A test with the engine attached to a folder of its own and its hooks
// installed: recording hooks first (called after the engine's), then the
// engine's, then the late recording hooks (called before the engine's).
// Windows made with track() are destroyed, with the hooks still in place,
// before the engine is detached.
class EngineHooksTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes the engine folder before attach: a vl.ini of the defaults unless
    // a fixture writes something else.
    virtual void prepareFolder(TestFolder &folder);
    HWND track(HWND window);
    HWND createScripted(DWORD style, int x = 100, int y = 100, int w = 300, int h = 200, DWORD exStyle = 0,
                        HWND parent = NULL);
    std::unique_ptr<TestFolder> folder;
    std::vector<HWND> windows;
};
