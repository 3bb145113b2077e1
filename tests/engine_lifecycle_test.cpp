// Process attach and detach of the engine: metrics, fonts, caption colours
// and steps, bitmaps, the disable marker and the restore at detach.
#include <gtest/gtest.h>

#include "engine/engine_lifecycle.h"
#include "engine/engine_lock.h"
#include "engine/engine_state.h"
#include "engine/settings.h"
#include "engine/settings_snapshot.h"
#include "engine/shared_resources.h"
#include "engine/window_table.h"
#include "subclass/static_window_proc.h"
#include "support/settings_file.h"
#include "support/test_engine.h"
#include "support/test_windows.h"

TEST(GradientStep, TruncatesTowardZeroAndHandlesZeroSteps)
{
    EXPECT_EQ(8.0f, gradientStep(128, 0, 16));
    EXPECT_EQ(42.0f, gradientStep(128, 0, 3));
    EXPECT_EQ(-42.0f, gradientStep(0, 128, 3)) << "darker caption: bands grow brighter";
    EXPECT_EQ(-2.0f, gradientStep(10, 17, 3)) << "-7/3 truncates toward zero";
    EXPECT_EQ(0.0f, gradientStep(99, 99, 16));
    EXPECT_EQ(0.0f, gradientStep(128, 0, 0)) << "no bands, no division";
}

TEST(Attach, FailsWithoutSettingsFileAndPreparesNothing)
{
    TestFolder folder("nofile");
    CurrentTestFolder current("nofile-cwd");
    EXPECT_FALSE(attachEngine(folder));
    EXPECT_TRUE(SharedResources.captionFont == NULL);
    EXPECT_GT(SharedResources.captionHeight, 0) << "metrics come before the settings";
    EXPECT_EQ(0, engineAttached);
    detachEngine();  // does nothing after a failed attach
}

TEST(Attach, DisableMarkerPreparesNothing)
{
    TestFolder folder("disabled");
    folder.write("\\varnels\\vldis.ini", "1");
    EXPECT_TRUE(attachEngine(folder));
    EXPECT_EQ(1, EngineState.disabled);
    EXPECT_EQ(0, SharedResources.captionHeight);
    EXPECT_TRUE(SharedResources.captionFont == NULL);
    detachEngine();
}

TEST(Attach, CaptionColoursStepsAndFonts)
{
    TestFolder folder("colours");
    folder.write("\\varnels\\vl.ini", settingsFileFor({{"activeGradientEndR", 10},
                                                       {"activeGradientEndG", 200},
                                                       {"activeGradientEndB", 0},
                                                       {"gradientSteps", 16}}));
    ASSERT_TRUE(attachEngine(folder));
    COLORREF active = GetSysColor(COLOR_ACTIVECAPTION);
    COLORREF inactive = GetSysColor(COLOR_INACTIVECAPTION);
    EXPECT_EQ(GetRValue(active), SharedResources.activeCaptionR);
    EXPECT_EQ(GetBValue(inactive), SharedResources.inactiveCaptionB);
    EXPECT_EQ((float)((GetRValue(active) - 10) / 16), SharedResources.activeStepR);
    EXPECT_EQ((float)((GetGValue(active) - 200) / 16), SharedResources.activeStepG);
    EXPECT_EQ((float)((GetBValue(inactive) - 128) / 16), SharedResources.inactiveStepB);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), SharedResources.captionHeight);
    EXPECT_EQ(GetSystemMetrics(SM_CXSIZE), SharedResources.captionButtonWidth);

    LOGFONTA plain, medium;
    ASSERT_EQ((int)sizeof plain, GetObjectA(SharedResources.captionFont, sizeof plain, &plain));
    ASSERT_EQ((int)sizeof medium, GetObjectA(SharedResources.captionFontMedium, sizeof medium, &medium));
    EXPECT_EQ(500, medium.lfWeight);
    EXPECT_EQ(plain.lfHeight, medium.lfHeight);
    EXPECT_EQ(plain.lfWidth, medium.lfWidth);
    EXPECT_EQ(plain.lfItalic, medium.lfItalic);
    EXPECT_EQ(plain.lfCharSet, medium.lfCharSet);
    EXPECT_EQ(plain.lfQuality, medium.lfQuality);
    EXPECT_STREQ(plain.lfFaceName, medium.lfFaceName);
    EXPECT_EQ(SharedResources.nonClientMetrics.lfCaptionFont.lfWeight, plain.lfWeight);
    EXPECT_EQ(GetStockObject(NULL_BRUSH), SharedResources.nullBrush);
    detachEngine();
}

