#include "support/engine_test.h"

#include "engine/window_table.h"
#include "hooks/hooks.h"
#include "support/message_log.h"
#include "support/settings_file.h"
#include "support/test_engine.h"
#include "support/test_windows.h"

static HHOOK engineBeforeHook, engineAfterHook;

static void installEngineAfterHook()
{
    engineAfterHook = SetWindowsHookExA(WH_CALLWNDPROCRET, SpyCallWndProc, NULL, GetCurrentThreadId());
    EXPECT_TRUE(engineAfterHook != NULL);
}

void installEngineHooks()
{
    engineBeforeHook = SetWindowsHookExA(WH_CALLWNDPROC, SpyCallWndProc2, NULL, GetCurrentThreadId());
    EXPECT_TRUE(engineBeforeHook != NULL);
    installEngineAfterHook();
}

void removeEngineHooks()
{
    if (engineBeforeHook) UnhookWindowsHookEx(engineBeforeHook);
    if (engineAfterHook) UnhookWindowsHookEx(engineAfterHook);
    engineBeforeHook = engineAfterHook = NULL;
}

std::string EngineTest::settingsText() { return settingsFileFor({}); }

void EngineTest::prepareFolder(const TestFolder &) {}

void EngineTest::SetUp()
{
    const char *name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder.reset(place_ == folderIsCurrent ? new CurrentTestFolder(name) : new TestFolder(name));
    folder->write("\\varnels\\vl.ini", settingsText());
    prepareFolder(*folder);
    ASSERT_TRUE(attachEngine(*folder));
    clearMessageLog();
    installHooks();
}

void EngineTest::TearDown()
{
    destroyTrackedWindows();
    removeHooks();
    removeRecordingHooks();
    setMessageSnapshot(NULL);
    pumpMessages();
    detachEngine();
    // The next test starts from an empty table whatever this one left in it.
    clearWindowTable();
    folder.reset();
}

void EngineTest::installHooks()
{
    if (hooksOn_) return;
    hooksOn_ = true;
    switch (hooks_) {
    case noEngineHooks: break;
    case engineAfterHookOnly: installEngineAfterHook(); break;
    case bothEngineHooks: installEngineHooks(); break;
    case bothEngineHooksBetweenRecorders:
        installRecordingHooks();
        installEngineHooks();
        installLateRecordingHooks();
        break;
    }
}

void EngineTest::removeHooks()
{
    if (!hooksOn_) return;
    hooksOn_ = false;
    removeEngineHooks();
    if (hooks_ == bothEngineHooksBetweenRecorders) {
        removeLateRecordingHooks();
        removeRecordingHooks();
    }
}

HWND EngineTest::track(HWND window)
{
    if (window) windows.push_back(window);
    return window;
}

void EngineTest::destroyTrackedWindows()
{
    for (auto w = windows.rbegin(); w != windows.rend(); ++w) {
        if (!hooksOn_ || hooks_ == noEngineHooks) releaseWindowSlot(*w);
        if (IsWindow(*w)) DestroyWindow(*w);
    }
    windows.clear();
}

HWND EngineTest::createParent(const char *className, int w, int h)
{
    HWND parent = track(CreateWindowExA(0, className ? className : recordingClass(), "Parent", parentStyle, 40, 40,
                                        w, h, NULL, NULL, GetModuleHandleA(NULL), NULL));
    pumpMessages();
    return parent;
}

HWND EngineTest::createControl(const char *className, DWORD style, HWND parent, const char *text, int x, int y,
                               int w, int h, DWORD exStyle, int id)
{
    return track(CreateWindowExA(exStyle, className, text, style | WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                                 (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL));
}

std::string FeatureOnTest::settingsText() { return settingsFileFor({{name_, 1}}); }

void FeatureOnTest::SetUp()
{
    EngineTest::SetUp();
    ASSERT_EQ(1, Settings.*field_) << name_;
    Settings.paintCaptions = 0;
}
