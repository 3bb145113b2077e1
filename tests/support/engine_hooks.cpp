#include "support/engine_hooks.h"

#include <map>

#include "engine/plugin.h"
#include "engine/settings.h"
#include "engine/shared_resources.h"
#include "engine/window_table.h"
#include "support/test_windows.h"

void quietOtherStages()
{
    SettingsRecord &s = Settings;
    s.paintCaptions = 0;
    s.listViewHotTrack = 0;
    s.flatToolbars = 0;
    s.skinButtons = 0;
    s.flatTabs = 0;
    s.animateMainWindows = 0;
    s.animateMenus = 0;
    s.animateWindows = 0;
    s.tileBackgrounds = 0;
    s.transparentListText = 0;
    s.folderBackground = 0;
    s.mdiBackground = 0;
    s.macButtons = 0;
    s.pageKeyScroll = 0;
    s.rightClickRollUp = 0;
    s.roundedWindows = 0;
    s.skinScrollBars = 0;
    s.ownerDrawnButtons = 0;
    s.scrollBarBlackBoxes = 0;
    s.progressBitmap = 0;
    s.usePlugin = 0;
}

static std::map<UINT, LRESULT> script;

void scriptMessage(UINT message, LRESULT result) { script[message] = result; }
void clearScript() { script.clear(); }

LRESULT CALLBACK scriptedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto scripted = script.find(message);
    LRESULT result =
        scripted != script.end() ? scripted->second : DefWindowProcA(window, message, wParam, lParam);
    recordMessageResult(window, message, wParam, lParam, messageFromOwnProcedure, result);
    return result;
}

const char *scriptedClass(const char *name)
{
    return windowClass(name, scriptedProcedure, (HBRUSH)(COLOR_WINDOW + 1), arrowCursor);
}

static const char parentProcedureProperty[] = "VarnelTestParentProc";

static LRESULT CALLBACK parentRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = (WNDPROC)GetPropA(window, parentProcedureProperty);
    recordMessage(window, message, wParam, lParam, messageFromParent);
    return CallWindowProcA(previous, window, message, wParam, lParam);
}

void recordAsParent(HWND window)
{
    SetPropA(window, parentProcedureProperty, (HANDLE)GetWindowLongPtrA(window, GWLP_WNDPROC));
    SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)parentRecorder);
}

LONG_PTR windowProcedureOf(HWND window) { return GetWindowLongPtrA(window, GWLP_WNDPROC); }
LONG_PTR windowStyleOf(HWND window) { return GetWindowLongA(window, GWL_STYLE); }

LPARAM captionSpotPoint(HWND window, const CaptionSpot &spot)
{
    RECT r;
    GetWindowRect(window, &r);
    const int x = spot.fromRight ? r.right - spot.dx : r.left + spot.dx;
    return screenPoint(x, r.top + spot.dy + spot.plusCaption * SharedResources.captionHeight);
}

void EngineHooksTest::SetUp()
{
    EngineTest::SetUp();
    quietOtherStages();
    clearScript();
}

void EngineHooksTest::TearDown()
{
    destroyTrackedWindows();
    removeHooks();
    clearScript();
    for (int slot = 0; slot < windowTableCapacity; slot++)
        if (windowHandles[slot] && !IsWindow(windowHandles[slot])) {
            windowHandles[slot] = NULL;
            previousProcs[slot] = NULL;
        }
    Settings.usePlugin = 0;
    pluginTitle = NULL;
    EngineTest::TearDown();
}

HWND EngineHooksTest::createScripted(DWORD style, int x, int y, int w, int h, DWORD exStyle, HWND parent)
{
    return track(CreateWindowExA(exStyle, scriptedClass(), "Scripted", style, x, y, w, h, parent, NULL,
                                 GetModuleHandleA(NULL), NULL));
}
