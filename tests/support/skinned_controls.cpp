#include "support/skinned_controls.h"

#include <set>

#include "support/engine_hooks.h"
#include "support/message_log.h"
#include "support/test_engine.h"
#include "support/test_windows.h"

std::string SkinnedControlsTest::settingsText() { return settingsFileText({}); }

void SkinnedControlsTest::prepareFolder(const TestFolder &folder) { (void)folder; }

void SkinnedControlsTest::SetUp()
{
    folder.reset(new TestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    folder->write("\\varnels\\vl.ini", settingsText());
    prepareFolder(*folder);
    ASSERT_TRUE(attachEngine(*folder));
    quietOtherStages();
    clearMessageLog();
    resumeEngineHooks();
}

void SkinnedControlsTest::TearDown()
{
    // Destroyed with the hooks on, so that their slots are released.
    resumeEngineHooks();
    for (auto w = windows.rbegin(); w != windows.rend(); ++w)
        if (IsWindow(*w)) DestroyWindow(*w);
    windows.clear();
    pauseEngineHooks();
    removeRecordingHooks();
    detachEngine();
    folder.reset();
}

void SkinnedControlsTest::pauseEngineHooks()
{
    if (engineHooksOn) removeEngineHooks();
    engineHooksOn = false;
}

void SkinnedControlsTest::resumeEngineHooks()
{
    if (!engineHooksOn) installEngineHooks();
    engineHooksOn = true;
}

HWND SkinnedControlsTest::track(HWND window)
{
    if (window) windows.push_back(window);
    return window;
}

HWND SkinnedControlsTest::createParent(const char *className, int w, int h)
{
    HWND parent = track(CreateWindowExA(0, className ? className : recordingClass(), "Parent",
                                        WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40, w, h, NULL,
                                        NULL, GetModuleHandleA(NULL), NULL));
    pumpMessages();
    return parent;
}

HWND SkinnedControlsTest::createControl(const char *className, DWORD style, HWND parent, const char *text, int x,
                                        int y, int w, int h, DWORD exStyle, int id)
{
    return track(CreateWindowExA(exStyle, className, text, style | WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                                 (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL));
}

const char *buttonSuperclass(const char *name)
{
    static std::set<std::string> registered;
    if (!registered.count(name)) {
        WNDCLASSA wc;
        GetClassInfoA(NULL, "Button", &wc);
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = name;
        wc.style &= ~CS_GLOBALCLASS;
        RegisterClassA(&wc);
        registered.insert(name);
    }
    return registered.find(name)->c_str();
}

COLORREF displayed(COLORREF colour)
{
    HDC screen = GetDC(NULL);
    COLORREF nearest = GetNearestColor(screen, colour);
    ReleaseDC(NULL, screen);
    return nearest & 0x00FFFFFF;
}
