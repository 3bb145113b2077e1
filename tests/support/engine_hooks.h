// The fixture of the tests of the hooks and of StaticWindowProc, and a window
// class whose procedure records what it gets and answers chosen messages
// itself.
#pragma once

#include <windows.h>

#include "support/engine_test.h"
#include "support/message_log.h"

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

// A point named as the tests of the striped caption's clicks and hit tests
// name it: dx in from the window's left edge (or its right one), and dy down
// from its top plus plusCaption caption heights (the shared resources').
struct CaptionSpot {
    bool fromRight;
    int dx;
    int dy;
    int plusCaption;
};
// The spot on the screen for the window where it stands now, as lParam of a
// mouse message.
LPARAM captionSpotPoint(HWND window, const CaptionSpot &spot);

// A test of the dispatchers: the engine's hooks between the recording hooks
// (bothEngineHooksBetweenRecorders), the other stages quiet, no scripted
// answers. Stand-in handles a test wrote into the window table are taken
// out again before detach, which would otherwise restore them as windows.
class EngineHooksTest : public EngineTest {
protected:
    EngineHooksTest() : EngineTest(bothEngineHooksBetweenRecorders) {}
    void SetUp() override;
    void TearDown() override;
    HWND createScripted(DWORD style, int x = 100, int y = 100, int w = 300, int h = 200, DWORD exStyle = 0,
                        HWND parent = NULL);
};