TEST(Attach, BitmapsLoadOnlyWhenSwitchedOn)
{
    TestFolder folder("bitmaps");
    for (const char *name : {"vl", "vlmdi", "vlback", "vlscr", "maccl", "macmx", "macmn", "macmxd"})
        writeSolidBitmap(folder.file(std::string("\\varnels\\") + name + ".bmp"), 17, 15, RGB(10, 20, 30));
    // macmnd.bmp is missing on purpose.
    folder.write(
        "\\varnels\\vl.ini",
        settingsFileFor({{"tileBackgrounds", 0}, {"folderBackground", 0}, {"skinScrollBars", 0}, {"macButtons", 0}}));
    ASSERT_TRUE(attachEngine(folder));
    EXPECT_TRUE(SharedResources.backgroundBitmap.handle == NULL);
    EXPECT_TRUE(SharedResources.folderBitmap.handle == NULL);
    EXPECT_TRUE(SharedResources.scrollBarBrush == NULL);
    EXPECT_TRUE(SharedResources.macCloseBitmap.handle == NULL);
    detachEngine();

    folder.write(
        "\\varnels\\vl.ini",
        settingsFileFor({{"tileBackgrounds", 1}, {"folderBackground", 1}, {"skinScrollBars", 1}, {"macButtons", 1}}));
    ASSERT_TRUE(attachEngine(folder));
    EXPECT_EQ(17, SharedResources.backgroundBitmap.info.bmWidth);
    EXPECT_EQ(15, SharedResources.mdiBitmap.info.bmHeight);
    EXPECT_EQ(17, SharedResources.folderBitmap.info.bmWidth);
    EXPECT_TRUE(SharedResources.scrollBarBrush != NULL);
    EXPECT_EQ(17, SharedResources.macMaxDownBitmap.info.bmWidth);
    EXPECT_TRUE(SharedResources.macMinDownBitmap.handle == NULL) << "missing file";
    BITMAP zero = {};
    EXPECT_EQ(0, memcmp(&zero, &SharedResources.macMinDownBitmap.info, sizeof zero));
    EXPECT_TRUE(SharedResources.progressBitmap.handle == NULL) << "no progress marker";
    detachEngine();
    EXPECT_TRUE(SharedResources.backgroundBitmap.handle == NULL);
}

// The engine attached with the default settings and a new window of the
// test subclassed into its table; *own is the window's procedure before.
static void attachWithSubclassedWindow(const TestFolder &folder, HWND *w, WNDPROC *own)
{
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    ASSERT_TRUE(attachEngine(folder));
    *w = createTestWindow(WS_OVERLAPPEDWINDOW);
    *own = (WNDPROC)GetWindowLongPtrA(*w, GWLP_WNDPROC);
    ASSERT_GE(subclassIntoTable(*w, StaticWindowProc), 0);
}

TEST(Detach, RestoresSubclassedWindowsAndStopsSubclassing)
{
    TestFolder folder("detach");
    HWND w;
    WNDPROC own;
    ASSERT_NO_FATAL_FAILURE(attachWithSubclassedWindow(folder, &w, &own));
    detachEngine();
    EXPECT_EQ(1, EngineState.shuttingDown);
    EXPECT_EQ((LONG_PTR)own, GetWindowLongPtrA(w, GWLP_WNDPROC));
    DestroyWindow(w);
    clearWindowTable();
}

TEST(Detach, RestoresWindowsEvenAfterSubclassingWasSwitchedOff)
{
    TestFolder folder("detach-off");
    HWND w;
    WNDPROC own;
    ASSERT_NO_FATAL_FAILURE(attachWithSubclassedWindow(folder, &w, &own));
    Settings.subclassWindows = 0;  // as an excluded class does at run time
    detachEngine();
    EXPECT_EQ((LONG_PTR)own, GetWindowLongPtrA(w, GWLP_WNDPROC));
    DestroyWindow(w);
    clearWindowTable();
}

namespace {

struct LockHolder {
    HANDLE holding;
    HANDLE never;
};

DWORD WINAPI holdEngineLockForEver(LPVOID argument)
{
    LockHolder *h = (LockHolder *)argument;
    takeEngineLock();
    SetEvent(h->holding);
    WaitForSingleObject(h->never, INFINITE);
    return 0;
}

DWORD WINAPI detachEndingProcess(LPVOID)
{
    engineProcessDetach(true);
    return 0;
}

}  // namespace

// When the process ends, the system has killed every other thread before the
// engine detaches, perhaps one in the middle of the engine's bookkeeping:
// detach must not wait for a lock nobody will ever give back.
TEST(Detach, AnEndingProcessDetachesPastALockAKilledThreadHeld)
{
    TestFolder folder("detach-ending");
    folder.write("\\varnels\\vl.ini", settingsFileFor({}));
    ASSERT_TRUE(attachEngine(folder));
    LockHolder h = {CreateEventA(NULL, TRUE, FALSE, NULL), CreateEventA(NULL, TRUE, FALSE, NULL)};
    HANDLE holder = CreateThread(NULL, 0, holdEngineLockForEver, &h, 0, NULL);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h.holding, 5000));
    TerminateThread(holder, 0);
    WaitForSingleObject(holder, 5000);
    HANDLE detaching = CreateThread(NULL, 0, detachEndingProcess, NULL, 0, NULL);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(detaching, 5000)) << "detach waited for the dead thread's lock";
    EXPECT_EQ(1, engineDetached);
    EXPECT_EQ(0, settingsSnapshotsKept()) << "the shared objects went all the same";
    for (HANDLE handle : {holder, detaching, h.holding, h.never}) CloseHandle(handle);

    // The next attach opens the lock afresh.
    ASSERT_TRUE(attachEngine(folder));
    takeEngineLock();
    EXPECT_EQ(GetCurrentThreadId(), engineLockOwner);
    dropEngineLock();
    EXPECT_EQ(0u, engineLockOwner);
    detachEngine();
}
